#pragma once
// How the player was moving on each of the last six recorded ticks.

#include <cstdint>
#include <string_view>

// The four status words. They live for the whole library; the history keeps
// only views of them, so recording a tick never allocates.
inline constexpr std::string_view walkingWord = "Walking";
inline constexpr std::string_view runningWord = "Running";
inline constexpr std::string_view sprintingWord = "Sprinting";
inline constexpr std::string_view stillWord = "Still";

// Shifts this tick's status word ("Walking", "Running", "Sprinting", "Still")
// into the history; entry 0 is the newest, entry -5 the oldest.
void recordMovementStatus();
// The word stored under `key` (-5 to 0); empty until that many ticks were recorded.
std::string_view movementStatusAt(int32_t key);
// Exact comparison: same length, same bytes.
bool movementStatusIs(int32_t key, std::string_view word);
// Empties all six entries, as they are at load. The plug-in itself never
// clears the history; tests use this to start from a fresh load.
void clearMovementHistory();
