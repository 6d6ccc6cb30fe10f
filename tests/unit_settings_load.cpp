// Loading Ambleworks.ini into the settings: row order, partial loads, the
// boundary copy, the shipped file, and the per-tick clamps.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "host/plugin_entry.h"
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

// The fields of `loaded` for the rows before `firstUntouched` (0-based),
// those of `before` for the rest: what a load that stops there leaves.
Settings partialLoad(const Settings& before, const Settings& loaded, int firstUntouched)
{
    using Copy = void (*)(Settings&, const Settings&);
    const Copy copies[19] = {
        [](Settings& to, const Settings& from) { to.enabled = from.enabled; },
        [](Settings& to, const Settings& from) { to.mouseWheelEnabled = from.mouseWheelEnabled; },
        [](Settings& to, const Settings& from) { to.speedIncrement = from.speedIncrement; },
        [](Settings& to, const Settings& from) { to.shiftTapEnabled = from.shiftTapEnabled; },
        [](Settings& to, const Settings& from) { to.shiftTapLightRunEnabled = from.shiftTapLightRunEnabled; },
        [](Settings& to, const Settings& from) { to.shiftTapCustomSpeed = from.shiftTapCustomSpeed; },
        [](Settings& to, const Settings& from) { to.shiftTapStopRunning = from.shiftTapStopRunning; },
        [](Settings& to, const Settings& from) { to.walkControlEnabled = from.walkControlEnabled; },
        [](Settings& to, const Settings& from) { to.fastWalkEnabled = from.fastWalkEnabled; },
        [](Settings& to, const Settings& from) { to.fastWalkCustomSpeed = from.fastWalkCustomSpeed; },
        [](Settings& to, const Settings& from) { to.slowWalkEnabled = from.slowWalkEnabled; },
        [](Settings& to, const Settings& from) { to.slowWalkCustomSpeed = from.slowWalkCustomSpeed; },
        [](Settings& to, const Settings& from) { to.walkControlKey = from.walkControlKey; },
        [](Settings& to, const Settings& from) { to.rememberFastWalk = from.rememberFastWalk; },
        [](Settings& to, const Settings& from) {
            to.keepCustomSpeedAfterStoppingMode = from.keepCustomSpeedAfterStoppingMode;
        },
        [](Settings& to, const Settings& from) { to.respectBoundaries = from.respectBoundaries; },
        [](Settings& to, const Settings& from) { to.ableToOverrideBoundaries = from.ableToOverrideBoundaries; },
        [](Settings& to, const Settings& from) {
            to.disableAutoRunInFirstPersonCamera = from.disableAutoRunInFirstPersonCamera;
        },
        [](Settings& to, const Settings& from) { to.minimumSpeed = from.minimumSpeed; },
    };
    Settings result = before;
    for (int row = 0; row < firstUntouched; ++row)
        copies[row](result, loaded);
    return result;
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
    // The failure text of a load, or "" when it completes.
    static std::string loadOutcome()
    {
        try {
            loadSettings();
            return "";
        } catch (const std::exception& error) {
            return error.what();
        }
    }

    std::filesystem::path previous;
    std::string folder;
};

TEST_F(SettingsLoad, ShippedFileHoldsTheBuiltInDefaults)
{
    std::filesystem::copy_file(AMBLEWORKS_SOURCE_DIR "/Ambleworks.ini", "Ambleworks.ini");
    settings = fileValues();
    controllerState.respectBoundariesConfigured = false;
    EXPECT_EQ(loadOutcome(), "");
    EXPECT_EQ(settings, Settings());
    EXPECT_TRUE(controllerState.respectBoundariesConfigured);
}

TEST_F(SettingsLoad, EveryKeyReachesItsOwnField)
{
    writeFile(fileText());
    controllerState.targetSpeed = 1.3f;
    controllerState.customSpeedActive = true;
    controllerState.rampDelayTicks = 7;
    EXPECT_EQ(loadOutcome(), "");
    EXPECT_EQ(settings, fileValues());
    EXPECT_FALSE(controllerState.respectBoundariesConfigured);
    // A reload touches no other controller state.
    EXPECT_EQ(controllerState.targetSpeed, 1.3f);
    EXPECT_TRUE(controllerState.customSpeedActive);
    EXPECT_EQ(controllerState.rampDelayTicks, 7);
}

struct FailCase {
    int row;  // 1-based, as the file's order
    const char* text;
    const char* section;
    const char* message;
};

TEST_F(SettingsLoad, FailingValueStopsTheLoadAtItsRow)
{
    const FailCase cases[] = {
        {3, "fast", nullptr, "invalid stof argument"},
        {3, "1e50", nullptr, "stof argument out of range"},
        {6, "nan", nullptr, "invalid stof argument"},
        {10, "inf", nullptr, "stof argument out of range"},
        {12, "1e-40", nullptr, "stof argument out of range"},
        {15, "x", nullptr, "invalid stoi argument"},
        {15, "99999999999", nullptr, "stoi argument out of range"},
        {15, "1", "Optional", "invalid stoi argument"},  // found only under [Advanced]
        {19, nullptr, nullptr, "invalid stof argument"},
        {19, "0.2", "Advanced", "invalid stof argument"},  // found only under [Optional]
    };
    // Boundaries live off, as a wheel override leaves them, and configured
    // on: only the row that stores RESPECT_BOUNDARIES may touch the copy.
    Settings before;
    before.respectBoundaries = false;
    for (const FailCase& c : cases) {
        settings = before;
        controllerState.respectBoundariesConfigured = true;
        writeFile(fileText(c.row - 1, c.text, c.section));
        EXPECT_EQ(loadOutcome(), c.message) << "row " << c.row;
        EXPECT_EQ(settings, partialLoad(before, fileValues(), c.row - 1)) << "row " << c.row;
        // The boundary copy is taken only once its row has been stored.
        EXPECT_EQ(controllerState.respectBoundariesConfigured, c.row <= 17) << "row " << c.row;
    }
}

