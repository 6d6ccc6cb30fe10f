#include "config/settings.h"

#include <string>

#include "config/ini_reader.h"
#include "config/value_conversions.h"
#include "controller/controller_state.h"
#include "controller/speeds_and_ticks.h"

Settings settings;

// One row per setting, in load order.
// clang-format off
const SettingRow settingRows[settingRowCount] = {
    {"General", "ENABLED", "enabled", SettingRule::flag, &Settings::enabled, nullptr, nullptr},
    {"MouseWheel", "MOUSE_WHEEL_ENABLED", "mouseWheelEnabled", SettingRule::flag,
     &Settings::mouseWheelEnabled, nullptr, nullptr},
    {"MouseWheel", "SPEED_INCREMENT", "speedIncrement", SettingRule::decimalFloat,
     nullptr, &Settings::speedIncrement, nullptr},
    {"Shift", "SHIFT_TAP_ENABLED", "shiftTapEnabled", SettingRule::flag, &Settings::shiftTapEnabled, nullptr, nullptr},
    {"Shift", "SHIFT_TAP_LIGHT_RUN_ENABLED", "shiftTapLightRunEnabled", SettingRule::flag,
     &Settings::shiftTapLightRunEnabled, nullptr, nullptr},
    {"Shift", "SHIFT_TAP_CUSTOM_SPEED", "shiftTapCustomSpeed", SettingRule::decimalFloat,
     nullptr, &Settings::shiftTapCustomSpeed, nullptr},
    {"Shift", "SHIFT_TAP_STOP_RUNNING", "shiftTapStopRunning", SettingRule::flag,
     &Settings::shiftTapStopRunning, nullptr, nullptr},
    {"WalkControl", "WALK_CONTROL_ENABLED", "walkControlEnabled", SettingRule::flag,
     &Settings::walkControlEnabled, nullptr, nullptr},
    {"WalkControl", "FAST_WALK_ENABLED", "fastWalkEnabled", SettingRule::flag,
     &Settings::fastWalkEnabled, nullptr, nullptr},
    {"WalkControl", "FAST_WALK_CUSTOM_SPEED", "fastWalkCustomSpeed", SettingRule::decimalFloat,
     nullptr, &Settings::fastWalkCustomSpeed, nullptr},
    {"WalkControl", "SLOW_WALK_ENABLED", "slowWalkEnabled", SettingRule::flag,
     &Settings::slowWalkEnabled, nullptr, nullptr},
    {"WalkControl", "SLOW_WALK_CUSTOM_SPEED", "slowWalkCustomSpeed", SettingRule::decimalFloat,
     nullptr, &Settings::slowWalkCustomSpeed, nullptr},
    {"WalkControl", "WALK_CONTROL_KEY", "walkControlKey", SettingRule::hexInteger,
     nullptr, nullptr, &Settings::walkControlKey},
    {"WalkControl", "REMEMBER_FAST_WALK", "rememberFastWalk", SettingRule::flag,
     &Settings::rememberFastWalk, nullptr, nullptr},
    {"Advanced", "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", "keepCustomSpeedAfterStoppingMode",
     SettingRule::decimalInteger, nullptr, nullptr, &Settings::keepCustomSpeedAfterStoppingMode},
    {"Advanced", "RESPECT_BOUNDARIES", "respectBoundaries", SettingRule::flag,
     &Settings::respectBoundaries, nullptr, nullptr},
    {"Advanced", "ABLE_TO_OVERRIDE_BOUNDARIES", "ableToOverrideBoundaries", SettingRule::flag,
     &Settings::ableToOverrideBoundaries, nullptr, nullptr},
    {"Optional", "DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA", "disableAutoRunInFirstPersonCamera",
     SettingRule::flag, &Settings::disableAutoRunInFirstPersonCamera, nullptr, nullptr},
    {"Optional", "MINIMUM_SPEED", "minimumSpeed", SettingRule::decimalFloat,
     nullptr, &Settings::minimumSpeed, nullptr},
};

