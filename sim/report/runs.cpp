#include "report/runs.h"

#include <cmath>

namespace sim::report {

namespace {

// A ramp is made of steps of at most this much, one per tick ...
constexpr float largestRampStep = 0.05f;
// ... and of at least this many of them.
constexpr int fewestRampSteps = 3;

bool sameShape(const Imposed& a, const Imposed& b)
{
    return a.controllerRan == b.controllerRan && a.wheelTaken == b.wheelTaken && a.sprintHeld == b.sprintHeld &&
           a.floor.has_value() == b.floor.has_value() && a.cap.has_value() == b.cap.has_value() &&
           a.pinned() == b.pinned();
}

// Is b one small step on from a (in the direction `direction`, 0 = any)?
bool rampStep(const Run& a, const Run& b, int& direction, const Facts& facts)
{
    if (!a.imposed.hasSpeed() || !sameShape(a.imposed, b.imposed) || a.loaded != b.loaded)
        return false;
    const TickFacts* at = facts.at(b.first);
    if (at && (at->wheelUp || at->wheelDown))
        return false;  // a wheel notch is a step of its own, with a reason of its own
    const float step = *b.imposed.speed() - *a.imposed.speed();
    if (step == 0.0f || std::fabs(step) > largestRampStep)
        return false;
    const int sign = step > 0.0f ? 1 : -1;
    if (direction != 0 && sign != direction)
        return false;
    direction = sign;
    return true;
}

// Ticks with the same calls, joined.
std::vector<Run> plainRuns(const Facts& facts)
{
    std::vector<Run> plain;
    for (const TickFacts& tick : facts.ticks) {
        if (!plain.empty() && plain.back().imposed == tick.imposed && plain.back().loaded == tick.pluginLoaded) {
            plain.back().last = tick.tick;
            continue;
        }
        Run run;
        run.first = run.last = tick.tick;
        run.loaded = tick.pluginLoaded;
        run.imposed = tick.imposed;
        plain.push_back(run);
    }
    return plain;
}

// The end of a ramp that starts at plain[i] (one-tick runs, each a small
// step on from the one before), or i when no ramp starts there.
size_t rampEnd(const std::vector<Run>& plain, size_t i, const Facts& facts)
{
    int direction = 0;
    if (i == 0 || plain[i].length() != 1 || !rampStep(plain[i - 1], plain[i], direction, facts))
        return i;
    size_t j = i;
    while (j + 1 < plain.size() && plain[j].length() == 1 && rampStep(plain[j], plain[j + 1], direction, facts))
        ++j;
    return static_cast<int>(j - i + 1) >= fewestRampSteps ? j : i;
}

// The desired speed the ped settles at while nothing is imposed: the tick
// after the run's first (the game answers from the previous tick's calls).
std::string ownSpeedSuffix(const Run& run, const Facts& facts)
{
    if (run.length() < 2)
        return "";
    const TickFacts* next = facts.at(run.first + 1);
    return next && next->desired > 0.0f ? " (" + speedText(next->desired) + ")" : "";
}

}  // namespace

std::vector<Run> buildRuns(const Facts& facts)
{
    const std::vector<Run> plain = plainRuns(facts);
    // The run a ramp arrives at belongs to it.
    std::vector<Run> runs;
    for (size_t i = 0; i < plain.size();) {
        const size_t end = rampEnd(plain, i, facts);
        if (end == i) {
            runs.push_back(plain[i++]);
            continue;
        }
        Run ramp = plain[end];
        ramp.first = plain[i].first;
        ramp.ramp = true;
        ramp.rampFrom = *plain[i - 1].imposed.speed();
        ramp.rampSteps = static_cast<int>(end - i + 1);
        ramp.rampArrive = plain[end].first;
        runs.push_back(ramp);
        i = end + 1;
    }
    return runs;
}

std::optional<float> speedOf(const Run* run)
{
    if (!run || !run->loaded || !run->imposed.controllerRan)
        return std::nullopt;
    return run->imposed.speed();
}

std::string speedWords(const Imposed& imposed)
{
    std::string text;
    if (imposed.pinned())
        text = "speed pinned at " + speedText(*imposed.cap) + " (floor and cap)";
    else if (imposed.floor && imposed.cap)
        text = "speed held between " + speedText(*imposed.floor) + " and " + speedText(*imposed.cap);
    else if (imposed.cap)
        text = "speed capped at " + speedText(*imposed.cap);
    else if (imposed.floor)
        text = "speed at least " + speedText(*imposed.floor);
    else
        text = "the game's own speed";
    if (imposed.sprintHeld)
        text += ", sprint held";
    return text;
}

std::string runWords(const Run& run, const Facts& facts)
{
    if (!run.loaded)
        return "no plug-in loaded";
    if (!run.imposed.controllerRan)
        return "nothing: the game's own speed" + ownSpeedSuffix(run, facts);
    if (run.ramp) {
        const std::string over = durationText(static_cast<uint32_t>(run.rampSteps) * facts.clockStepMs);
        const bool rising = *run.imposed.speed() > run.rampFrom;
        return std::string("speed ") + (rising ? "rising " : "falling ") + speedText(run.rampFrom) + " → " +
               speedText(*run.imposed.speed()) + " over " + over;
    }
    if (!run.imposed.hasSpeed())
        return speedWords(run.imposed) + ownSpeedSuffix(run, facts);
    return speedWords(run.imposed);
}

}  // namespace sim::report
