// The fuzz target's host.

#include "plugin_host.h"

#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "controller/controller_state.h"
#include "host.h"
#include "platform/script_context.h"

// Index of this file:
// [SECTION] The session and its hooks
// [SECTION] Standing answers by number
// [SECTION] Decoding the input
// [SECTION] The nine functions

namespace fuzz {

namespace {

Session theSession;

// The answers the table offers; the low half is what the plug-in reads.
constexpr uint64_t floatSlot(float value)
{
    return fake::Answer(value).slot;
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

// ---------------------------------------------------------------------------
// [SECTION] The session and its hooks

uint64_t answerOfSession(const fake::NativeCall& /*call*/, uint64_t gameAnswer)
{
    return theSession.chaos ? chaosAnswer(*theSession.chaos) : gameAnswer;
}

void failOnBrokenRule(const char* rule)
{
    fail("%s", rule);
}

// The controller's promises, checked after every tick.
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
    if (!fake::host().nonFiniteFed) {
        const float speeds[] = {s.targetSpeed, s.rampGoalSpeed, s.preSprintSpeed, s.preSprintDesiredSpeed};
        for (float speed : speeds) {
            if (!std::isfinite(speed))
                fail("a speed of the controller became non-finite (%g) though every answer and setting was finite",
                     static_cast<double>(speed));
        }
    }
}

// One pass of the loop is over: the controller's promises must hold, then
// the script parks until the driver resumes it.
void endOfTick()
{
    checkControllerState();
    sim::platform::yieldToHost(theSession.context);
}

void requireScriptContext(const char* what)
{
    if (theSession.insideKeyboardCallback)
        fail("%s called from inside the keyboard callback", what);
    if (!sim::platform::insideScript())
        fail("%s called outside the script context", what);
}

void requireLibraryEntry(const char* what)
{
    if (!theSession.insideDllMain)
        fail("%s outside the library entry", what);
}

}  // namespace

void fail(const char* format, ...)
{
    std::fprintf(stderr, "fuzz_plugin: tick %llu: ", static_cast<unsigned long long>(theSession.ticks));
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}

Session& session()
{
    return theSession;
}

void startSession()
{
    theSession = Session{};
    fake::startGame();
    fake::Host& host = fake::host();
    host.onFault = failOnBrokenRule;
    host.answer = answerOfSession;
    host.onWait = endOfTick;
}

// ---------------------------------------------------------------------------
// [SECTION] Standing answers by number

fake::Answer& worldAnswer(std::size_t query)
{
    static fake::Answer fake::Game::*const fields[worldQueryCount] = {
        &fake::Game::ped,
        &fake::Game::firstPerson,
        &fake::Game::desiredSpeed,
        &fake::Game::onFoot,
        &fake::Game::walking,
        &fake::Game::running,
        &fake::Game::sprinting,
        &fake::Game::still,
        &fake::Game::moveFree,
        &fake::Game::globalMoveRestricted,
        &fake::Game::pedMoveRestricted,
        &fake::Game::runDropAllowed,
    };
    return fake::game().*fields[query % worldQueryCount];
}

fake::Answer& controlAnswer(std::size_t query, std::size_t control)
{
    static fake::ControlAnswers fake::Game::*const fields[controlQueryCount] = {
        &fake::Game::pressed, &fake::Game::justPressed, &fake::Game::enabled, &fake::Game::holdBlocked};
    return (fake::game().*fields[query % controlQueryCount])[control % fake::controlCount];
}

void sendKeyboardMessage(uint32_t key, uint16_t repeats, uint8_t scanCode, int32_t isExtended, int32_t isWithAlt,
                         int32_t wasDownBefore, int32_t isUpNow)
{
    const KeyboardHandler handler = fake::host().keyboard;
    if (handler == nullptr)
        return;
    theSession.insideKeyboardCallback = true;
    handler(key, repeats, scanCode, isExtended, isWithAlt, wasDownBefore, isUpNow);
    theSession.insideKeyboardCallback = false;
}

// ---------------------------------------------------------------------------
// [SECTION] Decoding the input

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

}  // namespace fuzz

// ---------------------------------------------------------------------------
// [SECTION] The nine functions
// This target's rules first, then the fake host's.

extern "C" {

void scriptRegister(void* module, void (*scriptMain)())
{
    fuzz::requireLibraryEntry("scriptRegister");
    fake::scriptRegister(module, scriptMain);
}

void scriptUnregister(void* module)
{
    fuzz::requireLibraryEntry("scriptUnregister");
    fake::scriptUnregister(module);
}

void keyboardHandlerRegister(KeyboardHandler handler)
{
    fuzz::requireLibraryEntry("keyboardHandlerRegister");
    fake::keyboardHandlerRegister(handler);
}

void keyboardHandlerUnregister(KeyboardHandler handler)
{
    fuzz::requireLibraryEntry("keyboardHandlerUnregister");
    fake::keyboardHandlerUnregister(handler);
}

void scriptWait(uint32_t ms)
{
    fuzz::requireScriptContext("scriptWait");
    ++fuzz::session().waitsThisResume;
    fake::scriptWait(ms);
}

void nativeInit(uint64_t hash)
{
    fuzz::requireScriptContext("nativeInit");
    fake::nativeInit(hash);
}

void nativePush64(uint64_t value)
{
    fuzz::requireScriptContext("nativePush64");
    fake::nativePush64(value);
}

uint64_t* nativeCall()
{
    fuzz::requireScriptContext("nativeCall");
    return fake::nativeCall();
}

uint32_t GetTickCount()
{
    return fake::getTickCount();
}

}  // extern "C"
