#include "game/movement_probes.h"

// Placeholder until the probes land.
bool isMoveInputActive() { return false; }
bool isMovementConstrained() { return false; }
void applyTargetSpeed(float) {}
void forcePedSpeed(float) {}
