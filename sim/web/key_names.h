#pragma once
// Key names for the page: what the key capture and the key fields read a
// name as, and the name a code is shown under.

#include <cstdint>
#include <optional>
#include <string>

namespace sim::web {

// The virtual-key code a key name stands for ("Q", "Numpad 1", "Left Shift",
// "Page Up", "F11", "Digit 1"), ignoring letter case, blanks, '_' and '-';
// nothing for a text that names no key.
std::optional<uint32_t> keyCodeOfName(const std::string& text);

// The name a code is shown under, "" when no key has it.
std::string keyNameOfCode(uint32_t code);

}  // namespace sim::web
