#include "controller/controller_tick.h"

// Placeholder until the controller lands.
void controllerTick() {}
