#pragma once
// Windows virtual-key codes by name, with the scan code and extended flag a
// real keyboard message carries, for the scenario language and the trace.

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
    std::string name;  // canonical upper-case name, or the hex code
};

// A key by name (case-insensitive: SHIFT, END, NUMPAD1, A, F5, …) or by
// number (0x10, 16). Nothing for an unknown name. Codes are written in hex (0x10); single digits are the digit keys.
std::optional<KeyInfo> findKey(std::string_view text);

// The canonical name of a code (e.g. "SHIFT"), or its hex form.
KeyInfo keyOfCode(uint32_t code);

// Every canonical key name, for "did you mean".
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
