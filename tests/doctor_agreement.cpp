// The doctor's verdict against what the plug-in then does: hand-written files
// (typos, wrong sections, clamped values, unreadable lines early, in the
// middle and late, sparse files, switch words with notes, decimal commas, key
// names of every kind and decimal key codes, increments of 0 and below, slow
// walks out of range, keys of [Keys] moved or shared, binary files and the
// plug-in itself, no file at all) are diagnosed, and the values the doctor's
// JSON report names are held against what the real Ambleworks.so does with
// the same file in the simulator, which loads its own copy of the plug-in's
// code. Short probes make the settings show in what the plug-in imposes: a wheel notch (SPEED_INCREMENT,
// RESPECT_BOUNDARIES), notches down to the floor (MINIMUM_SPEED), a Shift tap (SHIFT_TAP_CUSTOM_SPEED), a short and a
// long press of the walk-control key (WALK_CONTROL_KEY, FAST_WALK_CUSTOM_SPEED, SLOW_WALK_CUSTOM_SPEED), the switch-off
// hotkey (HOTKEY_MODIFIER, SWITCH_OFF_KEY), and the switches that silence them (ENABLED, MOUSE_WHEEL_ENABLED, ...).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include <nlohmann/json.hpp>

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

// The settings as the doctor's JSON report names them: what a tool reading
// the report takes the plug-in to use.
class Reported {
public:
    explicit Reported(const Diagnosis& diagnosis) : json_(nlohmann::json::parse(sim::doctor::formatJson(diagnosis))) { }
    bool flag(const std::string& key) const { return row(key).get<bool>(); }
    float real(const std::string& key) const { return static_cast<float>(row(key).get<double>()); }
    int32_t integer(const std::string& key) const { return row(key).get<int32_t>(); }
    int exitStatus() const { return json_["exitStatus"].get<int>(); }

private:
    const nlohmann::json& row(const std::string& key) const
    {
        for (const nlohmann::json& setting : json_["settings"]) {
            if (setting["key"] == key)
                return setting["value"];
        }
        ADD_FAILURE() << "the JSON report has no setting " << key;
        return json_["exitStatus"];
    }

    nlohmann::json json_;
};

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
void checkWheel(const Reported& report, const std::optional<std::string>& ini)
{
    const std::vector<Imposed> seen =
        playProbe("ticks 40\nat 1 move up\nat 1 gait walking\nat 1 desired 1.0\nat 5 wheel up\nat 10..38 wheel down\n",
                  ini, {5, 40});
    if (!report.flag("ENABLED") || !report.flag("MOUSE_WHEEL_ENABLED")) {
        EXPECT_FALSE(seen[0].maxSpeed) << "the doctor says the wheel does nothing";
        EXPECT_FALSE(seen[1].maxSpeed);
        return;
    }
    const float increment = report.real("SPEED_INCREMENT");
    ASSERT_TRUE(seen[0].maxSpeed) << "no speed after a wheel notch";
    EXPECT_EQ(*seen[0].maxSpeed, 1.0f + increment) << "SPEED_INCREMENT";
    EXPECT_EQ(seen[0].minSpeed.has_value(), !report.flag("RESPECT_BOUNDARIES")) << "RESPECT_BOUNDARIES";
    ASSERT_TRUE(seen[1].maxSpeed) << "no speed after the notches down";
    // Notches down end on the floor, or do nothing, or run the speed up.
    if (increment > 0.0f)
        EXPECT_EQ(*seen[1].maxSpeed, report.real("MINIMUM_SPEED")) << "MINIMUM_SPEED";
    else if (increment == 0.0f)
        EXPECT_EQ(*seen[1].maxSpeed, 1.0f) << "an increment of 0";
    else
        EXPECT_GT(*seen[1].maxSpeed, 1.0f) << "an increment below 0";
}

