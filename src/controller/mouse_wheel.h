#pragma once

// The mouse wheel's speed steps and, during a sprint press, its boundary override.
void mouseWheelUpdate();
// One wheel step up from the present custom speed (or from the ped's desired speed).
void stepSpeedUp();
// One wheel step down; the twin of stepSpeedUp.
void stepSpeedDown();
