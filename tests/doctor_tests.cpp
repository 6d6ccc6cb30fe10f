// The INI doctor: every kind of finding and how much it matters, how each line
// was read and where each setting comes from (its line, or the built-in
// default of a line that is missing, empty or cannot be read), the exit
// statuses, files that are no settings file, and the text and JSON reports
// whatever the file holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "doctor/doctor.h"
#include "doctor_support.h"

// Index of this file:
// [SECTION] Findings about single lines
// [SECTION] How each line is read
// [SECTION] The reports

namespace {

using sim::doctor::Diagnosis;
using sim::doctor::Finding;
using sim::doctor::Severity;
using sim::doctor::Source;

// A file in a fresh temporary folder, removed at the end of the test.
class TempIni {
public:
    explicit TempIni(const std::string& bytes)
    {
        folder_ = std::filesystem::temp_directory_path() / ("ambleworks-doctor-" + std::to_string(counter_++) + "-" +
                                                            std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::create_directories(folder_);
        path_ = (folder_ / "Ambleworks.ini").string();
        std::ofstream out(path_, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~TempIni() { std::filesystem::remove_all(folder_); }
    const std::string& path() const { return path_; }

private:
    static inline int counter_ = 0;
    std::filesystem::path folder_;
    std::string path_;
};

// Every number key, so that a case can leave out or spoil just the one it is
// about. Line numbers: [MouseWheel] is line 1, SPEED_INCREMENT line 2, ...
const std::string numbersOnly = "[MouseWheel]\n"                               // 1
                                "SPEED_INCREMENT = 0.06\n"                     // 2
                                "[Shift]\n"                                    // 3
                                "SHIFT_TAP_CUSTOM_SPEED = 1.78\n"              // 4
                                "[WalkControl]\n"                              // 5
                                "FAST_WALK_CUSTOM_SPEED = 1.38\n"              // 6
                                "SLOW_WALK_CUSTOM_SPEED = 0.7\n"               // 7
                                "[Advanced]\n"                                 // 8
                                "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE = 3\n"  // 9
                                "[Optional]\n"                                 // 10
                                "MINIMUM_SPEED = 0.3\n";                       // 11

// numbersOnly with one of its values written otherwise.
std::string withValue(const std::string& key, const std::string& value)
{
    std::string file = numbersOnly;
    const std::size_t at = file.find(key + " = ");
    const std::size_t end = file.find('\n', at);
    return file.replace(at, end - at, key + " = " + value);
}

std::string describe(const Diagnosis& diagnosis)
{
    std::string text;
    for (const Finding& finding : diagnosis.findings)
        text += "  line " + std::to_string(finding.line) + " " + finding.kind + ": " + finding.message + "\n";
    return text;
}

const Finding* findKind(const Diagnosis& diagnosis, const std::string& kind, std::size_t line)
{
    for (const Finding& finding : diagnosis.findings) {
        if (finding.kind == kind && finding.line == line)
            return &finding;
    }
    return nullptr;
}

std::size_t loadRowCount()
{
    return keyRowCount + settingRowCount;
}

std::size_t countKind(const Diagnosis& diagnosis, const std::string& kind)
{
    return static_cast<std::size_t>(std::count_if(diagnosis.findings.begin(), diagnosis.findings.end(),
                                                  [&](const Finding& f) { return f.kind == kind; }));
}

// The value column of a setting's row in the text report.
std::string reportedValue(const std::string& text, const std::string& key)
{
    const std::size_t row = text.find("\n    " + key + " ");
    if (row == std::string::npos)
        return "(no row for " + key + ")";
    const std::size_t start = text.find_first_not_of(' ', row + 5 + key.size());
    return text.substr(start, text.find("  ", start) - start);
}

// ---------------------------------------------------------------------------
// [SECTION] Findings about single lines
// One case per kind.

struct LineCase {
    const char* name;
    std::string file;
    const char* kind;
    std::size_t line;
    Severity severity;
    const char* suggestion;   // "" when none is expected
    const char* messagePart;  // a piece of the message the player must see
};

// Each case's file gives its finding, at its line, with its severity,
// suggestion and words.
template <typename Diagnose>
void expectFindings(const std::vector<LineCase>& cases, Diagnose diagnose)
{
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Diagnosis diagnosis = diagnose(c.file);
        const Finding* finding = findKind(diagnosis, c.kind, c.line);
        ASSERT_NE(finding, nullptr) << "no " << c.kind << " at line " << c.line << "; found:\n" << describe(diagnosis);
        EXPECT_EQ(finding->severity, c.severity);
        EXPECT_EQ(finding->suggestion, c.suggestion);
        EXPECT_NE(finding->message.find(c.messagePart), std::string::npos) << finding->message;
    }
}

TEST(DoctorFindings, EachKindOfLineIsFoundWithItsLineNumber)
{
    const std::vector<LineCase> cases = {
        {"typo in a key", numbersOnly + "[MouseWheel]\nSPEED_INCRMENT = 0.1\n", "unknown-key", 13, Severity::warning,
         "SPEED_INCREMENT", "did you mean SPEED_INCREMENT"},
        {"typo that belongs to another section", numbersOnly + "[Shift]\nMINIMUM_SPEDE = 0.2\n", "unknown-key", 13,
         Severity::warning, "MINIMUM_SPEED", "under [Optional]"},
        {"unknown key with nothing near", numbersOnly + "[Shift]\nBANANA = 1\n", "unknown-key", 13, Severity::warning,
         "", "not a key the plug-in knows"},
        {"key under the wrong section", numbersOnly + "[Optional]\nRESPECT_BOUNDARIES = 0\n", "wrong-section", 13,
         Severity::warning, "Advanced", "belongs under [Advanced], not [Optional]"},
        {"key under the wrong section, given in its own too",
         numbersOnly + "[Optional]\nMINIMUM_SPEED = 0.2\n[Shift]\nMINIMUM_SPEED = 0.4\n", "wrong-section", 15,
         Severity::warning, "Optional", "(It uses the one on line 13.)"},
        {"key under an unknown section", numbersOnly + "[Mouse Wheel]\nSPEED_INCREMENT = 0.1\n", "wrong-section", 13,
         Severity::warning, "MouseWheel", "It uses the one on line 2"},
        {"key before the first section", "SPEED_INCREMENT = 0.1\n" + numbersOnly, "key-before-section", 1,
         Severity::warning, "", "Put it under [MouseWheel]"},
        {"header without its bracket", numbersOnly + "[Shift\n", "broken-section-header", 12, Severity::warning, "",
         "closing ']'"},
        {"header cut by a semicolon", numbersOnly + "[Gen;eral]\n", "broken-section-header", 12, Severity::warning, "",
         "';'"},
        {"known key without '='", numbersOnly + "[General]\nENABLED 0\n", "ignored-line", 13, Severity::warning, "",
         "has no '='"},
        {"a line of prose", numbersOnly + "just some words\n", "ignored-line", 12, Severity::warning, "",
         "ignores this line"},
        {"'#' remark without '='", numbersOnly + "# my remark\n", "ignored-line", 12, Severity::note, "",
         "a line starting with '#' is no comment"},
        {"key commented out with '#'", numbersOnly + "[Shift]\n# SHIFT_TAP_ENABLED = 0\n", "unknown-key", 13,
         Severity::warning, "", "A line starting with '#' is no comment"},
        {"unknown section", numbersOnly + "[Mouse Wheel]\n", "unknown-section", 12, Severity::warning, "MouseWheel",
         "not a section the plug-in reads"},
        {"unknown section with nothing near", numbersOnly + "[Graphics]\n", "unknown-section", 12, Severity::warning,
         "", "not a section"},
        {"duplicate key: the earlier line", "[MouseWheel]\nSPEED_INCREMENT = 0.1\n" + numbersOnly, "duplicate-key", 2,
         Severity::note, "", "given again on line 4"},
        {"switch false", numbersOnly + "[General]\nENABLED = false\n", "switch-word", 13, Severity::note, "",
         "ENABLED = false reads as off."},
        {"switch No with a note", numbersOnly + "[General]\nENABLED = No ; not now\n", "switch-word", 13,
         Severity::note, "", "ENABLED = No reads as off."},
        {"switch 00", numbersOnly + "[General]\nENABLED = 00\n", "switch-word", 13, Severity::note, "",
         "ENABLED = 00 reads as off."},
        {"switch true", numbersOnly + "[General]\nENABLED = true\n", "switch-word", 13, Severity::note, "",
         "reads as on."},
        {"switch 2", numbersOnly + "[General]\nENABLED = 2\n", "switch-word", 13, Severity::note, "",
         "ENABLED = 2 reads as on."},
        {"switch word misspelt", numbersOnly + "[General]\nENABLED = of\n", "unknown-switch-word", 13,
         Severity::warning, "off",
         "\"of\" is not a word the plug-in knows for a switch (did you mean off?), so "
         "it reads as on."},
        {"switch word unknown", numbersOnly + "[General]\nENABLED = disabled\n", "unknown-switch-word", 13,
         Severity::warning, "", "so it reads as on. Write on or off (or 1 or 0)."},
        {"switch empty", numbersOnly + "[General]\nENABLED =\n", "empty-value", 13, Severity::note, "",
         "ENABLED is empty, so it takes its built-in default, on."},
        {"speed that is only a note", withValue("SPEED_INCREMENT", "; faster"), "empty-value", 2, Severity::note, "",
         "SPEED_INCREMENT = ; faster holds only a note, so it takes its built-in default, 0.06."},
        {"text after a number", withValue("SPEED_INCREMENT", "0.1 fast"), "ignored-text", 2, Severity::note, "",
         "SPEED_INCREMENT = 0.1 fast reads as 0.1: the text after the number is ignored."},
        {"fraction for a whole number", withValue("KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", "2.9"), "ignored-text", 9,
         Severity::note, "", "reads as 2: KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE takes a whole number"},
        {"a number that cannot be read", withValue("SPEED_INCREMENT", "fast"), "unreadable-value", 2, Severity::problem,
         "",
         "SPEED_INCREMENT = fast is not a number, so SPEED_INCREMENT takes its built-in default, 0.06. The other "
         "lines still take effect. Write a number such as 0.06. Once it is mended, End+Numpad 3 in the game reads "
         "the file again."},
        {"walk key beyond 254", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 100\n", "key-none", 13,
         Severity::warning, "", "0x100 (no key)"},
        {"walk key FF", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = FF\n", "key-none", 13, Severity::warning, "",
         "no key acts as the walk-control key"},
        {"walk key negative", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = -1\n", "key-none", 13, Severity::warning,
         "", "-1 (no key)"},
        {"walk key 0", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 0\n", "key-none", 13, Severity::warning, "",
         "0x00 (no key)"},
        {"walk key that is Shift", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 10\n", "key-shared", 13,
         Severity::warning, "", "the sprint key and the walk-control key share a key"},
        {"walk key that is End", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 0x23\n", "key-shared", 13,
         Severity::warning, "", "HOTKEY_MODIFIER and WALK_CONTROL_KEY are both 0x23 (End)"},
        {"speed clamped up",
         "[MouseWheel]\nSPEED_INCREMENT = 0.06\n[Shift]\nSHIFT_TAP_CUSTOM_SPEED = 1.2\n" +
             numbersOnly.substr(numbersOnly.find("[WalkControl]")),
         "clamped", 4, Severity::warning, "", "raises it to 1.51"},
        {"speed clamped down",
         numbersOnly.substr(0, numbersOnly.find("FAST")) + "FAST_WALK_CUSTOM_SPEED = 2\n" +
             numbersOnly.substr(numbersOnly.find("SLOW")),
         "clamped", 6, Severity::warning, "", "lowers it to 1.5"},
        {"minimum speed clamped", numbersOnly.substr(0, numbersOnly.find("MINIMUM")) + "MINIMUM_SPEED = 0\n", "clamped",
         11, Severity::warning, "", "raises it to 0.15"},
        {"switched off", numbersOnly + "[General]\nENABLED = 0\n", "switched-off", 13, Severity::note, "",
         "End+Numpad 2"},
        {"switched off by a word", numbersOnly + "[General]\nENABLED = Off\n", "switched-off", 13, Severity::note, "",
         "ENABLED = Off: the plug-in starts switched off"},
        {"a misspelt key with no line of its own", numbersOnly + "[WalkControl]\nREMEMBR_FAST_WALK = 1\n",
         "unknown-key", 13, Severity::warning, "REMEMBER_FAST_WALK",
         "REMEMBER_FAST_WALK has no line under [WalkControl], so it takes its built-in default, off."},
        {"a misplaced key with no line of its own", numbersOnly + "[Optional]\nRESPECT_BOUNDARIES = 0\n",
         "wrong-section", 13, Severity::warning, "Advanced",
         "RESPECT_BOUNDARIES has no line under [Advanced], so it takes its built-in default, on."},
    };
    // Through a file on disk, as a player's file reaches the doctor.
    expectFindings(cases, [](const std::string& bytes) {
        TempIni ini(bytes);
        return sim::doctor::diagnose(ini.path());
    });
}

// A finding's level says what the player will notice in the game: values of
// which only a part is read, values that defeat a feature without an error,
// and keys that never act or share a key with another role.
TEST(DoctorFindings, GradedByWhatThePlayerNotices)
{
    const std::string walk = numbersOnly + "[WalkControl]\n";
    const std::string keys = numbersOnly + "[Keys]\n";
    const std::vector<LineCase> cases = {
        {"decimal comma in the increment", withValue("SPEED_INCREMENT", "0,1"), "decimal-comma", 2, Severity::note, "",
         "SPEED_INCREMENT = 0,1 reads as 0.1: a comma between two digits counts as the decimal point."},
        {"decimal comma in the light run", withValue("SHIFT_TAP_CUSTOM_SPEED", "1,5"), "decimal-comma", 4,
         Severity::note, "", "reads as 1.5"},
        {"decimal comma in the light run: raised", withValue("SHIFT_TAP_CUSTOM_SPEED", "1,5"), "clamped", 4,
         Severity::warning, "",
         "SHIFT_TAP_CUSTOM_SPEED = 1.5 is below the lowest value the plug-in allows: it "
         "raises it to 1.51"},
        {"a speed beyond a float", withValue("MINIMUM_SPEED", "1e50"), "unreadable-value", 11, Severity::problem, "",
         "is a number too large or too small for a speed, so MINIMUM_SPEED takes its built-in default, 0.3."},
        {"a mode beyond 32 bits", withValue("KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", "99999999999"), "unreadable-value",
         9, Severity::problem, "", "is a whole number too large or too small for the plug-in"},
        {"a letter for the mode", withValue("KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", "x"), "unreadable-value", 9,
         Severity::problem, "",
         "is not a whole number, so KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE takes its built-in "
         "default, 3."},
        {"increment 0", withValue("SPEED_INCREMENT", "0"), "increment-zero", 2, Severity::warning, "",
         "the wheel does nothing"},
        {"increment below 0", withValue("SPEED_INCREMENT", "-0.1"), "increment-negative", 2, Severity::warning, "",
         "the mouse wheel runs backwards"},
        {"slow walk below 0.15", withValue("SLOW_WALK_CUSTOM_SPEED", "0.1"), "slow-walk-out-of-range", 7,
         Severity::warning, "", "slows you to a crawl"},
        {"slow walk above 1.0", withValue("SLOW_WALK_CUSTOM_SPEED", "1.2"), "slow-walk-out-of-range", 7,
         Severity::warning, "", "no slower than a plain walk"},
        {"a key's name", walk + "WALK_CONTROL_KEY = Alt\n", "key-name", 13, Severity::note, "",
         "WALK_CONTROL_KEY = Alt is the Alt key, 0x12."},
        {"a function key's name", keys + "RELOAD_KEY = F11\n", "key-name", 13, Severity::note, "",
         "RELOAD_KEY = F11 is the F11 key, 0x7A."},
        {"another spelling", keys + "RELOAD_KEY = pg_up\n", "key-name", 13, Severity::note, "",
         "RELOAD_KEY = pg_up is the Page Up key, 0x21."},
        {"a letter that is a hexadecimal digit", walk + "WALK_CONTROL_KEY = E\n", "key-name", 13, Severity::note, "",
         "WALK_CONTROL_KEY = E is the E key, 0x45."},
        {"one side of Alt", walk + "WALK_CONTROL_KEY = Left Alt\n", "key-name", 13, Severity::note, "",
         "WALK_CONTROL_KEY = Left Alt reads as Alt, 0x12: both Alt keys send it"},
        {"AltGr", keys + "SPRINT_KEY = AltGr ; right one\n", "key-name", 13, Severity::note, "",
         "SPRINT_KEY = AltGr reads as Alt, 0x12"},
        {"a mouse button by its name", keys + "RELOAD_KEY = Middle Mouse Button\n", "key-never-arrives", 13,
         Severity::warning, "", "mouse buttons never arrive"},
        {"a misspelt key name", walk + "WALK_CONTROL_KEY = Atl\n", "unknown-key-name", 13, Severity::warning, "Alt",
         "WALK_CONTROL_KEY = Atl names no key the plug-in knows (did you mean Alt?), so it is read as a hexadecimal "
         "code: 0x0A (no named key)."},
        {"a Windows key name", keys + "RELOAD_KEY = VK_F9\n", "unknown-key-name", 13, Severity::warning, "F9",
         "(did you mean F9?), so it is read as a hexadecimal code: 0x00 (no key): the reload hotkey does nothing."},
        {"a name with a word after it", keys + "RELOAD_KEY = F11 key\n", "unknown-key-name", 13, Severity::warning,
         "F11", "(did you mean F11?), so it is read as a hexadecimal code: 0xF11 (no key): the reload hotkey"},
        {"a name of two words with a word after it", walk + "WALK_CONTROL_KEY = Left Alt key\n", "unknown-key-name", 13,
         Severity::warning, "Left Alt", "did you mean Left Alt?"},
        {"a name like no other", keys + "SPRINT_KEY = Hyper\n", "unknown-key-name", 13, Severity::warning, "",
         "SPRINT_KEY = Hyper names no key the plug-in knows, so it is read as a hexadecimal code: 0x00 (no key): "
         "Shift taps do nothing"},
        {"two letters that are no hexadecimal digits", walk + "WALK_CONTROL_KEY = GG\n", "unknown-key-name", 13,
         Severity::warning, "G", "0x00 (no key): no key acts as the walk-control key."},
        {"no modifier by name", keys + "HOTKEY_MODIFIER = None\n", "key-name", 13, Severity::note, "",
         "HOTKEY_MODIFIER = None means no key, 0x00: the hotkeys need no modifier."},
        {"no key by name", keys + "SWITCH_ON_KEY = no key\n", "key-none", 13, Severity::warning, "",
         "SWITCH_ON_KEY = no key reads as 0x00 (no key), which is no key: the switch-on hotkey does nothing."},
        {"a code with a word after it", keys + "RELOAD_KEY = 0x7A F11\n", "ignored-text", 13, Severity::note, "",
         "RELOAD_KEY = 0x7A F11 reads as 0x7A (F11): the text after the code is ignored."},
        {"a decimal code that is no key in hexadecimal", walk + "WALK_CONTROL_KEY = 18\n", "key-code-decimal", 13,
         Severity::warning, "Alt",
         "WALK_CONTROL_KEY = 18 reads as 0x18 (no named key): a number here is a hexadecimal key code. Did you mean "
         "Alt (0x12, which is 18 in decimal)? Write Alt."},
        {"a decimal code that is another key in hexadecimal", walk + "WALK_CONTROL_KEY = 20\n", "key-code-decimal", 13,
         Severity::note, "Caps Lock",
         "0x20 (Space). If you meant 20 in decimal, that is 0x14 (Caps Lock): write Caps Lock (or 0x14)."},
        {"left Alt never arrives", walk + "WALK_CONTROL_KEY = 0xA4\n", "key-never-arrives", 13, Severity::warning, "",
         "0xA4 (Left Alt): this code never arrives in a key message, because Windows sends Alt as 0x12 for either "
         "side. Write Alt (or 0x12)."},
        {"right Shift never arrives", keys + "SPRINT_KEY = A1\n", "key-never-arrives", 13, Severity::warning, "",
         "Write Shift (or 0x10)."},
        {"a mouse button never arrives", keys + "RELOAD_KEY = 5\n", "key-never-arrives", 13, Severity::warning, "",
         "mouse buttons never arrive"},
        {"a numpad hotkey needs Num Lock", keys + "RELOAD_KEY = 0x63\n", "num-lock", 13, Severity::note, "",
         "RELOAD_KEY = 0x63 (Numpad 3) acts only while Num Lock is on"},
        {"numpad hotkeys need Num Lock: one note",
         keys + "SWITCH_OFF_KEY = 0x61\nSWITCH_ON_KEY = 0x62\n"
                "RELOAD_KEY = 0x63\n",
         "num-lock", 13, Severity::note, "",
         "SWITCH_OFF_KEY = 0x61 (Numpad 1), SWITCH_ON_KEY = 0x62 (Numpad 2) and RELOAD_KEY = 0x63 (Numpad 3) act "
         "only while Num Lock is on"},
        {"two hotkeys on one key", keys + "SWITCH_ON_KEY = 0x61\n", "key-shared", 13, Severity::warning, "",
         "the switch-off hotkey is checked first, so the switch-on hotkey never acts"},
        {"a hotkey on the modifier", keys + "SWITCH_OFF_KEY = 23\n", "key-shared", 13, Severity::warning, "",
         "pressing that key alone works the switch-off hotkey, and the switch-on hotkey and the reload hotkey never "
         "act: holding the modifier always works the switch-off hotkey first."},
        {"the switch-on hotkey on the modifier", keys + "SWITCH_ON_KEY = 23\n", "key-shared", 13, Severity::warning, "",
         "works the switch-on hotkey, and the reload hotkey never acts: holding the modifier"},
        {"the reload hotkey on the modifier", keys + "RELOAD_KEY = 23\n", "key-shared", 13, Severity::warning, "",
         "share a key: pressing that key alone works the reload hotkey."},
        {"a hotkey on the walk-control key", keys + "RELOAD_KEY = 0x12\n", "key-shared", 13, Severity::warning, "",
         "RELOAD_KEY and WALK_CONTROL_KEY are both 0x12 (Alt)"},
        {"a modifier that is no key", keys + "HOTKEY_MODIFIER = 100\n", "key-none", 13, Severity::warning, "",
         "no hotkey can act"},
        {"a hotkey of 0", keys + "SWITCH_OFF_KEY = 0\n", "key-none", 13, Severity::warning, "",
         "the switch-off hotkey does nothing"},
        {"a typo in [Keys]", keys + "RELOD_KEY = 0x78\n", "unknown-key", 13, Severity::warning, "RELOAD_KEY",
         "did you mean RELOAD_KEY"},
        // Two swaps of neighbouring letters are two slips, as the simulator counts them.
        {"two letters swapped twice", keys + "RELAOD_KYE = 0x78\n", "unknown-key", 13, Severity::warning, "RELOAD_KEY",
         "did you mean RELOAD_KEY"},
        {"a key of [Keys] elsewhere", numbersOnly + "[General]\nRELOAD_KEY = 0x78\n", "wrong-section", 13,
         Severity::warning, "Keys", "belongs under [Keys]"},
        {"a misspelt [Keys]", numbersOnly + "[Key]\n", "unknown-section", 12, Severity::warning, "Keys",
         "did you mean [Keys]"},
    };
    expectFindings(cases, [](const std::string& bytes) { return sim::doctor::diagnoseBytes("test.ini", bytes); });
}

// The hotkeys named in the messages are the keys that make them act: the
// key alone without a modifier or when the modifier is the key itself, and
// "no key" when no keys can (a modifier or key that is no key, or keys that
// always work a hotkey the plug-in checks first).
TEST(DoctorFindings, HotkeysAreNamedAsThePlayerPressesThem)
{
    struct HotkeyCase {
        const char* keys;      // the lines of [Keys]
        const char* reload;    // a piece of the unreadable line's message
        const char* switchOn;  // a piece of the switched-off note
    };
    const std::string noReload = "With these keys no key reads the file again: mend it and restart the game.";
    const std::string noSwitchOn = "with these keys no key switches it on";
    const std::vector<HotkeyCase> cases = {
        {"", "Once it is mended, End+Numpad 3 in the game reads the file again.", "until End+Numpad 2 switches it on."},
        {"RELOAD_KEY = 0x23\n", "Once it is mended, End in the game", "until End+Numpad 2 switches"},
        {"HOTKEY_MODIFIER = None\nSWITCH_ON_KEY = F10\nRELOAD_KEY = F11\n", "Once it is mended, F11 in the game",
         "until F10 switches it on."},
        {"HOTKEY_MODIFIER = 0\nRELOAD_KEY = 18\n", "Once it is mended, 0x18 in the game", "until Numpad 2"},
        {"HOTKEY_MODIFIER = FF\n", noReload.c_str(), noSwitchOn.c_str()},
        {"HOTKEY_MODIFIER = -1\n", noReload.c_str(), noSwitchOn.c_str()},
        {"RELOAD_KEY = 100\nSWITCH_ON_KEY = 0\n", noReload.c_str(), noSwitchOn.c_str()},
        {"RELOAD_KEY = 0x61\nSWITCH_ON_KEY = Numpad 1\n", noReload.c_str(), noSwitchOn.c_str()},
        {"HOTKEY_MODIFIER = 0x61\n", noReload.c_str(), noSwitchOn.c_str()},
        {"HOTKEY_MODIFIER = Numpad 2\n", noReload.c_str(), "until Numpad 2 switches it on."},
        // Keys that never arrive in a key message never work a hotkey.
        {"RELOAD_KEY = Middle Mouse Button\n", noReload.c_str(), "until End+Numpad 2 switches it on."},
        {"HOTKEY_MODIFIER = 0xA2\n", noReload.c_str(), noSwitchOn.c_str()},
    };
    for (const HotkeyCase& c : cases) {
        SCOPED_TRACE(c.keys);
        const Diagnosis diagnosis =
            sim::doctor::diagnoseBytes("test.ini", std::string("[Keys]\n") + c.keys +
                                                       "[General]\nENABLED = 0\n[MouseWheel]\nSPEED_INCREMENT = x\n");
        std::string unreadable;
        std::string switchedOff;
        for (const Finding& finding : diagnosis.findings) {
            if (finding.kind == "unreadable-value")
                unreadable = finding.message;
            if (finding.kind == "switched-off")
                switchedOff = finding.message;
        }
        EXPECT_NE(unreadable.find(c.reload), std::string::npos) << unreadable;
        EXPECT_NE(switchedOff.find(c.switchOn), std::string::npos) << switchedOff;
    }
}

// Lines that do what they seem to give no finding at all; a file may leave
// out any line.
TEST(DoctorFindings, PlainLinesGiveNone)
{
    const std::vector<std::string> files = {
        numbersOnly,
        "",
        "[General]\nENABLED = 1\n",
        numbersOnly + "; a comment\n\n   ; an indented comment\n",
        numbersOnly + "[Shift]\nSHIFT_TAP_ENABLED = 1\n[shift]\nshift_tap_stop_running=1\n",  // reopened, merged
        "\xEF\xBB\xBF" + numbersOnly,  // a byte-order mark is skipped
        numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 0x12\nREMEMBER_FAST_WALK = 1\n",
        numbersOnly + "[ Optional ]\nDISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA = 0\n",
        numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 12\n",  // Alt, written as a code
        // Notes after values, and the plain words of a switch.
        "[General]\nENABLED = 0 ; off for now\n[MouseWheel]\nMOUSE_WHEEL_ENABLED = ON # yes\n"
        "SPEED_INCREMENT = 0.1 ; faster\n[Advanced]\nRESPECT_BOUNDARIES = off\n",
        // A laptop's keys: F9 to F11 with no modifier, Caps Lock as the sprint key.
        numbersOnly + "[Keys]\nHOTKEY_MODIFIER = 0\nSWITCH_OFF_KEY = 0x78\nSWITCH_ON_KEY = 0x79\n"
                      "RELOAD_KEY = 0x7A\nSPRINT_KEY = 0x14\n",
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        TempIni ini(file);
        const Diagnosis diagnosis = sim::doctor::diagnose(ini.path());
        EXPECT_EQ(diagnosis.exitStatus(), 0);
        // Switching the plug-in off is the only thing worth saying about these files.
        for (const Finding& finding : diagnosis.findings)
            EXPECT_EQ(finding.kind, "switched-off") << describe(diagnosis);
    }
}

// The shipped Ambleworks.ini loads whole and gives nothing to report but notes:
// the keys it names, and that numpad hotkeys need Num Lock.
TEST(DoctorFindings, TheShippedFileIsClean)
{
    const Diagnosis diagnosis = sim::doctor::diagnose(AMBLEWORKS_SOURCE_DIR "/Ambleworks.ini");
    EXPECT_TRUE(diagnosis.readable);
    EXPECT_EQ(diagnosis.exitStatus(), 0);
    for (const Finding& finding : diagnosis.findings) {
        EXPECT_EQ(finding.severity, Severity::note) << describe(diagnosis);
        EXPECT_TRUE(finding.kind == "num-lock" || finding.kind == "key-name") << describe(diagnosis);
    }
    for (const sim::doctor::SettingUse& use : diagnosis.settings) {
        // The keys of [Keys] may stay commented out: missing, they keep the built-in keys.
        const bool isKey = use.row->section == std::string("Keys");
        EXPECT_TRUE(use.source == Source::file || (isKey && use.source == Source::missing)) << use.row->key;
        EXPECT_FALSE(use.differsFromDefault) << use.row->key;
    }
    // Counted as a player counts them: the newline after the last line makes no line of its own.
    std::ifstream shipped(AMBLEWORKS_SOURCE_DIR "/Ambleworks.ini", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
    EXPECT_EQ(diagnosis.lineCount, static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')));
    EXPECT_NE(sim::doctor::formatText(diagnosis).find("The file loads whole (" + std::to_string(diagnosis.lineCount) +
                                                      " lines)"),
              std::string::npos);
}

// Files the reader sees differently from an editor.
TEST(DoctorFindings, WholeFileTroubles)
{
    struct Case {
        const char* name;
        std::string bytes;
        const char* kind;
    };
    std::string utf16 = "\xFF\xFE";
    for (char c : numbersOnly) {
        utf16 += c;
        utf16 += '\0';
    }
    std::string crOnly = numbersOnly;
    std::replace(crOnly.begin(), crOnly.end(), '\n', '\r');
    const std::vector<Case> cases = {
        {"UTF-16", utf16, "utf16-file"},
        {"CR line ends", crOnly, "cr-line-ends"},
    };
    // UTF-16 loses only its first line to the mark: [MouseWheel] is not read
    // as a header, so SPEED_INCREMENT stands before the first section and has
    // its default; every line after it takes effect.
    const Diagnosis fromUtf16 = sim::doctor::diagnoseBytes("utf16.ini", utf16);
    EXPECT_NE(findKind(fromUtf16, "ignored-line", 1), nullptr) << describe(fromUtf16);
    EXPECT_NE(findKind(fromUtf16, "key-before-section", 2), nullptr) << describe(fromUtf16);
    EXPECT_EQ(useOf(fromUtf16, "SPEED_INCREMENT").source, Source::missing);
    EXPECT_EQ(useOf(fromUtf16, "SHIFT_TAP_CUSTOM_SPEED").source, Source::file);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempIni ini(c.bytes);
        const Diagnosis diagnosis = sim::doctor::diagnose(ini.path());
        EXPECT_NE(findKind(diagnosis, c.kind, 0), nullptr) << describe(diagnosis);
    }
    // With CR alone the whole file is one line, whose header swallows the
    // rest: every setting has its built-in default.
    TempIni ini(crOnly);
    const Diagnosis diagnosis = sim::doctor::diagnose(ini.path());
    EXPECT_EQ(diagnosis.lineCount, 1u);
    for (const sim::doctor::SettingUse& use : diagnosis.settings)
        EXPECT_EQ(use.source, Source::missing) << use.row->key;
}

// ---------------------------------------------------------------------------
// [SECTION] How each line is read
// And what every setting then holds.

// One line of a setting, among the lines of numbersOnly: how the doctor says
// it was read, the value the setting gets, and what it says of the line.
struct LineReading {
    const char* section;
    const char* key;
    const char* text;  // the line's value text; nullptr: the line is left out
    Source source;
    const char* value;  // the setting's value in the report's words
    const char* error;  // the loader's reason, "" when none
    const char* kind;   // the finding about the line, "" when none
    Severity severity;
};

// Each setting stands on its own: whatever its line says, every other line
// of the file still takes effect, and one that gives nothing gives the
// built-in default.
TEST(DoctorLoad, EachLineIsReadOnItsOwn)
{
    const Severity note = Severity::note;
    const Severity warning = Severity::warning;
    const Severity problem = Severity::problem;
    const std::vector<LineReading> cases = {
        {"MouseWheel", "SPEED_INCREMENT", "fast", Source::unreadable, "0.06", "invalid stof argument",
         "unreadable-value", problem},
        {"MouseWheel", "SPEED_INCREMENT", "", Source::empty, "0.06", "", "empty-value", note},
        {"MouseWheel", "SPEED_INCREMENT", "# later", Source::empty, "0.06", "", "empty-value", note},
        {"MouseWheel", "SPEED_INCREMENT", nullptr, Source::missing, "0.06", "", "", note},
        {"MouseWheel", "SPEED_INCREMENT", "0,1", Source::file, "0.1", "", "decimal-comma", note},
        {"MouseWheel", "SPEED_INCREMENT", "0.1 ; faster", Source::file, "0.1", "", "", note},
        {"MouseWheel", "SPEED_INCREMENT", "-inf", Source::unreadable, "0.06", "stof argument out of range",
         "unreadable-value", problem},
        {"Optional", "MINIMUM_SPEED", "0,06", Source::file, "0.15", "", "decimal-comma", note},
        {"Advanced", "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", "x", Source::unreadable, "3", "invalid stoi argument",
         "unreadable-value", problem},
        {"Advanced", "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", "-4294967296", Source::unreadable, "3",
         "stoi argument out of range", "unreadable-value", problem},
        {"Advanced", "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", "1 ; keep", Source::file, "1", "", "", note},
        {"General", "ENABLED", "False ; not now", Source::file, "off", "", "switch-word", note},
        {"General", "ENABLED", "0.0", Source::file, "off", "", "switch-word", note},
        {"General", "ENABLED", "nope", Source::file, "on", "", "unknown-switch-word", warning},
        {"WalkControl", "REMEMBER_FAST_WALK", "yes # please", Source::file, "on", "", "switch-word", note},
        {"WalkControl", "REMEMBER_FAST_WALK", nullptr, Source::missing, "off", "", "", note},
        {"WalkControl", "REMEMBER_FAST_WALK", "", Source::empty, "off", "", "empty-value", note},
        {"Advanced", "RESPECT_BOUNDARIES", "No", Source::file, "off", "", "switch-word", note},
        {"WalkControl", "WALK_CONTROL_KEY", "", Source::empty, "0x12 (Alt)", "", "empty-value", note},
        {"WalkControl", "WALK_CONTROL_KEY", "right alt", Source::file, "0x12 (Alt)", "", "key-name", note},
        {"WalkControl", "WALK_CONTROL_KEY", "A", Source::file, "0x41 (A)", "", "key-name", note},
        {"WalkControl", "WALK_CONTROL_KEY", "A0", Source::file, "0xA0 (Left Shift)", "", "key-never-arrives", warning},
        {"Keys", "RELOAD_KEY", "F11 ; was Numpad 3", Source::file, "0x7A (F11)", "", "key-name", note},
        {"Keys", "SWITCH_OFF_KEY", "Numpad_1", Source::file, "0x61 (Numpad 1)", "", "key-name", note},
        {"Keys", "SPRINT_KEY", "LShift", Source::file, "0x10 (Shift)", "", "key-name", note},
        {"Keys", "HOTKEY_MODIFIER", "Caps Lock", Source::file, "0x14 (Caps Lock)", "", "key-name", note},
    };
    for (const LineReading& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + (c.text ? c.text : "(no line)"));
        // The line, moved to the end of numbersOnly, with another line after it.
        std::string file = numbersOnly;
        const std::size_t own = file.find(std::string(c.key) + " = ");
        if (own != std::string::npos)
            file.erase(own, file.find('\n', own) - own + 1);
        std::size_t line = 0;
        if (c.text) {
            file += "[" + std::string(c.section) + "]\n";
            line = static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n')) + 1;
            file += std::string(c.key) + " = " + c.text + "\n";
        }
        const Diagnosis diagnosis = sim::doctor::diagnoseBytes("test.ini", file + "[Shift]\nSHIFT_TAP_ENABLED = 0\n");
        const sim::doctor::SettingUse& use = useOf(diagnosis, c.key);
        EXPECT_EQ(use.source, c.source);
        EXPECT_EQ(reportedValue(sim::doctor::formatText(diagnosis), c.key), c.value);
        const nlohmann::json json = nlohmann::json::parse(sim::doctor::formatJson(diagnosis));
        for (const nlohmann::json& row : json["settings"]) {
            if (row["key"] == c.key) {
                EXPECT_EQ(row["error"], *c.error ? nlohmann::json(c.error) : nlohmann::json(nullptr));
            }
        }
        if (*c.kind) {
            const Finding* finding = findKind(diagnosis, c.kind, line);
            ASSERT_NE(finding, nullptr) << describe(diagnosis);
            EXPECT_EQ(finding->severity, c.severity);
        } else {
            for (const Finding& finding : diagnosis.findings)
                EXPECT_NE(finding.line, line) << describe(diagnosis);
        }
        // The lines before it and the line after it took effect all the same.
        if (std::string(c.key) != "MINIMUM_SPEED") {
            EXPECT_EQ(useOf(diagnosis, "MINIMUM_SPEED").source, Source::file);
        }
        EXPECT_EQ(useOf(diagnosis, "SHIFT_TAP_ENABLED").source, Source::file);
        EXPECT_FALSE(useOf(diagnosis, "SHIFT_TAP_ENABLED").used.flag);
        EXPECT_EQ(diagnosis.exitStatus(), c.source == Source::unreadable ? 1 : 0);
        EXPECT_EQ(diagnosis.unreadableLines, c.source == Source::unreadable ? 1u : 0u);
    }
}

// The short file a new player writes, with only the lines they want to
// change: every line it holds takes effect, every other setting has its
// built-in default, and the doctor says what it read.
TEST(DoctorLoad, ASparseFileTakesEveryLineItHolds)
{
    const std::string file = "[General]\n"                        // 1
                             "ENABLED = 1\n"                      // 2
                             "[MouseWheel]\n"                     // 3
                             "SPEED_INCREMENT = 0,1\n"            // 4
                             "[WalkControl]\n"                    // 5
                             "WALK_CONTROL_KEY = Alt\n"           // 6
                             "REMEMBER_FAST_WALK = false ; no\n"  // 7
                             "[Keys]\n"                           // 8
                             "RELOAD_KEY = F11\n";                // 9
    TempIni ini(file);
    const Diagnosis diagnosis = sim::doctor::diagnose(ini.path());
    EXPECT_EQ(diagnosis.exitStatus(), 0) << describe(diagnosis);
    const std::vector<std::pair<std::string, std::size_t>> fromFile = {
        {"ENABLED", 2}, {"SPEED_INCREMENT", 4}, {"WALK_CONTROL_KEY", 6}, {"REMEMBER_FAST_WALK", 7}, {"RELOAD_KEY", 9}};
    const Settings defaults;
    for (const sim::doctor::SettingUse& use : diagnosis.settings) {
        SCOPED_TRACE(use.row->key);
        const auto given = std::find_if(fromFile.begin(), fromFile.end(),
                                        [&](const auto& entry) { return entry.first == use.row->key; });
        EXPECT_EQ(use.source, given == fromFile.end() ? Source::missing : Source::file);
        EXPECT_EQ(use.line, given == fromFile.end() ? 0u : given->second);
        if (given == fromFile.end()) {
            EXPECT_FALSE(use.differsFromDefault);
        }
    }
    EXPECT_EQ(useOf(diagnosis, "SPEED_INCREMENT").used.real, 0.1f);
    EXPECT_EQ(useOf(diagnosis, "WALK_CONTROL_KEY").used.integer, 0x12);
    EXPECT_FALSE(useOf(diagnosis, "REMEMBER_FAST_WALK").used.flag);
    EXPECT_EQ(useOf(diagnosis, "RELOAD_KEY").used.integer, 0x7A);
    for (const auto& [line, message] : std::vector<std::pair<std::size_t, std::string>>{
             {4, "SPEED_INCREMENT = 0,1 reads as 0.1"},
             {6, "WALK_CONTROL_KEY = Alt is the Alt key, 0x12."},
             {7, "REMEMBER_FAST_WALK = false reads as off."},
             {9, "RELOAD_KEY = F11 is the F11 key, 0x7A."},
         }) {
        bool said = false;
        for (const Finding& finding : diagnosis.findings)
            said = said || (finding.line == line && finding.message.find(message) != std::string::npos);
        EXPECT_TRUE(said) << message << "\n" << describe(diagnosis);
    }
    const std::string text = sim::doctor::formatText(diagnosis);
    for (const char* part : {
             "The file loads whole (9 lines): 5 of the 24 settings from the file, the others their built-in defaults.",
             "SPEED_INCREMENT                          0.1              line 4: \"0,1\"",
             "RELOAD_KEY                               0x7A (F11)       line 9: \"F11\"",
             "SHIFT_TAP_CUSTOM_SPEED                   1.78             no line: built-in default",
             "REMEMBER_FAST_WALK                       off              line 7: \"false ; no\"",
         }) {
        EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\n" << text;
    }
}

// The settings the doctor reports are the ones the plug-in's load stored:
// values from the file, with their lines, the clamps applied.
TEST(DoctorLoad, ReportsEachSettingWithItsLineAndClamp)
{
    const std::string file = "[General]\n"                                  // 1
                             "ENABLED = 0\n"                                // 2
                             "[MouseWheel]\n"                               // 3
                             "MOUSE_WHEEL_ENABLED = 0\n"                    // 4
                             "SPEED_INCREMENT = 0.1\n"                      // 5
                             "[Shift]\n"                                    // 6
                             "SHIFT_TAP_CUSTOM_SPEED = 5\n"                 // 7
                             "[WalkControl]\n"                              // 8
                             "FAST_WALK_CUSTOM_SPEED = 0.1\n"               // 9
                             "SLOW_WALK_CUSTOM_SPEED = 5\n"                 // 10
                             "WALK_CONTROL_KEY = A0\n"                      // 11
                             "REMEMBER_FAST_WALK = 0\n"                     // 12
                             "[Advanced]\n"                                 // 13
                             "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE = 2\n"  // 14
                             "[Optional]\n"                                 // 15
                             "MINIMUM_SPEED = 0.2\n";                       // 16
    TempIni ini(file);
    const Diagnosis diagnosis = sim::doctor::diagnose(ini.path());
    EXPECT_EQ(diagnosis.exitStatus(), 0) << describe(diagnosis);
    EXPECT_EQ(diagnosis.unreadableLines, 0u);
    EXPECT_EQ(diagnosis.lineCount, 16u);  // the empty text after the last LF is no line for a player

    struct Expected {
        const char* key;
        Source source;
        std::size_t line;
        bool clamped;
    };
    const std::vector<Expected> expected = {
        {"ENABLED", Source::file, 2, false},
        {"MOUSE_WHEEL_ENABLED", Source::file, 4, false},
        {"SPEED_INCREMENT", Source::file, 5, false},
        {"SHIFT_TAP_ENABLED", Source::missing, 0, false},
        {"SHIFT_TAP_CUSTOM_SPEED", Source::file, 7, true},
        {"FAST_WALK_CUSTOM_SPEED", Source::file, 9, false},   // no lower bound
        {"SLOW_WALK_CUSTOM_SPEED", Source::file, 10, false},  // never range-checked
        {"WALK_CONTROL_KEY", Source::file, 11, false},
        {"REMEMBER_FAST_WALK", Source::file, 12, false},
        {"KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", Source::file, 14, false},
        {"RESPECT_BOUNDARIES", Source::missing, 0, false},
        {"MINIMUM_SPEED", Source::file, 16, false},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.key);
        const sim::doctor::SettingUse& use = useOf(diagnosis, e.key);
        EXPECT_EQ(use.source, e.source);
        EXPECT_EQ(use.line, e.line);
        EXPECT_EQ(use.clamped, e.clamped);
    }
    auto used = [&](const char* key) { return useOf(diagnosis, key).used; };
    EXPECT_FALSE(used("ENABLED").flag);
    EXPECT_EQ(used("SPEED_INCREMENT").real, 0.1f);
    EXPECT_EQ(useOf(diagnosis, "SHIFT_TAP_CUSTOM_SPEED").loaded.real, 5.0f);
    EXPECT_EQ(used("SHIFT_TAP_CUSTOM_SPEED").real, 3.0f);
    EXPECT_EQ(used("SLOW_WALK_CUSTOM_SPEED").real, 5.0f);
    EXPECT_EQ(used("WALK_CONTROL_KEY").integer, 0xA0);
    EXPECT_EQ(used("KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE").integer, 2);
    EXPECT_TRUE(used("RESPECT_BOUNDARIES").flag);
}

// A file that cannot be read: exit 2, every setting its built-in default.
TEST(DoctorLoad, AnUnreadableFileMeansBuiltInDefaults)
{
    TempIni folder("");
    const std::string directory = std::filesystem::path(folder.path()).parent_path().string();
    for (const std::string& path : {directory + "/no-such-file.ini", directory}) {
        SCOPED_TRACE(path);
        const Diagnosis diagnosis = sim::doctor::diagnose(path);
        EXPECT_FALSE(diagnosis.readable);
        EXPECT_EQ(diagnosis.exitStatus(), 2);
        ASSERT_EQ(diagnosis.findings.size(), 1u) << describe(diagnosis);
        EXPECT_EQ(diagnosis.findings[0].kind, "file-unreadable");
        EXPECT_NE(diagnosis.findings[0].message.find("built-in defaults, when the game starts and after a reload"),
                  std::string::npos);
        for (const sim::doctor::SettingUse& use : diagnosis.settings) {
            EXPECT_EQ(use.source, Source::noFile);
            EXPECT_FALSE(use.differsFromDefault) << use.row->key;
        }
    }
}

// A diagnosis starts from the built-in settings, whatever the one before left.
TEST(DoctorLoad, EachDiagnosisStartsFromTheBuiltInSettings)
{
    TempIni complete(numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 43\n[General]\nENABLED = 0\n");
    const Diagnosis first = sim::doctor::diagnose(complete.path());
    EXPECT_EQ(useOf(first, "WALK_CONTROL_KEY").used.integer, 0x43);
    EXPECT_FALSE(useOf(first, "ENABLED").used.flag);
    TempIni sparse("[MouseWheel]\nSPEED_INCREMENT = 0.06\n[Shift]\nSHIFT_TAP_CUSTOM_SPEED = x\n");
    const Diagnosis diagnosis = sim::doctor::diagnose(sparse.path());
    EXPECT_EQ(useOf(diagnosis, "WALK_CONTROL_KEY").used.integer, 0x12);
    EXPECT_TRUE(useOf(diagnosis, "ENABLED").used.flag);
    EXPECT_EQ(countKind(diagnosis, "unreadable-value"), 1u);
}

// ---------------------------------------------------------------------------
// [SECTION] The reports

TEST(DoctorReport, TextNamesTheVerdictTheLinesAndTheSettings)
{
    TempIni ini(numbersOnly.substr(0, numbersOnly.find("[Shift]")) + "[Shift]\nSHIFT_TAP_CUSTOM_SPEED = quick\n");
    const std::string text = sim::doctor::formatText(sim::doctor::diagnose(ini.path()));
    for (const char* part : {
             "The file loads, but line 4 cannot be read: that setting takes its built-in default, every other line "
             "takes effect (1 of the 24 settings from the file, the others their built-in defaults).",
             "line 4: SHIFT_TAP_CUSTOM_SPEED = quick",
             "problem: SHIFT_TAP_CUSTOM_SPEED = quick is not a number, so SHIFT_TAP_CUSTOM_SPEED takes its built-in "
             "default, 1.78.",
             "  [Keys]\n    HOTKEY_MODIFIER                          0x23 (End)       no line: built-in default",
             "SPEED_INCREMENT                          0.06             line 2\n",
             "SHIFT_TAP_CUSTOM_SPEED                   1.78             line 4 cannot be read (not a number): built-in "
             "default",
             "MINIMUM_SPEED                            0.3              no line: built-in default",
             "WALK_CONTROL_KEY                         0x12 (Alt)",
         }) {
        EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\n" << text;
    }
    // The loader's own words are for tools only.
    EXPECT_EQ(text.find("stof"), std::string::npos) << text;
}

// The settings are a table: however long a value's words ("0xA0 (left
// Shift)") or a source's, the values start in one column and the sources in
// another, and a source too long for its column goes on under it.
TEST(DoctorReport, SettingsStayInTheirColumnsWhateverTheirLength)
{
    TempIni ini("[Keys]\nSPRINT_KEY = 0xA0\nRELOAD_KEY = Middle Mouse Button\n" +
                numbersOnly.substr(0, numbersOnly.find("[Shift]")) +
                "[Shift]\nSHIFT_TAP_CUSTOM_SPEED = 1.5   then   some words the plug-in never reads at all\n"
                "[WalkControl]\nFAST_WALK_CUSTOM_SPEED = 1e99\nSLOW_WALK_CUSTOM_SPEED = 0.7\n");
    const std::string text = sim::doctor::formatText(sim::doctor::diagnose(ini.path()));
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> all;
        for (std::size_t from = text.find("Settings the plug-in will use:\n"); from < text.size();) {
            const std::size_t end = text.find('\n', from);
            all.push_back(text.substr(from, end - from));
            from = end + 1;
        }
        return all;
    }();
    ASSERT_GT(lines.size(), 24u) << text;
    const std::size_t valueColumn = lines[2].find("0x23 (End)");
    const std::size_t sourceColumn = lines[2].find("no line");
    ASSERT_NE(sourceColumn, std::string::npos) << text;
    std::size_t continued = 0;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("  [", 0) == 0)
            continue;  // a section
        if (line.find_first_not_of(' ') == sourceColumn) {
            ++continued;  // a source's further line, under its column
            continue;
        }
        ASSERT_GT(line.size(), sourceColumn) << line;
        EXPECT_NE(line[valueColumn], ' ') << line;
        EXPECT_EQ(line.substr(valueColumn - 2, 2), "  ") << line;
        EXPECT_NE(line[sourceColumn], ' ') << line;
        EXPECT_EQ(line.substr(sourceColumn - 2, 2), "  ") << line;
    }
    // SHIFT_TAP_CUSTOM_SPEED's quoted text and why FAST_WALK_CUSTOM_SPEED's line
    // cannot be read each go on under their column, the quote's blanks kept.
    EXPECT_EQ(continued, 2u) << text;
    EXPECT_NE(text.find("\"1.5   then   some words"), std::string::npos) << text;
    EXPECT_NE(text.find("0xA0 (Left Shift)"), std::string::npos) << text;
    EXPECT_NE(text.find("0x04 (Middle Mouse Button)  line 3: \"Middle Mouse Button\""), std::string::npos) << text;
}

