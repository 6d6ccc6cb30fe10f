#pragma once
// The plug-in's own small INI reader: a file of [sections] holding
// key = value lines, read into memory once. Section and key names are
// case-insensitive (stored trimmed and lower-cased); values are the file's
// text, trimmed. A lookup of something that is not there creates it empty, so
// a lookup never fails.

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

// What one line of the file is.
enum class IniLineKind {
    blank = 0,
    comment = 1,
    section = 2,
    keyValue = 3,
    unrecognised = 4,
};

// The keys of one section with their values, in the order the keys first
// appeared. References returned by `value` stay valid while the section lives
// (entries are only ever appended, to a deque).
class IniSection {
public:
    // The value text of `key` (trimmed and lower-cased first); appends the
    // key with an empty value when the section has no such key.
    std::string& value(std::string key);

    // The value text of a key already in the form the section stores it
    // (trimmed and lower-cased), or nullptr when the section has no such key.
    // Unlike `value`, it adds nothing.
    const std::string* findStored(const std::string& storedKey) const;

    std::deque<std::pair<std::string, std::string>> entries;
    std::unordered_map<std::string, std::size_t> keyIndex;
};

// A whole file in memory: its sections in the order their names were first
// seen. References returned by `section` stay valid until the next `read`.
class IniDocument {
public:
    // The section named `name` (trimmed and lower-cased first); appends an
    // empty one when the document has none of that name.
    IniSection& section(std::string name);

    // The section of a name already in the form the document stores it
    // (trimmed and lower-cased), or nullptr when there is none. Unlike
    // `section`, it adds nothing.
    const IniSection* findStored(const std::string& storedName) const;

    std::deque<std::pair<std::string, IniSection>> sections;
    std::unordered_map<std::string, std::size_t> sectionIndex;
};

// One line of a file as `read` sorted it, for tools that explain a file line
// by line. The views are valid only during the call that receives them.
struct IniLine {
    std::size_t number = 0;  // 1 for the first line of the file
    std::string_view text;   // the line as read: no CR or NUL, no byte-order mark
    IniLineKind kind = IniLineKind::blank;
    std::string_view name;   // section name or key, as classifyLine gave it
    std::string_view value;  // value of a key/value line
    bool stored = false;     // a key/value line that went into a section
};

// Reads one file, given by its path, into a document.
class IniReader {
public:
    explicit IniReader(std::string path);

    // Replaces the document's contents with what the file holds. False, with
    // the document left empty, when the path is empty or does not name a
    // regular file that can be opened and measured; true otherwise, whatever
    // the file contains. Throws nothing but memory exhaustion.
    bool read(IniDocument& document);

    // Takes in the whole file as `read` does, with one size query and one
    // bulk read, and hands over its bytes untouched. False (and `bytes`
    // empty) exactly when `read` would return false.
    bool readFileBytes(std::string& bytes);

    // Replaces the document's contents with what a file holding `bytes`
    // gives `read`: the same byte-order mark, lines, document and onLine
    // calls. For tools that have the bytes in memory already (the INI
    // doctor, the fuzz targets); the plug-in itself always reads the file.
    void readBytes(std::string bytes, IniDocument& document);

    // When set, `read` hands it every line of the file in order, once the
    // line is sorted. The plug-in leaves it empty; the simulator's INI doctor
    // uses it to give line numbers with exactly the reader's verdicts.
    std::function<void(const IniLine&)> onLine;

private:
    // Sorts the lines of a file's bytes into the document, which must be
    // empty. The bytes are cut down in place to the text the lines come from.
    void parseBytes(std::string& bytes, IniDocument& document) const;

    std::string path;
};

// Removes the six blank bytes (space, TAB, LF, CR, FF, VT) from both ends.
void trimBlanks(std::string& text);

// Says what one line is. For a section header `name` receives the section
// name; for a key/value line `name` receives the key and `value` the value;
// both are emptied first.
IniLineKind classifyLine(const std::string& line, std::string& name, std::string& value);

// Lower-cases the ASCII letters A to Z only, whatever locale the process has
// set: the same bytes the C library's tolower changes in the "C" locale.
void lowerCaseAscii(std::string& text);
