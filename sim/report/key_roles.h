#pragma once
// The plug-in's keys in a played run: which of them a key press is (by the
// keys the scenario's Ambleworks.ini configured at that moment) and what the
// reports call them ("End+Numpad1", "Shift", or whatever the player chose).

#include <string>

#include "host/plugin_keys.h"
#include "report/facts.h"

namespace sim::report {

// The keys the plug-in held in `tick` (the built-in ones outside the run).
PluginKeys keysAt(const Facts& facts, int tick);

// A press of the sprint key alone (Shift unless configured otherwise).
bool isSprintKeyPress(const KeyPress& press, const PluginKeys& keys);

// A press of the walk-control key alone (Alt unless configured otherwise).
bool isWalkKeyPress(const KeyPress& press, const PluginKeys& keys);

// A press of the hotkey modifier together with one of the switch-off,
// switch-on and reload keys (or of one of those alone with no modifier).
bool isHotkeyPress(const KeyPress& press, const PluginKeys& keys);

// What a hotkey press does: "switch off", "switch on", "reload Ambleworks.ini".
std::string hotkeyMeaning(const KeyPress& press, const PluginKeys& keys);

// A configured key's name ("Shift", "Numpad1"), or "no key".
std::string pluginKeyName(int32_t code);

// A hotkey as the player presses it: "End+Numpad1" (the modifier first),
// "F11" with no modifier or when the modifier is the key itself, "no key"
// when no keys make it act.
std::string hotkeyName(const PluginKeys& keys, Hotkey hotkey);

// The name of the three hotkeys together, for the chart's lane:
// "End+Numpad" for End with Numpad1 to 3.
std::string hotkeysLaneName(const PluginKeys& keys);

}  // namespace sim::report