// A Shift tap from a walk starts the light run at SHIFT_TAP_CUSTOM_SPEED. The
// simulator's game sprints on Shift, as the game does until a player binds
// sprint to another key; with another sprint key a Shift tap does nothing.
void checkShiftTap(const Reported& report, const std::optional<std::string>& ini)
{
    const std::vector<Imposed> seen = playProbe("ticks 80\nat 1 move up\nat 40..57 key hold SHIFT\n", ini, {70});
    if (!report.flag("ENABLED") || !report.flag("SHIFT_TAP_ENABLED") || !report.flag("SHIFT_TAP_LIGHT_RUN_ENABLED") ||
        report.integer("SPRINT_KEY") != 0x10) {
        EXPECT_FALSE(seen[0].maxSpeed) << "the doctor says a Shift tap starts no light run";
        return;
    }
    ASSERT_TRUE(seen[0].maxSpeed) << "no light run after a Shift tap";
    EXPECT_EQ(*seen[0].maxSpeed, report.real("SHIFT_TAP_CUSTOM_SPEED")) << "SHIFT_TAP_CUSTOM_SPEED";
}

// A short press of the walk-control key (the one the doctor names) gives the
// fast walk, a long hold the slow walk.
void checkWalkKey(const Reported& report, const std::optional<std::string>& ini)
{
    const int32_t code = report.integer("WALK_CONTROL_KEY");
    // With no walk-control key, Alt (the built-in one) must do nothing.
    const std::string key = hexCode(isKeyCode(code) ? code : 0x12);
    const std::vector<Imposed> seen =
        playProbe("ticks 120\nat 1 move up\nat 10..27 key hold " + key +
                      "\nat 40..41 control INPUT_SPECIAL_ABILITY on\nat 50..110 key hold " + key + "\n",
                  ini, {35, 100});
    const bool walkControl = report.flag("ENABLED") && report.flag("WALK_CONTROL_ENABLED") && isKeyCode(code);
    if (walkControl && report.flag("FAST_WALK_ENABLED")) {
        ASSERT_TRUE(seen[0].maxSpeed) << "no fast walk after a short press of " << key;
        EXPECT_EQ(*seen[0].maxSpeed, report.real("FAST_WALK_CUSTOM_SPEED")) << "FAST_WALK_CUSTOM_SPEED";
    } else {
        EXPECT_FALSE(seen[0].maxSpeed) << "the doctor says a short press of " << key << " does nothing";
    }
    if (walkControl && report.flag("SLOW_WALK_ENABLED")) {
        ASSERT_TRUE(seen[1].maxSpeed) << "no slow walk while " << key << " is held";
        EXPECT_EQ(*seen[1].maxSpeed, report.real("SLOW_WALK_CUSTOM_SPEED")) << "SLOW_WALK_CUSTOM_SPEED";
    } else {
        EXPECT_FALSE(seen[1].maxSpeed) << "the doctor says holding " << key << " does nothing";
    }
}

