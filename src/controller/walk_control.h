#pragma once

// The walk-control key: a short press toggles the fast walk, a long hold slows
// the player to the slow walk. Runs inside the controller tick, so what it
// decides is applied in the same tick.
void walkControlUpdate();

// Plain walk for one tick: asks the game whether the first-person camera is
// on, then engages 1.0 there and 1.2 elsewhere as a temporary speed, after
// which the game's own speed takes over again.
void engagePlainWalk();
// True when REMEMBER_FAST_WALK is on and the fast walk was switched on with
// the walk-control key: a drop, a stop of a run or a standstill then brings
// the fast walk back instead of the game's own speed. Asks the game nothing.
bool fastWalkRemembered();
// Nudges the game's sprint control: 0.0 and then 1.0 for the next frame.
void pulseSprintControl();
