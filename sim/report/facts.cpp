// Reading the facts out of a trace: per tick the inputs, the game's answers
// and the plug-in's calls; over the run the key presses, put together from
// the keyboard messages.

#include "report/facts.h"

#include <algorithm>
#include <map>

namespace sim::report {

namespace {

bool isMoveControl(const std::string& name)
{
    return std::find(std::begin(moveControls), std::end(moveControls), name) != std::end(moveControls);
}

// Reads the INPUT_SPRINT values the plug-in set in a tick: a 0.0 followed by
// a 1.0 is a pulse (the sprint handed back to the game); any other 1.0 holds
// the sprint control so the game lets the ped reach a capped run.
void readSprintValues(const ImposedState& imposed, TickFacts& facts)
{
    bool zeroPending = false;
    for (const auto& [name, value] : imposed.controlValues) {
        if (name != "INPUT_SPRINT")
            continue;
        if (value == 0.0f) {
            zeroPending = true;
        } else if (value == 1.0f && zeroPending) {
            facts.sprintPulse = true;
            zeroPending = false;
        } else if (value == 1.0f) {
            facts.imposed.sprintHeld = true;
        }
    }
}

// A press being put together while its keys are down.
struct OpenPress {
    uint32_t code = 0;
    int downTick = 0;
    uint32_t downMs = 0;
    size_t order = 0;
};

// A press whose key went up (up tick 0: still down at the end).
struct ClosedPress {
    OpenPress press;
    int upTick = 0;
    uint32_t upMs = 0;
};

// Follows the keys through the keyboard messages of the run.
struct PressTracker {
    std::set<uint32_t> down;
    std::map<uint32_t, OpenPress> open;
    std::vector<ClosedPress> closed;
    size_t order = 0;

    void message(const TraceEvent& event, int tick)
    {
        if (event.keyUp) {
            down.erase(event.keyCode);
            const auto it = open.find(event.keyCode);
            if (it != open.end()) {
                closed.push_back({it->second, tick, event.clockMs});
                open.erase(it);
            }
        } else if (!down.contains(event.keyCode)) {
            // A key-down for a key already down is an auto-repeat.
            down.insert(event.keyCode);
            open[event.keyCode] = OpenPress{event.keyCode, tick, event.clockMs, order++};
        }
    }

    // Every press in the order the keys went down; keys still down at the
    // end are presses without a release.
    std::vector<ClosedPress> finish()
    {
        for (const auto& [code, press] : open)
            closed.push_back({press, 0, 0});
        std::sort(closed.begin(), closed.end(),
                  [](const ClosedPress& a, const ClosedPress& b) { return a.press.order < b.press.order; });
        return closed;
    }
};

// Keys that went down and up together (End+Numpad1) make one press.
std::vector<KeyPress> joinPresses(const std::vector<ClosedPress>& closed)
{
    std::vector<KeyPress> presses;
    for (const ClosedPress& c : closed) {
        const bool together = !presses.empty() && presses.back().downTick == c.press.downTick &&
                              presses.back().downMs == c.press.downMs && presses.back().upTick == c.upTick &&
                              presses.back().upMs == c.upMs;
        if (!together) {
            KeyPress press;
            press.downTick = c.press.downTick;
            press.downMs = c.press.downMs;
            press.upTick = c.upTick;
            press.upMs = c.upMs;
            presses.push_back(press);
        }
        KeyPress& joined = presses.back();
        joined.codes.push_back(c.press.code);
        if (!joined.name.empty())
            joined.name += '+';
        joined.name += keyDisplayName(c.press.code);
    }
    return presses;
}

// The scenario's side of a tick: inputs and the game's settings.
void readInputs(const TickRecord& record, TickFacts& tick)
{
    for (const std::string& control : record.state.pressedControls)
        (isMoveControl(control) ? tick.moves : tick.controls).insert(control);
    tick.wheelUp = record.state.wheelUp;
    tick.wheelDown = record.state.wheelDown;
    tick.onFoot = record.state.onFoot;
    tick.firstPerson = record.state.firstPerson;
    tick.desiredSetting = record.state.desired;
    tick.gaitSetting = record.state.gait;
    tick.desired = record.derived.desiredSpeed;
    tick.keys = record.keys;
}

// The plug-in's side of a tick: what its calls imposed.
void readImposed(const TickRecord& record, TickFacts& tick)
{
    tick.imposed.floor = record.imposed.minSpeed;
    tick.imposed.cap = record.imposed.maxSpeed;
    readSprintValues(record.imposed, tick);
    for (const std::string& control : record.imposed.disabledControls) {
        if (control == "INPUT_PREV_WEAPON" || control == "INPUT_NEXT_WEAPON")
            tick.imposed.wheelTaken = true;
    }
}

TickFacts readTick(const TickRecord& record, uint32_t startMs, PressTracker& keys)
{
    TickFacts tick;
    tick.tick = record.tick;
    tick.clockMs = record.clockMs;
    tick.elapsedMs = record.clockMs - startMs;
    tick.pluginLoaded = record.pluginLoaded;
    readInputs(record, tick);
    for (const TraceEvent& event : record.events) {
        if (event.kind == EventKind::key)
            keys.message(event, record.tick);
        else if (event.kind == EventKind::call && event.name == "isPedOnFoot")
            tick.imposed.controllerRan = true;
        else if (event.kind == EventKind::note)
            tick.notes.push_back(event.line.substr(event.line.find(' ') + 1));
        else if (event.kind == EventKind::fault)
            tick.faults.push_back(event.name);
    }
    tick.keysDown = keys.down;
    readImposed(record, tick);
    return tick;
}

// The notes and faults of the load, and the faults of the end.
void readLoadAndEnd(const TickRecord& record, Facts& facts)
{
    for (const TraceEvent& event : record.events) {
        if (record.phase == Phase::load && event.kind == EventKind::note)
            facts.loadNotes.push_back(event.line.substr(event.line.find(' ') + 1));
        else if (record.phase == Phase::load && event.kind == EventKind::fault)
            facts.loadNotes.push_back(event.line);
        else if (record.phase == Phase::end && event.kind == EventKind::fault)
            facts.endFaults.push_back(event.name);
    }
}

}  // namespace

bool KeyPress::hasCode(uint32_t code) const
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

const TickFacts* Facts::at(int tick) const
{
    if (tick < 1 || tick > tickCount())
        return nullptr;
    return &ticks[static_cast<size_t>(tick - 1)];
}

Facts readFacts(const Trace& trace)
{
    Facts facts;
    facts.scenarioName = trace.scenarioName;
    for (const std::string& line : trace.headerLines) {
        if (line.rfind("title: ", 0) == 0)
            facts.title = line.substr(7);
    }
    PressTracker keys;
    for (const TickRecord& record : trace.records) {
        if (record.phase != Phase::tick) {
            readLoadAndEnd(record, facts);
            continue;
        }
        const uint32_t startMs = facts.ticks.empty() ? record.clockMs : facts.ticks.front().clockMs;
        facts.ticks.push_back(readTick(record, startMs, keys));
    }
    if (facts.ticks.size() >= 2)
        facts.clockStepMs = facts.ticks[1].clockMs - facts.ticks[0].clockMs;
    facts.presses = joinPresses(keys.finish());
    return facts;
}

}  // namespace sim::report
