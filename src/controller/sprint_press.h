#pragma once

// Each tick of a sprint press: saves and suspends the custom speed so the
// game's own run takes over, forces 2.0 in the first ticks when a custom speed
// was active, and classifies how the press began.
void onSprintPressed();
// The Shift release that ends a sprint press: a tap starts the light run or
// stops running; a wheel override keeps its speed. Called by the dispatcher.
void onSprintReleased();
