#pragma once
// How the reports write what a player reads: speeds, seconds and durations,
// key names and move directions. Deterministic text, the same on every
// platform.

#include <cstdint>
#include <set>
#include <string>

namespace sim::report {

// The player's name of a key code: "Shift", "Alt", "End", "Numpad 1", "A";
// the hex code where no key has it.
std::string keyDisplayName(uint32_t code);

// "forward", "back", "left", "right", "forward-left", … for a set of move
// controls; "" for none.
std::string moveDirection(const std::set<std::string>& moves);

// A speed with two decimals ("1.12" for 1.1199999).
std::string speedText(float speed);

// Elapsed milliseconds as seconds with one decimal ("12.3").
std::string secondsText(uint32_t elapsedMs);

// A duration for people: "0.23 s" below ten seconds, "12.3 s" above.
std::string durationText(uint32_t ms);

}  // namespace sim::report
