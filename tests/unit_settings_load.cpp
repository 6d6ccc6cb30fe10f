// Loading Ambleworks.ini into the settings: every line on its own (missing,
// empty and unreadable lines give their defaults), notes, switch words,
// decimal commas and key names as players write them, the boundary copy,
// reloads, the shipped file, and the per-tick clamps.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "testing/reset_for_tests.h"

namespace {

struct Row {
    const char* section;
    const char* key;
    const char* text;  // a value unlike the built-in default
};

// Every key in load order, each with a value that differs from its default.
const Row rows[19] = {
    {"General", "ENABLED", "0"},
    {"MouseWheel", "MOUSE_WHEEL_ENABLED", "0"},
    {"MouseWheel", "SPEED_INCREMENT", "0.1"},
    {"Shift", "SHIFT_TAP_ENABLED", "0"},
    {"Shift", "SHIFT_TAP_LIGHT_RUN_ENABLED", "0"},
    {"Shift", "SHIFT_TAP_CUSTOM_SPEED", "2.5"},
    {"Shift", "SHIFT_TAP_STOP_RUNNING", "0"},
    {"WalkControl", "WALK_CONTROL_ENABLED", "0"},
    {"WalkControl", "FAST_WALK_ENABLED", "0"},
    {"WalkControl", "FAST_WALK_CUSTOM_SPEED", "1.45"},
    {"WalkControl", "SLOW_WALK_ENABLED", "0"},
    {"WalkControl", "SLOW_WALK_CUSTOM_SPEED", "0.5"},
    {"WalkControl", "WALK_CONTROL_KEY", "43"},
    {"WalkControl", "REMEMBER_FAST_WALK", "1"},
    {"Advanced", "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", "1"},
    {"Advanced", "RESPECT_BOUNDARIES", "0"},
    {"Advanced", "ABLE_TO_OVERRIDE_BOUNDARIES", "0"},
    {"Optional", "DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA", "1"},
    {"Optional", "MINIMUM_SPEED", "0.2"},
};

Settings fileValues()
{
    Settings s;
    s.enabled = false;
    s.mouseWheelEnabled = false;
    s.speedIncrement = 0.1f;
    s.shiftTapEnabled = false;
    s.shiftTapLightRunEnabled = false;
    s.shiftTapCustomSpeed = 2.5f;
    s.shiftTapStopRunning = false;
    s.walkControlEnabled = false;
    s.fastWalkEnabled = false;
    s.fastWalkCustomSpeed = 1.45f;
    s.slowWalkEnabled = false;
    s.slowWalkCustomSpeed = 0.5f;
    s.walkControlKey = 0x43;
    s.rememberFastWalk = true;
    s.keepCustomSpeedAfterStoppingMode = 1;
    s.respectBoundaries = false;
    s.ableToOverrideBoundaries = false;
    s.disableAutoRunInFirstPersonCamera = true;
    s.minimumSpeed = 0.2f;
    return s;
}

// `values` with the field of one row (0-based, of the 19) at its built-in
// default: what a file whose line for that row gives nothing loads.
Settings withDefaultAt(Settings values, int row)
{
    const Settings builtIn;
    setSettingValue(values, settingRows[row], settingValueOf(builtIn, settingRows[row]));
    return values;
}

// The whole file of `rows`; `changedRow` gets `text` instead (nullptr drops
// the line) and, when `section` is given, sits under that section instead.
std::string fileText(int changedRow = -1, const char* text = "", const char* section = nullptr)
{
    std::string file;
    for (int row = 0; row < 19; ++row) {
        bool changed = row == changedRow;
        if (changed && text == nullptr)
            continue;
        file += std::string("[") + (changed && section ? section : rows[row].section) + "]\n";
        file += std::string(rows[row].key) + " = " + (changed ? text : rows[row].text) + "\n";
    }
    return file;
}

// Each test runs in a folder of its own as the current directory, with the
// records at their load-time values.
class SettingsLoad : public testing::Test {
protected:
    void SetUp() override
    {
        previous = std::filesystem::current_path();
        char pattern[] = "/tmp/ambleworks-settings-XXXXXX";
        folder = mkdtemp(pattern);
        std::filesystem::current_path(folder);
        resetConfigToLoadState();
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
        resetConfigToLoadState();
    }
    static void writeFile(const std::string& text) { std::ofstream("Ambleworks.ini", std::ios::binary) << text; }
    // The settings a file gives, loaded over `before`.
    static Settings loaded(const std::string& text, const Settings& before = fileValues())
    {
        writeFile(text);
        settings = before;
        loadSettings();
        return settings;
    }

