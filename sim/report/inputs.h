#pragma once
// What the player or the game changed, one phrase each ("Alt up after
// 0.23 s", "wheel notch up", "move forward", "game: the ped wants 2.00"),
// with the tick it happened in. The timeline puts each on a line.

#include <string>
#include <vector>

#include "report/facts.h"
#include "report/runs.h"

namespace sim::report {

// What kind of input an item is; the reasons find their causes by kind.
enum class InputKind {
    start,  // the first tick: walking or standing
    move,   // move input in a direction
    stop,   // move input let go
    wheelUp,
    wheelDown,
    control,  // a control on or off (`control` names it)
    offFoot,
    onFoot,
    camera,       // the first-person camera on or off
    gameSetting,  // the scenario changed what the game answers ("game: …")
    hostPlugin,   // the host loaded or unloaded the plug-in
    hostNote,     // another of the host's events ("host: …")
    key,          // a key press, its down or its up
};

struct InputItem {
    int tick = 0;
    InputKind kind = InputKind::key;
    std::string text;
    std::string control;   // a control item: the control
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
