#pragma once
// The game behind the natives of the catalogue: answers each call from the
// scenario's GameState (one entry of a table per native role) and remembers
// what the plug-in imposed. One tick at a time:
// beginTick derives the tick's answers (desired speed, gait) from the state
// and from what the plug-in imposed in the previous tick.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "host/call_checker.h"

namespace sim {

class GameModel {
public:
    // Set by the session before each tick.
    GameState state;
    // Every key down (the host's own key tracking), for the sprint control
    // of the automatic desired speed: on while the state's sprint key is down.
    std::set<uint32_t> keysDown;
    // How booleans and the result slots' high halves come back.
    uint32_t trueValue = 1;
    uint32_t resultHighBits = 0;

    // Starts a tick: what was imposed becomes the previous tick's, the
    // tick's answers are derived.
    void beginTick();
    // Ends a tick: remembers the pressed controls (for "just pressed").
    void endTick();

    // The 64-bit result slot for a checked call, with its printed form; a
    // call without a result gets 0 and an empty text.
    uint64_t answer(const CheckedCall& call, std::string& shown, std::string& name);

    // The control name of a hash this model made, or "".
    std::string controlNameOf(uint32_t hash) const;

    const ImposedState& imposed() const { return imposed_; }
    const DerivedState& derived() const { return derived_; }

    // Forgets everything imposed and remembered (a new session).
    void reset();

private:
    // Whether the key the game's sprint control is bound to is down.
    bool sprintKeyDown() const;
    // The ped's desired speed this tick, from the scenario's setting.
    float desiredSpeed(const DerivedState& derived) const;
    // The gait flags: as the scenario sets them, or from the desired speed.
    void deriveGait(DerivedState& derived) const;

    ImposedState imposed_;
    ImposedState previousImposed_;
    DerivedState derived_;
    std::set<std::string> previousPressed_;
    std::map<uint32_t, std::string> hashNames_;
};

// What keeps the answer table from matching the catalogue, one line each: a
// native without an answer (it would answer 0 whatever the scenario sets), an
// answer for a role the catalogue does not have. Empty when they match.
std::vector<std::string> answerTableMismatches();

// Upper-cases ASCII letters (control names are compared in upper case).
std::string upperCase(std::string text);

}  // namespace sim
