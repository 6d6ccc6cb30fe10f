#pragma once
// What the doctor's own files share: the names it knows (names.cpp), the
// whole-file checks (file_bytes.cpp), the line-by-line scan (line_scan.cpp),
// the findings about values (values.cpp) and about keys (keys.cpp). Not for
// use outside sim/doctor.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/ini_reader.h"
#include "doctor/doctor.h"
#include "doctor/file_bytes.h"
#include "host/plugin_keys.h"
#include "text/text_bytes.h"

// Index of this file:
// [SECTION] Names (names.cpp)
// [SECTION] The whole file (file_bytes.cpp)
// [SECTION] The lines (line_scan.cpp)
// [SECTION] Values and keys (values.cpp, keys.cpp)

namespace sim::doctor {

// ---------------------------------------------------------------------------
// [SECTION] Names (names.cpp)

inline constexpr std::size_t noIndex = static_cast<std::size_t>(-1);

// The load-order index of a key named in any letter case, or noIndex.
std::size_t loadRowOfKey(std::string_view key);
// The table's spelling of a section named in any letter case, or nullptr.
const char* knownSection(std::string_view name);
bool sameName(std::string_view written, std::string_view known);

// The closest known key or section to `written`, or "" when none is near.
std::string nearestKey(const std::string& written);
std::string nearestSection(const std::string& written);
// The spelling of a key in the plug-in's table of names closest to a text
// that names no key ("Atl": "Alt", "VK_F9": "F9"), or "" when none is near.
std::string nearestKeyName(std::string_view written);

std::string quoted(const std::string& text);
// "problem", "warning" or "note", in both reports.
const char* severityName(Severity severity);
std::string number(std::size_t value);
// A line or value as a finding keeps it: texts longer than longestLineKept
// cut, with "..." after.
inline constexpr std::size_t longestLineKept = 120;
std::string clipped(std::string_view text);

// A setting's value as the player reads it: on/off, a speed, a key code with
// its name, a whole number.
std::string valueWords(const SettingRow& row, const SettingValue& value);
// The built-in default of a row, in those words.
std::string defaultWords(const SettingRow& row);

// ---------------------------------------------------------------------------
// [SECTION] The whole file (file_bytes.cpp)

// FileFacts and inspectBytes: doctor/file_bytes.h.
using text::wellFormedUtf8Length;
void fileFindings(const FileFacts& facts, std::vector<Finding>& findings);

// ---------------------------------------------------------------------------
// [SECTION] The lines (line_scan.cpp)

// A line of the file as a finding may quote it.
struct LineRef {
    std::size_t number = 0;
    std::string text;  // clipped
};

// The lines of one key in its own section: how many, the first few, the last.
struct Occurrences {
    std::size_t count = 0;
    std::vector<LineRef> first;  // up to findingLimit + 1
    LineRef last;
};

// Sees each line as the reader sorts it and keeps only what the findings
// need, so a file of any size costs little beyond the reader's own memory:
// the first findingLimit findings of the lines themselves (the rest counted)
// and the lines of each known key.
class LineScan {
public:
    explicit LineScan(bool findLines) : findLines(findLines) { }

    void see(const IniLine& line);
    // After the last line: the duplicates, and the "it uses line N" words.
    void finish();

    std::size_t lineCount() const { return lastLineEmpty && lines > 0 ? lines - 1 : lines; }
    const Occurrences& of(std::size_t row) const { return occurrences[row]; }

    std::vector<Finding> findings;  // the lines' own findings, by line
    std::size_t findingsNotKept = 0;

private:
    bool room();
    void keep(Finding finding, std::size_t row = noIndex);
    void seeKeyValue(const IniLine& line, std::size_t row);
    void seeUnknownKey(const IniLine& line);

    bool findLines;
    std::size_t lines = 0;
    bool lastLineEmpty = false;
    std::string section;  // as written ("" before the first header)
    Occurrences occurrences[loadRowCount];
    std::vector<std::size_t> meantRows;  // per kept finding: the known key it stands for, or noIndex
};

// Findings for a key line that stands where the plug-in does not take it.
Finding unrecognisedLineFinding(const IniLine& line);
Finding unknownSectionFinding(const IniLine& line);

// ---------------------------------------------------------------------------
// [SECTION] Values and keys (values.cpp, keys.cpp)

// The loader's failure text in a player's words ("not a number").
std::string failureWords(ReadFailure failure);

// A finding about a setting's line, its place filled in.
Finding findingAbout(const SettingUse& use);

// Whether a setting's text is plainly its value (SettingUse::plainText).
bool isPlainText(const SettingUse& use);

// What the doctor read from a line's text where the player wrote more than
// the plain value (words for a switch, a decimal comma, a key name, text
// after a number), the line that cannot be read, and the line that gives
// nothing.
void valueTextFindings(const SettingUse& use, std::vector<Finding>& findings);
// What a stored value does in play: clamps, values that defeat a feature,
// the plug-in starting switched off.
void valueEffectFindings(const SettingUse& use, std::vector<Finding>& findings);

// How a key setting's text reads: a key's name, a hexadecimal code, a code
// with other text after it, or neither (a name the plug-in does not know).
enum class KeyText { name, code, codeThenText, unknown };
KeyText keyTextOf(std::string_view text);

// A key name, a key code written in decimal, a name the plug-in does not know.
void keyTextFindings(const SettingUse& use, std::vector<Finding>& findings);
// Keys that name no key, never arrive, need Num Lock, or share a key.
void keyEffectFindings(const std::vector<SettingUse>& uses, std::vector<Finding>& findings);

// A hotkey as the player presses it: "End+Numpad 2", or "Numpad 2" alone
// with no modifier (or a modifier that is the key itself); "" when no keys
// make it act. Reads the loaded settings.
std::string hotkeyWords(Hotkey hotkey);

}  // namespace sim::doctor
