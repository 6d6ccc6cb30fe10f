#pragma once
// What the settings form shows of every setting, taken from the plug-in's
// own code and texts: its section, key and kind from the load's tables, its
// built-in default from a fresh Settings record, the range its per-tick
// clamps hold it to (found by running the plug-in's own clamps on values
// far out of range), and its explanation from the comments above its line in
// the shipped Ambleworks.ini, read with the plug-in's own INI reader.

#include <string>

namespace sim::web {

// One JSON object: {"settings": [{section, key, field, kind, default, min,
// max, explanation}, ...] in load order ([Keys] first), "intro": the
// comments at the top of the file}. min and max are null where no clamp
// holds the value.
std::string settingsSchemaJson(const std::string& shippedIni);

}  // namespace sim::web
