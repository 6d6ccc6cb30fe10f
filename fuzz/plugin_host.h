#pragma once
// The host fuzz_plugin plays the plug-in against: the shared fake game host
// (tests/fake_game/), whose every broken rule ends the process here with a
// message (libFuzzer keeps the input that did it), plus the rules only this
// target can check: registrations only inside the library entry, host calls
// only from the script context and never from inside the keyboard callback,
// and the controller's bounds after every tick. Game answers come from
// standing answers the input sets, or in chaos ticks from the input call by
// call.
//
// The plug-in's script runs on a ucontext of its own (the simulator's POSIX
// script context, sanitizer-annotated); scriptWait parks it and returns to
// the driver, which is where every tick is checked.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "game.h"

namespace sim::platform {
struct ScriptContext;
}

namespace fuzz {

// Ends the process with a message: a rule of the host boundary or a promise of
// the controller was broken.
[[noreturn]] void fail(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What this target tracks of a session beyond the fake host.
struct Session {
    bool insideDllMain = false;
    bool insideKeyboardCallback = false;
    // When set, every native answer (and now and then a keyboard message in
    // the middle of a tick) comes from this stream instead of the game.
    InputStream* chaos = nullptr;
    uint32_t tickStepMs = 16;
    sim::platform::ScriptContext* context = nullptr;
    int waitsThisResume = 0;
    uint64_t ticks = 0;
};

Session& session();

// A fresh fake game (on foot, free to move, no control pressed, every
// control enabled, desired speed 0) and session, with this target's hooks.
void startSession();

// The standing answers the input sets by number. The numbers are part of the
// committed corpus: keep their order.
enum WorldQuery : std::size_t {
    playerPedAnswer = 0,
    firstPersonAnswer,
    desiredSpeedAnswer,
    onFootAnswer,
    walkingAnswer,
    runningAnswer,
    sprintingAnswer,
    stillAnswer,
    moveFreeAnswer,
    globalRestrictedAnswer,
    pedRestrictedAnswer,
    runDropAnswer,
    worldQueryCount
};
// The four natives that answer about one control, in the same way.
enum ControlQuery : std::size_t { pressed = 0, justPressed = 1, enabled = 2, holdBlocked = 3, controlQueryCount = 4 };

fake::Answer& worldAnswer(std::size_t query);
fake::Answer& controlAnswer(std::size_t query, std::size_t control);

// Calls the plug-in's keyboard callback as the host's keyboard path does.
void sendKeyboardMessage(uint32_t key, uint16_t repeats, uint8_t scanCode, int32_t isExtended, int32_t isWithAlt,
                         int32_t wasDownBefore, int32_t isUpNow);

// A 64-bit answer from the input: mostly from a table of awkward values
// (odd booleans, garbage upper halves, NaN, infinities, the speeds the
// plug-in compares with), otherwise raw.
uint64_t decodeAnswer(InputStream& in);
// A float the same way (the low half of an answer).
float decodeFloat(InputStream& in);
// A 32-bit integer: small and meaningful values, extremes, or raw.
int32_t decodeInt(InputStream& in);

}  // namespace fuzz
