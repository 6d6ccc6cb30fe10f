#include "text/text_table.h"

#include <algorithm>

namespace sim::text {

namespace {

constexpr const char* columnGap = "  ";

std::string padded(const std::string& text, size_t width, bool right)
{
    const size_t shown = displayWidth(text);
    if (shown >= width)
        return text;
    const std::string blanks(width - shown, ' ');
    return right ? blanks + text : text + blanks;
}

// A text broken after each "; ", the "; " kept as ";" at the end of its clause.
std::vector<std::string> clauses(const std::string& text)
{
    std::vector<std::string> parts;
    size_t from = 0;
    while (from < text.size()) {
        const size_t to = text.find("; ", from);
        if (to == std::string::npos) {
            parts.push_back(text.substr(from));
            break;
        }
        parts.push_back(text.substr(from, to - from + 1));
        from = to + 2;
    }
    return parts;
}

}  // namespace

size_t displayWidth(const std::string& text)
{
    size_t width = 0;
    for (unsigned char c : text)
        width += (c & 0xC0) != 0x80 ? 1 : 0;
    return width;
}

std::vector<std::string> wrapWords(const std::string& text, size_t width)
{
    std::vector<std::string> lines;
    size_t start = text.find_first_not_of(' ');
    while (start != std::string::npos) {
        // The most words from `start` that fit, the blanks between them kept.
        size_t end = start;
        size_t next = start;
        while (next < text.size()) {
            const size_t wordEnd = std::min(text.find(' ', next), text.size());
            if (end > start && displayWidth(text.substr(start, wordEnd - start)) > width)
                break;
            end = wordEnd;
            next = std::min(text.find_first_not_of(' ', wordEnd), text.size());
        }
        lines.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(' ', end);
    }
    return lines;
}

std::vector<size_t> TextTable::widths() const
{
    std::vector<size_t> widths;
    for (size_t c = 0; c < columns_.size(); ++c) {
        const TextColumn& column = columns_[c];
        size_t width = std::max(column.minWidth, displayWidth(column.heading));
        for (const TextRow& row : rows_) {
            if (c >= row.size())
                continue;
            for (const std::string& text : row[c])
                width = std::max(width, std::min(displayWidth(text), column.maxWidth));
        }
        widths.push_back(width);
    }
    return widths;
}

std::vector<std::string> TextTable::cellLines(size_t column, const std::vector<std::string>& texts, size_t width) const
{
    const TextColumn& shape = columns_[column];
    std::vector<std::string> lines;
    for (const std::string& text : texts) {
        // A text that fits stays as written, its blanks too (a value quoted
        // from a file keeps its spacing).
        if (!shape.wrap || displayWidth(text) <= width) {
            if (!text.empty())
                lines.push_back(text);
            continue;
        }
        const std::vector<std::string> parts = shape.breakClauses ? clauses(text) : std::vector<std::string>{text};
        for (const std::string& part : parts) {
            for (const std::string& piece : wrapWords(part, width))
                lines.push_back(piece);
        }
    }
    return lines;
}

std::string TextTable::line(const std::vector<std::string>& cells, const std::vector<size_t>& widths) const
{
    std::string text;
    for (size_t c = 0; c < columns_.size(); ++c) {
        if (c > 0)
            text += columnGap;
        text += padded(c < cells.size() ? cells[c] : std::string(), widths[c], columns_[c].alignRight);
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text + "\n";
}

std::string TextTable::format() const
{
    const std::vector<size_t> width = widths();
    std::vector<std::string> headings;
    bool anyHeading = false;
    for (const TextColumn& column : columns_) {
        headings.push_back(column.heading);
        anyHeading = anyHeading || !column.heading.empty();
    }
    std::string text = anyHeading ? line(headings, width) : std::string();
    for (const TextRow& row : rows_) {
        std::vector<std::vector<std::string>> lines;
        size_t height = 1;
        for (size_t c = 0; c < columns_.size(); ++c) {
            lines.push_back(c < row.size() ? cellLines(c, row[c], width[c]) : std::vector<std::string>{});
            height = std::max(height, lines.back().size());
        }
        for (size_t i = 0; i < height; ++i) {
            std::vector<std::string> cells;
            cells.reserve(lines.size());
            for (const std::vector<std::string>& cell : lines)
                cells.push_back(i < cell.size() ? cell[i] : std::string());
            text += line(cells, width);
        }
    }
    return text;
}

}  // namespace sim::text
