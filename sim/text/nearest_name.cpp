#include "text/nearest_name.h"

#include <algorithm>

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
    // d[i][j]: edits between the first i letters of a and the first j of b
    // (optimal string alignment: a swap of neighbours is one edit).
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const bool same = folded(a[i - 1]) == folded(b[j - 1]);
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (same ? 0 : 1)});
            const bool swapped =
                i > 1 && j > 1 && folded(a[i - 1]) == folded(b[j - 2]) && folded(a[i - 2]) == folded(b[j - 1]);
            if (swapped)
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

std::string nearestName(std::string_view written, const std::vector<std::string>& names)
{
    std::string best;
    size_t bestDistance = 0;
    for (const std::string& name : names) {
        const size_t distance = typingDistance(written, name);
        if (distance == 0)
            return "";
        if (distance <= allowedEdits(name.size()) && (best.empty() || distance < bestDistance)) {
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
