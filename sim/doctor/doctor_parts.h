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
#include "host/plugin_keys.h"
#include "text/text_bytes.h"

namespace sim::doctor {

// ---------------------------------------------------------------------------
// Names (names.cpp)

// The rows in the order the load reads them: the keys of [Keys], then the 19.
inline constexpr std::size_t loadRowCount = keyRowCount + settingRowCount;
inline constexpr std::size_t noIndex = static_cast<std::size_t>(-1);
const SettingRow& loadRow(std::size_t index);

// The load-order index of a key named in any letter case, or noIndex.
std::size_t loadRowOfKey(std::string_view key);
// The table's spelling of a section named in any letter case, or nullptr.
const char* knownSection(std::string_view name);
bool sameName(std::string_view written, std::string_view known);

// The closest known key or section to `written`, or "" when none is near.
std::string nearestKey(const std::string& written);
std::string nearestSection(const std::string& written);

std::string quoted(const std::string& text);
// "problem", "warning" or "note", in both reports.
const char* severityName(Severity severity);
std::string number(std::size_t value);
// A line or value as a finding keeps it: texts longer than longestLineKept
// cut, with "..." after.
inline constexpr std::size_t longestLineKept = 120;
std::string clipped(std::string_view text);

// A key code with its name: "0x12 (Alt)", "0x18 (no key on a keyboard)",
// "-1 (no key)".
std::string keyWords(int32_t code);
// The code of the key a text names ("Alt", "left shift", "F9", "Numpad 1"),
// or -1 when it names none.
int32_t keyCodeNamed(std::string_view text);

// ---------------------------------------------------------------------------
// The whole file (file_bytes.cpp)

// What the raw bytes show before the reader drops any of them.
struct FileFacts {
    bool utf16 = false;        // starts with a UTF-16 byte-order mark
    bool crOnly = false;       // CR bytes but no LF: one single line
    bool settingsText = true;  // text, not a program or other binary file
    bool programFile = false;  // starts like a Windows or Linux program (.asi, .exe, .so)
};

FileFacts inspectBytes(const std::string& bytes);
using text::wellFormedUtf8Length;
void fileFindings(const FileFacts& facts, std::vector<Finding>& findings);

// ---------------------------------------------------------------------------
// The lines (line_scan.cpp)

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
    std::vector<std::size_t> wrongSectionRows;  // per kept finding: its key's row, or noIndex
};

// Findings for a key line that stands where the plug-in does not take it.
Finding unrecognisedLineFinding(const IniLine& line);
Finding unknownSectionFinding(const IniLine& line);

// ---------------------------------------------------------------------------
// Values and keys (values.cpp, keys.cpp)

// How many leading bytes of a value text the row's conversion reads; the
// rest it ignores.
std::size_t numberExtent(const SettingRow& row, const std::string& text);

// The loader's failure text in a player's words ("not a number").
std::string failureWords(const std::string& error);

// A finding about a setting's line, its place filled in.
Finding findingAbout(const SettingUse& use);

// What the value's text says beyond the value read: flags that are not 0 or
// 1, remarks, decimal commas, text after a number.
void valueTextFindings(const SettingUse& use, bool stopsHere, std::vector<Finding>& findings);
// What a stored value does in play: clamps, values that defeat a feature,
// missing flags, the plug-in starting switched off.
void valueEffectFindings(const SettingUse& use, std::vector<Finding>& findings);

// A key code written as a key name or in decimal.
void keyTextFindings(const SettingUse& use, std::vector<Finding>& findings);
// Keys that name no key, never arrive, need Num Lock, or share a key.
void keyEffectFindings(const std::vector<SettingUse>& uses, std::vector<Finding>& findings);

// A hotkey as the player presses it: "End+Numpad 2", or "Numpad 2" alone
// with no modifier (or a modifier that is the key itself); "" when no keys
// make it act. Reads the loaded settings.
std::string hotkeyWords(Hotkey hotkey);

}  // namespace sim::doctor
