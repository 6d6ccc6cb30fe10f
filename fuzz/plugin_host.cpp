#include "plugin_host.h"

#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "controller/controller_state.h"
#include "game/control_names.h"
#include "game/native_invoker.h"
#include "platform/script_context.h"

namespace fuzz {

namespace {

namespace H = NativeInvoker::Hash;

Host theHost;

// What one argument slot must hold.
enum class Arg {
    integer,      // a 32-bit value, zero-extended
    ped,          // the handle of the playerPed call right before
    text,         // the address of one of the twelve control names
    controlHash,  // the answer of the hashOfText call right before
    speed,        // a float's bits, zero-extended; finite unless something non-finite was fed in
};

enum class Answer { none, world, control, hashOfText };

struct Native {
    uint64_t hash;
    const char* name;
    int argCount;
    Arg args[3];
    Answer answer;
    size_t which;  // WorldQuery or ControlQuery
};

constexpr Native catalogue[] = {
    {H::playerPed, "playerPed", 0, {}, Answer::world, playerPedAnswer},
    {H::hashOfText, "hashOfText", 1, {Arg::text}, Answer::hashOfText, 0},
    {H::isControlPressed, "isControlPressed", 2, {Arg::integer, Arg::controlHash}, Answer::control, pressed},
    {H::isDisabledControlJustPressed,
     "isDisabledControlJustPressed",
     2,
     {Arg::integer, Arg::controlHash},
     Answer::control,
     justPressed},
    {H::disableControlAction,
     "disableControlAction",
     3,
     {Arg::integer, Arg::controlHash, Arg::integer},
     Answer::none,
     0},
    {H::setControlValueNextFrame,
     "setControlValueNextFrame",
     3,
     {Arg::integer, Arg::controlHash, Arg::speed},
     Answer::none,
     0},
    {H::isControlEnabled, "isControlEnabled", 2, {Arg::integer, Arg::controlHash}, Answer::control, enabled},
    {H::isControlHoldBlocked, "isControlHoldBlocked", 1, {Arg::controlHash}, Answer::control, holdBlocked},
    {H::isFirstPersonCameraActive,
     "isFirstPersonCameraActive",
     3,
     {Arg::integer, Arg::integer, Arg::integer},
     Answer::world,
     firstPersonAnswer},
    {H::getPedDesiredSpeed, "getPedDesiredSpeed", 1, {Arg::ped}, Answer::world, desiredSpeedAnswer},
    {H::isPedOnFoot, "isPedOnFoot", 1, {Arg::ped}, Answer::world, onFootAnswer},
    {H::isPedWalking, "isPedWalking", 1, {Arg::ped}, Answer::world, walkingAnswer},
    {H::isPedRunning, "isPedRunning", 1, {Arg::ped}, Answer::world, runningAnswer},
    {H::isPedSprinting, "isPedSprinting", 1, {Arg::ped}, Answer::world, sprintingAnswer},
    {H::isPedStill, "isPedStill", 1, {Arg::ped}, Answer::world, stillAnswer},
    {H::setPedMaxSpeed, "setPedMaxSpeed", 2, {Arg::ped, Arg::speed}, Answer::none, 0},
    {H::setPedMinSpeed, "setPedMinSpeed", 2, {Arg::ped, Arg::speed}, Answer::none, 0},
    {H::isPedMoveFree, "isPedMoveFree", 1, {Arg::ped}, Answer::world, moveFreeAnswer},
    {H::isGlobalMoveRestricted, "isGlobalMoveRestricted", 0, {}, Answer::world, globalRestrictedAnswer},
    {H::isPedMoveRestricted, "isPedMoveRestricted", 2, {Arg::ped, Arg::integer}, Answer::world, pedRestrictedAnswer},
    {H::isRunDropAllowed, "isRunDropAllowed", 0, {}, Answer::world, runDropAnswer},
};

const char* const controlNames[controlCount] = {
    inputMoveUpOnly, inputMoveLeftOnly,    inputMoveDownOnly,   inputMoveRightOnly,
    inputSprint,     inputFrontendSelect,  inputPrevWeapon,     inputNextWeapon,
    inputRevealHud,  inputSelectRadarMode, inputSpecialAbility, inputScriptedFlyZup,
};

// The call being made (between nativeInit and nativeCall).
bool pending = false;
const Native* current = nullptr;
uint64_t currentArgs[4] = {};
int currentArgCount = 0;

// The last completed call, for the arguments that must come from it.
const Native* previous = nullptr;
uint64_t previousResult = 0;
size_t previousControl = 0;  // for hashOfText: which name it was asked about

uint64_t resultSlot = 0;

const Native* findNative(uint64_t hash)
{
    for (const Native& native : catalogue) {
        if (native.hash == hash)
            return &native;
    }
    return nullptr;
}

bool isFiniteFloatSlot(uint64_t slot)
{
    return std::isfinite(std::bit_cast<float>(static_cast<uint32_t>(slot)));
}

// The answers the table offers; the low half is what the plug-in reads.
uint64_t floatSlot(float value)
{
    return std::bit_cast<uint32_t>(value);
}

const uint64_t answerTable[] = {
    0,
    1,
    2,
    3,
    0xFF,
    0x100,
    0xFFFF,
    0x7FFFFFFF,
    0x80000000,
    0xFFFFFFFF,
    0x100000000ull,
    0xFFFFFFFF00000000ull,
    0x100000001ull,
    0xFFFFFFFFFFFFFFFFull,
    0x8000000000000000ull,
    floatSlot(0.0f),
    floatSlot(-0.0f),
    floatSlot(0.5f),
    floatSlot(0.8f),
    floatSlot(0.97f),
    floatSlot(1.0f),
    floatSlot(1.03f),
    floatSlot(1.2f),
    floatSlot(1.3f),
    floatSlot(1.38f),
    floatSlot(1.45f),
    floatSlot(1.5f),
    floatSlot(1.51f),
    floatSlot(1.99f),
    floatSlot(2.0f),
    floatSlot(2.5f),
    floatSlot(3.0f),
    floatSlot(5.0f),
    floatSlot(-1.0f),
    floatSlot(std::numeric_limits<float>::max()),
    floatSlot(-std::numeric_limits<float>::max()),
    floatSlot(std::numeric_limits<float>::min()),
    floatSlot(std::numeric_limits<float>::denorm_min()),
    floatSlot(std::numeric_limits<float>::infinity()),
    floatSlot(-std::numeric_limits<float>::infinity()),
    0x7FC00000,
    0xFFC00000,
    0x7F800001,
    0x7FBFFFFF,
    0xDEADBEEF3F800000ull,  // 1.0 with garbage above
    0xFFFFFFFF3FC00000ull,  // 1.5 with garbage above
    0x0000000140000000ull,  // 2.0 with a stray bit above
};
constexpr size_t answerTableSize = sizeof answerTable / sizeof answerTable[0];

const int32_t intTable[] = {
    0,
    1,
    2,
    3,
    4,
    -1,
    -2,
    0x10,
    0x12,
    0x23,
    0x41,
    0x61,
    0x62,
    0x63,
    0xFE,
    0xFF,
    0x100,
    1000,
    std::numeric_limits<int32_t>::max(),
    std::numeric_limits<int32_t>::min(),
};
constexpr size_t intTableSize = sizeof intTable / sizeof intTable[0];

void checkArgument(const Native& native, int index, uint64_t slot)
{
    switch (native.args[index]) {
    case Arg::integer:
        if (slot >> 32)
            fail("%s: argument %d is not a zero-extended 32-bit value: 0x%llx", native.name, index,
                 static_cast<unsigned long long>(slot));
        break;
    case Arg::ped:
        if (previous == nullptr || previous->hash != H::playerPed)
            fail("%s: the ped handle does not come from a playerPed call right before", native.name);
        if (slot != (previousResult & 0xFFFFFFFFull))
            fail("%s: ped argument 0x%llx, but playerPed answered 0x%llx", native.name,
                 static_cast<unsigned long long>(slot), static_cast<unsigned long long>(previousResult));
        break;
    case Arg::text: {
        bool known = false;
        for (size_t i = 0; i < controlCount; ++i)
            known = known || slot == reinterpret_cast<uintptr_t>(controlNames[i]);
        if (!known)
            fail("%s: argument is not one of the twelve control names", native.name);
        break;
    }
    case Arg::controlHash:
        if (previous == nullptr || previous->hash != H::hashOfText)
            fail("%s: the control hash does not come from a hashOfText call right before", native.name);
        if (slot != (previousResult & 0xFFFFFFFFull))
            fail("%s: control hash 0x%llx, but hashOfText answered 0x%llx", native.name,
                 static_cast<unsigned long long>(slot), static_cast<unsigned long long>(previousResult));
        break;
    case Arg::speed:
        if (slot >> 32)
            fail("%s: the float argument is not zero-extended: 0x%llx", native.name,
                 static_cast<unsigned long long>(slot));
        if (!theHost.nonFiniteInjected && !isFiniteFloatSlot(slot))
            fail("%s: non-finite speed 0x%08llx reached the game, though every answer and setting was finite",
                 native.name, static_cast<unsigned long long>(slot));
        break;
    }
}

// Which control a control native asks about: the one the hashOfText call
// right before was asked for (checked by checkArgument).
size_t controlOfCall()
{
    return previousControl;
}

// The standing answer of the call being completed.
uint64_t standingAnswer(const Native& native)
{
    switch (native.answer) {
    case Answer::none:
        return 0x5A5A5A5A5A5A5A5Aull;  // nobody may read it
    case Answer::world:
        return theHost.world[native.which];
    case Answer::control:
        return theHost.control[native.which][controlOfCall()];
    case Answer::hashOfText:
        for (size_t i = 0; i < controlCount; ++i) {
            if (currentArgs[0] == reinterpret_cast<uintptr_t>(controlNames[i]))
                return theHost.hashOfControl[i];
        }
        return 0;
    }
    return 0;
}

// In chaos mode a byte 0xFE before an answer first delivers a keyboard
// message, as the host's keyboard thread may do at any moment.
uint64_t chaosAnswer(InputStream& in)
{
    while (!in.empty()) {
        uint8_t peek = in.byte();
        if (peek != 0xFE)
            return peek < 0xE0 ? answerTable[peek % answerTableSize] : in.u64();
        const uint32_t key = in.byte();
        const uint8_t flags = in.byte();
        sendKeyboardMessage(key, 1, 0, 0, flags & 2, flags & 1, flags & 1);
    }
    return 0;
}

void requireScriptContext(const char* what)
{
    if (theHost.insideKeyboardCallback)
        fail("%s called from inside the keyboard callback", what);
    if (!sim::platform::insideScript())
        fail("%s called outside the script context", what);
}

}  // namespace

void fail(const char* format, ...)
{
    std::fprintf(stderr, "fuzz_plugin: tick %llu: ", static_cast<unsigned long long>(theHost.ticks));
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}

Host& host()
{
    return theHost;
}

void resetHost()
{
    theHost = Host{};
    theHost.world[playerPedAnswer] = 0x80000101u;  // top bit set: must travel zero-extended
    theHost.world[onFootAnswer] = 1;
    theHost.world[moveFreeAnswer] = 1;
    for (size_t i = 0; i < controlCount; ++i) {
        theHost.control[enabled][i] = 1;
        theHost.hashOfControl[i] = 0xC0DE0000u + static_cast<uint32_t>(i) * 0x1111u;
    }
    pending = false;
    current = nullptr;
    currentArgCount = 0;
    previous = nullptr;
    previousResult = 0;
    previousControl = 0;
}

void sendKeyboardMessage(uint32_t key, uint16_t repeats, uint8_t scanCode, int32_t isExtended, int32_t isWithAlt,
                         int32_t wasDownBefore, int32_t isUpNow)
{
    if (theHost.keyboard == nullptr)
        return;
    theHost.insideKeyboardCallback = true;
    theHost.keyboard(key, repeats, scanCode, isExtended, isWithAlt, wasDownBefore, isUpNow);
    theHost.insideKeyboardCallback = false;
}

uint64_t decodeAnswer(InputStream& in)
{
    const uint8_t selector = in.byte();
    return selector < 0xE0 ? answerTable[selector % answerTableSize] : in.u64();
}

float decodeFloat(InputStream& in)
{
    return std::bit_cast<float>(static_cast<uint32_t>(decodeAnswer(in)));
}

int32_t decodeInt(InputStream& in)
{
    const uint8_t selector = in.byte();
    return selector < 0xC0 ? intTable[selector % intTableSize] : static_cast<int32_t>(in.u32());
}

void checkControllerState()
{
    const ControllerState& s = controllerState;
    if (s.settleDelayTicks < 0 || s.settleDelayTicks > 3)
        fail("settleDelayTicks is %d, outside 0 to 3", s.settleDelayTicks);
    if (s.rampDelayTicks < 0 || s.rampDelayTicks > 50)
        fail("rampDelayTicks is %d, outside 0 to 50", s.rampDelayTicks);
    if (s.stopWatchTicks < 0 || s.stopWatchTicks > 14)
        fail("stopWatchTicks is %d, outside 0 to 14", s.stopWatchTicks);
    if (s.sprintTicks < 0 || s.walkKeyHoldTicks < 0)
        fail("a tick counter went negative: sprintTicks %d, walkKeyHoldTicks %d", s.sprintTicks, s.walkKeyHoldTicks);
    if (!theHost.nonFiniteInjected) {
        const float speeds[] = {s.targetSpeed, s.rampGoalSpeed, s.preSprintSpeed, s.preSprintDesiredSpeed};
        for (float speed : speeds) {
            if (!std::isfinite(speed))
                fail("a speed of the controller became non-finite (%g) though every answer and setting was finite",
                     static_cast<double>(speed));
        }
    }
}

}  // namespace fuzz