// The switch-off hotkey the doctor names switches the plug-in off (a wheel
// notch then imposes nothing); End+Numpad1 does so only where it makes that
// hotkey act.
void checkSwitchOff(const Reported& report, const std::optional<std::string>& ini)
{
    if (!report.flag("ENABLED") || !report.flag("MOUSE_WHEEL_ENABLED"))
        return;
    const int32_t modifier = report.integer("HOTKEY_MODIFIER");
    const int32_t off = report.integer("SWITCH_OFF_KEY");
    const bool hotkeyActs = isKeyCode(off) && (modifier == 0 || isKeyCode(modifier));
    // End+Numpad1 works the switch-off hotkey when Numpad 1 is that key and End
    // its modifier, or it needs none (or is Numpad 1 itself).
    const bool endNumpad1 = hotkeyActs && off == 0x61 && (modifier == 0x23 || modifier == 0 || modifier == 0x61);
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
    EXPECT_EQ(speedAfter("0x23+0x61"), !endNumpad1) << "End+Numpad1";
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
        {"typo in the increment: its default, every other line takes effect",
         replaced(whole, "SPEED_INCREMENT", "SPEED_INCRMENT"), 0},
        {"typo in a flag: its default", replaced(whole, "MOUSE_WHEEL_ENABLED = 1", "MOUSE_WHEL_ENABLED = 0"), 0},
        {"minimum speed under the wrong section",
         replaced(replaced(whole, "MINIMUM_SPEED = 0.4\n", ""), "SLOW_WALK_ENABLED",
                  "MINIMUM_SPEED = 0.5\nSLOW_WALK_ENABLED"),
         0},
        {"boundaries under the wrong section: they stay respected",
         replaced(replaced(whole, "RESPECT_BOUNDARIES = 0\n", ""), "MINIMUM_SPEED",
                  "RESPECT_BOUNDARIES = 0\nMINIMUM_SPEED"),
         0},
        {"a broken header: the keys below stay in the section before", replaced(whole, "[Shift]\n", "[Shift\n"), 0},
        {"clamped speeds",
         replaced(replaced(replaced(whole, "= 2.2", "= 1.2"), "= 1.3", "= 2"), "MINIMUM_SPEED = 0.4",
                  "MINIMUM_SPEED = 0"),
         0},
        {"clamped from above", replaced(whole, "= 2.2", "= 7"), 0},
        {"an unreadable line early: boundaries still forced",
         replaced(whole, "SPEED_INCREMENT = 0.1", "SPEED_INCREMENT = fast"), 1},
        {"an unreadable line in the middle", replaced(whole, "MODE = 3", "MODE = x"), 1},
        {"an unreadable line late", replaced(whole, "MINIMUM_SPEED = 0.4", "MINIMUM_SPEED = slow"), 1},
        {"an unreadable fast walk: the walk key after it still read",
         replaced(replaced(whole, "= 1.3", "= quick"), "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = 20"), 1},
        {"speeds too large for a float", replaced(replaced(whole, "= 2.2", "= 1e39"), "= 0.6", "= -inf"), 1},
        {"empty lines and lines of a note alone",
         replaced(replaced(replaced(whole, "= 0.1", "="), "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = ; Alt"),
                  "RESPECT_BOUNDARIES = 0", "RESPECT_BOUNDARIES = # later"),
         0},
        {"another walk key", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = 20"), 0},
        {"switch words with notes",
         replaced(replaced(replaced(whole, "ENABLED = 1\n[Mouse", "ENABLED = true ; yes\n[Mouse"),
                           "RESPECT_BOUNDARIES = 0", "RESPECT_BOUNDARIES = off # forced"),
                  "SLOW_WALK_ENABLED = 1", "SLOW_WALK_ENABLED = No ; too slow"),
         0},
        {"switch words: off, 0.0 and a word the plug-in does not know",
         replaced(replaced(replaced(whole, "MOUSE_WHEEL_ENABLED = 1", "MOUSE_WHEEL_ENABLED = disabled"),
                           "SHIFT_TAP_LIGHT_RUN_ENABLED = 1", "SHIFT_TAP_LIGHT_RUN_ENABLED = 0.0"),
                  "FAST_WALK_ENABLED = 1", "FAST_WALK_ENABLED = FALSE"),
         0},
        {"the plug-in switched off by a word",
         replaced(whole, "ENABLED = 1\n[Mouse", "ENABLED = off ; for now\n[Mouse"), 0},
        {"the plug-in switched off", replaced(whole, "ENABLED = 1\n[Mouse", "ENABLED = 0\n[Mouse"), 0},
        {"the wheel, the taps and the walks switched off",
         replaced(replaced(replaced(whole, "MOUSE_WHEEL_ENABLED = 1", "MOUSE_WHEEL_ENABLED = 0"),
                           "SHIFT_TAP_LIGHT_RUN_ENABLED = 1", "SHIFT_TAP_LIGHT_RUN_ENABLED = 0"),
                  "SLOW_WALK_ENABLED = 1", "SLOW_WALK_ENABLED = 0"),
         0},
        {"keys before the first section", "SPEED_INCREMENT = 0.2\nRESPECT_BOUNDARIES = 0\n" + whole, 0},
        {"decimal commas",
         replaced(replaced(replaced(replaced(whole, "= 0.1", "= 0,1"), "= 2.2", "= 2,2 ; faster"), "= 1.3", "= 1,3"),
                  "MINIMUM_SPEED = 0.4", "MINIMUM_SPEED = 0,06"),
         0},
        {"a decimal comma in the light run, raised", replaced(whole, "= 2.2", "= 1,5"), 0},
        {"an increment of 0", replaced(whole, "= 0.1", "= 0"), 0},
        {"an increment below 0", replaced(whole, "= 0.1", "= -0,1"), 0},
        {"a slow walk below its range", replaced(whole, "= 0.6", "= 0.1"), 0},
        {"a slow walk above its range", replaced(whole, "= 0.6", "= 1.2"), 0},
        {"the walk-control key as a name", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = Alt"), 0},
        {"the walk-control key as one side of Alt",
         replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = Left Alt ; either"), 0},
        {"the walk-control key as a letter that is a hexadecimal digit",
         replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = E"), 0},
        {"the walk-control key as Left Ctrl", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = LCtrl"),
         0},
        {"the walk-control key on the numpad",
         replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = numpad_5"), 0},
        {"the walk-control key misspelt", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = Atl"), 0},
        {"the walk-control key in decimal", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = 18"), 0},
        {"the walk-control key 0", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = 0"), 0},
        {"the walk-control key left Alt as a code", replaced(whole, "WALK_CONTROL_KEY = 0x12", "WALK_CONTROL_KEY = A4"),
         0},
        {"hotkeys on F9 to F11 with no modifier, sprint on Caps Lock",
         whole + "[Keys]\nHOTKEY_MODIFIER = 0\nSWITCH_OFF_KEY = 0x78\nSWITCH_ON_KEY = 0x79\nRELOAD_KEY = 0x7A\n"
                 "SPRINT_KEY = 0x14\n",
         0},
        {"hotkeys by name: Home with F9, sprint on Left Shift",
         whole + "[Keys]\nHOTKEY_MODIFIER = Home\nSWITCH_OFF_KEY = F9 ; off\nSPRINT_KEY = Left Shift\n", 0},
        {"hotkeys by name with no modifier", whole + "[Keys]\nHOTKEY_MODIFIER = None\nSWITCH_OFF_KEY = Insert\n", 0},
        {"End with the top-row digits", whole + "[Keys]\nSWITCH_OFF_KEY = 31\nSWITCH_ON_KEY = 32\nRELOAD_KEY = 33\n",
         0},
        {"End with the top-row digits by name", whole + "[Keys]\nSWITCH_OFF_KEY = Digit 1\nSWITCH_ON_KEY = Key 2\n", 0},
        {"two hotkeys on one key", whole + "[Keys]\nSWITCH_ON_KEY = Numpad 1\n", 0},
        {"a modifier that is no key", whole + "[Keys]\nHOTKEY_MODIFIER = 100\n", 0},
        {"a modifier no one knows", whole + "[Keys]\nHOTKEY_MODIFIER = Hyper\n", 0},
        {"a misspelt [Keys] key", whole + "[Keys]\nSWITCH_OF_KEY = 0x78\n", 0},
        {"[Keys] after an unreadable line",
         replaced(whole, "SPEED_INCREMENT = 0.1", "SPEED_INCREMENT = fast") + "[Keys]\nSWITCH_OFF_KEY = F9\n", 1},
        {"a sparse file as a new player writes it",
         "[General]\nENABLED = 1\n[MouseWheel]\nSPEED_INCREMENT = 0,1\n[WalkControl]\nWALK_CONTROL_KEY = Alt\n"
         "REMEMBER_FAST_WALK = false ; no\n[Keys]\nRELOAD_KEY = F11\n",
         0},
        {"a sparse file of keys", "[Keys]\nHOTKEY_MODIFIER = None\nSWITCH_OFF_KEY = F9\nSPRINT_KEY = Caps Lock\n", 0},
        {"a sparse file with an unreadable line",
         "[WalkControl]\nSLOW_WALK_CUSTOM_SPEED = 0,5\nFAST_WALK_CUSTOM_SPEED = quick\nWALK_CONTROL_KEY = Caps Lock\n"
         "[Advanced]\nRESPECT_BOUNDARIES = no\n",
         1},
        {"an empty file", "", 0},
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
        const Reported report(diagnosis);
        EXPECT_EQ(report.exitStatus(), c.exitStatus) << sim::doctor::formatText(diagnosis);
        SCOPED_TRACE(sim::doctor::formatText(diagnosis));
        checkWheel(report, ini);
        checkShiftTap(report, ini);
        checkWalkKey(report, ini);
        checkSwitchOff(report, ini);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
