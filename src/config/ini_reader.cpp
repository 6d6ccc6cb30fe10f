#include "config/ini_reader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

// Index of this file:
// [SECTION] Blanks and lower-casing
// [SECTION] Lookups (IniSection::value, IniDocument::section)
// [SECTION] One line (classifyLine)
// [SECTION] The file (IniReader::read, readFileBytes, readBytes)

namespace {

// The six bytes a trim removes; no other byte, so a player's non-breaking
// space or other exotic byte stays part of the text.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// `text` without the six blank bytes at either end.
std::string_view trimmedView(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    std::size_t start = 0;
    while (start < end && isBlank(text[start]))
        ++start;
    return text.substr(start, end - start);
}

// The key of a key/value line with every "\=" turned back into "=".
void unescapeKeyInto(std::string_view key, std::string& plain)
{
    plain.clear();
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (key[i] == '\\' && i + 1 < key.size() && key[i + 1] == '=') {
            plain += '=';
            ++i;  // resume just after the replaced pair
        } else {
            plain += key[i];
        }
    }
}

// Where the first "=" stands that is not part of an escaped "\=" (pairs are
// taken from the left, so in "\\=" the second backslash escapes the "="), or
// npos.
std::size_t separatorOf(std::string_view line)
{
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '=')
            ++i;  // an escaped pair: skip both
        else if (line[i] == '=')
            return i;
    }
    return std::string_view::npos;
}

// classifyLine on a view of the line, so the reader sorts the lines of a file
// without copying each one.
IniLineKind classifyView(std::string_view line, std::string& name, std::string& value)
{
    name.clear();
    value.clear();

    line = trimmedView(line);
    if (line.empty())
        return IniLineKind::blank;
    // A semicolon starts a comment only as the first thing on the line; after
    // a value it is part of the value.
    if (line[0] == ';')
        return IniLineKind::comment;

    if (line[0] == '[') {
        // The cut at the semicolon stays for the key/value reading below.
        line = line.substr(0, line.find(';'));
        // The name runs to the last closing bracket, so "[a]b]" names "a]b".
        std::size_t close = line.rfind(']');
        if (close != std::string_view::npos) {
            name.assign(trimmedView(line.substr(1, close - 1)));
            return IniLineKind::section;
        }
        // No closing bracket: the line may still be a key/value line.
    }

    std::size_t separator = separatorOf(line);
    if (separator == std::string_view::npos)
        return IniLineKind::unrecognised;

    unescapeKeyInto(trimmedView(line.substr(0, separator)), name);
    // The value is taken as written: no escape undone, remarks kept.
    value.assign(trimmedView(line.substr(separator + 1)));
    return IniLineKind::keyValue;
}

// `name` as a lookup key (trimmed, lower-cased), in a buffer the reader
// keeps from line to line, so that finding an existing key copies nothing.
const std::string& lookupKey(const std::string& name, std::string& scratch)
{
    scratch.assign(name);
    trimBlanks(scratch);
    lowerCaseAscii(scratch);
    return scratch;
}

// IniSection::value and IniDocument::section for a key already in lookup
// form: the key is copied (or moved, when given as a temporary) only for a
// name not seen before.
template <typename Value, typename Key>
Value& findOrAppend(std::deque<std::pair<std::string, Value>>& items,
                    std::unordered_map<std::string, std::size_t>& index, Key&& key)
{
    auto found = index.find(key);
    if (found != index.end())
        return items[found->second].second;
    index.emplace(key, items.size());
    items.emplace_back(std::forward<Key>(key), Value());
    return items.back().second;
}

// Where the first `c` at or after `from` stands in bytes[0, count), or count.
std::size_t nextByte(const char* bytes, std::size_t from, std::size_t count, char c)
{
    const void* hit = std::memchr(bytes + from, c, count - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - bytes) : count;
}

// Cuts a file's bytes down to the text its lines come from: without the
// UTF-8 byte-order mark at the very start (EF BB BF) and without any CR or
// NUL byte; LF stays as the one line end. The text between two dropped bytes
// moves down in one piece, and memchr finds the next CR and the next NUL, so
// a file is swept at memchr's pace.
void dropByteOrderMarkAndBreaks(std::string& bytes)
{
    const bool hasByteOrderMark = bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
                                  static_cast<unsigned char>(bytes[1]) == 0xBB &&
                                  static_cast<unsigned char>(bytes[2]) == 0xBF;
    char* text = bytes.data();
    const std::size_t count = bytes.size();
    std::size_t from = hasByteOrderMark ? 3 : 0;
    std::size_t nextCr = nextByte(text, from, count, '\r');
    std::size_t nextNul = nextByte(text, from, count, '\0');
    std::size_t kept = 0;
    for (;;) {
        const std::size_t drop = std::min(nextCr, nextNul);
        std::memmove(text + kept, text + from, drop - from);
        kept += drop - from;
        if (drop == count)
            break;
        from = drop + 1;
        if (drop == nextCr)
            nextCr = nextByte(text, from, count, '\r');
        else
            nextNul = nextByte(text, from, count, '\0');
    }
    bytes.resize(kept);
}

