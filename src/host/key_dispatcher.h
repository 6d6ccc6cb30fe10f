#pragma once

// Turns the key table into the walk-key and Shift flags and runs the
// End+Numpad hotkeys; once per tick, after the controller. The flags it sets
// are acted on by the controller in the next tick; a Shift release and a
// reload take effect at once.
void dispatchKeys();
