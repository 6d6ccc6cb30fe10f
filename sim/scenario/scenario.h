#pragma once
// A scenario file in memory: the settings of the run, what happens at which
// tick, and what is expected of the trace. docs/scenarios.md is the
// reference of the language; parser.cpp reads it, session/ plays it,
// expectations.cpp judges a trace against it.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "host/catalogue.h"
#include "host/keys.h"

namespace sim {

// A tick or a range of ticks, both ends included. Expectations may also name
// the load (before tick 1) and the end (after the last tick).
struct TickSpan {
    enum class Special { none, load, end };
    Special special = Special::none;
    int first = 1;
    int last = 1;
    bool range = false;  // written as N..M
    std::string text() const;
};

// The Ambleworks.ini the run writes (or not).
struct IniContent {
    enum class Kind { none, text, file };
    Kind kind = Kind::none;
    std::string text;  // kind text: the bytes; kind file: the resolved path
};

struct PropertyValue {
    bool flag = false;
    Gait gait;
    Desired desired;
    std::set<std::string> moves;  // the move controls held
    uint32_t ped = 0;
    uint32_t key = 0;  // a key's code; 0 for none
};

struct PropertyRow;

// A game-state statement: the row of scenario/properties.h it sets, and the value.
struct StateStatement {
    int line = 0;
    TickSpan ticks;
    const PropertyRow* property = nullptr;
    std::string control;  // control / control_enabled: the upper-case name
    PropertyValue value;
};

struct KeyStatement {
    enum class Action { press, release, tap, hold };
    int line = 0;
    TickSpan ticks;
    Action action = Action::press;
    std::vector<KeyInfo> keys;  // a combination, in pressing order
    int offsetMs = 0;           // press / release: this many ms before the tick
};

struct WheelStatement {
    int line = 0;
    TickSpan ticks;
    bool up = true;
};

struct IniStatement {
    int line = 0;
    int tick = 1;
    IniContent content;
};

struct PluginStatement {
    enum class Action { reload, unload, load };
    int line = 0;
    int tick = 1;
    Action action = Action::reload;
};

// One argument (or the result) of a call pattern.
struct ArgPattern {
    enum class Kind { any, integer, number, name, text };
    Kind kind = Kind::any;
    uint64_t integer = 0;  // integer
    float number = 0.0f;   // number (also set for integers)
    std::string text;      // name (upper-cased) or text
    // A number written with a decimal point and no exponent matches at the
    // precision written: `decimals` digits after the point, `written` the
    // number read in double. -1: an exact single-precision match.
    int decimals = -1;
    double written = 0.0;
};

struct CallPattern {
    std::string name;                   // as the catalogue / host spells it
    const NativeSpec* entry = nullptr;  // a native; nullptr for a host function
    bool hasArgs = false;
    std::vector<ArgPattern> args;
    bool hasResult = false;
    ArgPattern result;
    std::string source;  // as written
};

struct Expectation {
    enum class Kind { call, noCall, count, sequence };
    int line = 0;
    Kind kind = Kind::call;
    TickSpan ticks;
    CallPattern pattern;
    std::string op;  // count: == != < <= > >=
    int count = 0;
    bool perTick = false;
    // sequence: the patterns; a gap ("...") is an item with gap set
    struct Item {
        bool gap = false;
        CallPattern pattern;
        int line = 0;
    };
    std::vector<Item> sequence;
};

struct Scenario {
    std::string path;      // as given (for messages)
    std::string fileName;  // the last component (for the trace)
    std::string title;
    int ticks = 0;  // 0: the default (highestTick)
    int highestTick = 1;
    uint32_t clockStart = 100000;
    uint32_t clockStep = 33;
    bool repeatKeys = true;
    uint32_t repeatDelayMs = 500;
    uint32_t repeatRateMs = 33;
    uint32_t trueValue = 1;
    uint32_t resultHighBits = 0;
    IniContent initialIni;
    std::vector<StateStatement> states;
    std::vector<KeyStatement> keys;
    std::vector<WheelStatement> wheels;
    std::vector<IniStatement> inis;
    std::vector<PluginStatement> plugins;
    std::vector<Expectation> expectations;
    // "PATH:LINE:COLUMN: warning: …" for statements that will never happen.
    std::vector<std::string> warnings;

    int tickCount() const { return ticks > 0 ? ticks : highestTick; }
};

// Reads a scenario file. On failure returns false with every error as
// "PATH:LINE:COLUMN: message" ("PATH:LINE: message" where the whole line is
// at fault, "PATH: message" when the file cannot be read).
bool parseScenarioFile(const std::string& path, Scenario& scenario, std::vector<std::string>& errors);

// Reads scenario text; `path` is used in messages, `baseDir` resolves
// `ini file` paths.
bool parseScenarioText(const std::string& text, const std::string& path, const std::string& baseDir, Scenario& scenario,
                       std::vector<std::string>& errors);

// Parses one call pattern ("setPedMaxSpeed(*, 1.38) -> true"); false with a
// message when it is malformed.
bool parseCallPattern(const std::string& text, CallPattern& pattern, std::string& error);

// Does a float argument or result match a number pattern? At the precision
// the pattern was written with: 1.12 matches 1.1199999.
bool numberMatches(const ArgPattern& pattern, float value);

}  // namespace sim
