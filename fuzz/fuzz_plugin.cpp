// Fuzz target: the whole plug-in, as a host runs it. Every input is one
// session: the plug-in is put back to its load-time state, the library entry
// registers the script and the keyboard callback, the script runs on a fresh
// script context, and the input plays the game and the keyboard against it.
//
// Why the real script entry on its own context rather than calling
// controllerTick and dispatchKeys directly: the entry is what a host runs,
// so the settings load before the loop, the loop's order and its scriptWait
// are fuzzed too, and the script's stack is switched exactly as in the game
// (with the sanitizers told of every switch).
//
// The input is a list of operations, each one byte followed by its operands
// (see the Op enum). Answers of the game are standing answers that operations
// change, or, in chaos ticks, read from the input call by call. After every
// tick (at scriptWait) the controller's bounds are checked; every native call
// is checked against the host boundary (the shared fake host and
// plugin_host.cpp), and no non-finite speed may reach the game unless the
// input itself fed one in.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "config/settings.h"
#include "fuzz_input.h"
#include "game.h"
#include "host.h"
#include "host/plugin_entry.h"
#include "platform/script_context.h"
#include "plugin_host.h"
#include "testing/reset_for_tests.h"
#include "work_directory.h"

namespace {

using fuzz::InputStream;

// Long enough for every hold stage of the walk-control key (more than 220
// ticks), a ramp (50 ticks of delay and then its steps) and a key's 5000 ms;
// short enough that an input never takes long.
constexpr uint64_t maxTicksPerInput = 1500;
constexpr size_t maxIniBytes = 4096;

enum Op : uint8_t {
    opTicks = 0,     // n: 1 + n % 8 ticks
    opHold,          // n: 1 + n ticks (up to 256)
    opKey,           // key selector [, code], flags [, raw isUpNow, raw wasDown]: one keyboard message
    opClock,         // mode, value: step the clock, set it, or set the step per tick
    opWorld,         // answer, which: a standing answer about the ped or the world
    opControl,       // query*12 + control, answer: a standing answer about one control
    opMovement,      // two bit sets: move inputs, sprint, ability, menu, camera; gait and restrictions
    opDesiredSpeed,  // answer: the ped's desired speed
    opSetting,       // field, value: one setting changed between ticks
    opIniFile,       // length (16 bits), text: Ambleworks.ini for the next load
    opChaos,         // n: 1 + n % 4 ticks whose answers come from the input call by call
    opLibraryEntry,  // reason (32 bits): the library entry with a reason other than attach or detach
    opHashOfText,    // value, control: what the game answers for a control's name
    opCount
};

void writeIniFile(const std::string& text)
{
    std::ofstream file("Ambleworks.ini", std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// One pass of the host's loop: resume the script until it waits again.
void runTick()
{
    fuzz::Session& session = fuzz::session();
    ++session.ticks;
    session.waitsThisResume = 0;
    sim::platform::resumeScript(session.context);
    if (sim::platform::scriptFinished(session.context))
        fuzz::fail("the script entry returned");
    if (session.waitsThisResume != 1)
        fuzz::fail("the script came back without its one scriptWait");
    fake::host().clockMs += session.tickStepMs;
}

void runTicks(uint64_t count)
{
    for (uint64_t i = 0; i < count && fuzz::session().ticks < maxTicksPerInput; ++i)
        runTick();
}

// One of the six keys the settings name, as they stand now: the walk-control
// key, then the modifier, switch-off, switch-on, reload and sprint keys of
// [Keys], so that inputs keep pressing the chosen keys whatever an INI file
// moved them to.
uint32_t configuredKey(uint8_t which)
{
    const int32_t keys[] = {settings.walkControlKey, settings.hotkeyModifier, settings.switchOffKey,
                            settings.switchOnKey,    settings.reloadKey,      settings.sprintKey};
    return static_cast<uint32_t>(keys[which % (sizeof keys / sizeof keys[0])]);
}

// The keys that matter most, then the keys the settings name, then any code
// (255 and above have no slot).
uint32_t decodeKey(InputStream& in)
{
    static const uint32_t keys[] = {0x10, 0x12, 0x23, 0x61, 0x62, 0x63, 0x41, 0x00, 0xFE, 0xFF, 0x100, 0xFFFFFFFF};
    const uint8_t selector = in.byte();
    if (selector < 0x80)
        return keys[selector % (sizeof keys / sizeof keys[0])];
    if (selector < 0xC0)
        return configuredKey(static_cast<uint8_t>(selector - 0x80));
    if (selector < 0xF0)
        return in.byte();
    return in.u32();
}

void keyMessage(InputStream& in)
{
    const uint32_t key = decodeKey(in);
    const uint8_t flags = in.byte();
    const int32_t release = flags & 1;
    int32_t isUpNow = release;
    int32_t wasDown = release;
    if (flags & 0x10) {
        isUpNow = static_cast<int32_t>(in.u32());
        wasDown = static_cast<int32_t>(in.u32());
    }
    fuzz::sendKeyboardMessage(key, static_cast<uint16_t>(1 + ((flags >> 5) & 3)), 0x2A, (flags >> 2) & 1,
                              (flags >> 1) & 1, wasDown, isUpNow);
}

void clockStep(InputStream& in)
{
    uint32_t& clockMs = fake::host().clockMs;
    const uint8_t mode = in.byte() % 4;
    switch (mode) {
    case 0:
        clockMs += in.byte();
        break;
    case 1:
        clockMs += static_cast<uint32_t>(in.byte()) * 64u;  // across the 100 ms and 5000 ms windows
        break;
    case 2:
        clockMs = in.u32();  // anywhere, 0 and the wrap-around included
        break;
    default:
        fuzz::session().tickStepMs = in.byte();
        break;
    }
}

// The situations a player is in, in two bytes, so that a few bytes reach
// walking, running, sprint presses and the first-person camera.
void movement(InputStream& in)
{
    fake::Game& game = fake::game();
    const uint8_t a = in.byte();
    const uint8_t b = in.byte();
    game.pressed[fake::moveUp] = (a & 1) != 0;
    game.pressed[fake::moveLeft] = (a & 2) != 0;
    game.pressed[fake::moveDown] = (a & 4) != 0;
    game.pressed[fake::moveRight] = (a & 8) != 0;
    game.pressed[fake::scriptedFlyZup] = (a & 0x10) != 0;
    game.pressed[fake::specialAbility] = (a & 0x20) != 0;
    game.pressed[fake::frontendSelect] = (a & 0x40) != 0;
    game.firstPerson = (a & 0x80) != 0;
    game.walking = (b & 1) != 0;
    game.running = (b & 2) != 0;
    game.sprinting = (b & 4) != 0;
    game.still = (b & 8) != 0;
    game.onFoot = !(b & 0x10);
    game.moveFree = !(b & 0x20);
    game.globalMoveRestricted = (b & 0x40) != 0;
    game.justPressed[fake::prevWeapon] = (b & 0x80) != 0;
}

void setFloatSetting(float& field, InputStream& in)
{
    field = fuzz::decodeFloat(in);
    if (!std::isfinite(field))
        fake::host().nonFiniteFed = true;
}

// One setting, as a reload with another file would change it (and beyond:
// the values a file cannot give, NaN and infinities, are marked as injected).
void setSetting(InputStream& in)
{
    Settings& s = settings;
    const uint8_t field = in.byte() % 19;
    const bool flag = in.byte() & 1;
    switch (field) {
    case 0:
        s.enabled = flag;
        break;
    case 1:
        s.mouseWheelEnabled = flag;
        break;
    case 2:
        setFloatSetting(s.speedIncrement, in);
        break;
    case 3:
        s.shiftTapEnabled = flag;
        break;
    case 4:
        s.shiftTapLightRunEnabled = flag;
        break;
    case 5:
        setFloatSetting(s.shiftTapCustomSpeed, in);
        break;
    case 6:
        s.shiftTapStopRunning = flag;
        break;
    case 7:
        s.walkControlEnabled = flag;
        break;
    case 8:
        s.fastWalkEnabled = flag;
        break;
    case 9:
        setFloatSetting(s.fastWalkCustomSpeed, in);
        break;
    case 10:
        s.slowWalkEnabled = flag;
        break;
    case 11:
        setFloatSetting(s.slowWalkCustomSpeed, in);
        break;
    case 12:
        s.walkControlKey = fuzz::decodeInt(in);
        break;
    case 13:
        s.rememberFastWalk = flag;
        break;
    case 14:
        s.keepCustomSpeedAfterStoppingMode = fuzz::decodeInt(in);
        break;
    case 15:
        s.respectBoundaries = flag;
        break;
    case 16:
        s.ableToOverrideBoundaries = flag;
        break;
    case 17:
        s.disableAutoRunInFirstPersonCamera = flag;
        break;
    default:
        setFloatSetting(s.minimumSpeed, in);
        break;
    }
}

// The library entry for thread attach, thread detach or any other reason:
// returns 1 and registers nothing.
void otherLibraryEntry(InputStream& in, void* module)
{
    const fake::Host& host = fake::host();
    uint32_t reason = in.u32();
    if (reason == 0 || reason == 1)
        reason = 2 + (reason & 1);
    const int before = host.scriptRegistrations + host.scriptUnregistrations + host.keyboardRegistrations +
                       host.keyboardUnregistrations;
    fuzz::session().insideDllMain = true;
    const int32_t result = DllMain(module, reason, nullptr);
    fuzz::session().insideDllMain = false;
    const int after = host.scriptRegistrations + host.scriptUnregistrations + host.keyboardRegistrations +
                      host.keyboardUnregistrations;
    if (result != 1)
        fuzz::fail("DllMain(reason %u) returned %d", reason, result);
    if (after != before)
        fuzz::fail("DllMain(reason %u) registered or unregistered something", reason);
}

void playOperations(InputStream& in, void* module)
{
    fuzz::Session& session = fuzz::session();
    while (!in.empty() && session.ticks < maxTicksPerInput) {
        switch (in.byte() % opCount) {
        case opTicks:
            runTicks(1 + in.byte() % 8);
            break;
        case opHold:
            runTicks(1 + static_cast<uint64_t>(in.byte()));
            break;
        case opKey:
            keyMessage(in);
            break;
        case opClock:
            clockStep(in);
            break;
        case opWorld: {
            // The answer comes before the number in the input (the corpus was
            // written that way).
            const uint64_t answer = fuzz::decodeAnswer(in);
            fuzz::worldAnswer(in.byte()) = fake::Answer::raw(answer);
            break;
        }
        case opControl: {
            constexpr std::size_t controls = fake::controlCount;
            const uint8_t which = in.byte() % (fuzz::controlQueryCount * controls);
            fuzz::controlAnswer(which / controls, which % controls) = fake::Answer::raw(fuzz::decodeAnswer(in));
            break;
        }
        case opMovement:
            movement(in);
            break;
        case opDesiredSpeed:
            fake::game().desiredSpeed = fake::Answer::raw(fuzz::decodeAnswer(in));
            break;
        case opSetting:
            setSetting(in);
            break;
        case opIniFile:
            writeIniFile(in.text(in.u16() % (maxIniBytes + 1)));
            break;
        case opChaos: {
            const uint64_t count = 1 + in.byte() % 4;
            session.chaos = &in;
            runTicks(count);
            session.chaos = nullptr;
            break;
        }
        case opLibraryEntry:
            otherLibraryEntry(in, module);
            break;
        case opHashOfText: {
            const uint64_t answer = fuzz::decodeAnswer(in);  // before the number, as for opWorld
            fake::game().hashOfControl[in.byte() % fake::controlCount] = fake::Answer::raw(answer);
            break;
        }
        default:
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The plug-in reads Ambleworks.ini from the current directory: one of
    // our own while an input runs, so that nothing of the caller's is read.
    fuzz::setUpWorkDirectory("fuzz-plugin", argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::InsideWorkDirectory inside;
    resetPluginToLoadState();
    fuzz::startSession();
    std::remove("Ambleworks.ini");
    fuzz::Session& session = fuzz::session();
    const fake::Host& host = fake::host();

    static int moduleToken = 0;
    void* module = &moduleToken;
    session.insideDllMain = true;
    const int32_t attached = DllMain(module, 1, nullptr);
    session.insideDllMain = false;
    if (attached != 1)
        fuzz::fail("DllMain(attach) returned %d", attached);
    if (host.scriptRegistrations != 1 || host.keyboardRegistrations != 1 || host.script == nullptr ||
        host.keyboard == nullptr || host.module != module)
        fuzz::fail("DllMain(attach) did not register one script and one keyboard callback for its module");

    session.context = sim::platform::createScriptContext(host.script);
    if (session.context == nullptr)
        fuzz::fail("no script context");

    InputStream in(data, size);
    playOperations(in, module);

    session.insideDllMain = true;
    const int32_t detached = DllMain(module, 0, nullptr);
    session.insideDllMain = false;
    if (detached != 1)
        fuzz::fail("DllMain(detach) returned %d", detached);
    if (host.scriptUnregistrations != 1 || host.keyboardUnregistrations != 1 || host.scriptRegistrations != 1 ||
        host.keyboardRegistrations != 1)
        fuzz::fail("DllMain(detach) did not unregister the script and the keyboard callback once each");

    // The script stays parked in its wait, as when the game unloads the plug-in.
    sim::platform::destroyScriptContext(session.context);
    session.context = nullptr;
    return 0;
}
