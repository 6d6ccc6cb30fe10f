#pragma once
// The record of a run: every call the plug-in made and every message the host
// delivered, grouped by tick, as structured data (for expectations, timelines
// and charts) and as the text lines of the trace file.

#include <cstdint>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "host/catalogue.h"
#include "host/plugin_keys.h"

namespace sim {

// One argument as the host decoded it.
struct DecodedArg {
    ArgKind kind = ArgKind::literal;
    uint64_t slot = 0;
    std::string shown;  // as printed in the trace
    std::string name;   // control: the control name when known; text: the string
};

enum class EventKind {
    call,   // a native call or a host function the plug-in called
    key,    // a keyboard message the host delivered
    note,   // something the host did (INI written, plug-in unloaded)
    fault,  // a broken rule
};

struct TraceEvent {
    EventKind kind = EventKind::note;
    std::string name;              // call: role or host function name; key: key name
    bool native = false;           // call: a native of the catalogue
    std::vector<DecodedArg> args;  // call: the arguments; key: unused
    bool hasResult = false;
    ResultKind resultKind = ResultKind::none;
    uint64_t resultSlot = 0;
    std::string resultShown;
    std::string resultName;  // hash results: the control name
    // key: the handler's arguments
    uint32_t keyCode = 0;
    bool keyUp = false;
    uint32_t clockMs = 0;
    std::string line;  // the trace line, without indentation
};

enum class Phase { load, tick, end };

struct TickRecord {
    Phase phase = Phase::tick;
    int tick = 0;  // 1.. for ticks; 0 for load; last + 1 for end
    uint32_t clockMs = 0;
    bool pluginLoaded = false;
    std::vector<TraceEvent> events;
    GameState state;       // the scenario's state in this tick
    DerivedState derived;  // what the model answered from it
    ImposedState imposed;  // what the plug-in imposed in this tick
    PluginKeys keys;       // the keys the plug-in acted on in this tick

    // "load", "tick 5", "end".
    std::string label() const;
};

struct Trace {
    std::string scenarioName;
    std::vector<std::string> headerLines;  // without "# "
    std::vector<TickRecord> records;
    int faultCount = 0;
};

// The whole trace as text: header lines, then each record's heading and its
// events indented by two spaces; LF line ends.
std::string formatTrace(const Trace& trace);

}  // namespace sim
