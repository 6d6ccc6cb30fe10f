#pragma once
// Every configuration value, one field per key of Ambleworks.ini, holding the
// built-in defaults until the first load: the 19 settings, then the keys the
// player may choose in [Keys].

#include <cstddef>
#include <cstdint>
#include <string>

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

// How the value text of one key becomes its field.
enum class SettingRule {
    flag,            // false exactly for the text "0"
    decimalFloat,    // leading number, strtof-style; fails on no number
    hexInteger,      // leading hexadecimal number; an empty text keeps the field
    decimalInteger,  // leading base-10 number; fails on no number
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

// Every key, in the order the load reads and stores them. Tools that explain
// a file (the simulator's INI doctor) walk the same table the load does.
inline constexpr std::size_t settingRowCount = 19;
extern const SettingRow settingRows[settingRowCount];

// The keys of [Keys], all read as hexadecimal key codes. They are read before
// the rows above and cannot fail, so no failure among the 19 settings can take
// a configured key (the reload key above all) away from the player.
inline constexpr std::size_t keyRowCount = 5;
extern const SettingRow keyRows[keyRowCount];

// Reads "Ambleworks.ini" from the current directory into `settings`, row by
// row. Throws std::invalid_argument or std::out_of_range (with the texts
// "invalid stof argument", "stof argument out of range", "invalid stoi
// argument", "stoi argument out of range") when a number cannot be converted;
// rows before the failing one keep their new values.
void loadSettings();

// loadSettings on another file: the same reader and the same rows.
void loadSettingsFrom(const std::string& path);

// The rows of the load, taken from a document already read: the keys of
// [Keys] first, then the 19 settings. When `rowsStored` is given it counts the
// settings rows stored so far, so after a failure it is the index of the row
// that stopped the load.
void storeSettings(IniDocument& document, std::size_t* rowsStored = nullptr);

// The keys of [Keys] alone, from a document already read; never throws.
void storeKeySettings(IniDocument& document);

// Pulls the three bounded speed settings back into range; run every tick.
void sanitiseSettings();
