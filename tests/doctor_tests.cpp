// The INI doctor: every kind of finding, where the load stops, where each
// setting comes from, the exit statuses, and the JSON text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "doctor/doctor.h"

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

// The index of a key in the load's table.
std::size_t rowOf(const std::string& key)
{
    for (std::size_t i = 0; i < settingRowCount; ++i) {
        if (key == settingRows[i].key)
            return i;
    }
    ADD_FAILURE() << "no row " << key;
    return 0;
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

std::size_t countKind(const Diagnosis& diagnosis, const std::string& kind)
{
    return static_cast<std::size_t>(std::count_if(diagnosis.findings.begin(), diagnosis.findings.end(),
                                                  [&](const Finding& f) { return f.kind == kind; }));
}

// ---------------------------------------------------------------------------
// Findings about single lines, one case per kind.

struct LineCase {
    const char* name;
    std::string file;
    const char* kind;
    std::size_t line;
    Severity severity;
    const char* suggestion;   // "" when none is expected
    const char* messagePart;  // a piece of the message the player must see
};

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
         "'#' does not start a comment"},
        {"key commented out with '#'", numbersOnly + "[Shift]\n# SHIFT_TAP_ENABLED = 0\n", "unknown-key", 13,
         Severity::warning, "", "'#' does not start a comment"},
        {"unknown section", numbersOnly + "[Mouse Wheel]\n", "unknown-section", 12, Severity::warning, "MouseWheel",
         "not a section the plug-in reads"},
        {"unknown section with nothing near", numbersOnly + "[Graphics]\n", "unknown-section", 12, Severity::warning,
         "", "not a section"},
        {"duplicate key: the earlier line", "[MouseWheel]\nSPEED_INCREMENT = 0.1\n" + numbersOnly, "duplicate-key", 2,
         Severity::note, "", "given again on line 4"},
        {"flag false", numbersOnly + "[General]\nENABLED = false\n", "flag-not-0-or-1", 13, Severity::warning, "",
         "reads as on"},
        {"flag no", numbersOnly + "[General]\nENABLED = no\n", "flag-not-0-or-1", 13, Severity::warning, "",
         "Only the text 0 switches it off"},
        {"flag 00", numbersOnly + "[General]\nENABLED = 00\n", "flag-not-0-or-1", 13, Severity::warning, "",
         "reads as on"},
        {"flag 0 with a remark", numbersOnly + "[General]\nENABLED = 0 ; off\n", "flag-not-0-or-1", 13,
         Severity::warning, "", "part of the value"},
        {"flag empty", numbersOnly + "[General]\nENABLED =\n", "flag-not-0-or-1", 13, Severity::warning, "",
         "is empty"},
        {"flag true", numbersOnly + "[General]\nENABLED = true\n", "flag-not-0-or-1", 13, Severity::note, "",
         "reads as on"},
        {"flag 1 with a remark", numbersOnly + "[General]\nENABLED = 1 ; on\n", "flag-not-0-or-1", 13, Severity::note,
         "", "part of the value"},
        {"remark after a number", "[MouseWheel]\nSPEED_INCREMENT = 0.1 ; faster\n" + numbersOnly.substr(36),
         "trailing-remark", 2, Severity::note, "", "\"; faster\""},
        {"fraction for a whole number",
         numbersOnly.substr(0, numbersOnly.find("KEEP")) + "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE = 2.9\n"
                                                           "[Optional]\nMINIMUM_SPEED = 0.3\n",
         "ignored-text", 9, Severity::note, "", "Only \"2\" is read"},
        {"walk key beyond 254", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 100\n", "walk-key-none", 13,
         Severity::warning, "", "0x100"},
        {"walk key FF", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = FF\n", "walk-key-none", 13, Severity::warning,
         "", "0xFF"},
        {"walk key negative", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = -1\n", "walk-key-none", 13,
         Severity::warning, "", "-1"},
        {"walk key of no digits", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = zz\n", "walk-key-none", 13,
         Severity::warning, "", "0x00"},
        {"walk key that is Shift", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 10\n", "walk-key-shared", 13,
         Severity::warning, "", "Shift taps"},
        {"walk key that is End", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 0x23\n", "walk-key-shared", 13,
         Severity::warning, "", "End+Numpad hotkeys"},
        {"walk key written in decimal", numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 18\n", "walk-key-hexadecimal",
         13, Severity::note, "", "18 is 0x18"},
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
         "End+Numpad2"},
        {"missing flag whose default is off", numbersOnly, "missing-flag", 0, Severity::warning, "",
         "REMEMBER_FAST_WALK is missing"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempIni ini(c.file);
        const Diagnosis diagnosis = sim::doctor::diagnose(ini.path());
        const Finding* finding = findKind(diagnosis, c.kind, c.line);
        ASSERT_NE(finding, nullptr) << "no " << c.kind << " at line " << c.line << "; found:\n" << describe(diagnosis);
        EXPECT_EQ(finding->severity, c.severity);
        EXPECT_EQ(finding->suggestion, c.suggestion);
        EXPECT_NE(finding->message.find(c.messagePart), std::string::npos) << finding->message;
    }
}

