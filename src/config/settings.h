#pragma once
// Every configuration value, one field per key of Ambleworks.ini, holding the
// built-in defaults until the first load: the 19 settings, then the keys the
// player may choose in [Keys].

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/value_conversions.h"

class IniDocument;

// The values of KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE that the controller
// tells apart. From 1 up a custom speed is kept across a stop, and 3 also
// ramps a run speed back up after it. 0 drops a lasting speed the moment the
// player lets go of the move inputs, and 2 drops a run speed so. Below 0
// nothing is kept or dropped: the speed stays imposed even standing.
inline constexpr int32_t keepModeDropOnStop = 0;
inline constexpr int32_t keepModeDropRunOnStop = 2;
inline constexpr int32_t keepModeRamp = 3;

struct Settings {
    bool enabled = true;                             // [General] ENABLED
    bool mouseWheelEnabled = true;                   // [MouseWheel] MOUSE_WHEEL_ENABLED
    float speedIncrement = 0.06f;                    // [MouseWheel] SPEED_INCREMENT
    bool shiftTapEnabled = true;                     // [Shift] SHIFT_TAP_ENABLED
    bool shiftTapLightRunEnabled = true;             // [Shift] SHIFT_TAP_LIGHT_RUN_ENABLED
    float shiftTapCustomSpeed = 1.78f;               // [Shift] SHIFT_TAP_CUSTOM_SPEED
    bool shiftTapStopRunning = true;                 // [Shift] SHIFT_TAP_STOP_RUNNING
    bool walkControlEnabled = true;                  // [WalkControl] WALK_CONTROL_ENABLED
    bool fastWalkEnabled = true;                     // [WalkControl] FAST_WALK_ENABLED
    float fastWalkCustomSpeed = 1.38f;               // [WalkControl] FAST_WALK_CUSTOM_SPEED
    bool slowWalkEnabled = true;                     // [WalkControl] SLOW_WALK_ENABLED
    float slowWalkCustomSpeed = 0.7f;                // [WalkControl] SLOW_WALK_CUSTOM_SPEED
    int32_t walkControlKey = 0x12;                   // [WalkControl] WALK_CONTROL_KEY (Alt)
    bool rememberFastWalk = false;                   // [WalkControl] REMEMBER_FAST_WALK
    int32_t keepCustomSpeedAfterStoppingMode = 3;    // [Advanced] KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE
    bool respectBoundaries = true;                   // [Advanced] RESPECT_BOUNDARIES
    bool ableToOverrideBoundaries = true;            // [Advanced] ABLE_TO_OVERRIDE_BOUNDARIES
    bool disableAutoRunInFirstPersonCamera = false;  // [Optional] DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA
    float minimumSpeed = 0.3f;                       // [Optional] MINIMUM_SPEED

    // The keys of [Keys], as virtual-key codes; 255 and above (or negative)
    // is no key. A modifier of 0 means the hotkeys need no modifier.
    int32_t hotkeyModifier = 0x23;  // [Keys] HOTKEY_MODIFIER (End)
    int32_t switchOffKey = 0x61;    // [Keys] SWITCH_OFF_KEY (Numpad 1)
    int32_t switchOnKey = 0x62;     // [Keys] SWITCH_ON_KEY (Numpad 2)
    int32_t reloadKey = 0x63;       // [Keys] RELOAD_KEY (Numpad 3)
    int32_t sprintKey = 0x10;       // [Keys] SPRINT_KEY (Shift)

    bool operator==(const Settings&) const = default;
};

// The one process-wide settings record.
extern Settings settings;

// How the value text of one key becomes its field (value_conversions.h has
// the rules). Every rule reads the text without its note; a missing or empty
// line, or a number that cannot be read, gives the built-in default.
enum class SettingRule {
    flag,            // a switch: off for 0, off, no, false (or a zero number); on for anything else
    decimalFloat,    // the leading number, strtof-style, a decimal comma read as the point
    keyCode,         // a key's name ("Alt", "F11"), or else a hexadecimal code
    decimalInteger,  // the leading base-10 number
};

// One key of Ambleworks.ini and the field it feeds. Exactly one of the three
// field pointers is set, the one the rule writes.
struct SettingRow {
    const char* section;
    const char* key;
    const char* field;  // the field's name in Settings
    SettingRule rule;
    bool Settings::*flagField;
    float Settings::*floatField;
    int32_t Settings::*integerField;
};

// The 19 settings, in the order the load reads and stores them. Tools that
// explain a file (the INI doctor, the settings page) walk the same tables.
inline constexpr std::size_t settingRowCount = 19;
extern const SettingRow settingRows[settingRowCount];

// The keys of [Keys], read before the 19 settings.
inline constexpr std::size_t keyRowCount = 5;
extern const SettingRow keyRows[keyRowCount];

// Every row in load order: the keys of [Keys], then the 19 settings.
inline constexpr std::size_t loadRowCount = keyRowCount + settingRowCount;
const SettingRow& loadRow(std::size_t index);

// A setting's value, in whichever of the three types its rule writes.
struct SettingValue {
    bool flag = false;
    float real = 0.0f;
    int32_t integer = 0;
};

// The row's field in a settings record, read and written.
SettingValue settingValueOf(const Settings& record, const SettingRow& row);
void setSettingValue(Settings& record, const SettingRow& row, const SettingValue& value);

// What the load makes of one line's value text (as the reader gives it, a
// note after the value included).
struct SettingReading {
    SettingValue value;                       // what the setting gets
    bool builtInDefault = true;               // the line is missing or empty, or its number cannot be read
    ReadFailure failure = ReadFailure::none;  // why a number could not be read
};
SettingReading readSetting(const SettingRow& row, std::string_view text);

// Reads "Ambleworks.ini" from the current directory into `settings`: every
// key on its own, so a missing or unreadable line gives that one setting its
// built-in default and every other line still takes effect. Throws nothing
// but memory exhaustion.
void loadSettings();

// loadSettings where a load is started (script start, reload hotkey): should
// memory run out while the file is read, the settings stay as they stand and
// the script carries on. Nothing escapes the plug-in.
void loadSettingsGuarded();

// loadSettings on another file: the same reader and the same rows.
void loadSettingsFrom(const std::string& path);

// The value text a document gives the row at `index` in load order (a note
// after the value included), or "" when the row's section or key is not in
// it: what the load reads for that row. Adds nothing to the document.
std::string_view settingText(const IniDocument& document, std::size_t index);

// The load from a document already read: every row in load order, each
// stored before the next is read, and the configured copy of
// RESPECT_BOUNDARIES beside the live one. The document is only read.
void storeSettings(const IniDocument& document);

// Pulls the three bounded speed settings back into range; run every tick.
void sanitiseSettings();
