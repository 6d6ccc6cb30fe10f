#include "report/wording.h"

#include <charconv>

#include "config/key_names.h"
#include "trace/format.h"

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
    const std::string_view name = code <= 0xFF ? keyNameOfCode(static_cast<int32_t>(code)) : std::string_view();
    return name.empty() ? hexShort(code) : std::string(name);
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