    std::filesystem::path previous;
    std::string folder;
};

TEST_F(SettingsLoad, ShippedFileHoldsTheBuiltInDefaults)
{
    std::filesystem::copy_file(AMBLEWORKS_SOURCE_DIR "/Ambleworks.ini", "Ambleworks.ini");
    settings = fileValues();
    controllerState.respectBoundariesConfigured = false;
    loadSettings();
    EXPECT_EQ(settings, Settings());
    EXPECT_TRUE(controllerState.respectBoundariesConfigured);
}

TEST_F(SettingsLoad, EveryKeyReachesItsOwnField)
{
    writeFile(fileText());
    controllerState.targetSpeed = 1.3f;
    controllerState.customSpeedActive = true;
    controllerState.rampDelayTicks = 7;
    loadSettings();
    EXPECT_EQ(settings, fileValues());
    EXPECT_FALSE(controllerState.respectBoundariesConfigured);
    // A reload touches no other controller state.
    EXPECT_EQ(controllerState.targetSpeed, 1.3f);
    EXPECT_TRUE(controllerState.customSpeedActive);
    EXPECT_EQ(controllerState.rampDelayTicks, 7);
}

// A line that gives nothing (missing, empty, only a note, a number that
// cannot be read, or under another section) gives that one setting its
// built-in default; every other line still takes effect.
TEST_F(SettingsLoad, EachLineStandsOnItsOwn)
{
    const struct {
        int row;           // 1-based, as the file's order
        const char* text;  // nullptr: no line
        const char* section;
    } cases[] = {
        {1, nullptr, nullptr},  {1, "", nullptr},
        {2, "; off", nullptr},  {3, "fast", nullptr},
        {3, "1e50", nullptr},   {3, nullptr, nullptr},
        {6, "nan", nullptr},    {10, "inf", nullptr},
        {12, "1e-40", nullptr}, {13, nullptr, nullptr},
        {13, "", nullptr},      {14, nullptr, nullptr},
        {15, "x", nullptr},     {15, "99999999999", nullptr},
        {15, "1", "Optional"},  // only under [Advanced]
        {16, nullptr, nullptr}, {18, "# none", nullptr},
        {19, nullptr, nullptr}, {19, "0.2", "Advanced"},
    };
    for (const auto& c : cases) {
        const Settings result = loaded(fileText(c.row - 1, c.text, c.section));
        EXPECT_EQ(result, withDefaultAt(fileValues(), c.row - 1)) << "row " << c.row;
        // The configured copy of RESPECT_BOUNDARIES is what the load stored.
        EXPECT_EQ(controllerState.respectBoundariesConfigured, result.respectBoundaries) << "row " << c.row;
    }
}

// With no file, or a folder in its place, every setting has its built-in
// default, whatever was loaded before.
TEST_F(SettingsLoad, NoFileMeansTheBuiltInDefaults)
{
    for (bool asFolder : {false, true}) {
        if (asFolder)
            std::filesystem::create_directory("Ambleworks.ini");
        settings = fileValues();
        controllerState.respectBoundariesConfigured = false;
        loadSettingsGuarded();
        EXPECT_EQ(settings, Settings());
        EXPECT_TRUE(controllerState.respectBoundariesConfigured);
    }
}

// The file a new player writes: only the lines they want to change.
TEST_F(SettingsLoad, ASparseFileTakesEveryLineItHolds)
{
    const std::string sparse = "[General]\nENABLED = 1\n[MouseWheel]\nSPEED_INCREMENT = 0,1\n[WalkControl]\n"
                               "WALK_CONTROL_KEY = Alt\nREMEMBER_FAST_WALK = false ; no\n[Keys]\nRELOAD_KEY = F11\n";
    Settings expected;
    expected.speedIncrement = 0.1f;
    expected.reloadKey = 0x7A;
    EXPECT_EQ(loaded(sparse), expected);
    // The same lines, each value unlike its default, all take effect.
    const std::string changed = "[Keys]\nRELOAD_KEY = F11\n[Optional]\nMINIMUM_SPEED = 0,5 ; slowest\n"
                                "DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA = yes\n[WalkControl]\nWALK_CONTROL_KEY = Q\n"
                                "REMEMBER_FAST_WALK = On\n[General]\nENABLED = off\n";
    expected = Settings();
    expected.reloadKey = 0x7A;
    expected.minimumSpeed = 0.5f;
    expected.disableAutoRunInFirstPersonCamera = true;
    expected.walkControlKey = 0x51;
    expected.rememberFastWalk = true;
    expected.enabled = false;
    EXPECT_EQ(loaded(changed), expected);
}

TEST_F(SettingsLoad, SwitchWordsWithNotes)
{
    const struct {
        const char* text;
        bool on;
    } cases[] = {
        {"0", false},   {"0 ; off", false}, {"false ; no", false}, {"No", false},   {"OFF#", false},    {"00", false},
        {"0.0", false}, {"-0", false},      {"0e5 ; zero", false}, {"1", true},     {"on ; yes", true}, {"Yes", true},
        {"TRUE", true}, {"2", true},        {"enabled", true},     {"1 # 0", true}, {"0x0", true},      {"O", true},
    };
    // A default-on and a default-off switch read the same words the same way.
    for (const auto& c : cases) {
        const std::string file =
            std::string("[General]\nENABLED = ") + c.text + "\n[WalkControl]\nREMEMBER_FAST_WALK = " + c.text + "\n";
        const Settings result = loaded(file);
        EXPECT_EQ(result.enabled, c.on) << c.text;
        EXPECT_EQ(result.rememberFastWalk, c.on) << c.text;
    }
    // A switch that gives nothing keeps its own default, on or off.
    for (const char* nothing : {"", "; on", "# 1"}) {
        const Settings result = loaded(std::string("[General]\nENABLED = ") + nothing +
                                       "\n[WalkControl]\nREMEMBER_FAST_WALK = " + nothing + "\n");
        EXPECT_TRUE(result.enabled) << nothing;
        EXPECT_FALSE(result.rememberFastWalk) << nothing;
    }
}

TEST_F(SettingsLoad, DecimalCommasInSpeeds)
{
    const struct {
        const char* text;
        float value;
    } cases[] = {
        {"0,1", 0.1f},   {"0,06", 0.06f}, {"1,5 ; slower", 1.5f}, {"-0,5", -0.5f}, {"2,25x", 2.25f}, {"1,5,3", 1.5f},
        {"1.5,3", 1.5f}, {"1,", 1.0f},    {"0x1,8", 1.0f},        {",5", 0.06f},  // no number: the default
    };
    for (const auto& c : cases)
        EXPECT_EQ(loaded(std::string("[MouseWheel]\nSPEED_INCREMENT = ") + c.text + "\n").speedIncrement, c.value)
            << c.text;
    // A whole number takes no decimal comma: "2,9" is 2, as "2.9" is.
    EXPECT_EQ(loaded("[Advanced]\nKEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE = 2,9\n").keepCustomSpeedAfterStoppingMode, 2);
}

// Every place a key goes reads names; a text that names no key is read as a
// hexadecimal code, as it always was.
TEST_F(SettingsLoad, KeyNamesReadAsTheirKeys)
{
    const struct {
        const char* text;
        int32_t code;
    } cases[] = {
        {"Alt", 0x12},
        {"alt", 0x12},
        {"Left Alt", 0x12},
        {"LAlt", 0x12},
        {"Right Alt", 0x12},
        {"RAlt", 0x12},
        {"AltGr", 0x12},
        {"Shift", 0x10},
        {"Left Shift", 0x10},
        {"LShift", 0x10},
        {"Right Shift", 0x10},
        {"RShift", 0x10},
        {"Ctrl", 0x11},
        {"Control", 0x11},
        {"Left Ctrl", 0x11},
        {"LCtrl", 0x11},
        {"Right Ctrl", 0x11},
        {"RCtrl", 0x11},
        {"A", 0x41},
        {"b", 0x42},
        {"C", 0x43},
        {"d", 0x44},
        {"E", 0x45},
        {"F", 0x46},
        {"z", 0x5A},
        {"Z", 0x5A},
        {"Q", 0x51},
        {"F1", 0x70},
        {"F11", 0x7A},
        {"f24", 0x87},
        {"End", 0x23},
        {"Home", 0x24},
        {"Page Up", 0x21},
        {"PgUp", 0x21},
        {"page_up", 0x21},
        {"PAGE-UP", 0x21},
        {"PgDn", 0x22},
        {"Caps Lock", 0x14},
        {"Numpad 1", 0x61},
        {"NUMPAD1", 0x61},
        {"num_pad-1", 0x61},
        {"Numpad 0", 0x60},
        {"Add", 0x6B},
        {"Subtract", 0x6D},
        {"Multiply", 0x6A},
        {"Divide", 0x6F},
        {"Decimal", 0x6E},
        {"Digit 1", 0x31},
        {"Key 0", 0x30},
        {"Space", 0x20},
        {"Tab", 0x09},
        {"Enter", 0x0D},
        {"Return", 0x0D},
        {"Backspace", 0x08},
        {"Esc", 0x1B},
        {"Escape", 0x1B},
        {"Insert", 0x2D},
        {"Ins", 0x2D},
        {"Delete", 0x2E},
        {"Del", 0x2E},
        {"Up", 0x26},
        {"Down", 0x28},
        {"Left", 0x25},
        {"Right", 0x27},
        {"Pause", 0x13},
        {"Scroll Lock", 0x91},
        {"Num Lock", 0x90},
        {"Print Screen", 0x2C},
        {"End ; hotkeys", 0x23},
        // Not names: hexadecimal codes, as before.
        {"12", 0x12},
        {"1", 0x01},
        {"0x12", 0x12},
        {"A0", 0xA0},
        {"a0 ; Alt", 0xA0},
        {"zz", 0},
        {"-1", -1},
        {"FF", 0xFF},
        {"Alt Key", 0x0A},
        {"0x7A", 0x7A},
        {"7FFFFFFFFF", 2147483647},
    };
    for (const auto& c : cases) {
        const Settings result = loaded(std::string("[WalkControl]\nWALK_CONTROL_KEY = ") + c.text +
                                       "\n[Keys]\nSPRINT_KEY = " + c.text + "\n");
        EXPECT_EQ(result.walkControlKey, c.code) << c.text;
        EXPECT_EQ(result.sprintKey, c.code) << c.text;
    }
}

TEST(SettingsSanitise, ClampsTheThreeBoundedSpeeds)
{
    const float lightRunFloor = std::bit_cast<float>(0x3FC147AEu);  // nearest float to 1.51
    const float minimumFloor = std::bit_cast<float>(0x3E19999Au);   // nearest float to 0.15
    const struct {
        float in;
        float shiftTap;
        float fastWalk;
        float minimum;
    } cases[] = {
        {0.0f, lightRunFloor, 0.0f, minimumFloor},
        {0.1f, lightRunFloor, 0.1f, minimumFloor},
        {0.15f, lightRunFloor, 0.15f, 0.15f},
        {1.2f, lightRunFloor, 1.2f, 1.2f},
        {1.5f, lightRunFloor, 1.5f, 1.5f},
        {1.51f, 1.51f, 1.5f, 1.51f},
        {2.0f, 2.0f, 1.5f, 2.0f},
        {3.0f, 3.0f, 1.5f, 3.0f},
        {5.0f, 3.0f, 1.5f, 5.0f},
    };
    for (const auto& c : cases) {
        settings = Settings();
        settings.shiftTapCustomSpeed = c.in;
        settings.fastWalkCustomSpeed = c.in;
        settings.minimumSpeed = c.in;
        settings.slowWalkCustomSpeed = c.in;
        settings.speedIncrement = -c.in;
        sanitiseSettings();
        EXPECT_EQ(std::bit_cast<uint32_t>(settings.shiftTapCustomSpeed), std::bit_cast<uint32_t>(c.shiftTap)) << c.in;
        EXPECT_EQ(std::bit_cast<uint32_t>(settings.fastWalkCustomSpeed), std::bit_cast<uint32_t>(c.fastWalk)) << c.in;
        EXPECT_EQ(std::bit_cast<uint32_t>(settings.minimumSpeed), std::bit_cast<uint32_t>(c.minimum)) << c.in;
        EXPECT_EQ(settings.slowWalkCustomSpeed, c.in);  // never limited
        EXPECT_EQ(settings.speedIncrement, -c.in);
    }
    settings = Settings();
}

// The five keys of [Keys] are read like every other line: a missing or empty
// line gives the built-in key.
TEST_F(SettingsLoad, KeysTakeTheirDefaultsWhenMissing)
{
    const struct {
        const char* keys;  // the [Keys] section's lines
        int32_t modifier, off, on, reload, sprint;
    } cases[] = {
        {"", 0x23, 0x61, 0x62, 0x63, 0x10},
        {"HOTKEY_MODIFIER = 0\nSWITCH_OFF_KEY = 78\nSWITCH_ON_KEY = 0x79\nRELOAD_KEY = 7A\nSPRINT_KEY = 14\n", 0, 0x78,
         0x79, 0x7A, 0x14},
        {"HOTKEY_MODIFIER = None\nSWITCH_OFF_KEY = F9\nSWITCH_ON_KEY = F10\nRELOAD_KEY = F11\nSPRINT_KEY = Caps Lock\n",
         0, 0x78, 0x79, 0x7A, 0x14},  // "None" names no key and reads as 0: no modifier
        {"SPRINT_KEY =\nHOTKEY_MODIFIER = FF\nSWITCH_OFF_KEY = zz\n", 0xFF, 0, 0x62, 0x63, 0x10},
        {"SWITCH_ON_KEY = -1\nRELOAD_KEY = ; F11\n", 0x23, 0x61, -1, 0x63, 0x10},
    };
    for (const auto& c : cases) {
        const Settings result = loaded(std::string("[Keys]\n") + c.keys + fileText());
        EXPECT_EQ(result.hotkeyModifier, c.modifier) << c.keys;
        EXPECT_EQ(result.switchOffKey, c.off) << c.keys;
        EXPECT_EQ(result.switchOnKey, c.on) << c.keys;
        EXPECT_EQ(result.reloadKey, c.reload) << c.keys;
        EXPECT_EQ(result.sprintKey, c.sprint) << c.keys;
    }
}

// The settings after a load depend on the file alone: reading the same file
// again gives the same settings, whatever play or an earlier file changed.
TEST_F(SettingsLoad, AReloadOfTheSameFileGivesTheSameSettings)
{
    const std::string sparse = "[MouseWheel]\nSPEED_INCREMENT = 0,1\n[Keys]\nRELOAD_KEY = F11\n";
    const Settings first = loaded(sparse, Settings());
    // Play switches the plug-in off (the switch-off hotkey) and a wheel
    // override during a sprint lets go of the boundaries.
    settings.enabled = false;
    settings.respectBoundaries = false;
    loadSettings();
    EXPECT_EQ(settings, first);
    EXPECT_TRUE(controllerState.respectBoundariesConfigured);
    // A file read in between leaves nothing behind either.
    loaded(fileText());
    EXPECT_EQ(loaded(sparse), first);
}

// RESPECT_BOUNDARIES and the copy a Shift release restores it from take the
// value read, or the built-in on when the line gives none.
TEST_F(SettingsLoad, RespectBoundariesAndItsCopyFollowTheLine)
{
    const struct {
        const char* text;  // nullptr: no line
        bool respect;
    } cases[] = {{nullptr, true}, {"", true}, {"0", false}, {"off ; let the wheel go faster", false}, {"1", true}};
    for (const auto& c : cases) {
        Settings before = fileValues();
        before.respectBoundaries = !c.respect;
        controllerState.respectBoundariesConfigured = !c.respect;
        const Settings result = loaded(fileText(15, c.text), before);
        EXPECT_EQ(result.respectBoundaries, c.respect) << (c.text ? c.text : "(no line)");
        EXPECT_EQ(controllerState.respectBoundariesConfigured, c.respect) << (c.text ? c.text : "(no line)");
    }
}

}  // namespace
