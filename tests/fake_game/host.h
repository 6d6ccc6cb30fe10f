#pragma once
// The fake host: the nine functions a host gives the plug-in, answered from
// the fake game (game.h), with every rule of the host boundary checked call
// by call. Unit tests, the keyboard stress test and the allocation test reach
// it through plain C exports (exports.cpp), the benchmark through the
// simulator's exported table in front of a dlopen'd Ambleworks.so, the fuzz
// target through exports of its own that check more first.
//
// Nothing here allocates while the plug-in runs, unless calls are recorded
// or a rule is broken: the allocation test and the benchmark count the heap
// around it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/host_interface.h"
#include "natives.h"

namespace fake {

// One completed native call.
struct NativeCall {
    uint64_t hash = 0;
    const Native* native = nullptr;  // nullptr for a hash outside the catalogue
    uint64_t args[maxArgs] = {};
    uint8_t argCount = 0;
    Control control = noControl;  // the control a control native or hashOfText was about
    uint64_t result = 0;
};

// What the plug-in asked since the game started.
struct Counts {
    uint64_t natives = 0;     // completed nativeCall
    uint64_t pushes = 0;      // nativePush64
    uint64_t clockReads = 0;  // GetTickCount
    uint64_t waits = 0;       // scriptWait
    uint64_t pedNatives = 0;  // natives that take the ped handle
    uint64_t faults = 0;      // broken rules of the boundary
    uint64_t byNative[nativeCount] = {};

    uint64_t of(uint64_t hash) const;
};

// What was asked between two readings of the counts.
Counts countsBetween(const Counts& before, const Counts& after);

struct Host {
    uint32_t clockMs = 100000;  // well away from 0 (an empty key slot)

    // What the plug-in registered; unregistering forgets it again.
    void* module = nullptr;
    void (*script)() = nullptr;
    KeyboardHandler keyboard = nullptr;
    int scriptRegistrations = 0;
    int scriptUnregistrations = 0;
    int keyboardRegistrations = 0;
    int keyboardUnregistrations = 0;

    Counts counts;
    // The first broken rule, in words; empty while every call kept them.
    std::string fault;

    // Every completed call, while recording is on (unit tests).
    bool recording = false;
    std::vector<NativeCall> calls;

    // Set once a NaN or infinite desired speed was answered; the driver sets
    // it when it feeds one in another way (a setting). Until then a
    // non-finite float argument is a broken rule.
    bool nonFiniteFed = false;

    // Hooks a driver may set. onWait: scriptWait hands control back (park the
    // script context). answer: every answer comes from it, given the call (its
    // arguments checked) and what the game would answer. onFault: called with
    // each broken rule (a fuzz target ends there).
    void (*onWait)() = nullptr;
    uint64_t (*answer)(const NativeCall& call, uint64_t gameAnswer) = nullptr;
    void (*onFault)(const char* rule) = nullptr;
};

Host& host();

// A fresh host and game: default answers, the clock at 100000, nothing
// registered, counted or recorded, no hooks.
void startGame();

// The host's side of the nine functions (exports.cpp makes them C symbols).
void scriptRegister(void* module, void (*scriptMain)());
void scriptUnregister(void* module);
void scriptWait(uint32_t ms);
void keyboardHandlerRegister(KeyboardHandler handler);
void keyboardHandlerUnregister(KeyboardHandler handler);
void nativeInit(uint64_t hash);
void nativePush64(uint64_t value);
uint64_t* nativeCall();
uint32_t getTickCount();

// The value a native with no result leaves in the slot, for nobody to read.
inline constexpr uint64_t unreadableResult = 0x5A5A5A5A5A5A5A5Aull;

}  // namespace fake