// Whatever the file holds, the text report is printable ASCII on lines, and
// the JSON parses and is ASCII too, with the file's bytes kept.
TEST(DoctorReport, AnyBytesGiveAPrintableReportAndValidJson)
{
    const std::string hostile = "[General]\nENABLED = \xFD\x93\xAD \x1B[31mred\x07\n[\x1B]2;title\x07]\n"
                                "\x9B\xC2\x9B = caf\xC3\xA9\n\tSPEED_INCRMENT\x7F = 1\n";
    std::mt19937 random(11);
    std::string noise(1 << 16, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    for (const std::string& bytes : {hostile, noise, numbersOnly + hostile}) {
        const Diagnosis diagnosis = sim::doctor::diagnoseBytes("odd \x1B name.ini", bytes);
        const std::string text = sim::doctor::formatText(diagnosis);
        for (char c : text)
            ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << "byte " << int(static_cast<unsigned char>(c));
        const std::string json = sim::doctor::formatJson(diagnosis);
        for (char c : json)
            ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << "byte " << int(static_cast<unsigned char>(c));
        const nlohmann::json parsed = nlohmann::json::parse(json);
        EXPECT_EQ(parsed["settings"].size(), loadRowCount());
        EXPECT_EQ(parsed["file"], "odd \x1B name.ini");
    }
    // The file's text survives into the JSON: valid UTF-8 as it is, other bytes
    // as the character of their number.
    const nlohmann::json parsed = nlohmann::json::parse(sim::doctor::formatJson(
        sim::doctor::diagnoseBytes("x.ini", numbersOnly + "[General]\nENABLED = \xFD\x93\xAD caf\xC3\xA9\n")));
    EXPECT_EQ(parsed["settings"][keyRowCount]["text"], "\xC3\xBD\xC2\x93\xC2\xAD caf\xC3\xA9");
}

TEST(DoctorReport, TextAndUtf8Escapes)
{
    using namespace std::string_literals;
    EXPECT_EQ(sim::doctor::printable("plain [text] = 1;#~"), "plain [text] = 1;#~");
    EXPECT_EQ(sim::doctor::printable("tab\tnul\0esc\x1B del\x7F \xC3\xA9"s),
              "tab\\x09nul\\x00esc\\x1B del\\x7F \\xC3\\xA9");
    const std::vector<std::pair<std::string, std::string>> utf8 = {
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"\xFF\xFE", "\xC3\xBF\xC3\xBE"},                          // no UTF-8 at all
        {"\xC3", "\xC3\x83"},                                      // cut short
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                          // overlong
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},              // a surrogate
        {"\xFD\x93\xAD", "\xC3\xBD\xC2\x93\xC2\xAD"},              // no lead byte of four or fewer
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // beyond U+10FFFF
    };
    for (const auto& [bytes, valid] : utf8)
        EXPECT_EQ(sim::doctor::validUtf8(bytes), valid);
}

