#pragma once
// What the editor's own files share: the names (setting_names.cpp), the
// file's lines as bytes and as the plug-in's reader sorts them
// (file_lines.cpp), and the edit with its read-back (ini_edit.cpp). Not for
// use outside sim/ini_edit and its tests.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/ini_reader.h"
#include "ini_edit/ini_edit.h"

// Index of this file:
// [SECTION] Names (setting_names.cpp)
// [SECTION] The lines (file_lines.cpp)
// [SECTION] The value on a line (ini_edit.cpp)

namespace sim::ini_edit {

// ---------------------------------------------------------------------------
// [SECTION] Names (setting_names.cpp)

// A section or key name as the reader looks it up: blanks at the ends
// dropped, A to Z lower-cased.
std::string lookupName(std::string_view name);

// Where a row stands in editableRows(): the order of new lines.
std::size_t rowOrder(const SettingRow* row);

// ---------------------------------------------------------------------------
// [SECTION] The lines (file_lines.cpp)

// One line of the file's bytes, cut where the reader cuts lines (at each
// LF). It runs from `start` (after the byte-order mark on the first line) to
// `end`, where its LF stands or the file ends; a CR before the LF is part of
// it, as are any CR and NUL bytes the reader drops.
struct RawLine {
    std::size_t start = 0;
    std::size_t end = 0;
    bool hasLf = false;
};

// Walks a file's lines from the first to the last, without keeping them.
class LineCursor {
public:
    explicit LineCursor(const std::string& bytes);
    // The line numbered `number` (1 for the first), at or after the line
    // last asked for; the last line when the file has fewer.
    RawLine line(std::size_t number);

private:
    const std::string& bytes_;
    std::size_t number_ = 1;
    RawLine line_;
};

// What a file's bytes look like as a whole.
struct FileShape {
    std::size_t markLength = 0;    // 3 with a UTF-8 byte-order mark, else 0
    std::size_t lineCount = 1;     // as the reader counts: one more than the LF bytes
    bool empty = false;            // nothing but (perhaps) the byte-order mark
    bool endsWithLineEnd = false;  // the last byte is an LF
    std::string lineEnd;           // what new lines end with: what most lines end with,
                                   // CR LF when as many end with LF alone or none ends
};

FileShape shapeOf(const std::string& bytes);

// Where in the file's bytes the byte stands that the reader saw at `at` in
// the line's text (the reader drops every CR and NUL byte).
std::size_t rawOffset(const std::string& bytes, const RawLine& line, std::size_t at);

// The line the plug-in takes a key's value from: the last line of the key
// in its own section.
struct KeyLine {
    std::size_t number = 0;  // 0: the section holds no line of the key
    std::string text;        // the line as the reader saw it
    std::string value;       // its value text, as the reader read it
};

// Where a section's lines end.
struct SectionPlace {
    std::size_t lastHeader = 0;
    std::size_t lastKeyLine = 0;  // 0: no key line stored in it
};

// What the plug-in's reader made of a file, as far as writing needs it.
struct FileScan {
    IniDocument document;
    std::vector<KeyLine> keyLines;                           // one per row asked about
    std::unordered_map<std::string, SectionPlace> sections;  // by lookup name
    bool lastLineBlank = false;                              // the reader's last line is blank
    bool lineBeforeLastBlank = false;                        // and the one before it
};

// Reads `bytes` with the plug-in's reader, finding the lines of `rows`.
FileScan scanFile(const std::string& bytes, const std::vector<const SettingRow*>& rows);

// ---------------------------------------------------------------------------
// [SECTION] The value on a line (ini_edit.cpp)

// Where on a key line (the reader's text of it) the value's own text
// stands: after the separator's blanks, before a note and the blanks in
// front of it. For an empty value, where a value goes: after "=" and one
// blank there. `noteAtStart`: a note stands right there, so a value written
// in needs a blank after it.
struct ValueSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    bool noteAtStart = false;
};

// False when the line's text does not end with its value (no key line of a
// setting is such a line).
bool locateValue(std::string_view text, std::string_view value, ValueSpan& span);

// True when the two documents hold the same sections, keys and value texts,
// in the same order.
bool sameDocument(const IniDocument& a, const IniDocument& b);

}  // namespace sim::ini_edit