TEST_F(SettingsLoad, MissingOrUnusableFileSetsOnlyTheFirstTwoFlags)
{
    Settings expected = fileValues();
    expected.enabled = true;
    expected.mouseWheelEnabled = true;
    for (bool asFolder : {false, true}) {
        if (asFolder)
            std::filesystem::create_directory("Ambleworks.ini");
        settings = fileValues();
        controllerState.respectBoundariesConfigured = false;
        EXPECT_EQ(loadOutcome(), "invalid stof argument");
        EXPECT_EQ(settings, expected);
        EXPECT_FALSE(controllerState.respectBoundariesConfigured);
    }
    // Where the load was started the failure goes no further.
    settings = fileValues();
    EXPECT_NO_THROW(loadSettingsGuarded());
    EXPECT_EQ(settings, expected);
}

TEST_F(SettingsLoad, WalkControlKeyKeepsItsValueWhenMissingOrEmpty)
{
    const struct {
        const char* text;
        int32_t key;
    } cases[] = {{nullptr, 0x58}, {"", 0x58}, {"zz", 0}, {"-1", -1}, {"0x12", 0x12}};
    for (const auto& c : cases) {
        settings.walkControlKey = 0x58;
        writeFile(fileText(12, c.text));
        EXPECT_EQ(loadOutcome(), "");
        EXPECT_EQ(settings.walkControlKey, c.key) << (c.text ? c.text : "(missing)");
    }
}

TEST_F(SettingsLoad, NamesMatchWithoutCase)
{
    writeFile("[general]\nenabled = 0\n[MOUSEWHEEL]\nSpeed_Increment=0.25\n");
    EXPECT_EQ(loadOutcome(), "invalid stof argument");  // no SHIFT_TAP_CUSTOM_SPEED
    EXPECT_FALSE(settings.enabled);
    EXPECT_EQ(settings.speedIncrement, 0.25f);
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

struct KeyCase {
    const char* keys;  // the [Keys] section's lines
    const char* rest;  // what follows it in the file
    Settings expected;
    const char* outcome;
};

Settings withKeys(int32_t modifier, int32_t off, int32_t on, int32_t reload, int32_t sprint)
{
    Settings s;
    s.hotkeyModifier = modifier;
    s.switchOffKey = off;
    s.switchOnKey = on;
    s.reloadKey = reload;
    s.sprintKey = sprint;
    return s;
}

// The five keys are read on their own, before the 19 settings: a missing line
// keeps the key, and no failure among the settings takes a key away.
TEST_F(SettingsLoad, KeysAreReadFirstAndOnTheirOwn)
{
    const std::string loadsWhole = fileText();
    const char* wholeFile = loadsWhole.c_str();
    const KeyCase cases[] = {
        {"", wholeFile, Settings(), ""},
        {"HOTKEY_MODIFIER = 0\nSWITCH_OFF_KEY = 78\nSWITCH_ON_KEY = 0x79\nRELOAD_KEY = 7A\nSPRINT_KEY = 14\n",
         wholeFile, withKeys(0, 0x78, 0x79, 0x7A, 0x14), ""},
        // A failing row further down stops the 19, not the keys.
        {"RELOAD_KEY = 0x7A\n", "[MouseWheel]\nSPEED_INCREMENT = fast\n", withKeys(0x23, 0x61, 0x62, 0x7A, 0x10),
         "invalid stof argument"},
        // Only the keys named change; an empty line keeps its key; no hexadecimal digit reads as 0.
        {"SPRINT_KEY =\nHOTKEY_MODIFIER = FF\nSWITCH_OFF_KEY = zz\n", wholeFile, withKeys(0xFF, 0, 0x62, 0x63, 0x10),
         ""},
        {"SWITCH_ON_KEY = -1\n", wholeFile, withKeys(0x23, 0x61, -1, 0x63, 0x10), ""},
    };
    for (const KeyCase& c : cases) {
        settings = Settings();
        writeFile(std::string("[Keys]\n") + c.keys + c.rest);
        EXPECT_EQ(loadOutcome(), c.outcome) << c.keys;
        EXPECT_EQ(settings.hotkeyModifier, c.expected.hotkeyModifier) << c.keys;
        EXPECT_EQ(settings.switchOffKey, c.expected.switchOffKey) << c.keys;
        EXPECT_EQ(settings.switchOnKey, c.expected.switchOnKey) << c.keys;
        EXPECT_EQ(settings.reloadKey, c.expected.reloadKey) << c.keys;
        EXPECT_EQ(settings.sprintKey, c.expected.sprintKey) << c.keys;
    }
}

// A reload keeps the keys a previous load set unless the file names them again.
TEST_F(SettingsLoad, AReloadWithoutKeysKeepsTheKeysItHad)
{
    writeFile("[Keys]\nRELOAD_KEY = 0x7A\n");
    loadOutcome();
    writeFile("[General]\nENABLED = 1\n");
    loadOutcome();
    EXPECT_EQ(settings.reloadKey, 0x7A);
}

}  // namespace