TEST(DoctorReport, JsonHasTheStableFields)
{
    TempIni ini(numbersOnly + "[MouseWheel]\nSPEED_INCRMENT = \"0.1\"\n");
    const nlohmann::json json = nlohmann::json::parse(sim::doctor::formatJson(sim::doctor::diagnose(ini.path())));
    EXPECT_EQ(json["readable"], true);
    EXPECT_EQ(json["settingsFile"], true);
    EXPECT_EQ(json["lines"], 13);
    EXPECT_EQ(json["loadsWhole"], true);
    EXPECT_EQ(json["exitStatus"], 0);
    EXPECT_EQ(json["unreadableLines"], 0);
    EXPECT_FALSE(json.contains("stop"));
    EXPECT_EQ(json["findingsNotShown"], 0);
    EXPECT_EQ(json["settings"][0]["key"], "HOTKEY_MODIFIER");
    EXPECT_EQ(json["settings"][0]["source"], "missing");
    EXPECT_EQ(json["settings"][0]["value"], 0x23);
    EXPECT_EQ(json["settings"][keyRowCount + 2],
              nlohmann::json::parse(R"({"section": "MouseWheel", "key": "SPEED_INCREMENT", "field": "speedIncrement",
                  "source": "file", "line": 2, "text": "0.06", "error": null, "loaded": 0.06, "value": 0.06,
                  "clamped": false, "builtInDefault": true})"));
    const nlohmann::json& finding = json["findings"][0];
    EXPECT_EQ(finding["line"], 13);
    EXPECT_EQ(finding["severity"], "warning");
    EXPECT_EQ(finding["kind"], "unknown-key");
    EXPECT_EQ(finding["key"], "SPEED_INCRMENT");
    EXPECT_EQ(finding["text"], "\"0.1\"");
    EXPECT_EQ(finding["suggestion"], "SPEED_INCREMENT");
    EXPECT_EQ(finding["lineText"], "SPEED_INCRMENT = \"0.1\"");

    // A line that cannot be read: the loader's own reason, and the built-in
    // default in its place.
    TempIni failing(withValue("MINIMUM_SPEED", "1e50 ; fast"));
    const nlohmann::json unreadable =
        nlohmann::json::parse(sim::doctor::formatJson(sim::doctor::diagnose(failing.path())));
    EXPECT_EQ(unreadable["exitStatus"], 1);
    EXPECT_EQ(unreadable["loadsWhole"], false);
    EXPECT_EQ(unreadable["unreadableLines"], 1);
    EXPECT_EQ(unreadable["settings"].back(),
              nlohmann::json::parse(R"({"section": "Optional", "key": "MINIMUM_SPEED", "field": "minimumSpeed",
                  "source": "unreadable", "line": 11, "text": "1e50 ; fast", "error": "stof argument out of range",
                  "loaded": 0.3, "value": 0.3, "clamped": false, "builtInDefault": true})"));
    // An empty line and a missing one: their defaults, no reason.
    TempIni sparse("[MouseWheel]\nSPEED_INCREMENT =\n");
    const nlohmann::json empty = nlohmann::json::parse(sim::doctor::formatJson(sim::doctor::diagnose(sparse.path())));
    EXPECT_EQ(empty["settings"][keyRowCount + 2]["source"], "empty");
    EXPECT_EQ(empty["settings"][keyRowCount + 2]["text"], "");
    EXPECT_EQ(empty["settings"][keyRowCount + 2]["error"], nullptr);
    EXPECT_EQ(empty["settings"][keyRowCount + 3]["source"], "missing");
    EXPECT_EQ(empty["settings"][keyRowCount + 3]["line"], nullptr);
}

