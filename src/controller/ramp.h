#pragma once
// The ramp: after a stop, a kept run speed comes back gradually. The speed
// restarts at the built-in fast walk, waits 50 ticks, then climbs one step a
// tick back to the speed the player had.

// Starts a ramp back up to the present target speed.
void startRamp();
// One tick of the ramp: the delay counts down first, then the speed climbs.
// Runs in every tick the controller acts while keeping a speed across a stop
// is on; does nothing when no ramp is under way.
void runRamp();
