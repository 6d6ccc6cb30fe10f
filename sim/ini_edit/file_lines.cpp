// A file's lines twice over: as bytes, cut at each LF exactly where the
// plug-in's reader cuts them, and as the reader sorts them (through its
// onLine hook), so that an edit finds the line the plug-in reads a key from
// and changes the bytes of that line alone.

#include "ini_edit/ini_edit_parts.h"

namespace sim::ini_edit {

namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

std::size_t markLengthOf(const std::string& bytes)
{
    return std::string_view(bytes).substr(0, byteOrderMark.size()) == byteOrderMark ? byteOrderMark.size() : 0;
}

// What the reader has seen so far of the file being scanned.
struct ScanState {
    std::vector<std::string> sections;  // per row asked about: its section, as looked up
    std::vector<std::string> keys;      // and its key
    std::string currentSection;         // "" before the first header
    std::string key;                    // scratch: the key of the line in hand
};

void seeLine(const IniLine& line, ScanState& state, FileScan& scan)
{
    scan.lineBeforeLastBlank = scan.lastLineBlank;
    scan.lastLineBlank = line.kind == IniLineKind::blank;
    if (line.kind == IniLineKind::section) {
        state.currentSection = lookupName(line.name);
        scan.sections[state.currentSection].lastHeader = line.number;
        return;
    }
    if (line.kind != IniLineKind::keyValue || !line.stored)
        return;
    scan.sections[state.currentSection].lastKeyLine = line.number;
    state.key = lookupName(line.name);
    for (std::size_t i = 0; i < state.keys.size(); ++i) {
        // A later line of the key in its section is the one the plug-in keeps.
        if (state.keys[i] == state.key && state.sections[i] == state.currentSection)
            scan.keyLines[i] = KeyLine{line.number, std::string(line.text), std::string(line.value)};
    }
}

}  // namespace

LineCursor::LineCursor(const std::string& bytes) : bytes_(bytes)
{
    const std::size_t start = markLengthOf(bytes);
    const std::size_t lf = bytes.find('\n', start);
    line_ = RawLine{start, lf == std::string::npos ? bytes.size() : lf, lf != std::string::npos};
}

RawLine LineCursor::line(std::size_t number)
{
    while (number_ < number && line_.hasLf) {
        const std::size_t start = line_.end + 1;
        const std::size_t lf = bytes_.find('\n', start);
        line_ = RawLine{start, lf == std::string::npos ? bytes_.size() : lf, lf != std::string::npos};
        ++number_;
    }
    return line_;
}

FileShape shapeOf(const std::string& bytes)
{
    FileShape shape;
    shape.markLength = markLengthOf(bytes);
    shape.empty = bytes.size() == shape.markLength;
    shape.endsWithLineEnd = !bytes.empty() && bytes.back() == '\n';
    std::size_t crLf = 0;
    std::size_t lfAlone = 0;
    for (std::size_t lf = bytes.find('\n'); lf != std::string::npos; lf = bytes.find('\n', lf + 1)) {
        const bool cr = lf > shape.markLength && bytes[lf - 1] == '\r';
        (cr ? crLf : lfAlone) += 1;
    }
    shape.lineCount = crLf + lfAlone + 1;
    shape.lineEnd = lfAlone > crLf ? "\n" : "\r\n";
    return shape;
}

std::size_t rawOffset(const std::string& bytes, const RawLine& line, std::size_t at)
{
    std::size_t seen = 0;
    for (std::size_t offset = line.start; offset < line.end; ++offset) {
        if (bytes[offset] == '\r' || bytes[offset] == '\0')
            continue;
        if (seen == at)
            return offset;
        ++seen;
    }
    return line.end;
}

FileScan scanFile(const std::string& bytes, const std::vector<const SettingRow*>& rows)
{
    FileScan scan;
    scan.keyLines.resize(rows.size());
    ScanState state;
    for (const SettingRow* row : rows) {
        state.sections.push_back(lookupName(row->section));
        state.keys.push_back(lookupName(row->key));
    }
    IniReader reader("");
    reader.onLine = [&](const IniLine& line) { seeLine(line, state, scan); };
    reader.readBytes(bytes, scan.document);
    return scan;
}

}  // namespace sim::ini_edit
