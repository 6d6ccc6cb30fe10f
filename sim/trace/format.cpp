#include "trace/format.h"

#include <charconv>
#include <cmath>

namespace sim {

std::string formatFloat(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

namespace {

std::string hexDigits(uint64_t value, int width)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text(static_cast<size_t>(width), '0');
    for (int i = width - 1; i >= 0; --i) {
        text[static_cast<size_t>(i)] = digits[value & 0xF];
        value >>= 4;
    }
    return "0x" + text;
}

}  // namespace

std::string hex32(uint32_t value)
{
    return hexDigits(value, 8);
}

std::string hex64(uint64_t value)
{
    return hexDigits(value, 16);
}

std::string hexShort(uint32_t value)
{
    int width = 2;
    while (width < 8 && (value >> (4 * width)) != 0)
        ++width;
    return hexDigits(value, width);
}

std::string decimal(int64_t value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace sim
