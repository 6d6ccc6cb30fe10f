#pragma once
// A small game model on top of the fake host: it answers every native from a
// plain record of game state and lists the recorded calls as readable names,
// e.g. "hashOfText(INPUT_SPRINT)", "isControlEnabled(INPUT_SPRINT)",
// "setPedMaxSpeed(1.06)".

#include <cstddef>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/movement_history.h"
#include "support/fake_host.h"

namespace fake {

struct Game {
    int32_t ped = static_cast<int32_t>(0x80000101u);  // top bit set: must travel zero-extended
    bool onFoot = true;
    bool walking = false;
    bool running = false;
    bool sprinting = false;
    bool still = false;
    float desiredSpeed = 0.0f;
    // Answered one per getPedDesiredSpeed before desiredSpeed is used.
    std::deque<float> desiredSpeedReadings;
    bool firstPerson = false;
    bool moveFree = true;
    bool globalMoveRestricted = false;
    bool pedMoveRestricted = false;
    bool runDropAllowed = false;
    bool sprintEnabled = true;
    bool sprintHoldBlocked = false;
    std::set<std::string> pressed;      // controls isControlPressed reports down
    std::set<std::string> justPressed;  // controls isDisabledControlJustPressed reports
};

// Resets the fake host and the game model and makes the model answer.
void startGame();
Game& game();

// One call as a readable name: control natives show the control's name, ped
// natives drop the handle, floats print in their shortest exact form.
std::string describe(const NativeCall& call);
// Every call recorded since `from`, described.
std::vector<std::string> callNames(size_t from = 0);
// The same without playerPed and hashOfText: what the plug-in asked and did.
std::vector<std::string> commandNames(size_t from = 0);
// How many times a native (by its described name without arguments) was called since `from`.
size_t countCalls(const std::string& name, size_t from = 0);
// Empty when every ped native got the handle of the playerPed call right before
// it and every control native the hash of the hashOfText call right before it;
// otherwise describes the first call that did not.
std::string staleArgumentFault();
// Move input: presses the forward direction, or lets go of all four.
void setMoveInput(bool active);

// A freshly loaded plug-in (built-in settings, zeroed controller, empty
// history) facing a fresh game.
inline void startFreshPlugin()
{
    settings = Settings{};
    controllerState = ControllerState{};
    clearMovementHistory();
    startGame();
}

}  // namespace fake
