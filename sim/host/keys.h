#pragma once
// Keys in the scenario language and the trace: named through the plug-in's
// one table of key names (src/config/key_names.h), with the scan code and
// extended flag a real keyboard message carries.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct KeyInfo {
    uint32_t code = 0;
    uint8_t scanCode = 0;
    bool extended = false;
    std::string name;  // the canonical name in capitals without blanks (PAGEUP), or the hex code
};

// A key by any name the table knows (case, blanks, '_' and '-' ignored:
// SHIFT, END, NUMPAD1, Page Up, A, F5, …), by a code in hex (0x10), or a
// single digit for that digit key. Nothing for an unknown name.
std::optional<KeyInfo> findKey(std::string_view text);

// A code with its name (e.g. "SHIFT"), or its hex form where it has none.
KeyInfo keyOfCode(uint32_t code);

// Every name the table knows, in the scenario's spelling, for "did you mean".
std::vector<std::string> keyNames();

// One keyboard message as the host hands it to the plug-in's handler.
struct KeyMessage {
    KeyInfo key;
    uint16_t repeats = 1;
    bool altDown = false;
    bool wasDown = false;
    bool up = false;
    uint32_t clockMs = 0;
    const char* kind = "down";  // "down", "repeat" or "up"
};

}  // namespace sim
