#pragma once
// A minimal in-process host for unit tests that link the plug-in's sources
// directly: it provides the nine host functions, records every native call,
// and answers natives through a function the test sets.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/host_interface.h"

namespace fake {

struct NativeCall {
    uint64_t hash = 0;
    std::vector<uint64_t> args;
    uint64_t result = 0;
};

// Answers one native call; the default answers 0 to everything.
using Answer = std::function<uint64_t(uint64_t hash, const std::vector<uint64_t>& args)>;

struct Host {
    std::vector<NativeCall> calls;
    Answer answer;
    uint32_t clockMs = 100000;
    int scriptRegistrations = 0;
    int scriptUnregistrations = 0;
    int keyboardRegistrations = 0;
    int keyboardUnregistrations = 0;
    int waits = 0;
    void* registeredModule = nullptr;
    void (*registeredScript)() = nullptr;
    KeyboardHandler registeredKeyboard = nullptr;
    // Set when a call shape is broken (push without init, init while pending).
    std::string fault;
};

// The process-wide fake host; reset() puts it back to its initial state.
Host& host();
void reset();

// The text a slot points at (for hashOfText arguments).
std::string textOfSlot(uint64_t slot);

}  // namespace fake
