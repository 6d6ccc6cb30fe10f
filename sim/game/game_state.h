#pragma once
// The game as a scenario sets it, tick by tick, and what the plug-in imposed
// on it. Plain records: the scenario writes GameState, the game model answers
// natives from it and fills ImposedState.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

// The four move controls, held while the player gives move input.
inline constexpr std::string_view moveControls[] = {
    "INPUT_MOVE_UP_ONLY",
    "INPUT_MOVE_LEFT_ONLY",
    "INPUT_MOVE_DOWN_ONLY",
    "INPUT_MOVE_RIGHT_ONLY",
};

// The ped's four gait flags; `automatic` derives them from the desired speed.
struct Gait {
    bool automatic = true;
    bool walking = false;
    bool running = false;
    bool sprinting = false;
    bool still = false;
    bool operator==(const Gait&) const = default;
};

// The ped's desired speed: fixed, or derived from input (see GameModel).
struct Desired {
    bool automatic = true;
    float value = 0.0f;  // when not automatic
    float walk = 1.0f;   // automatic: with move input
    float run = 2.0f;    // automatic: with move input and the sprint control
    bool operator==(const Desired&) const = default;
};

struct GameState {
    bool onFoot = true;
    Gait gait;
    Desired desired;
    std::set<std::string> pressedControls;       // upper-case control names held
    std::map<std::string, bool> controlEnabled;  // absent: enabled
    // The key the game's sprint control is bound to (0: none). While it is
    // down the game sprints, as the control INPUT_SPRINT held does; it is the
    // player's binding in the game, not the plug-in's SPRINT_KEY.
    uint32_t sprintKey = 0x10;
    bool holdBlocked = false;
    bool firstPerson = false;
    bool pedMoveFree = true;
    bool globalMoveRestricted = false;
    bool pedMoveRestricted = false;
    bool runDropAllowed = true;
    uint32_t ped = 0x00012A07u;
    // This tick only: wheel notches.
    bool wheelUp = false;
    bool wheelDown = false;
};

// What the plug-in did to the game in one tick (the last value of each).
struct ImposedState {
    std::optional<float> maxSpeed;
    std::optional<float> minSpeed;
    std::vector<std::pair<std::string, float>> controlValues;  // setControlValueNextFrame, in call order
    std::vector<std::string> disabledControls;                 // disableControlAction, in call order
};

// The answers the model derived for a tick, before the plug-in ran.
struct DerivedState {
    float desiredSpeed = 0.0f;
    bool walking = false;
    bool running = false;
    bool sprinting = false;
    bool still = false;
    bool moveInput = false;
    bool sprintControl = false;
};

}  // namespace sim
