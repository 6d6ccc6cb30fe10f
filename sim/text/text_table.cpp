#include "text/text_table.h"

#include <algorithm>

namespace sim::text {

namespace {

constexpr std::string_view columnGap = "  ";

// `text` padded with blanks to `width` columns (on the left when `right`),
// written at the end of `out`.
void appendPadded(std::string& out, std::string_view text, size_t width, bool right)
{
    const size_t shown = displayWidth(text);
    const size_t blanks = shown >= width ? 0 : width - shown;
    if (right)
        out.append(blanks, ' ');
    out += text;
    if (!right)
        out.append(blanks, ' ');
}

// A text broken after each "; ", the "; " kept as ";" at the end of its clause.
std::vector<std::string_view> clauses(std::string_view text)
{
    std::vector<std::string_view> parts;
    size_t from = 0;
    while (from < text.size()) {
        const size_t to = text.find("; ", from);
        if (to == std::string_view::npos) {
            parts.push_back(text.substr(from));
            break;
        }
        parts.push_back(text.substr(from, to - from + 1));
        from = to + 2;
    }
    return parts;
}

// wrapWords, its lines views of `text` added to `lines`.
void wrapWordsInto(std::string_view text, size_t width, std::vector<std::string_view>& lines)
{
    size_t start = text.find_first_not_of(' ');
    while (start != std::string_view::npos) {
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
}

}  // namespace

size_t displayWidth(std::string_view text)
{
    size_t width = 0;
    for (unsigned char c : text)
        width += (c & 0xC0) != 0x80 ? 1 : 0;
    return width;
}

std::vector<std::string> wrapWords(const std::string& text, size_t width)
{
    std::vector<std::string_view> lines;
    wrapWordsInto(text, width, lines);
    return std::vector<std::string>(lines.begin(), lines.end());
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

void TextTable::cellLines(size_t column, const std::vector<std::string>& texts, size_t width,
                          std::vector<std::string_view>& lines) const
{
    const TextColumn& shape = columns_[column];
    for (const std::string& text : texts) {
        // A text that fits stays as written, its blanks too (a value quoted
        // from a file keeps its spacing).
        if (!shape.wrap || displayWidth(text) <= width) {
            if (!text.empty())
                lines.emplace_back(text);
            continue;
        }
        if (!shape.breakClauses) {
            wrapWordsInto(text, width, lines);
            continue;
        }
        for (std::string_view part : clauses(text))
            wrapWordsInto(part, width, lines);
    }
}

void TextTable::appendLine(std::string& text, const std::vector<std::string_view>& cells,
                           const std::vector<size_t>& widths) const
{
    const size_t start = text.size();
    for (size_t c = 0; c < columns_.size(); ++c) {
        if (c > 0)
            text += columnGap;
        appendPadded(text, c < cells.size() ? cells[c] : std::string_view(), widths[c], columns_[c].alignRight);
    }
    while (text.size() > start && text.back() == ' ')
        text.pop_back();
    text += '\n';
}

std::string TextTable::format() const
{
    const std::vector<size_t> width = widths();
    std::vector<std::string_view> cells;
    bool anyHeading = false;
    for (const TextColumn& column : columns_) {
        cells.emplace_back(column.heading);
        anyHeading = anyHeading || !column.heading.empty();
    }
    std::string text;
    if (anyHeading)
        appendLine(text, cells, width);
    std::vector<std::vector<std::string_view>> lines(columns_.size());
    for (const TextRow& row : rows_) {
        size_t height = 1;
        for (size_t c = 0; c < columns_.size(); ++c) {
            lines[c].clear();
            if (c < row.size())
                cellLines(c, row[c], width[c], lines[c]);
            height = std::max(height, lines[c].size());
        }
        for (size_t i = 0; i < height; ++i) {
            for (size_t c = 0; c < columns_.size(); ++c)
                cells[c] = i < lines[c].size() ? lines[c][i] : std::string_view();
            appendLine(text, cells, width);
        }
    }
    return text;
}

}  // namespace sim::text