using fuzz::theHost;

extern "C" {

void scriptRegister(void* module, void (*scriptMain)(void))
{
    if (!theHost.insideDllMain)
        fuzz::fail("scriptRegister outside the library entry");
    ++theHost.scriptRegistrations;
    theHost.module = module;
    theHost.script = scriptMain;
}

void scriptUnregister(void* module)
{
    if (!theHost.insideDllMain)
        fuzz::fail("scriptUnregister outside the library entry");
    if (module != theHost.module)
        fuzz::fail("scriptUnregister with another module than was registered");
    ++theHost.scriptUnregistrations;
}

void keyboardHandlerRegister(KeyboardHandler handler)
{
    if (!theHost.insideDllMain)
        fuzz::fail("keyboardHandlerRegister outside the library entry");
    ++theHost.keyboardRegistrations;
    theHost.keyboard = handler;
}

void keyboardHandlerUnregister(KeyboardHandler handler)
{
    if (!theHost.insideDllMain)
        fuzz::fail("keyboardHandlerUnregister outside the library entry");
    if (handler != theHost.keyboard)
        fuzz::fail("keyboardHandlerUnregister with another handler than was registered");
    ++theHost.keyboardUnregistrations;
}

void scriptWait(uint32_t ms)
{
    fuzz::requireScriptContext("scriptWait");
    if (fuzz::pending)
        fuzz::fail("scriptWait in the middle of a native call");
    if (ms != 0)
        fuzz::fail("scriptWait(%u): the loop waits 0 ms", ms);
    ++theHost.waitsThisResume;
    // One pass of the loop is over: the controller's promises must hold.
    fuzz::checkControllerState();
    sim::platform::yieldToHost(theHost.context);
}

void nativeInit(uint64_t hash)
{
    fuzz::requireScriptContext("nativeInit");
    if (fuzz::pending)
        fuzz::fail("nativeInit while %s is pending", fuzz::current->name);
    fuzz::current = fuzz::findNative(hash);
    if (fuzz::current == nullptr)
        fuzz::fail("nativeInit with a hash outside the catalogue: 0x%016llx", static_cast<unsigned long long>(hash));
    fuzz::pending = true;
    fuzz::currentArgCount = 0;
}

void nativePush64(uint64_t value)
{
    fuzz::requireScriptContext("nativePush64");
    if (!fuzz::pending)
        fuzz::fail("nativePush64 without nativeInit");
    if (fuzz::currentArgCount >= fuzz::current->argCount)
        fuzz::fail("%s: more than %d arguments", fuzz::current->name, fuzz::current->argCount);
    fuzz::checkArgument(*fuzz::current, fuzz::currentArgCount, value);
    fuzz::currentArgs[fuzz::currentArgCount++] = value;
}

uint64_t* nativeCall(void)
{
    fuzz::requireScriptContext("nativeCall");
    if (!fuzz::pending)
        fuzz::fail("nativeCall without nativeInit");
    const fuzz::Native& native = *fuzz::current;
    if (fuzz::currentArgCount != native.argCount)
        fuzz::fail("%s: %d arguments, expected %d", native.name, fuzz::currentArgCount, native.argCount);
    fuzz::pending = false;
    ++theHost.nativeCalls;

    uint64_t answer = theHost.chaos ? fuzz::chaosAnswer(*theHost.chaos) : fuzz::standingAnswer(native);
    if (native.answer == fuzz::Answer::none)
        answer = 0x5A5A5A5A5A5A5A5Aull;
    if (native.hash == NativeInvoker::Hash::getPedDesiredSpeed && !fuzz::isFiniteFloatSlot(answer))
        theHost.nonFiniteInjected = true;

    size_t control = 0;
    if (native.answer == fuzz::Answer::hashOfText) {
        for (size_t i = 0; i < fuzz::controlCount; ++i) {
            if (fuzz::currentArgs[0] == reinterpret_cast<uintptr_t>(fuzz::controlNames[i]))
                control = i;
        }
    }
    fuzz::previous = &native;
    fuzz::previousResult = answer;
    fuzz::previousControl = control;
    fuzz::resultSlot = answer;
    return &fuzz::resultSlot;
}

uint32_t GetTickCount(void)
{
    return theHost.clockMs;
}

}  // extern "C"
