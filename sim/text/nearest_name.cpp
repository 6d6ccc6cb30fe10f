#include "text/nearest_name.h"

#include <algorithm>
#include <utility>

namespace sim::text {

namespace {

char folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Edits that still read as a typo of a name `length` letters long.
size_t allowedEdits(size_t length)
{
    return std::clamp<size_t>(length / 4, 1, 3);
}

}  // namespace

size_t typingDistance(std::string_view a, std::string_view b)
{
    // No two texts are further apart than the longer one is long, so at that
    // bound the count is never cut short.
    return typingDistanceWithin(a, b, std::max(a.size(), b.size()));
}

size_t typingDistanceWithin(std::string_view a, std::string_view b, size_t most)
{
    // Rows of the table d[i][j]: edits between the first i letters of a and
    // the first j of b (optimal string alignment: a swap of neighbours is one
    // edit). Only three rows are needed, two back for a swap; they are kept
    // as long as the shorter text, on the stack for a name's length: every
    // typo is compared with every known name. Cell (i, j) is counted only
    // where |i - j| is at most `most`: an alignment that leaves that band has
    // made more than `most` edits already, as a swap keeps to its diagonal.
    // Every cell is capped at `beyond`; a cell outside the band reads as
    // `beyond`.
    if (a.size() < b.size())
        std::swap(a, b);
    const size_t beyond = most + 1;
    if (a.size() - b.size() > most)
        return beyond;
    constexpr size_t stackLength = 64;
    size_t onStack[3][stackLength + 1];
    std::vector<size_t> onHeap;
    size_t* twoBack = onStack[0];
    size_t* oneBack = onStack[1];
    size_t* row = onStack[2];
    if (b.size() > stackLength) {
        onHeap.resize(3 * (b.size() + 1));
        twoBack = onHeap.data();
        oneBack = twoBack + b.size() + 1;
        row = oneBack + b.size() + 1;
    }
    const size_t firstHigh = std::min(b.size(), most);
    for (size_t j = 0; j <= firstHigh; ++j)
        oneBack[j] = j;
    if (firstHigh < b.size())
        oneBack[firstHigh + 1] = beyond;
    for (size_t i = 1; i <= a.size(); ++i) {
        const size_t low = i > most ? i - most : 1;
        const size_t high = std::min(b.size(), i + most);
        row[0] = std::min(i, beyond);
        row[low - 1] = low > 1 ? beyond : row[0];
        size_t lowest = row[0];
        // Each letter folded once per row or cell, not once per comparison.
        const char letter = folded(a[i - 1]);
        const char letterBefore = i > 1 ? folded(a[i - 2]) : '\0';
        char otherBefore = low > 1 ? folded(b[low - 2]) : '\0';
        for (size_t j = low; j <= high; ++j) {
            const char other = folded(b[j - 1]);
            size_t cell = std::min(oneBack[j - 1] + (letter == other ? 0 : 1), beyond);
            cell = std::min(cell, std::min(oneBack[j], row[j - 1]) + 1);
            const bool swapped = i > 1 && j > 1 && letter == otherBefore && letterBefore == other;
            if (swapped)
                cell = std::min(cell, twoBack[j - 2] + 1);
            row[j] = cell;
            lowest = std::min(lowest, cell);
            otherBefore = other;
        }
        if (high < b.size())
            row[high + 1] = beyond;
        // A row wholly past `most` ends the count: every later cell adds to
        // a cell of it, or, by a swap, to one of the row before, which is then
        // within one edit of a cell of this row.
        if (lowest > most)
            return beyond;
        std::swap(twoBack, oneBack);
        std::swap(oneBack, row);
    }
    return std::min(oneBack[b.size()], beyond);
}

std::string nearestName(std::string_view written, const std::vector<std::string>& names)
{
    std::string best;
    size_t bestDistance = 0;
    for (const std::string& name : names) {
        const size_t most = allowedEdits(name.size());
        const size_t distance = typingDistanceWithin(written, name, most);
        if (distance == 0)
            return "";
        if (distance <= most && (best.empty() || distance < bestDistance)) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

std::string didYouMean(std::string_view written, const std::vector<std::string>& names)
{
    const std::string nearest = nearestName(written, names);
    return nearest.empty() ? std::string() : " (did you mean " + nearest + "?)";
}

}  // namespace sim::text
