#include "host/plugin_keys.h"

#include <iterator>

#include "config/settings.h"
#include "controller/controller_state.h"

namespace sim {

namespace {

// The plug-in's key table has one slot per code below this.
constexpr int32_t keySlots = 255;

// Each key and the settings field the plug-in keeps it in.
struct KeyField {
    int32_t PluginKeys::*key;
    int32_t Settings::*setting;
};
constexpr KeyField keyFields[] = {
    {&PluginKeys::walkControl, &Settings::walkControlKey},    {&PluginKeys::sprint, &Settings::sprintKey},
    {&PluginKeys::hotkeyModifier, &Settings::hotkeyModifier}, {&PluginKeys::switchOff, &Settings::switchOffKey},
    {&PluginKeys::switchOn, &Settings::switchOnKey},          {&PluginKeys::reload, &Settings::reloadKey},
};

// The hotkeys' keys, in the order of Hotkey.
constexpr int32_t PluginKeys::*hotkeyFields[] = {&PluginKeys::switchOff, &PluginKeys::switchOn, &PluginKeys::reload};

// A code a key message can carry: 0 and the codes without a slot are no key.
bool isKeyCode(int32_t code)
{
    return code > 0 && code < keySlots;
}

}  // namespace

PluginKeys pluginKeysOf(const Settings& from)
{
    PluginKeys keys;
    for (const KeyField& field : keyFields)
        keys.*field.key = from.*field.setting;
    return keys;
}

PluginKeys builtInPluginKeys()
{
    return pluginKeysOf(Settings{});
}

HotkeyPress hotkeyPress(const PluginKeys& keys, Hotkey hotkey)
{
    const auto index = static_cast<size_t>(hotkey);
    if (index >= std::size(hotkeyFields))
        return {};
    const int32_t key = keys.*hotkeyFields[index];
    const int32_t modifier = keys.hotkeyModifier == key ? 0 : keys.hotkeyModifier;
    if (!isKeyCode(key) || (modifier != 0 && !isKeyCode(modifier)))
        return {};
    // With the modifier held, a hotkey checked earlier acts whenever its key
    // is down: when it is one of the keys pressed, it takes this press.
    for (size_t earlier = 0; earlier < index; ++earlier) {
        const int32_t taken = keys.*hotkeyFields[earlier];
        if (isKeyCode(taken) && (taken == key || taken == modifier))
            return {};
    }
    return {true, modifier, key};
}

PluginKeys readPluginKeys(const std::string& path)
{
    // The loader fills the linked copy of the plug-in's records; they are put
    // back as they were, so that nothing else sees this read.
    const Settings savedSettings = settings;
    const ControllerState savedController = controllerState;
    loadSettingsFrom(path);
    const PluginKeys keys = pluginKeysOf(settings);
    settings = savedSettings;
    controllerState = savedController;
    return keys;
}

std::string hotkeyPressWords(const HotkeyPress& press, std::string (*keyName)(int32_t code))
{
    if (!press.acts)
        return "";
    if (press.modifier == 0)
        return keyName(press.key);
    return keyName(press.modifier) + "+" + keyName(press.key);
}

bool isKeySlot(int32_t code)
{
    return code >= 0 && code < keySlots;
}

}  // namespace sim
