#pragma once
// The hotkeys: the hotkey modifier held with the switch-off, switch-on or
// reload key (End with Numpad1, Numpad2, Numpad3 unless [Keys] in
// Ambleworks.ini names others).

// Runs the hotkeys once per tick, as the key dispatcher's last block; they act
// whether the plug-in is on or off. The first combination that holds wins
// (off, then on, then reload), and one that stays down acts in every tick.
void dispatchHotkeys();
