#include "host/call_checker.h"

#include <algorithm>
#include <bit>

#include "trace/format.h"

namespace sim {

std::string CheckedCall::name() const
{
    return entry ? std::string(entry->name) : "native " + hex64(hash);
}

CallChecker::CallChecker(TextReader readText, ControlNamer nameControl)
    : readText_(std::move(readText)),
      nameControl_(std::move(nameControl))
{
}

std::string CallChecker::pendingName() const
{
    const NativeSpec* entry = findNative(pendingHash_);
    return entry ? std::string(entry->name) : "native " + hex64(pendingHash_);
}

void CallChecker::init(uint64_t hash, std::vector<std::string>& faults)
{
    if (pending_) {
        faults.push_back("nativeInit(" + hex64(hash) + ") while a call to " + pendingName() + " is pending (" +
                         decimal(static_cast<int64_t>(pendingSlots_.size())) + " arguments pushed, no nativeCall)");
    }
    if (!findNative(hash))
        faults.push_back("nativeInit with the unknown hash " + hex64(hash));
    pending_ = true;
    pendingHash_ = hash;
    pendingSlots_.clear();
}

void CallChecker::push(uint64_t slot, std::vector<std::string>& faults)
{
    if (!pending_) {
        faults.push_back("nativePush64(" + hex64(slot) + ") with no call started (no nativeInit)");
        return;
    }
    pendingSlots_.push_back(slot);
}

bool CallChecker::call(CheckedCall& out, std::vector<std::string>& faults)
{
    if (!pending_) {
        faults.emplace_back("nativeCall with no call started (no nativeInit)");
        return false;
    }
    pending_ = false;
    out = CheckedCall{};
    out.hash = pendingHash_;
    out.entry = findNative(pendingHash_);
    out.slots = pendingSlots_;
    if (!out.entry) {
        for (uint64_t slot : out.slots) {
            DecodedArg arg;
            arg.slot = slot;
            arg.shown = hex64(slot);
            out.args.push_back(arg);
        }
        return true;
    }
    if (out.slots.size() != out.entry->args.size()) {
        faults.push_back(out.name() + " called with " + decimal(static_cast<int64_t>(out.slots.size())) +
                         " arguments; it takes " + decimal(static_cast<int64_t>(out.entry->args.size())));
    }
    for (size_t i = 0; i < out.slots.size(); ++i) {
        if (i < out.entry->args.size()) {
            out.args.push_back(decode(out, i, faults));
        } else {
            DecodedArg extra;
            extra.slot = out.slots[i];
            extra.shown = hex64(out.slots[i]);
            out.args.push_back(extra);
        }
    }
    return true;
}

// The argument `index` of a call of the catalogue. The words that say where
// a fault is are made only for a fault: most calls break no rule, and a
// preview makes a hundred thousand of them.
DecodedArg CallChecker::decode(const CheckedCall& call, size_t index, std::vector<std::string>& faults) const
{
    const ArgSpec& shape = call.entry->args[index];
    const uint64_t slot = call.slots[index];
    DecodedArg arg{shape.kind, slot, {}, {}};
    const auto where = [&] { return call.name() + " argument " + decimal(static_cast<int64_t>(index + 1)); };
    const auto low = static_cast<uint32_t>(slot);
    const bool highHalfSet = (slot >> 32) != 0;

    switch (shape.kind) {
    case ArgKind::text: {
        std::string text;
        if (!readText_ || !readText_(slot, text)) {
            arg.shown = "<unreadable text>";
            faults.push_back(where() + " does not point at a readable NUL-terminated string");
            return arg;
        }
        arg.name = text;
        arg.shown = "\"" + text + "\"";
        const auto& names = controlNames();
        if (std::find(names.begin(), names.end(), text) == names.end())
            faults.push_back(where() + " is the text \"" + text +
                             "\", not one of the control names the plug-in passes");
        return arg;
    }
    case ArgKind::literal:
        arg.shown = highHalfSet ? hex64(slot) : decimal(low);
        if (highHalfSet)
            faults.push_back(where() + " slot " + hex64(slot) + " has a non-zero high half");
        else if (low != shape.literal)
            faults.push_back(where() + " is " + decimal(low) + "; every call passes " + decimal(shape.literal));
        return arg;
    case ArgKind::number:
        arg.shown = highHalfSet ? hex64(slot) : formatFloat(std::bit_cast<float>(low));
        if (highHalfSet)
            faults.push_back(where() + " slot " + hex64(slot) +
                             " has a non-zero high half (a float travels in the low 32 bits)");
        return arg;
    case ArgKind::ped:
        arg.shown = highHalfSet ? hex64(slot) : hex32(low);
        if (highHalfSet) {
            faults.push_back(where() + " slot " + hex64(slot) + " has a non-zero high half (not zero-extended)");
        } else if (previousName_ != "playerPed" || previousResult_ != low) {
            faults.push_back(where() + " (ped " + hex32(low) +
                             ") is not the result of a playerPed call made right before it");
        }
        return arg;
    case ArgKind::control: {
        if (!highHalfSet && nameControl_)
            arg.name = nameControl_(low);
        arg.shown = highHalfSet ? hex64(slot) : (arg.name.empty() ? hex32(low) : arg.name);
        if (highHalfSet) {
            faults.push_back(where() + " slot " + hex64(slot) + " has a non-zero high half (not zero-extended)");
        } else if (previousName_ != "hashOfText" || previousResult_ != low) {
            faults.push_back(where() + " (control " + hex32(low) +
                             ") is not the result of a hashOfText call made right before it");
        }
        return arg;
    }
    }
    return arg;
}

void CallChecker::completed(const CheckedCall& call, uint64_t resultSlot)
{
    previousName_ = call.entry ? std::string_view(call.entry->name) : std::string_view();
    previousResult_ = static_cast<uint32_t>(resultSlot);
}

void CallChecker::forgetPrevious()
{
    previousName_ = {};
    previousResult_ = 0;
}

void CallChecker::reset()
{
    pending_ = false;
    pendingHash_ = 0;
    pendingSlots_.clear();
    forgetPrevious();
}

}  // namespace sim
