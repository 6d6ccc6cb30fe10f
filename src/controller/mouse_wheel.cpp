#include "controller/mouse_wheel.h"

// Placeholder until the wheel lands.
void mouseWheelUpdate() {}
void stepSpeedUp() {}
void stepSpeedDown() {}
