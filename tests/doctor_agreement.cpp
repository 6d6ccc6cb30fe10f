// The doctor's verdict against what the plug-in then does: hand-written broken
// files (typos, wrong sections, clamped values, a failing value early, in the
// middle and late, flags that are not 0 or 1, decimal commas, key names and
// decimal key codes, increments of 0 and below, slow walks out of range, keys
// of [Keys] moved or shared, binary files and the plug-in itself, no file at
// all) are diagnosed,
// then played through the real Ambleworks.so in the simulator, which loads its
// own copy of the plug-in's code. Short probes make the settings show in what
// the plug-in imposes: a wheel notch (SPEED_INCREMENT, RESPECT_BOUNDARIES),
// notches down to the floor (MINIMUM_SPEED), a Shift tap
// (SHIFT_TAP_CUSTOM_SPEED), a short and a long press of the walk-control key
// (WALK_CONTROL_KEY, FAST_WALK_CUSTOM_SPEED, SLOW_WALK_CUSTOM_SPEED), the
// switch-off hotkey (HOTKEY_MODIFIER, SWITCH_OFF_KEY), and the switches that
// silence them (ENABLED, MOUSE_WHEEL_ENABLED, ...).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "doctor/doctor.h"
#include "doctor_support.h"
#include "scenario/scenario.h"
#include "session/session.h"
#include "trace/format.h"