// Lines that do what they seem to give no finding at all.
TEST(DoctorFindings, PlainLinesGiveNone)
{
    const std::vector<std::string> files = {
        numbersOnly,
        numbersOnly + "; a comment\n\n   ; an indented comment\n",
        numbersOnly + "[Shift]\nSHIFT_TAP_ENABLED = 1\n[shift]\nshift_tap_stop_running=1\n",  // reopened, merged
        "\xEF\xBB\xBF" + numbersOnly,  // a byte-order mark is skipped
        numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 0x12\nREMEMBER_FAST_WALK = 1\n",
        numbersOnly + "[ Optional ]\nDISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA = 0\n",
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        TempIni ini(file);
        const Diagnosis diagnosis = sim::doctor::diagnose(ini.path());
        EXPECT_EQ(diagnosis.exitStatus(), 0);
        // The missing flag REMEMBER_FAST_WALK (default off, reads as on) is
        // the only thing worth saying about these files.
        for (const Finding& finding : diagnosis.findings)
            EXPECT_EQ(finding.kind, "missing-flag") << describe(diagnosis);
    }
}

// The shipped Ambleworks.ini loads whole and gives nothing to report.
TEST(DoctorFindings, TheShippedFileIsClean)
{
    const Diagnosis diagnosis = sim::doctor::diagnose(AMBLEWORKS_SOURCE_DIR "/Ambleworks.ini");
    EXPECT_TRUE(diagnosis.readable);
    EXPECT_EQ(diagnosis.exitStatus(), 0);
    EXPECT_TRUE(diagnosis.findings.empty()) << describe(diagnosis);
    for (const sim::doctor::SettingUse& use : diagnosis.settings) {
        EXPECT_EQ(use.source, Source::file) << use.row->key;
        EXPECT_FALSE(use.differsFromDefault) << use.row->key;
    }
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempIni ini(c.bytes);
        const Diagnosis diagnosis = sim::doctor::diagnose(ini.path());
        EXPECT_NE(findKind(diagnosis, c.kind, 0), nullptr) << describe(diagnosis);
    }
    // With CR alone the whole file is one line, whose header swallows the rest:
    // nothing loads and the load stops at the first number.
    TempIni ini(crOnly);
    const Diagnosis diagnosis = sim::doctor::diagnose(ini.path());
    EXPECT_EQ(diagnosis.lineCount, 1u);
    ASSERT_TRUE(diagnosis.stop);
    EXPECT_EQ(diagnosis.stop->row, rowOf("SPEED_INCREMENT"));
}

// ---------------------------------------------------------------------------
// Where the load stops, and what every setting then holds.

struct StopCase {
    const char* name;
    std::string file;
    const char* key;   // the row that stops the load
    std::size_t line;  // its line, 0 when missing
    const char* error;
    const char* messagePart;
};