// The keys the player may choose; a missing or empty line keeps the key.
const SettingRow keyRows[keyRowCount] = {
    {"Keys", "HOTKEY_MODIFIER", "hotkeyModifier", SettingRule::hexInteger, nullptr, nullptr, &Settings::hotkeyModifier},
    {"Keys", "SWITCH_OFF_KEY", "switchOffKey", SettingRule::hexInteger, nullptr, nullptr, &Settings::switchOffKey},
    {"Keys", "SWITCH_ON_KEY", "switchOnKey", SettingRule::hexInteger, nullptr, nullptr, &Settings::switchOnKey},
    {"Keys", "RELOAD_KEY", "reloadKey", SettingRule::hexInteger, nullptr, nullptr, &Settings::reloadKey},
    {"Keys", "SPRINT_KEY", "sprintKey", SettingRule::hexInteger, nullptr, nullptr, &Settings::sprintKey},
};
// clang-format on

namespace {

// The lowest MINIMUM_SPEED the wheel may step down to.
constexpr float lowestMinimumSpeed = 0.15f;

// A hexadecimal key code; an absent or empty key keeps the code the player
// had (the built-in key until a file names another) rather than storing a
// number nobody wrote.
void storeKeyCode(const SettingRow& row, const std::string& text)
{
    if (!text.empty())
        settings.*row.integerField = convertHexInteger(text);
}

}  // namespace

void loadSettings()
{
    // The bare file name: the game's current directory decides where it is.
    loadSettingsFrom("Ambleworks.ini");
}

void loadSettingsFrom(const std::string& path)
{
    // A missing or unreadable file leaves the document empty and every key
    // reads as the empty text, so the rows run all the same.
    IniDocument document;
    IniReader(path).read(document);
    storeSettings(document);
}

void storeKeySettings(IniDocument& document)
{
    for (const SettingRow& row : keyRows)
        storeKeyCode(row, document.section(row.section).value(row.key));
}

void storeSettings(IniDocument& document, std::size_t* rowsStored)
{
    storeKeySettings(document);
    if (rowsStored)
        *rowsStored = 0;
    // Each row is stored before the next is read, so a value that cannot be
    // converted stops the load there with the earlier rows already in force.
    for (const SettingRow& row : settingRows) {
        const std::string& text = document.section(row.section).value(row.key);
        switch (row.rule) {
        case SettingRule::flag:
            settings.*row.flagField = convertFlag(text);
            break;
        case SettingRule::decimalFloat:
            settings.*row.floatField = convertDecimalFloat(text);
            break;
        case SettingRule::hexInteger:
            storeKeyCode(row, text);
            break;
        case SettingRule::decimalInteger:
            settings.*row.integerField = convertDecimalInteger(text);
            break;
        }
        // The copy a Shift release restores boundary respect from; play
        // changes only the live setting.
        if (row.flagField == &Settings::respectBoundaries)
            controllerState.respectBoundariesConfigured = settings.respectBoundaries;
        if (rowsStored)
            ++*rowsStored;
    }
}

void sanitiseSettings()
{
    // A light run slower than a fast walk would not be a run; 3.0 is the
    // fastest the plug-in ever sets.
    if (settings.shiftTapCustomSpeed < lowestRunSpeed)
        settings.shiftTapCustomSpeed = lowestRunSpeed;
    else if (settings.shiftTapCustomSpeed > highestSpeed)
        settings.shiftTapCustomSpeed = highestSpeed;
    // A fast walk stays a walk.
    if (settings.fastWalkCustomSpeed > highestWalkSpeed)
        settings.fastWalkCustomSpeed = highestWalkSpeed;
    // The wheel never steps the player down to a standstill.
    if (settings.minimumSpeed < lowestMinimumSpeed)
        settings.minimumSpeed = lowestMinimumSpeed;
}
