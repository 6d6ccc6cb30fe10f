#pragma once
// What Ambleworks imposed, cut into runs of ticks with the same speed calls;
// a run that starts is a change, and a climb or fall of small steps, one per
// tick, is one run (a ramp). The timeline gives each run a line.

#include <optional>
#include <string>
#include <vector>

#include "report/facts.h"

namespace sim::report {

struct Run {
    int first = 0;
    int last = 0;
    bool loaded = true;
    Imposed imposed;
    // A ramp: the speed climbed (or fell) from rampFrom in rampSteps steps
    // of one tick each and arrived at imposed.speed() in tick rampArrive.
    bool ramp = false;
    float rampFrom = 0.0f;
    int rampSteps = 0;
    int rampArrive = 0;

    int length() const { return last - first + 1; }
};

// The runs of a played trace, in order.
std::vector<Run> buildRuns(const Facts& facts);

// The speed a run imposes, or none (no plug-in, switched off, the game's own).
std::optional<float> speedOf(const Run* run);

// What an imposed state holds the ped to, in words ("speed capped at 1.06,
// sprint held").
std::string speedWords(const Imposed& imposed);

// What a run imposes, in words, ramps and the game's own speed included.
std::string runWords(const Run& run, const Facts& facts);

}  // namespace sim::report