TEST(DoctorLoad, StopsAtTheFailingRowAndTheRestKeepTheirDefaults)
{
    auto replaced = [](const std::string& from, const std::string& to) {
        std::string file = numbersOnly;
        file.replace(file.find(from), from.size(), to);
        return file;
    };
    const std::vector<StopCase> cases = {
        {"letters for a speed, early", replaced("0.06", "fast"), "SPEED_INCREMENT", 2, "invalid stof argument",
         "is not a number"},
        {"a float too large, late", replaced("MINIMUM_SPEED = 0.3", "MINIMUM_SPEED = 1e50"), "MINIMUM_SPEED", 11,
         "stof argument out of range", "too large or too small"},
        {"a letter for the mode", replaced("MODE = 3", "MODE = x"), "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", 9,
         "invalid stoi argument", "not a whole number"},
        {"a mode beyond 32 bits", replaced("MODE = 3", "MODE = 99999999999"), "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE",
         9, "stoi argument out of range", "beyond"},
        {"an empty speed", replaced("= 1.78", "="), "SHIFT_TAP_CUSTOM_SPEED", 4, "invalid stof argument", "is empty"},
        {"a missing speed", replaced("SLOW_WALK_CUSTOM_SPEED = 0.7\n", ""), "SLOW_WALK_CUSTOM_SPEED", 0,
         "invalid stof argument", "is missing from [WalkControl]"},
        {"a speed only under the wrong section",
         replaced("MINIMUM_SPEED = 0.3\n", "").replace(numbersOnly.find("[Advanced]") + 11, 0, "MINIMUM_SPEED = 0.2\n"),
         "MINIMUM_SPEED", 0, "invalid stof argument", "Line 9 has MINIMUM_SPEED under [Advanced]"},
        {"a speed only misspelt", replaced("SPEED_INCREMENT", "SPEED_INCRMENT"), "SPEED_INCREMENT", 0,
         "invalid stof argument", "Line 2 has SPEED_INCRMENT"},
        {"an empty file", "", "SPEED_INCREMENT", 0, "invalid stof argument", "is missing"},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempIni ini(c.file);
        const Diagnosis diagnosis = sim::doctor::diagnose(ini.path());
        EXPECT_EQ(diagnosis.exitStatus(), 1);
        ASSERT_TRUE(diagnosis.stop) << describe(diagnosis);
        const std::size_t row = rowOf(c.key);
        EXPECT_EQ(diagnosis.stop->row, row);
        EXPECT_EQ(diagnosis.stop->line, c.line);
        EXPECT_EQ(diagnosis.stop->error, c.error);
        const Finding* finding = findKind(diagnosis, "load-stops", c.line);
        ASSERT_NE(finding, nullptr) << describe(diagnosis);
        EXPECT_EQ(finding->severity, Severity::problem);
        EXPECT_NE(finding->message.find(c.messagePart), std::string::npos) << finding->message;
        const bool last = row + 1 == settingRowCount;
        EXPECT_NE(finding->message.find(last ? " keeps its built-in default" : " settings after it keep their"),
                  std::string::npos)
            << finding->message;

        // The rows before it come from the file (or read as missing), it and
        // the rows after it keep the built-in defaults.
        for (std::size_t i = 0; i < settingRowCount; ++i) {
            const sim::doctor::SettingUse& use = diagnosis.settings[i];
            SCOPED_TRACE(use.row->key);
            if (i < row) {
                EXPECT_TRUE(use.source == Source::file || use.source == Source::missing);
            } else {
                EXPECT_EQ(use.source, i == row ? Source::stoppedHere : Source::notReached);
                EXPECT_FALSE(use.differsFromDefault);
            }
        }
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
    EXPECT_FALSE(diagnosis.stop);
    EXPECT_EQ(diagnosis.lineCount, 17u);  // the text after the last LF is a line too

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
        const sim::doctor::SettingUse& use = diagnosis.settings[rowOf(e.key)];
        EXPECT_EQ(use.source, e.source);
        EXPECT_EQ(use.line, e.line);
        EXPECT_EQ(use.clamped, e.clamped);
    }
    auto used = [&](const char* key) { return diagnosis.settings[rowOf(key)].used; };
    EXPECT_FALSE(used("ENABLED").flag);
    EXPECT_EQ(used("SPEED_INCREMENT").real, 0.1f);
    EXPECT_EQ(diagnosis.settings[rowOf("SHIFT_TAP_CUSTOM_SPEED")].loaded.real, 5.0f);
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
        EXPECT_FALSE(diagnosis.stop);
        ASSERT_EQ(diagnosis.findings.size(), 1u) << describe(diagnosis);
        EXPECT_EQ(diagnosis.findings[0].kind, "file-unreadable");
        EXPECT_NE(diagnosis.findings[0].message.find("built-in defaults"), std::string::npos);
        for (const sim::doctor::SettingUse& use : diagnosis.settings) {
            EXPECT_EQ(use.source, Source::noFile);
            EXPECT_FALSE(use.differsFromDefault) << use.row->key;
        }
    }
}

// A diagnosis starts from the built-in settings, whatever the one before left.
TEST(DoctorLoad, EachDiagnosisStartsFromTheBuiltInSettings)
{
    TempIni complete(numbersOnly + "[WalkControl]\nWALK_CONTROL_KEY = 43\n");
    EXPECT_EQ(sim::doctor::diagnose(complete.path()).settings[rowOf("WALK_CONTROL_KEY")].used.integer, 0x43);
    TempIni failing("[MouseWheel]\nSPEED_INCREMENT = 0.06\n[Shift]\nSHIFT_TAP_CUSTOM_SPEED = x\n");
    const Diagnosis diagnosis = sim::doctor::diagnose(failing.path());
    EXPECT_EQ(diagnosis.settings[rowOf("WALK_CONTROL_KEY")].used.integer, 0x12);
    EXPECT_EQ(countKind(diagnosis, "load-stops"), 1u);
}

