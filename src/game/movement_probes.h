#pragma once
// The questions the controller asks about the player's movement, and the two
// ways of imposing a speed on the player character. Each asks the game afresh
// on every call: nothing is remembered between calls, because the number and
// order of the calls is the behaviour (see native_invoker.h).

// True when any of the four move inputs is pressed; always asks all four.
bool isMoveInputActive();
// True when the game reports the player's movement as constrained.
bool isMovementConstrained();
// Asks the game how fast the player wants to go: a playerPed and a
// getPedDesiredSpeed call each time it is called. A step that tests the
// desired speed twice asks twice; never keep the answer for a later test.
float askDesiredSpeed();
// Imposes `speed`, honouring the game's speed boundaries unless they are off
// or the first-person camera wants a walking pace.
void applyTargetSpeed(float speed);
// Pins the player at `speed`: floor, then cap.
void forcePedSpeed(float speed);
