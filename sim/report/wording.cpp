#include "report/wording.h"

#include <charconv>
#include <map>

#include "host/keys.h"

namespace sim::report {

namespace {

// Durations from this long on are written with tenths only.
constexpr uint32_t longDurationMs = 10000;

std::string fixed(double value, int decimals)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string keyDisplayName(uint32_t code)
{
    static const std::map<uint32_t, std::string> names = {
        {0x10, "Shift"},     {0x11, "Ctrl"},       {0x12, "Alt"},      {0x23, "End"},        {0x24, "Home"},
        {0x2D, "Insert"},    {0x2E, "Delete"},     {0x21, "PageUp"},   {0x22, "PageDown"},   {0x25, "Left"},
        {0x26, "Up"},        {0x27, "Right"},      {0x28, "Down"},     {0xA0, "Left Shift"}, {0xA1, "Right Shift"},
        {0xA2, "Left Ctrl"}, {0xA3, "Right Ctrl"}, {0xA4, "Left Alt"}, {0xA5, "Right Alt"},  {0x20, "Space"},
        {0x0D, "Enter"},     {0x09, "Tab"},        {0x1B, "Esc"},      {0x08, "Backspace"},  {0x14, "CapsLock"},
    };
    const auto it = names.find(code);
    if (it != names.end())
        return it->second;
    if (code >= 0x60 && code <= 0x69)
        return "Numpad" + std::string(1, static_cast<char>('0' + (code - 0x60)));
    return keyOfCode(code).name;  // letters, digits, F-keys, or the hex code
}

std::string moveDirection(const std::set<std::string>& moves)
{
    std::string text;
    auto add = [&](const char* control, const char* word) {
        if (moves.contains(control)) {
            if (!text.empty())
                text += "-";
            text += word;
        }
    };
    add("INPUT_MOVE_UP_ONLY", "forward");
    add("INPUT_MOVE_DOWN_ONLY", "back");
    add("INPUT_MOVE_LEFT_ONLY", "left");
    add("INPUT_MOVE_RIGHT_ONLY", "right");
    return text;
}

std::string speedText(float speed)
{
    return fixed(static_cast<double>(speed), 2);
}

std::string secondsText(uint32_t elapsedMs)
{
    // Tenths, rounded half up, in integers: the same text on every platform.
    const uint64_t tenths = (static_cast<uint64_t>(elapsedMs) + 50) / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string durationText(uint32_t ms)
{
    if (ms >= longDurationMs)
        return secondsText(ms) + " s";
    const uint64_t hundredths = (static_cast<uint64_t>(ms) + 5) / 10;
    const uint64_t rest = hundredths % 100;
    return std::to_string(hundredths / 100) + "." + (rest < 10 ? "0" : "") + std::to_string(rest) + " s";
}

}  // namespace sim::report