namespace {

using sim::doctor::Diagnosis;

struct AgreementCase {
    const char* name;
    std::optional<std::string> file;  // no file at all when empty
    int exitStatus;
};

// The speeds the plug-in imposed at some ticks of a probe: the cap, and the
// floor when it forced the speed.
struct Imposed {
    std::optional<float> maxSpeed;
    std::optional<float> minSpeed;
};

std::vector<Imposed> playProbe(const std::string& text, const std::optional<std::string>& ini,
                               const std::vector<int>& ticks)
{
    sim::Scenario scenario;
    std::vector<std::string> errors;
    EXPECT_TRUE(sim::parseScenarioText(text, "probe.scn", AMBLEWORKS_SOURCE_DIR, scenario, errors))
        << (errors.empty() ? "" : errors[0]);
    sim::SessionOptions options;
    options.pluginPath = AMBLEWORKS_PLUGIN_PATH;
    options.userIni = ini;
    sim::SessionResult result;
    EXPECT_TRUE(sim::playScenario(scenario, options, result)) << result.error;
    EXPECT_EQ(result.trace.faultCount, 0) << sim::formatTrace(result.trace);
    std::vector<Imposed> imposed;
    for (int tick : ticks) {
        Imposed at;
        for (const sim::TickRecord& record : result.trace.records) {
            if (record.phase == sim::Phase::tick && record.tick == tick) {
                at.maxSpeed = record.imposed.maxSpeed;
                at.minSpeed = record.imposed.minSpeed;
            }
        }
        imposed.push_back(at);
    }
    return imposed;
}

bool flag(const Diagnosis& diagnosis, const std::string& key)
{
    return useOf(diagnosis, key).used.flag;
}

float real(const Diagnosis& diagnosis, const std::string& key)
{
    return useOf(diagnosis, key).used.real;
}

int32_t integer(const Diagnosis& diagnosis, const std::string& key)
{
    return useOf(diagnosis, key).used.integer;
}

bool isKeyCode(int32_t code)
{
    return code > 0 && code < 255;
}

std::string hexCode(int32_t code)
{
    static const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[(code >> 4) & 0xF] + digits[code & 0xF];
}

// The doctor's settings against the wheel: one notch up from a walk gives
// 1.0 + SPEED_INCREMENT, forced (floor too) only with RESPECT_BOUNDARIES off;
// notches down end on MINIMUM_SPEED.
void checkWheel(const Diagnosis& diagnosis, const std::optional<std::string>& ini)
{
    const std::vector<Imposed> seen =
        playProbe("ticks 40\nat 1 move up\nat 1 gait walking\nat 1 desired 1.0\nat 5 wheel up\nat 10..38 wheel down\n",
                  ini, {5, 40});
    if (!flag(diagnosis, "ENABLED") || !flag(diagnosis, "MOUSE_WHEEL_ENABLED")) {
        EXPECT_FALSE(seen[0].maxSpeed) << "the doctor says the wheel does nothing";
        EXPECT_FALSE(seen[1].maxSpeed);
        return;
    }
    const float increment = real(diagnosis, "SPEED_INCREMENT");
    ASSERT_TRUE(seen[0].maxSpeed) << "no speed after a wheel notch";
    EXPECT_EQ(*seen[0].maxSpeed, 1.0f + increment) << "SPEED_INCREMENT";
    EXPECT_EQ(seen[0].minSpeed.has_value(), !flag(diagnosis, "RESPECT_BOUNDARIES")) << "RESPECT_BOUNDARIES";
    ASSERT_TRUE(seen[1].maxSpeed) << "no speed after the notches down";
    // Notches down end on the floor, or do nothing, or run the speed up.
    if (increment > 0.0f)
        EXPECT_EQ(*seen[1].maxSpeed, real(diagnosis, "MINIMUM_SPEED")) << "MINIMUM_SPEED";
    else if (increment == 0.0f)
        EXPECT_EQ(*seen[1].maxSpeed, 1.0f) << "an increment of 0";
    else
        EXPECT_GT(*seen[1].maxSpeed, 1.0f) << "an increment below 0";
}

// A Shift tap from a walk starts the light run at SHIFT_TAP_CUSTOM_SPEED. The
// simulator's game sprints on Shift, as the game does until a player binds
// sprint to another key; with another sprint key a Shift tap does nothing.
void checkShiftTap(const Diagnosis& diagnosis, const std::optional<std::string>& ini)
{
    const std::vector<Imposed> seen = playProbe("ticks 80\nat 1 move up\nat 40..57 key hold SHIFT\n", ini, {70});
    if (!flag(diagnosis, "ENABLED") || !flag(diagnosis, "SHIFT_TAP_ENABLED") ||
        !flag(diagnosis, "SHIFT_TAP_LIGHT_RUN_ENABLED") || integer(diagnosis, "SPRINT_KEY") != 0x10) {
        EXPECT_FALSE(seen[0].maxSpeed) << "the doctor says a Shift tap starts no light run";
        return;
    }
    ASSERT_TRUE(seen[0].maxSpeed) << "no light run after a Shift tap";
    EXPECT_EQ(*seen[0].maxSpeed, real(diagnosis, "SHIFT_TAP_CUSTOM_SPEED")) << "SHIFT_TAP_CUSTOM_SPEED";
}

// A short press of the walk-control key (the one the doctor names) gives the
// fast walk, a long hold the slow walk.
void checkWalkKey(const Diagnosis& diagnosis, const std::optional<std::string>& ini)
{
    const int32_t code = integer(diagnosis, "WALK_CONTROL_KEY");
    // With no walk-control key, Alt (the built-in one) must do nothing.
    const std::string key = hexCode(isKeyCode(code) ? code : 0x12);
    const std::vector<Imposed> seen =
        playProbe("ticks 120\nat 1 move up\nat 10..27 key hold " + key +
                      "\nat 40..41 control INPUT_SPECIAL_ABILITY on\nat 50..110 key hold " + key + "\n",
                  ini, {35, 100});
    const bool walkControl = flag(diagnosis, "ENABLED") && flag(diagnosis, "WALK_CONTROL_ENABLED") && isKeyCode(code);
    if (walkControl && flag(diagnosis, "FAST_WALK_ENABLED")) {
        ASSERT_TRUE(seen[0].maxSpeed) << "no fast walk after a short press of " << key;
        EXPECT_EQ(*seen[0].maxSpeed, real(diagnosis, "FAST_WALK_CUSTOM_SPEED")) << "FAST_WALK_CUSTOM_SPEED";
    } else {
        EXPECT_FALSE(seen[0].maxSpeed) << "the doctor says a short press of " << key << " does nothing";
    }
    if (walkControl && flag(diagnosis, "SLOW_WALK_ENABLED")) {
        ASSERT_TRUE(seen[1].maxSpeed) << "no slow walk while " << key << " is held";
        EXPECT_EQ(*seen[1].maxSpeed, real(diagnosis, "SLOW_WALK_CUSTOM_SPEED")) << "SLOW_WALK_CUSTOM_SPEED";
    } else {
        EXPECT_FALSE(seen[1].maxSpeed) << "the doctor says holding " << key << " does nothing";
    }
}

// The switch-off hotkey the doctor names switches the plug-in off (a wheel
// notch then imposes nothing); End+Numpad1 does so only while it is that key.
void checkSwitchOff(const Diagnosis& diagnosis, const std::optional<std::string>& ini)
{
    if (!flag(diagnosis, "ENABLED") || !flag(diagnosis, "MOUSE_WHEEL_ENABLED"))
        return;
    const int32_t modifier = integer(diagnosis, "HOTKEY_MODIFIER");
    const int32_t off = integer(diagnosis, "SWITCH_OFF_KEY");
    const bool hotkeyActs = isKeyCode(off) && (modifier == 0 || isKeyCode(modifier));
    const bool builtIn = modifier == 0x23 && off == 0x61;
    auto speedAfter = [&](const std::string& keys) {
        return playProbe("ticks 30\nat 1 move up\nat 1 gait walking\nat 1 desired 1.0\nat 5..6 key hold " + keys +
                             "\nat 20 wheel up\n",
                         ini, {20})[0]
            .maxSpeed.has_value();
    };
    if (hotkeyActs) {
        EXPECT_FALSE(speedAfter(modifier == 0 ? hexCode(off) : hexCode(modifier) + "+" + hexCode(off)))
            << "the doctor's switch-off hotkey leaves the plug-in on";
    }
    EXPECT_EQ(speedAfter("0x23+0x61"), !builtIn) << "End+Numpad1";
}

// Every section with its keys, as a player might have edited them.
std::string fileWith(const std::string& general, const std::string& wheel, const std::string& shift,
                     const std::string& walk, const std::string& advanced, const std::string& optional)
{
    return "[General]\n" + general + "[MouseWheel]\n" + wheel + "[Shift]\n" + shift + "[WalkControl]\n" + walk +
           "[Advanced]\n" + advanced + "[Optional]\n" + optional;
}

const std::string wheelKeys = "MOUSE_WHEEL_ENABLED = 1\nSPEED_INCREMENT = 0.1\n";
const std::string shiftKeys = "SHIFT_TAP_ENABLED = 1\nSHIFT_TAP_LIGHT_RUN_ENABLED = 1\nSHIFT_TAP_CUSTOM_SPEED = 2.2\n"
                              "SHIFT_TAP_STOP_RUNNING = 1\n";
const std::string walkKeys = "WALK_CONTROL_ENABLED = 1\nFAST_WALK_ENABLED = 1\nFAST_WALK_CUSTOM_SPEED = 1.3\n"
                             "SLOW_WALK_ENABLED = 1\nSLOW_WALK_CUSTOM_SPEED = 0.6\nWALK_CONTROL_KEY = 0x12\n"
                             "REMEMBER_FAST_WALK = 0\n";
const std::string advancedKeys =
    "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE = 3\nRESPECT_BOUNDARIES = 0\nABLE_TO_OVERRIDE_BOUNDARIES = 1\n";
const std::string optionalKeys = "DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA = 0\nMINIMUM_SPEED = 0.4\n";

std::string randomBytes()
{
    std::mt19937 random(3);
    std::string bytes(1 << 16, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

std::string fileBytes(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST(DoctorAgreesWithThePlugIn, BrokenFilesThroughTheDoctorAndThroughThePlugIn)
{
    const std::string whole = fileWith("ENABLED = 1\n", wheelKeys, shiftKeys, walkKeys, advancedKeys, optionalKeys);
    const std::vector<AgreementCase> cases = {
        {"a whole file", whole, 0},
        {"typo in the increment: the load stops there", replaced(whole, "SPEED_INCREMENT", "SPEED_INCRMENT"), 1},
        {"typo in a flag: it reads as on", replaced(whole, "MOUSE_WHEEL_ENABLED = 1", "MOUSE_WHEL_ENABLED = 0"), 0},
        {"minimum speed under the wrong section",
         replaced(replaced(whole, "MINIMUM_SPEED = 0.4\n", ""), "SLOW_WALK_ENABLED",
                  "MINIMUM_SPEED = 0.5\nSLOW_WALK_ENABLED"),
         1},
        {"boundaries under the wrong section: they stay respected",
         replaced(replaced(whole, "RESPECT_BOUNDARIES = 0\n", ""), "MINIMUM_SPEED",
                  "RESPECT_BOUNDARIES = 0\nMINIMUM_SPEED"),
         0},
        {"a broken header: the keys below stay in the section before", replaced(whole, "[Shift]\n", "[Shift\n"), 1},
        {"clamped speeds",
         replaced(replaced(replaced(whole, "= 2.2", "= 1.2"), "= 1.3", "= 2"), "MINIMUM_SPEED = 0.4",
                  "MINIMUM_SPEED = 0"),
         0},
        {"clamped from above", replaced(whole, "= 2.2", "= 7"), 0},
        {"a failing value early", replaced(whole, "SPEED_INCREMENT = 0.1", "SPEED_INCREMENT = fast"), 1},
        {"a failing value in the middle: boundaries keep their default", replaced(whole, "MODE = 3", "MODE = x"), 1},
        {"a failing value late", replaced(whole, "MINIMUM_SPEED = 0.4", "MINIMUM_SPEED = slow"), 1},
        {"a failing fast walk: the walk key keeps Alt",
         replaced(replaced(whole, "= 1.3", "= quick"), "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = 20"), 1},
        {"another walk key", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = 20"), 0},
        {"flags written as words",
         replaced(replaced(whole, "ENABLED = 1\n[Mouse", "ENABLED = false\n[Mouse"), "RESPECT_BOUNDARIES = 0",
                  "RESPECT_BOUNDARIES = off"),
         0},
        {"the plug-in switched off", replaced(whole, "ENABLED = 1\n[Mouse", "ENABLED = 0\n[Mouse"), 0},
        {"the wheel, the taps and the walks switched off",
         replaced(replaced(replaced(whole, "MOUSE_WHEEL_ENABLED = 1", "MOUSE_WHEEL_ENABLED = 0"),
                           "SHIFT_TAP_LIGHT_RUN_ENABLED = 1", "SHIFT_TAP_LIGHT_RUN_ENABLED = 0"),
                  "SLOW_WALK_ENABLED = 1", "SLOW_WALK_ENABLED = 0"),
         0},
        {"keys before the first section", "SPEED_INCREMENT = 0.2\nRESPECT_BOUNDARIES = 0\n" + whole, 0},
        {"a decimal comma in the increment", replaced(whole, "= 0.1", "= 0,1"), 0},
        {"a decimal comma in the light run", replaced(whole, "= 2.2", "= 1,5"), 0},
        {"an increment of 0", replaced(whole, "= 0.1", "= 0"), 0},
        {"an increment below 0", replaced(whole, "= 0.1", "= -0.1"), 0},
        {"a slow walk below its range", replaced(whole, "= 0.6", "= 0.1"), 0},
        {"a slow walk above its range", replaced(whole, "= 0.6", "= 1.2"), 0},
        {"the walk-control key as a name", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = Alt"), 0},
        {"the walk-control key in decimal", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = 18"), 0},
        {"the walk-control key 0", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = 0"), 0},
        {"the walk-control key left Alt", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = A4"), 0},
        {"hotkeys on F9 to F11 with no modifier, sprint on Caps Lock",
         whole + "[Keys]\nHOTKEY_MODIFIER = 0\nSWITCH_OFF_KEY = 0x78\nSWITCH_ON_KEY = 0x79\nRELOAD_KEY = 0x7A\n"
                 "SPRINT_KEY = 0x14\n",
         0},
        {"End with the top-row digits", whole + "[Keys]\nSWITCH_OFF_KEY = 31\nSWITCH_ON_KEY = 32\nRELOAD_KEY = 33\n",
         0},
        {"two hotkeys on one key", whole + "[Keys]\nSWITCH_ON_KEY = 0x61\n", 0},
        {"a modifier that is no key", whole + "[Keys]\nHOTKEY_MODIFIER = 100\n", 0},
        {"a misspelt [Keys] key", whole + "[Keys]\nSWITCH_OF_KEY = 0x78\n", 0},
        {"[Keys] after a failing value",
         replaced(whole, "SPEED_INCREMENT = 0.1", "SPEED_INCREMENT = fast") + "[Keys]\nSWITCH_OFF_KEY = 0x78\n", 1},
        {"random bytes", randomBytes(), 1},
        {"the plug-in itself", fileBytes(AMBLEWORKS_PLUGIN_PATH), 1},
        {"no file at all", std::nullopt, 2},
    };

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("ambleworks-doctor-agreement-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    int number = 0;
    for (const AgreementCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (folder / ("case" + std::to_string(++number) + ".ini")).string();
        std::optional<std::string> ini;
        if (c.file) {
            std::ofstream(path, std::ios::binary) << *c.file;
            ini = path;
        }
        const Diagnosis diagnosis = sim::doctor::diagnose(path);
        EXPECT_EQ(diagnosis.exitStatus(), c.exitStatus) << sim::doctor::formatText(diagnosis);
        SCOPED_TRACE(sim::doctor::formatText(diagnosis));
        checkWheel(diagnosis, ini);
        checkShiftTap(diagnosis, ini);
        checkWalkKey(diagnosis, ini);
        checkSwitchOff(diagnosis, ini);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