// True when `path` names a regular file (following links). Anything else,
// a directory, a device, a pipe that would block the game on open, reads as
// a file that cannot be opened.
bool isRegularFile(const std::string& path)
{
    try {
        std::error_code error;
        return std::filesystem::is_regular_file(std::filesystem::path(path), error);
    } catch (const std::filesystem::filesystem_error&) {
        return false;  // a path that cannot even be spelled for the platform
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Blanks and lower-casing

void trimBlanks(std::string& text)
{
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    text.erase(end);
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    text.erase(0, start);
}

void lowerCaseAscii(std::string& text)
{
    // Done by hand rather than with tolower, which follows whatever locale
    // the game has set and could then change bytes above 0x7F.
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
}

// ---------------------------------------------------------------------------
// [SECTION] Lookups (IniSection::value, IniDocument::section)

std::string& IniSection::value(std::string key)
{
    trimBlanks(key);
    lowerCaseAscii(key);
    return findOrAppend(entries, keyIndex, std::move(key));
}

const std::string* IniSection::findStored(const std::string& storedKey) const
{
    const auto found = keyIndex.find(storedKey);
    return found == keyIndex.end() ? nullptr : &entries[found->second].second;
}

IniSection& IniDocument::section(std::string name)
{
    trimBlanks(name);
    lowerCaseAscii(name);
    return findOrAppend(sections, sectionIndex, std::move(name));
}

const IniSection* IniDocument::findStored(const std::string& storedName) const
{
    const auto found = sectionIndex.find(storedName);
    return found == sectionIndex.end() ? nullptr : &sections[found->second].second;
}

// ---------------------------------------------------------------------------
// [SECTION] One line (classifyLine)

IniLineKind classifyLine(const std::string& line, std::string& name, std::string& value)
{
    return classifyView(line, name, value);
}

// ---------------------------------------------------------------------------
// [SECTION] The file (IniReader::read, readFileBytes, readBytes)

IniReader::IniReader(std::string path) : path(std::move(path)) { }

bool IniReader::read(IniDocument& document)
{
    std::string bytes;
    if (!readFileBytes(bytes)) {
        document.sections.clear();
        document.sectionIndex.clear();
        return false;
    }
    readBytes(std::move(bytes), document);
    return true;
}

bool IniReader::readFileBytes(std::string& bytes)
{
    bytes.clear();
    if (path.empty())
        return false;
    if (!isRegularFile(path))
        return false;
    // Binary, so CR bytes arrive as they are and are dropped later.
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file.is_open())
        return false;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0)
        return false;  // no size, no file: a stream that cannot seek is not a file to read
    file.seekg(0, std::ios::beg);
    // One buffer of the file's size, zero-filled: whatever a short read does
    // not fill stays zero and is dropped with the other NUL bytes.
    bytes.assign(static_cast<std::size_t>(size), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(size));
    return true;
}

void IniReader::readBytes(std::string bytes, IniDocument& document)
{
    document.sections.clear();
    document.sectionIndex.clear();
    parseBytes(bytes, document);
}

void IniReader::parseBytes(std::string& bytes, IniDocument& document) const
{
    dropByteOrderMarkAndBreaks(bytes);

    bool haveSection = false;
    IniSection* currentSection = nullptr;
    std::string name;
    std::string value;
    std::string key;
    // One more line than there are LF bytes: the text after the last LF is
    // a line too, even when empty.
    std::size_t start = 0;
    std::size_t number = 0;
    for (;;) {
        std::size_t end = bytes.find('\n', start);
        std::size_t length = (end == std::string::npos ? bytes.size() : end) - start;
        const std::string_view line(bytes.data() + start, length);
        const IniLineKind kind = classifyView(line, name, value);
        ++number;
        switch (kind) {
        case IniLineKind::section:
            // A repeated header reopens the same section; a header with no
            // keys still leaves its section in the document.
            haveSection = true;
            currentSection = &findOrAppend(document.sections, document.sectionIndex, lookupKey(name, key));
            break;
        case IniLineKind::keyValue:
            // Keys above the first header belong to no section and are lost.
            // A key given twice keeps its first place and its last value.
            if (haveSection)
                findOrAppend(currentSection->entries, currentSection->keyIndex, lookupKey(name, key)) = value;
            break;
        case IniLineKind::blank:
        case IniLineKind::comment:
        case IniLineKind::unrecognised:
            break;
        }
        if (onLine)
            onLine(IniLine{number, line, kind, name, value, kind == IniLineKind::keyValue && haveSection});
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}
