#include "host/plugin_keys.h"

#include "config/settings.h"
#include "controller/controller_state.h"

namespace sim {

namespace {

// The plug-in's key table has one slot per code below this.
constexpr int32_t keySlots = 255;

PluginKeys keysOf(const Settings& from)
{
    PluginKeys keys;
    keys.walkControl = from.walkControlKey;
    keys.sprint = from.sprintKey;
    keys.hotkeyModifier = from.hotkeyModifier;
    keys.switchOff = from.switchOffKey;
    keys.switchOn = from.switchOnKey;
    keys.reload = from.reloadKey;
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
    settings.walkControlKey = before.walkControl;
    settings.sprintKey = before.sprint;
    settings.hotkeyModifier = before.hotkeyModifier;
    settings.switchOffKey = before.switchOff;
    settings.switchOnKey = before.switchOn;
    settings.reloadKey = before.reload;
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
