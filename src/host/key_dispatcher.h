#pragma once

// Turns the key table into the walk-key and sprint-key flags and runs the
// hotkeys (End+Numpad1/2/3 unless [Keys] names others); once per tick, after
// the controller. The flags it sets
// are acted on by the controller in the next tick; a Shift release and a
// reload take effect at once.
void dispatchKeys();