// A file that is no settings file gets one finding and the settings, however
// large it is; a text file with a few odd bytes stays a settings file.
TEST(DoctorReport, NotASettingsFile)
{
    std::mt19937 random(5);
    std::string noise(1 << 20, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    std::ifstream plugin(AMBLEWORKS_PLUGIN_PATH, std::ios::binary);
    const std::string program((std::istreambuf_iterator<char>(plugin)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(program.empty());
    struct Case {
        const char* name;
        std::string bytes;
        const char* messagePart;
    };
    const std::vector<Case> cases = {
        {"random bytes", noise, "binary data"},
        {"zero bytes only", std::string(4096, '\0'), "binary data"},
        {"the plug-in itself", program, "program file"},
        {"a Windows program", "MZ\x90" + numbersOnly, "program file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Diagnosis diagnosis = sim::doctor::diagnoseBytes("x", c.bytes);
        EXPECT_FALSE(diagnosis.settingsText);
        EXPECT_EQ(diagnosis.exitStatus(), 1);
        ASSERT_EQ(diagnosis.findings.size(), 1u) << describe(diagnosis);
        EXPECT_EQ(diagnosis.findings[0].kind, "not-a-settings-file");
        EXPECT_EQ(diagnosis.findings[0].severity, Severity::problem);
        EXPECT_NE(diagnosis.findings[0].message.find(c.messagePart), std::string::npos);
        EXPECT_EQ(diagnosis.findingsNotShown, 0u);
        EXPECT_EQ(diagnosis.settings.size(), loadRowCount());
    }
    std::string ansi = numbersOnly + "; caf\xE9, na\xEFve, \xE0 la carte\n";
    EXPECT_TRUE(sim::doctor::diagnoseBytes("x", ansi).settingsText);
}

// Findings past the first 50 are counted, not kept, in both reports.
TEST(DoctorReport, FindingsAreCapped)
{
    std::string file = numbersOnly + "[Optional]\n";
    for (int i = 0; i < 300; ++i)
        file += "UNKNOWN_" + std::to_string(i) + " = 1\nMINIMUM_SPEED = 0.3\n";
    const Diagnosis diagnosis = sim::doctor::diagnoseBytes("x", file);
    ASSERT_EQ(diagnosis.findings.size(), sim::doctor::findingLimit);
    // 300 unknown keys and 300 earlier MINIMUM_SPEED lines (the last one
    // wins), kept in file order: line 11, then lines 13 to 61.
    EXPECT_EQ(diagnosis.findings.size() + diagnosis.findingsNotShown, 600u);
    EXPECT_EQ(diagnosis.findings[0].line, 11u);
    EXPECT_EQ(diagnosis.findings[1].line, 13u);
    EXPECT_EQ(diagnosis.findings.back().line, 61u);
    EXPECT_NE(sim::doctor::formatText(diagnosis).find("... and 550 more findings, not shown"), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(sim::doctor::formatJson(diagnosis))["findingsNotShown"], 550);
}

TEST(DoctorReport, KeyNames)
{
    // Key codes under the one table's names.
    const std::vector<std::pair<int32_t, std::string>> keys = {
        {0x12, "0x12 (Alt)"},          {0x14, "0x14 (Caps Lock)"},
        {0xA4, "0xA4 (Left Alt)"},     {0x41, "0x41 (A)"},
        {0x63, "0x63 (Numpad 3)"},     {0x74, "0x74 (F5)"},
        {0x18, "0x18 (no named key)"}, {0xFE, "0xFE (no named key)"},
        {0, "0x00 (no key)"},          {0xFF, "0xFF (no key)"},
        {0x100, "0x100 (no key)"},     {-1, "-1 (no key)"},
    };
    for (const auto& [code, words] : keys)
        EXPECT_EQ(sim::doctor::keyWords(code), words);
}

}  // namespace
