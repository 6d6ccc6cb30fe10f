#pragma once
// What the player or the game changed, one phrase each ("Alt up after
// 0.23 s", "wheel notch up", "move forward", "game: the ped wants 2.00"),
// with the tick it happened in. The timeline puts each on a line.

#include <string>
#include <vector>

#include "report/facts.h"
#include "report/runs.h"

namespace sim::report {

struct InputItem {
    int tick = 0;
    std::string text;
    int press = -1;        // index into facts.presses for key items
    bool release = false;  // the item marks the press's end (or a whole short press)
    int placedAt = 0;      // the line it ends up on
};

// Every input item of the run, by tick (the player's before the game's and
// the host's within a tick).
std::vector<InputItem> collectInputs(const Facts& facts, const std::vector<Run>& runs);

// "game: the ped wants 1.00 walking, 3.00 with sprint, …": the scenario's
// desired-speed setting in words.
std::string desiredWords(const Desired& desired);

// "game: gait from the desired speed", "game: gait running+sprinting".
std::string gaitWords(const Gait& gait);

}  // namespace sim::report
