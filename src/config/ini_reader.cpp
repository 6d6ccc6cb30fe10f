#include "config/ini_reader.h"

#include <filesystem>
#include <system_error>
#include <vector>

// Sections of this file:
//   1. Blanks and lower-casing
//   2. Lookups (IniSection::value, IniDocument::section)
//   3. One line (classifyLine)
//   4. The file (IniReader::read, IniReader::readLines)

namespace {

// The six bytes a trim removes; no other byte, so a player's non-breaking
// space or other exotic byte stays part of the text.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The key of a key/value line with every "\=" turned back into "=".
std::string unescapeKey(const std::string& key)
{
    std::string plain;
    plain.reserve(key.size());
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (key[i] == '\\' && i + 1 < key.size() && key[i + 1] == '=') {
            plain += '=';
            ++i;  // resume just after the replaced pair
        } else {
            plain += key[i];
        }
    }
    return plain;
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
// 1. Blanks and lower-casing

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
// 2. Lookups

std::string& IniSection::value(std::string key)
{
    trimBlanks(key);
    lowerCaseAscii(key);
    auto found = keyIndex.find(key);
    if (found != keyIndex.end())
        return entries[found->second].second;
    keyIndex.emplace(key, entries.size());
    entries.emplace_back(std::move(key), std::string());
    return entries.back().second;
}

IniSection& IniDocument::section(std::string name)
{
    trimBlanks(name);
    lowerCaseAscii(name);
    auto found = sectionIndex.find(name);
    if (found != sectionIndex.end())
        return sections[found->second].second;
    sectionIndex.emplace(name, sections.size());
    sections.emplace_back(std::move(name), IniSection());
    return sections.back().second;
}

// ---------------------------------------------------------------------------
// 3. One line

IniLineKind classifyLine(std::string line, std::string& name, std::string& value)
{
    name.clear();
    value.clear();

    trimBlanks(line);
    if (line.empty())
        return IniLineKind::blank;
    // A semicolon starts a comment only as the first thing on the line; after
    // a value it is part of the value.
    if (line[0] == ';')
        return IniLineKind::comment;

    if (line[0] == '[') {
        std::size_t semicolon = line.find(';');
        if (semicolon != std::string::npos)
            line.erase(semicolon);
        // The name runs to the last closing bracket, so "[a]b]" names "a]b".
        std::size_t close = line.rfind(']');
        if (close != std::string::npos) {
            name = line.substr(1, close - 1);
            trimBlanks(name);
            return IniLineKind::section;
        }
        // No closing bracket: the line may still be a key/value line.
    }

    // Find the first "=" that is not part of an escaped "\=". Blanking the
    // escaped pairs in a copy keeps every position the same as in the line.
    std::string scan = line;
    for (std::size_t i = 0; i + 1 < scan.size(); ++i) {
        if (scan[i] == '\\' && scan[i + 1] == '=') {
            scan[i] = ' ';
            scan[i + 1] = ' ';
            ++i;
        }
    }
    std::size_t separator = scan.find('=');
    if (separator == std::string::npos)
        return IniLineKind::unrecognised;

    name = line.substr(0, separator);
    trimBlanks(name);
    name = unescapeKey(name);
    // The value is taken as written: no escape undone, remarks kept.
    value = line.substr(separator + 1);
    trimBlanks(value);
    return IniLineKind::keyValue;
}

// ---------------------------------------------------------------------------
// 4. The file

IniReader::IniReader(std::string path) : path(std::move(path)) {}

bool IniReader::read(IniDocument& document)
{
    document.sections.clear();
    document.sectionIndex.clear();

    if (path.empty())
        return false;
    if (!isRegularFile(path))
        return false;
    // Binary, so CR bytes arrive as they are and are dropped below.
    file.open(path, std::ios::in | std::ios::binary);
    if (!file.is_open())
        return false;
    std::string lines;
    if (!readLines(lines))
        return false;

    bool haveSection = false;
    IniSection* currentSection = nullptr;
    std::string name;
    std::string value;
    // One more line than there are LF bytes: the text after the last LF is
    // a line too, even when empty.
    std::size_t start = 0;
    std::size_t number = 0;
    for (;;) {
        std::size_t end = lines.find('\n', start);
        std::size_t length = (end == std::string::npos ? lines.size() : end) - start;
        std::string line = lines.substr(start, length);
        const IniLineKind kind = classifyLine(line, name, value);
        ++number;
        switch (kind) {
        case IniLineKind::section:
            // A repeated header reopens the same section; a header with no
            // keys still leaves its section in the document.
            haveSection = true;
            currentSection = &document.section(name);
            break;
        case IniLineKind::keyValue:
            // Keys above the first header belong to no section and are lost.
            // A key given twice keeps its first place and its last value.
            if (haveSection)
                currentSection->value(name) = value;
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
    return true;
}

bool IniReader::readLines(std::string& lines)
{
    lines.clear();
    hasByteOrderMark = false;

    file.seekg(0, std::ios::end);
    std::streamoff size = file.tellg();
    if (size < 0) {
        // No size, no file: a stream that cannot seek is not a file to read.
        file.close();
        return false;
    }
    file.seekg(0, std::ios::beg);

    if (size >= 3) {
        char mark[3] = {0, 0, 0};
        file.read(mark, 3);
        hasByteOrderMark = static_cast<unsigned char>(mark[0]) == 0xEF
            && static_cast<unsigned char>(mark[1]) == 0xBB
            && static_cast<unsigned char>(mark[2]) == 0xBF;
        file.clear();
    }

    // One buffer of the file's size, zero-filled: whatever a short read does
    // not fill stays zero and is dropped with the other NUL bytes.
    lines.assign(static_cast<std::size_t>(size), '\0');
    file.seekg(hasByteOrderMark ? 3 : 0, std::ios::beg);
    file.read(lines.data(), static_cast<std::streamsize>(size));
    file.close();

    // Drop CR and NUL in place; LF stays as the one line end.
    std::size_t kept = 0;
    for (char c : lines) {
        if (c != '\0' && c != '\r')
            lines[kept++] = c;
    }
    lines.resize(kept);
    return true;
}
