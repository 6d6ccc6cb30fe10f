#pragma once
// A table of plain text for a terminal: columns aligned, a text too long for
// its column wrapped at its spaces onto further lines of the same row, in the
// same column. LF line ends and the same bytes on every platform. The
// timeline is one; any other report of rows and columns can be.

#include <string>
#include <string_view>
#include <vector>

namespace sim::text {

// How a column lays out its cells.
struct TextColumn {
    std::string heading;
    bool alignRight = false;
    size_t minWidth = 0;  // the column is at least this wide ...
    size_t maxWidth = 0;  // ... and as wide as its longest text up to this; longer texts wrap
    bool wrap = true;     // false: a longer text overflows instead (numbers)
    // A text longer than the column breaks after each "; " first, so that
    // each clause starts a line of its own.
    bool breakClauses = false;
};

// One row: per column, its texts; each starts a line of its own and wraps
// on its own (a text that fits its column stays exactly as written). An
// empty list leaves the cell blank.
using TextRow = std::vector<std::vector<std::string>>;

class TextTable {
public:
    explicit TextTable(std::vector<TextColumn> columns) : columns_(std::move(columns)) { }

    void addRow(TextRow row) { rows_.push_back(std::move(row)); }

    // The heading line (none when no column has a heading) and every row,
    // two spaces between columns, no trailing blanks. The lines are views of
    // the rows' texts until they are written into the one text returned.
    std::string format() const;

private:
    std::vector<size_t> widths() const;
    void cellLines(size_t column, const std::vector<std::string>& texts, size_t width,
                   std::vector<std::string_view>& lines) const;
    void appendLine(std::string& text, const std::vector<std::string_view>& cells,
                    const std::vector<size_t>& widths) const;

    std::vector<TextColumn> columns_;
    std::vector<TextRow> rows_;
};

// The number of terminal columns a UTF-8 text takes (one per code point).
size_t displayWidth(std::string_view text);

// Splits a text into lines of at most `width` columns at its spaces (the
// blanks where a line breaks are dropped, the others kept); a word longer
// than that stands on a line of its own.
std::vector<std::string> wrapWords(const std::string& text, size_t width);

}  // namespace sim::text
