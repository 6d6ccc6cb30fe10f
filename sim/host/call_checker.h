#pragma once
// Assembles one native call from nativeInit, nativePush64 and nativeCall,
// checks it against the catalogue and decodes its arguments for the trace.
// It knows nothing of the game: the text behind an address and the name of a
// control hash come from the two functions it is given.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/catalogue.h"
#include "trace/trace.h"

namespace sim {

// A native call as the plug-in made it, checked and decoded.
struct CheckedCall {
    uint64_t hash = 0;
    const NativeSpec* entry = nullptr;  // nullptr: a hash outside the catalogue
    std::vector<uint64_t> slots;
    std::vector<DecodedArg> args;
    std::string name() const;  // role name, or "native 0x…" for an unknown hash
};

class CallChecker {
public:
    // Reads the NUL-terminated string at an address; false when the memory is
    // not readable or holds no terminator within a sane length.
    using TextReader = std::function<bool(uint64_t address, std::string& text)>;
    // The control name whose hash this is, or "" when the host made no such hash.
    using ControlNamer = std::function<std::string(uint32_t hash)>;

    CallChecker(TextReader readText, ControlNamer nameControl);

    // Each step appends the rules it finds broken to `faults`.
    void init(uint64_t hash, std::vector<std::string>& faults);
    void push(uint64_t slot, std::vector<std::string>& faults);
    // Ends the pending call. False (with a fault) when none was started.
    bool call(CheckedCall& out, std::vector<std::string>& faults);
    // Tells the checker the result of the call just made, so that the next
    // call can be checked for a fresh handle or hash.
    void completed(const CheckedCall& call, uint64_t resultSlot);
    // Forgets the previous call (at scriptWait: nothing carries across ticks).
    void forgetPrevious();
    // Drops everything, also a pending call (a new plug-in instance).
    void reset();

    bool pending() const { return pending_; }
    std::string pendingName() const;

private:
    DecodedArg decode(const CheckedCall& call, size_t index, std::vector<std::string>& faults) const;

    TextReader readText_;
    ControlNamer nameControl_;
    bool pending_ = false;
    uint64_t pendingHash_ = 0;
    std::vector<uint64_t> pendingSlots_;
    // The previous complete call: its role (the catalogue's name, "" for an
    // unknown hash) and result, for the freshness rule.
    std::string_view previousName_;
    uint32_t previousResult_ = 0;
};

}  // namespace sim
