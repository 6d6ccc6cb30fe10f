#include "host/plugin_keys.h"

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

PluginKeys keysOf(const Settings& from)
{
    PluginKeys keys;
    for (const KeyField& field : keyFields)
        keys.*field.key = from.*field.setting;
    return keys;
}

}  // namespace

PluginKeys builtInPluginKeys()
{
    return keysOf(Settings{});
}

PluginKeys readPluginKeys(const PluginKeys& before, const std::string& path)
{
    // The loader fills the linked copy of the plug-in's records; they are put
    // back as they were, so that nothing else sees this read.
    const Settings savedSettings = settings;
    const ControllerState savedController = controllerState;
    for (const KeyField& field : keyFields)
        settings.*field.setting = before.*field.key;
    try {
        loadSettingsFrom(path);
    } catch (...) {
        // A value that cannot be converted stops the load, as in the plug-in.
    }
    const PluginKeys keys = keysOf(settings);
    settings = savedSettings;
    controllerState = savedController;
    return keys;
}

bool isKeySlot(int32_t code)
{
    return code >= 0 && code < keySlots;
}

}  // namespace sim
