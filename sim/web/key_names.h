#pragma once
// Key capture for the page: a browser keyboard event's `code` (the physical
// key, whatever the layout: "KeyQ", "ShiftLeft", "ArrowUp", "Digit1",
// "Numpad1") read through the plug-in's one table of key names
// (src/config/key_names.h). Only the browser's spelling of a letter key
// ("KeyQ") is translated; every other code is already a spelling the table
// reads ("ShiftLeft" as "Shift Left", "Digit1" as "Digit 1").

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim::web {

struct CapturedKey {
    int32_t code = 0;  // the virtual-key code keyboard messages carry (Shift for ShiftLeft)
    std::string name;  // its canonical name, as the page shows and writes it
};

// The key a KeyboardEvent.code names, or nothing for a key the table does
// not know (the Windows keys, media keys, an empty code).
std::optional<CapturedKey> keyOfBrowserCode(std::string_view browserCode);

}  // namespace sim::web
