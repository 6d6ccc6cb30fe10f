#pragma once

// Turns the key table into the walk-key and Shift flags and runs the
// End+Numpad hotkeys; once per tick, after the controller.
void dispatchKeys();
