#include "controller/walk_control.h"

// Placeholder until the walk-control key lands.
void walkControlUpdate() {}
