#pragma once
// The host that fuzz_plugin plays the plug-in against: the nine functions the
// plug-in imports, with native answers chosen by the fuzz input, and checks
// of everything the plug-in hands back to the host. Any broken rule ends the
// process with a message (libFuzzer keeps the input that did it).
//
// The plug-in's script runs on a ucontext of its own (the simulator's POSIX
// script context, sanitizer-annotated); scriptWait parks it and returns to
// the driver, which is where every tick is checked.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "host/host_interface.h"

namespace sim::platform {
struct ScriptContext;
}

namespace fuzz {

// Ends the process with a message: a rule of the host boundary or a promise of
// the controller was broken.
[[noreturn]] void fail(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The twelve controls the plug-in names, in the order of control_names.h.
inline constexpr size_t controlCount = 12;
// The four natives that answer about one control.
enum ControlQuery : size_t { pressed = 0, justPressed = 1, enabled = 2, holdBlocked = 3, controlQueryCount = 4 };

// Indices of the controls the driver moves most often.
enum ControlIndex : size_t {
    moveUp = 0,
    moveLeft = 1,
    moveDown = 2,
    moveRight = 3,
    sprint = 4,
    frontendSelect = 5,
    prevWeapon = 6,
    nextWeapon = 7,
    revealHud = 8,
    selectRadarMode = 9,
    specialAbility = 10,
    scriptedFlyZup = 11,
};

// The natives that answer about the ped or the world (not about a control),
// for standing answers.
enum WorldQuery : size_t {
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

struct Host {
    // What the plug-in registered.
    void* module = nullptr;
    void (*script)() = nullptr;
    KeyboardHandler keyboard = nullptr;
    int scriptRegistrations = 0;
    int scriptUnregistrations = 0;
    int keyboardRegistrations = 0;
    int keyboardUnregistrations = 0;
    bool insideDllMain = false;

    // Standing answers: what every call of a native gives until the input
    // changes it. Full 64-bit slots, so the upper half may hold garbage.
    uint64_t world[worldQueryCount] = {};
    uint64_t control[controlQueryCount][controlCount] = {};
    uint64_t hashOfControl[controlCount] = {};

    // When set, every native answer (and now and then a keyboard message in
    // the middle of a tick) comes from this stream instead.
    InputStream* chaos = nullptr;

    uint32_t clockMs = 100000;
    uint32_t tickStepMs = 16;

    // Some game answer or setting was NaN or infinite; from then on a
    // non-finite speed may legitimately reach the game.
    bool nonFiniteInjected = false;
    bool insideKeyboardCallback = false;

    sim::platform::ScriptContext* context = nullptr;
    int waitsThisResume = 0;
    uint64_t ticks = 0;
    uint64_t nativeCalls = 0;
};

Host& host();
// A fresh host with the default answers: on foot, free to move, no control
// pressed, every control enabled, desired speed 0.
void resetHost();

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

// Checks the controller's promises; run after every tick.
void checkControllerState();

}  // namespace fuzz
