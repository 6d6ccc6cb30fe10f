#pragma once

// Each tick of a sprint press: saves and suspends the custom speed.
void onSprintPressed();
// The Shift release: a tap starts the light run or stops running.
void onSprintReleased();
