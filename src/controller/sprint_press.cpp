#include "controller/sprint_press.h"

// Placeholder until the sprint handling lands.
void onSprintPressed() {}
void onSprintReleased() {}
