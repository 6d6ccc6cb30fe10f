// The fake host. Sections: the call in progress · rules · answers · the nine
// functions.
//
// The benchmark measures through this code, so the path of a call that keeps
// every rule is kept short: checks are single comparisons, and the words for
// a broken rule are put together only once one is broken, out of line.

#include "host.h"

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "game/native_invoker.h"

// Index of this file:
// [SECTION] The call in progress
// [SECTION] Rules
// [SECTION] Answers
// [SECTION] The nine functions

namespace fake {

namespace {

Host theHost;

// ---------------------------------------------------------------------------
// [SECTION] The call in progress
// What the next call may need of the last one completed (the ped handle and
// the control hash come from the call right before theirs).

bool pending = false;
NativeCall current;

struct Previous {
    const Native* native = nullptr;
    uint64_t result = 0;
    Control control = noControl;
};
Previous previous;

uint64_t resultSlot = 0;

const Native* const playerPedNative = findNative(NativeInvoker::Hash::playerPed);
const Native* const hashOfTextNative = findNative(NativeInvoker::Hash::hashOfText);

uint64_t low32(uint64_t slot)
{
    return slot & 0xFFFFFFFFull;
}

bool isFiniteFloatSlot(uint64_t slot)
{
    return std::isfinite(std::bit_cast<float>(static_cast<uint32_t>(slot)));
}

// Text addresses already seen, so that a name is compared only the first
// time a given static string arrives (the plug-in passes the same addresses
// every tick). Open addressing over 64 slots; a reload may move the texts, so
// a fresh game forgets them.
struct TextSlot {
    uint64_t address = 0;
    Control control = noControl;
};
TextSlot textSlots[64];

// The first sight of a text address: which of the control names it holds.
[[gnu::noinline]] Control learnText(TextSlot& slot, uint64_t address)
{
    const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(address));
    slot.address = address;
    for (uint8_t i = 0; i < controlCount; ++i) {
        if (text && std::strcmp(text, controlNames[i]) == 0)
            slot.control = static_cast<Control>(i);
    }
    return slot.control;
}

Control controlOfText(uint64_t address)
{
    // A multiplicative hash: the control names lie a few bytes apart.
    uint64_t index = (address * 0x9E3779B97F4A7C15ull) >> 58;
    for (int probes = 0; probes < 64; ++probes) {
        TextSlot& slot = textSlots[index];
        if (slot.address == address)
            return slot.control;
        if (slot.address == 0)
            return learnText(slot, address);
        index = (index + 1) & 63;
    }
    return noControl;
}

// ---------------------------------------------------------------------------
// [SECTION] Rules

// Counts a broken rule, keeps the first in words and tells the driver.
[[gnu::cold, gnu::noinline]] void brokenRule(const char* format, ...) __attribute__((format(printf, 1, 2)));
void brokenRule(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ++theHost.counts.faults;
    if (theHost.fault.empty())
        theHost.fault = text;
    if (theHost.onFault)
        theHost.onFault(text);
}

const char* nameOf(const NativeCall& call)
{
    return call.native ? call.native->name : "an unknown native";
}

// Whether an argument has its shape; a text or control hash also tells the
// call which control it is about.
bool argumentFits(Arg arg, uint64_t slot)
{
    switch (arg) {
    case Arg::integer:
        return (slot >> 32) == 0;
    case Arg::ped:
        return previous.native == playerPedNative && slot == low32(previous.result);
    case Arg::text:
        current.control = controlOfText(slot);
        return current.control != noControl;
    case Arg::controlHash:
        current.control = previous.control;
        return previous.native == hashOfTextNative && slot == low32(previous.result);
    case Arg::floating:
        return (slot >> 32) == 0 && (theHost.nonFiniteFed || isFiniteFloatSlot(slot));
    }
    return false;
}

// Says which rule an argument that does not fit broke.
[[gnu::cold, gnu::noinline]] void reportArgument(const Native& native, int index, uint64_t slot)
{
    const auto value = static_cast<unsigned long long>(slot);
    const auto before = static_cast<unsigned long long>(previous.result);
    switch (native.args[index]) {
    case Arg::integer:
        brokenRule("%s: argument %d is not a zero-extended 32-bit value: 0x%llx", native.name, index, value);
        break;
    case Arg::ped:
    case Arg::controlHash: {
        const bool ped = native.args[index] == Arg::ped;
        const char* wanted = ped ? "ped handle" : "control hash";
        if (previous.native != (ped ? playerPedNative : hashOfTextNative))
            brokenRule("%s: the %s does not come from the call right before", native.name, wanted);
        else
            brokenRule("%s: %s 0x%llx, but the call right before answered 0x%llx", native.name, wanted, value, before);
        break;
    }
    case Arg::text:
        brokenRule("%s: the argument is not one of the control names", native.name);
        break;
    case Arg::floating:
        if (slot >> 32)
            brokenRule("%s: argument %d is not a zero-extended 32-bit value: 0x%llx", native.name, index, value);
        else
            brokenRule("%s: non-finite float 0x%08llx reached the game, though every answer and setting was finite",
                       native.name, value);
        break;
    }
}

// A push that breaks a rule: says which, and keeps the argument when the
// call in progress has room for it.
[[gnu::cold, gnu::noinline]] void pushOutOfRule(uint64_t value)
{
    const uint8_t index = current.argCount;
    if (!pending) {
        brokenRule("nativePush64 without nativeInit");
        return;
    }
    const int limit = current.native ? current.native->argCount : static_cast<int>(maxArgs);
    if (index >= limit) {
        brokenRule("%s: more than %d arguments", nameOf(current), limit);
        return;
    }
    if (current.native)
        reportArgument(*current.native, index, value);
    current.args[index] = value;
    current.argCount = static_cast<uint8_t>(index + 1);
}

// The shape of a call that completes while breaking a rule.
[[gnu::cold, gnu::noinline]] void reportCall()
{
    if (!pending)
        brokenRule("nativeCall without nativeInit");
    else if (current.native && current.argCount != current.native->argCount)
        brokenRule("%s: %d arguments, expected %d", current.native->name, current.argCount, current.native->argCount);
}

// ---------------------------------------------------------------------------
// [SECTION] Answers

uint64_t desiredSpeedAnswer()
{
    Game& g = game();
    if (g.desiredSpeedReadingsTaken < g.desiredSpeedReadingCount)
        return Answer(g.desiredSpeedReadings[g.desiredSpeedReadingsTaken++]).slot;
    return g.desiredSpeed.slot;
}

// The game's standing answer to a call.
uint64_t gameAnswer(const NativeCall& call)
{
    const Native& native = *call.native;
    const Game& g = game();
    switch (native.reply) {
    case Reply::world:
        return (g.*native.world).slot;
    case Reply::desiredSpeed:
        return desiredSpeedAnswer();
    case Reply::control:
        return call.control == noControl ? 0 : (g.*native.control)[call.control].slot;
    case Reply::hashOfText:
        return call.control == noControl ? 0 : g.hashOfControl[call.control].slot;
    case Reply::nothing:
    case Reply::noRow:
        break;
    }
    return 0;
}

uint64_t answer(const NativeCall& call)
{
    if (!call.native)
        return 0;
    const uint64_t standing = gameAnswer(call);
    const uint64_t given = theHost.answer ? theHost.answer(call, standing) : standing;
    if (call.native->reply == Reply::desiredSpeed && !isFiniteFloatSlot(given))
        theHost.nonFiniteFed = true;
    return call.native->reply == Reply::nothing ? unreadableResult : given;
}

// Out of line: the path of a call that is not recorded stays short.
[[gnu::noinline]] void record(const NativeCall& call)
{
    theHost.calls.push_back(call);
}

void count(const NativeCall& call)
{
    Counts& c = theHost.counts;
    ++c.natives;
    if (!call.native)
        return;
    ++c.byNative[indexOf(*call.native)];
    if (call.native->argCount > 0 && call.native->args[0] == Arg::ped)
        ++c.pedNatives;
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] The nine functions

uint64_t Counts::of(uint64_t hash) const
{
    const Native* native = findNative(hash);
    return native ? byNative[indexOf(*native)] : 0;
}

Counts countsBetween(const Counts& before, const Counts& after)
{
    Counts d;
    d.natives = after.natives - before.natives;
    d.pushes = after.pushes - before.pushes;
    d.clockReads = after.clockReads - before.clockReads;
    d.waits = after.waits - before.waits;
    d.pedNatives = after.pedNatives - before.pedNatives;
    d.faults = after.faults - before.faults;
    for (std::size_t i = 0; i < nativeCount; ++i)
        d.byNative[i] = after.byNative[i] - before.byNative[i];
    return d;
}

Host& host()
{
    return theHost;
}

void startGame()
{
    theHost = Host{};
    game() = Game{};
    pending = false;
    current = NativeCall{};
    previous = Previous{};
    resultSlot = 0;
    for (TextSlot& slot : textSlots)
        slot = TextSlot{};
}

void scriptRegister(void* module, void (*scriptMain)())
{
    ++theHost.scriptRegistrations;
    theHost.module = module;
    theHost.script = scriptMain;
}

void scriptUnregister(void* module)
{
    ++theHost.scriptUnregistrations;
    if (module != theHost.module)
        brokenRule("scriptUnregister with another module than was registered");
    theHost.module = nullptr;
    theHost.script = nullptr;
}

void scriptWait(uint32_t ms)
{
    if (pending)
        brokenRule("scriptWait in the middle of a native call");
    if (ms != 0)
        brokenRule("scriptWait(%u): the loop waits 0 ms", ms);
    ++theHost.counts.waits;
    if (theHost.onWait)
        theHost.onWait();
}

void keyboardHandlerRegister(KeyboardHandler handler)
{
    ++theHost.keyboardRegistrations;
    theHost.keyboard = handler;
}

void keyboardHandlerUnregister(KeyboardHandler handler)
{
    ++theHost.keyboardUnregistrations;
    if (handler != theHost.keyboard)
        brokenRule("keyboardHandlerUnregister with another handler than was registered");
    theHost.keyboard = nullptr;
}

void nativeInit(uint64_t hash)
{
    if (pending)
        brokenRule("nativeInit while %s is pending", nameOf(current));
    current.hash = hash;
    current.native = findNative(hash);
    current.argCount = 0;
    current.control = noControl;
    pending = true;
    if (!current.native)
        brokenRule("nativeInit with a hash outside the catalogue: 0x%016llx", static_cast<unsigned long long>(hash));
}

void nativePush64(uint64_t value)
{
    ++theHost.counts.pushes;
    const uint8_t index = current.argCount;
    const Native* native = current.native;
    if (pending && native && index < native->argCount && argumentFits(native->args[index], value)) {
        current.args[index] = value;
        current.argCount = static_cast<uint8_t>(index + 1);
        return;
    }
    pushOutOfRule(value);
}

uint64_t* nativeCall()
{
    if (!pending || !current.native || current.argCount != current.native->argCount)
        reportCall();
    pending = false;
    current.result = answer(current);
    count(current);
    if (theHost.recording)
        record(current);
    previous.native = current.native;
    previous.result = current.result;
    previous.control = current.control;
    resultSlot = current.result;
    return &resultSlot;
}

uint32_t getTickCount()
{
    // The keyboard path reads the clock too, possibly on another thread: a
    // relaxed atomic count keeps that from being a data race (an increment
    // lost to a race would only make the count low).
    std::atomic_ref<uint64_t> reads(theHost.counts.clockReads);
    reads.store(reads.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    return theHost.clockMs;
}

}  // namespace fake
