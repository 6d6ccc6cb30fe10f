#pragma once

// Turns the key table into the walk-key and sprint-key flags and then runs
// the hotkeys (hotkeys.h); once per tick, after the controller. The flags it
// sets are acted on by the controller in the next tick; a sprint-key release
// and a reload take effect at once.
void dispatchKeys();
