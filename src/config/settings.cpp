#include "config/settings.h"

#include <array>
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
    {"WalkControl", "WALK_CONTROL_KEY", "walkControlKey", SettingRule::keyCode,
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

// The keys the player may choose, read before the settings.
const SettingRow keyRows[keyRowCount] = {
    {"Keys", "HOTKEY_MODIFIER", "hotkeyModifier", SettingRule::keyCode, nullptr, nullptr, &Settings::hotkeyModifier},
    {"Keys", "SWITCH_OFF_KEY", "switchOffKey", SettingRule::keyCode, nullptr, nullptr, &Settings::switchOffKey},
    {"Keys", "SWITCH_ON_KEY", "switchOnKey", SettingRule::keyCode, nullptr, nullptr, &Settings::switchOnKey},
    {"Keys", "RELOAD_KEY", "reloadKey", SettingRule::keyCode, nullptr, nullptr, &Settings::reloadKey},
    {"Keys", "SPRINT_KEY", "sprintKey", SettingRule::keyCode, nullptr, nullptr, &Settings::sprintKey},
};
// clang-format on

namespace {

// The lowest MINIMUM_SPEED the wheel may step down to.
constexpr float lowestMinimumSpeed = 0.15f;

// The built-in defaults, for a line that gives no value.
const Settings builtInSettings{};

// A row's section and key as a document stores names, lower-cased.
struct StoredNames {
    std::string section;
    std::string key;
};

// The stored names of the row at `index` in load order. Made once: every
// load looks every row up, and most keys are too long to be made afresh
// without an allocation.
const StoredNames& storedNames(std::size_t index)
{
    static const std::array<StoredNames, loadRowCount> names = [] {
        std::array<StoredNames, loadRowCount> all;
        for (std::size_t i = 0; i < loadRowCount; ++i) {
            all[i] = {loadRow(i).section, loadRow(i).key};
            lowerCaseAscii(all[i].section);
            lowerCaseAscii(all[i].key);
        }
        return all;
    }();
    return names[index];
}

// The value a text (without its note, not empty) gives, or its failure.
SettingReading readText(const SettingRow& row, std::string_view text)
{
    SettingReading reading;
    reading.builtInDefault = false;
    switch (row.rule) {
    case SettingRule::flag:
        reading.value.flag = convertFlag(text);
        break;
    case SettingRule::decimalFloat: {
        const FloatReading number = convertDecimalFloat(text);
        reading.value.real = number.value;
        reading.failure = number.failure;
        break;
    }
    case SettingRule::keyCode:
        reading.value.integer = convertKeyCode(text);
        break;
    case SettingRule::decimalInteger: {
        const IntegerReading number = convertDecimalInteger(text);
        reading.value.integer = number.value;
        reading.failure = number.failure;
        break;
    }
    }
    return reading;
}

}  // namespace

const SettingRow& loadRow(std::size_t index)
{
    return index < keyRowCount ? keyRows[index] : settingRows[index - keyRowCount];
}

SettingValue settingValueOf(const Settings& record, const SettingRow& row)
{
    SettingValue value;
    switch (row.rule) {
    case SettingRule::flag:
        value.flag = record.*row.flagField;
        break;
    case SettingRule::decimalFloat:
        value.real = record.*row.floatField;
        break;
    case SettingRule::keyCode:
    case SettingRule::decimalInteger:
        value.integer = record.*row.integerField;
        break;
    }
    return value;
}

void setSettingValue(Settings& record, const SettingRow& row, const SettingValue& value)
{
    switch (row.rule) {
    case SettingRule::flag:
        record.*row.flagField = value.flag;
        break;
    case SettingRule::decimalFloat:
        record.*row.floatField = value.real;
        break;
    case SettingRule::keyCode:
    case SettingRule::decimalInteger:
        record.*row.integerField = value.integer;
        break;
    }
}

SettingReading readSetting(const SettingRow& row, std::string_view text)
{
    const std::string_view value = withoutNote(text);
    SettingReading reading;
    if (!value.empty())
        reading = readText(row, value);
    if (value.empty() || reading.failure != ReadFailure::none) {
        reading.value = settingValueOf(builtInSettings, row);
        reading.builtInDefault = true;
    }
    return reading;
}

void loadSettings()
{
    // The bare file name: the game's current directory decides where it is.
    loadSettingsFrom("Ambleworks.ini");
}

void loadSettingsGuarded()
{
    try {
        loadSettings();
    } catch (...) {
        // Only memory exhaustion while reading the file gets here; the
        // settings stay as they stand, and the game must not go down with us.
    }
}

void loadSettingsFrom(const std::string& path)
{
    // A missing or unreadable file leaves the document empty, and every
    // setting then takes its built-in default.
    IniDocument document;
    IniReader(path).read(document);
    storeSettings(document);
}

std::string_view settingText(const IniDocument& document, std::size_t index)
{
    const StoredNames& names = storedNames(index);
    const IniSection* section = document.findStored(names.section);
    const std::string* text = section ? section->findStored(names.key) : nullptr;
    return text ? std::string_view(*text) : std::string_view();
}

void storeSettings(const IniDocument& document)
{
    for (std::size_t i = 0; i < loadRowCount; ++i) {
        const SettingRow& row = loadRow(i);
        setSettingValue(settings, row, readSetting(row, settingText(document, i)).value);
    }
    // The copy a Shift release restores boundary respect from; play changes
    // only the live setting.
    controllerState.respectBoundariesConfigured = settings.respectBoundaries;
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
