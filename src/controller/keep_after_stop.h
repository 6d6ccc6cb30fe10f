#pragma once
// Keeping a custom speed across a stop: when the player stops, the custom
// speed is suspended so the game can start the next movement at its own pace;
// once the ped really moves again the speed comes back (ramped up again when
// it is a run speed and KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE is 3).

// True when KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE keeps a speed across a
// stop (above 0). Asks the game nothing.
bool keepsSpeedAfterStopping();
// Stop detection, then the stop watch; one pass per tick the controller acts
// while keepsSpeedAfterStopping() holds.
void keepCustomSpeedAfterStopping();