// ---------------------------------------------------------------------------
// The reports

TEST(DoctorReport, TextNamesTheVerdictTheLinesAndTheSettings)
{
    TempIni ini(numbersOnly.substr(0, numbersOnly.find("[Shift]")) + "[Shift]\nSHIFT_TAP_CUSTOM_SPEED = quick\n");
    const std::string text = sim::doctor::formatText(sim::doctor::diagnose(ini.path()));
    for (const char* part : {
             "The load stops at line 4, SHIFT_TAP_CUSTOM_SPEED (invalid stof argument)",
             "line 4: SHIFT_TAP_CUSTOM_SPEED = quick",
             "problem: SHIFT_TAP_CUSTOM_SPEED = quick is not a number",
             "SPEED_INCREMENT                         0.06        line 2",
             "SHIFT_TAP_CUSTOM_SPEED                  1.78        built-in default: this value stops the load",
             "MINIMUM_SPEED                           0.3         built-in default: the load stops before this key",
             "WALK_CONTROL_KEY                        0x12 (Alt)",
         }) {
        EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\n" << text;
    }
}

TEST(DoctorReport, JsonStringsAreEscaped)
{
    struct Case {
        std::string bytes;
        std::string json;
    };
    const std::vector<Case> cases = {
        {"plain", "\"plain\""},
        {"say \"hi\" \\ there", "\"say \\\"hi\\\" \\\\ there\""},
        {"tab\there\nline", "\"tab\\there\\nline\""},
        {std::string("nul\0x\x1F\x7F", 7), "\"nul\\u0000x\\u001f\\u007f\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {"\xFF\xFE", "\"\\u00ff\\u00fe\""},             // no UTF-8 at all
        {"\xC3", "\"\\u00c3\""},                        // cut short
        {"\xC0\xAF", "\"\\u00c0\\u00af\""},             // overlong
        {"\xE0\x80\xAF", "\"\\u00e0\\u0080\\u00af\""},  // overlong, three bytes
        {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},  // a surrogate
    };
    for (const Case& c : cases)
        EXPECT_EQ(sim::doctor::jsonString(c.bytes), c.json);
}

TEST(DoctorReport, JsonHasTheStableFields)
{
    TempIni ini(numbersOnly + "[MouseWheel]\nSPEED_INCRMENT = \"0.1\"\n");
    const std::string json = sim::doctor::formatJson(sim::doctor::diagnose(ini.path()));
    for (const char* part : {
             "\"readable\": true",
             "\"loadsWhole\": true",
             "\"exitStatus\": 0",
             "\"stop\": null",
             "{\"section\": \"MouseWheel\", \"key\": \"SPEED_INCREMENT\", \"field\": \"speedIncrement\", "
             "\"source\": \"file\", \"line\": 2, \"text\": \"0.06\", \"loaded\": 0.06, \"value\": 0.06, "
             "\"clamped\": false, \"builtInDefault\": true}",
             "{\"line\": 13, \"severity\": \"warning\", \"kind\": \"unknown-key\", \"section\": \"MouseWheel\", "
             "\"key\": \"SPEED_INCRMENT\", \"text\": \"\\\"0.1\\\"\", \"suggestion\": \"SPEED_INCREMENT\", ",
         }) {
        EXPECT_NE(json.find(part), std::string::npos) << "missing: " << part << "\n" << json;
    }
}

TEST(DoctorReport, NamesAndDistances)
{
    EXPECT_EQ(sim::doctor::editDistance("SPEED_INCRMENT", "SPEED_INCREMENT"), 1u);
    EXPECT_EQ(sim::doctor::editDistance("", "ABC"), 3u);
    EXPECT_EQ(sim::doctor::editDistance("KITTEN", "SITTING"), 3u);
    EXPECT_EQ(sim::doctor::editDistance("SAME", "SAME"), 0u);
    EXPECT_EQ(sim::doctor::keyName(0x12), "Alt");
    EXPECT_EQ(sim::doctor::keyName(0x41), "A");
    EXPECT_EQ(sim::doctor::keyName(0x63), "Numpad 3");
    EXPECT_EQ(sim::doctor::keyName(0x74), "F5");
    EXPECT_EQ(sim::doctor::keyName(0xE7), "");
}

}  // namespace
