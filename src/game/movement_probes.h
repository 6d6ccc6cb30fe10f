#pragma once
// The two movement probes and the two ways of imposing a speed on the player
// character. Each asks the game afresh on every call.

// True when any of the four move inputs is pressed; always asks all four.
bool isMoveInputActive();
// True when the game reports the player's movement as constrained.
bool isMovementConstrained();
// Imposes `speed`, honouring the game's speed boundaries unless they are off
// or the first-person camera wants a walking pace.
void applyTargetSpeed(float speed);
// Pins the player at `speed`: floor, then cap.
void forcePedSpeed(float speed);
