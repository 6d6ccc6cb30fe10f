// Matching trace events against call patterns: names, arguments (numbers at
// the precision the scenario wrote them, control names, texts, the words of
// registration calls) and results.

#include <bit>
#include <charconv>

#include "game/game_model.h"
#include "session/session.h"

namespace sim {

namespace {

float floatOf(uint64_t slot)
{
    return std::bit_cast<float>(static_cast<uint32_t>(slot));
}

bool argMatches(const ArgPattern& pattern, const DecodedArg& arg)
{
    const auto low = static_cast<uint32_t>(arg.slot);
    const bool clean = (arg.slot >> 32) == 0;
    switch (pattern.kind) {
    case ArgPattern::Kind::any:
        return true;
    case ArgPattern::Kind::integer:
        if (arg.kind == ArgKind::number)
            return clean && floatOf(arg.slot) == pattern.number;
        if (arg.kind == ArgKind::text)
            return false;
        if (arg.kind == ArgKind::literal && !arg.name.empty())
            return false;  // a word of a host call (module, handler)
        return clean && low == pattern.integer;
    case ArgPattern::Kind::number:
        return arg.kind == ArgKind::number && clean && numberMatches(pattern, floatOf(arg.slot));
    case ArgPattern::Kind::name:
    case ArgPattern::Kind::text:
        if (arg.kind == ArgKind::text)
            return pattern.kind == ArgPattern::Kind::text ? arg.name == pattern.text
                                                          : upperCase(arg.name) == pattern.text;
        return !arg.name.empty() && upperCase(arg.name) == upperCase(pattern.text);
    }
    return false;
}

bool resultMatches(const ArgPattern& pattern, const TraceEvent& event)
{
    const auto low = static_cast<uint32_t>(event.resultSlot);
    switch (pattern.kind) {
    case ArgPattern::Kind::any:
        return true;
    case ArgPattern::Kind::name:
        if (event.resultKind == ResultKind::boolean) {
            if (pattern.text == "TRUE")
                return low != 0;
            if (pattern.text == "FALSE")
                return low == 0;
            return false;
        }
        return event.resultKind == ResultKind::hash && event.resultName == pattern.text;
    case ArgPattern::Kind::text:
        return event.resultKind == ResultKind::hash && event.resultName == upperCase(pattern.text);
    case ArgPattern::Kind::integer:
        if (event.resultKind == ResultKind::boolean)
            return (low != 0) == (pattern.integer != 0);
        if (event.resultKind == ResultKind::number)
            return floatOf(event.resultSlot) == pattern.number;
        return low == pattern.integer;
    case ArgPattern::Kind::number:
        return event.resultKind == ResultKind::number && numberMatches(pattern, floatOf(event.resultSlot));
    }
    return false;
}

}  // namespace

bool numberMatches(const ArgPattern& pattern, float value)
{
    if (pattern.decimals < 0)
        return value == pattern.number;
    // The value with as many decimals as the scenario wrote, read back: the
    // same decimal digits give the same double.
    char text[128];
    const auto printed =
        std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::fixed, pattern.decimals);
    double shown = 0.0;
    const auto read = std::from_chars(text, printed.ptr, shown);
    return printed.ec == std::errc() && read.ec == std::errc() && shown == pattern.written;
}

bool matchesPattern(const CallPattern& pattern, const TraceEvent& event)
{
    if (event.kind != EventKind::call || event.name != pattern.name)
        return false;
    if (pattern.hasArgs) {
        if (event.args.size() != pattern.args.size())
            return false;
        for (size_t i = 0; i < pattern.args.size(); ++i) {
            if (!argMatches(pattern.args[i], event.args[i]))
                return false;
        }
    }
    if (pattern.hasResult && (!event.hasResult || !resultMatches(pattern.result, event)))
        return false;
    return true;
}

}  // namespace sim
