#pragma once
// What a played trace shows, tick by tick, in the terms a player uses: the
// inputs (keys, wheel, move input, controls), what the game wanted, and what
// the plug-in imposed, read from its calls. The timeline and the chart are
// both built on these facts.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/plugin_keys.h"
#include "report/wording.h"
#include "trace/trace.h"

namespace sim::report {

// What the plug-in imposed in one tick, read from its calls of that tick.
// No call means the game's own speed.
struct Imposed {
    bool controllerRan = false;  // the plug-in's per-tick work asked the game anything (isPedOnFoot)
    std::optional<float> floor;  // setPedMinSpeed
    std::optional<float> cap;    // setPedMaxSpeed
    bool sprintHeld = false;     // INPUT_SPRINT set to 1.0 for the next frame (not as part of a pulse)
    bool wheelTaken = false;     // the weapon-cycling controls disabled (the wheel steps the speed)

    bool hasSpeed() const { return floor.has_value() || cap.has_value(); }
    // The speed the ped is held to: the cap, or the floor when only that is set.
    std::optional<float> speed() const { return cap ? cap : floor; }
    bool pinned() const { return floor && cap && *floor == *cap; }
    bool operator==(const Imposed&) const = default;
};

struct TickFacts {
    int tick = 0;
    uint32_t clockMs = 0;
    uint32_t elapsedMs = 0;  // since tick 1 (wrapping clock safe)
    bool pluginLoaded = true;

    // Inputs as the game and the keyboard had them in this tick.
    std::set<std::string> moves;     // INPUT_MOVE_*_ONLY held
    std::set<std::string> controls;  // other controls held, e.g. INPUT_SPRINT
    bool wheelUp = false;
    bool wheelDown = false;
    bool onFoot = true;
    bool firstPerson = false;
    std::set<uint32_t> keysDown;  // after this tick's keyboard messages
    PluginKeys keys;              // the keys the plug-in acted on (from Ambleworks.ini)
    Desired desiredSetting;       // the scenario's desired-speed statement in force
    Gait gaitSetting;

    // The game's answers and the plug-in's calls.
    float desired = 0.0f;  // the ped's desired speed this tick
    Imposed imposed;
    bool sprintPulse = false;        // INPUT_SPRINT set to 0.0 and then 1.0
    std::vector<std::string> notes;  // host notes (INI written, plug-in reloaded)
    std::vector<std::string> faults;

    bool moving() const { return !moves.empty(); }
};

// One press of a key (or of a combination pressed together), from the tick
// whose messages brought the key-down to the tick whose messages brought the
// key-up.
struct KeyPress {
    std::vector<uint32_t> codes;  // in pressing order
    std::string name;             // "Alt", "End+Numpad1"
    int downTick = 0;
    int upTick = 0;       // 0: still down when the trace ends
    uint32_t downMs = 0;  // clock of the down and up messages
    uint32_t upMs = 0;

    bool released() const { return upTick != 0; }
    // Down and up delivered between the same two ticks: the plug-in only
    // ever sees the release.
    bool tap() const { return upTick == downTick; }
    uint32_t heldMs() const { return upMs - downMs; }
    bool hasCode(uint32_t code) const;
};

struct Facts {
    std::string scenarioName;
    std::string title;
    uint32_t clockStepMs = 0;  // 0 when fewer than two ticks
    std::vector<std::string> loadNotes;
    std::vector<TickFacts> ticks;   // ticks[0] is tick 1
    std::vector<KeyPress> presses;  // by down tick, then pressing order
    std::vector<std::string> endFaults;

    // The facts of tick N, or nullptr outside the run.
    const TickFacts* at(int tick) const;
    int tickCount() const { return static_cast<int>(ticks.size()); }
};

// Reads the facts out of a played trace.
Facts readFacts(const Trace& trace);

}  // namespace sim::report
