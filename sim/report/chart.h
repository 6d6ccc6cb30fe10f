#pragma once
// The chart of a played scenario, as a hand-written SVG: the speed Ambleworks
// imposed and the ped's desired speed over time (seconds, speed 0 to 3), the
// reasons of the timeline marked on it, and below it one lane per input:
// move input, each key's presses and holds, wheel notches, controls.
// Deterministic text: the same bytes for the same trace on every platform.

#include <string>

#include "report/facts.h"
#include "report/timeline.h"

namespace sim::report {

std::string renderChart(const Facts& facts, const Timeline& timeline);

}  // namespace sim::report
