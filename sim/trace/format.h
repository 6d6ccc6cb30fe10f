#pragma once
// Number formatting for the trace, identical on every platform: no printf,
// no locale, no pointer values.

#include <cstdint>
#include <string>

namespace sim {

// The shortest text that reads back as the same single-precision value
// (std::to_chars), with ".0" added to whole numbers: 1.38, 0.7, 1.0, -0.0,
// 1e-40, inf, nan.
std::string formatFloat(float value);

// "0x" and 8 upper-case hex digits.
std::string hex32(uint32_t value);

// "0x" and 16 upper-case hex digits.
std::string hex64(uint64_t value);

// "0x" and as many upper-case hex digits as needed, at least two (key codes).
std::string hexShort(uint32_t value);

// Decimal, for tick numbers, counts and milliseconds.
std::string decimal(int64_t value);

}  // namespace sim
