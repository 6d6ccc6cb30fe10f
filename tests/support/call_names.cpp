#include "support/call_names.h"

#include <bit>
#include <charconv>
#include <cstdint>

#include "game/native_invoker.h"

namespace fake {

namespace {

std::string textOfFloat(uint64_t slot)
{
    char buffer[32];
    const float value = std::bit_cast<float>(static_cast<uint32_t>(slot));
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::string textOfArgument(const NativeCall& call, std::size_t index)
{
    const uint64_t slot = call.args[index];
    switch (call.native->args[index]) {
    case Arg::integer:
        return std::to_string(slot);
    case Arg::floating:
        return textOfFloat(slot);
    case Arg::text:
    case Arg::controlHash:
        return call.control == noControl ? "?" : controlNames[call.control];
    case Arg::ped:
        break;
    }
    return "?";
}

}  // namespace

std::string describe(const NativeCall& call)
{
    if (!call.native)
        return "unknown";
    const Native& native = *call.native;
    std::string shown;
    for (std::size_t i = 0; i < native.argCount && i < call.argCount; ++i) {
        if (native.shown[i])
            shown += (shown.empty() ? "" : ", ") + textOfArgument(call, i);
    }
    return shown.empty() ? native.name : std::string(native.name) + "(" + shown + ")";
}

std::vector<std::string> callNames(std::size_t from)
{
    std::vector<std::string> names;
    const auto& calls = host().calls;
    for (std::size_t i = from; i < calls.size(); ++i)
        names.push_back(describe(calls[i]));
    return names;
}

std::vector<std::string> commandNames(std::size_t from)
{
    namespace H = NativeInvoker::Hash;
    std::vector<std::string> names;
    const auto& calls = host().calls;
    for (std::size_t i = from; i < calls.size(); ++i) {
        if (calls[i].hash != H::playerPed && calls[i].hash != H::hashOfText)
            names.push_back(describe(calls[i]));
    }
    return names;
}

std::size_t countCalls(const std::string& name, std::size_t from)
{
    std::size_t count = 0;
    const auto& calls = host().calls;
    for (std::size_t i = from; i < calls.size(); ++i) {
        if (calls[i].native && name == calls[i].native->name)
            ++count;
    }
    return count;
}

}  // namespace fake
