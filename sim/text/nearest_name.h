#pragma once
// "Did you mean …": the known name a mistyped one was most likely meant to be.
// For error messages about names a user wrote (scenario keywords, natives,
// controls, keys, subcommands).

#include <string>
#include <string_view>
#include <vector>

namespace sim::text {

// How many single-letter edits turn one text into the other, letter case
// ignored; swapping two neighbouring letters counts as one edit.
size_t typingDistance(std::string_view a, std::string_view b);

// typingDistance when it is at most `most`, and most + 1 when it is more: all
// a "did you mean" needs to know of each known name. Only the cells within
// `most` of the table's diagonal are counted, and the count stops once no
// alignment can stay within `most`, so a far name costs a few letters.
size_t typingDistanceWithin(std::string_view a, std::string_view b, size_t most);

// The name in `names` closest to `written`, or "" when none is close enough
// to be a slip of the fingers (one edit for short names, up to three for
// long ones) or `written` is one of them already.
std::string nearestName(std::string_view written, const std::vector<std::string>& names);

// " (did you mean NAME?)" for the nearest name, or "" when there is none.
std::string didYouMean(std::string_view written, const std::vector<std::string>& names);

}  // namespace sim::text
