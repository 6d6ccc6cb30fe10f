#pragma once
// The INI doctor (`ambleworks-sim doctor`, and AmbleworksDoctor.exe for
// players): reads an Ambleworks.ini with the plug-in's own reader and loader,
// linked in from src/config, and says in a player's words what the plug-in
// will make of it: the settings it will use and where each comes from (its
// line, or the built-in default for a line that is missing, empty or cannot
// be read), what it read where the player wrote a word, a key name or a
// decimal comma, and every line that does not do what it seems to (ignored
// lines, typos, keys under the wrong section, words it does not know, keys
// that never act, ...).
//
// It declares the verdict (Diagnosis, diagnose) and the reports (text, JSON).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "text/printable.h"

namespace sim::doctor {

// How much a finding matters to the player.
enum class Severity {
    problem,  // a line that cannot be read, a file that is not read or is no settings file
    warning,  // a line or value that does not do what it seems to
    note,     // works: what the doctor read, or worth knowing
};

// One thing the doctor has to say, about one line (or the whole file).
struct Finding {
    std::size_t line = 0;  // 1 for the first line; 0 for the file as a whole
    Severity severity = Severity::note;
    std::string kind;        // stable name for tools, e.g. "unknown-key"
    std::string section;     // the section it concerns, when there is one
    std::string key;         // the key it concerns, when there is one
    std::string text;        // the value text, when it is about a value
    std::string suggestion;  // the closest known name, when one is near
    std::string message;     // what to tell the player
    std::string lineText;    // the line as the reader saw it (long lines cut)
};

// Where the value a setting ends up with comes from. Every source but `file`
// gives the setting its built-in default.
enum class Source {
    file,        // the key's line in the file
    missing,     // the key has no line in its own section
    empty,       // the key's line is empty, or holds only a note
    unreadable,  // the key's line holds no number the setting can take
    noFile,      // the file could not be read
};

// One setting as the plug-in will use it.
struct SettingUse {
    const SettingRow* row = nullptr;
    Source source = Source::missing;
    std::size_t line = 0;                     // the line whose value was read; 0 when the key has none
    std::string text;                         // that line's value text, a note after it included
    ReadFailure failure = ReadFailure::none;  // why an unreadable line gives no number
    SettingValue loaded;                      // right after the load
    SettingValue used;                        // after the per-tick clamps: what play sees
    bool clamped = false;                     // the clamps changed it
    bool plainText = true;                    // the text is plainly the value (0 or 1 for a switch, a
                                              // code for a key, a number alone), so the report need
                                              // not quote it
    bool differsFromDefault = false;
};

// How many findings a report keeps; the rest are only counted.
inline constexpr std::size_t findingLimit = 50;

// Everything the doctor found in one file.
struct Diagnosis {
    std::string path;
    bool readable = false;
    bool settingsText = true;          // false: the bytes are not text (see docs/doctor.md)
    std::size_t lineCount = 0;         // as a player counts them: a last empty line is no line
    std::size_t unreadableLines = 0;   // settings whose line cannot be read
    std::vector<SettingUse> settings;  // one per row, in load order: [Keys] first
    std::vector<Finding> findings;     // by line, the whole file first; at most findingLimit
    std::size_t findingsNotShown = 0;  // found beyond findingLimit

    // 0: every line reads as written; 1: a line cannot be read, or the file is
    // no settings file; 2: the file cannot be read.
    int exitStatus() const { return !readable ? 2 : !settingsText || unreadableLines > 0 ? 1 : 0; }
};

// Reads `path` as the plug-in reads Ambleworks.ini and explains it. Uses (and
// leaves behind) the process-wide settings records of the linked plug-in
// code, which it first puts back to their built-in defaults.
Diagnosis diagnose(const std::string& path);

// diagnose on bytes already in memory, as if a readable file held them;
// `path` is only shown.
Diagnosis diagnoseBytes(const std::string& path, std::string bytes);

// The report for a player: plain ASCII, every other byte written as \xNN.
std::string formatText(const Diagnosis& diagnosis);

// The report for tools: one JSON object, field names stable, pure ASCII.
std::string formatJson(const Diagnosis& diagnosis);

// The `doctor` subcommand: diagnoses `path`, prints the report (or the JSON)
// on stdout and returns the exit status.
int doctorCommand(const std::string& path, bool json);

// A key code with its name, as the reports show it: "0x12 (Alt)", "0x18 (no
// named key)", "-1 (no key)" (exposed for tests).
std::string keyWords(int32_t code);

// Text as the text report prints it: bytes 0x20 to 0x7E as they are, every
// other byte as \xNN (sim/text/printable.h, which the scenario parser's
// errors use too).
using text::printable;

// Bytes as valid UTF-8: well-formed sequences as they are, any other byte as
// the character of the same number, U+0080 to U+00FF (exposed for tests).
std::string validUtf8(const std::string& bytes);

}  // namespace sim::doctor
