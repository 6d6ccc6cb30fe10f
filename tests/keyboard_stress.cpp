// Keyboard messages from a second thread, as fast as it can send them, while
// the script context ticks the controller and the dispatcher reads and resets
// the same key slots. Built into its own program so ThreadSanitizer can watch
// it; it fails on a crash, on a race report (under TSan) or when the table
// reads wrongly once the keyboard thread has stopped.
//
// The first half of the run listens to the built-in keys, the second half to
// keys a laptop player chose in [Keys] (the hotkeys on F9 and F10 with no
// modifier, sprint on Caps Lock), switched between two ticks as a reload does.
//
// The fake host's clock stays constant during the run: the keyboard thread
// reads it for every message, and a clock moved by the script thread would be
// a race in the fake host, not in the plug-in.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/controller_tick.h"
#include "game.h"
#include "host.h"
#include "host/key_dispatcher.h"
#include "host/key_state_table.h"
#include "host/plugin_entry.h"
#include "testing/reset_for_tests.h"

namespace {

constexpr int scriptTicks = 20000;

// The keys a player would press here, with the built-in keys and with the
// laptop keys, and codes without a slot. Neither reload key is sent: a reload
// reads a file, which is not what this test is about.
constexpr uint32_t shiftKey = 0x10;
constexpr uint32_t capsLockKey = 0x14;
constexpr uint32_t f9Key = 0x78;
constexpr uint32_t stressKeys[] = {shiftKey,    0x12, 0x23, 0x61, 0x62, f9Key, 0x79,
                                   capsLockKey, 0x41, 0x00, 0xFE, 0xFF, 0x100};

// What a player without End or a numpad writes in [Keys].
void useLaptopKeys()
{
    settings.hotkeyModifier = 0;
    settings.switchOffKey = static_cast<int32_t>(f9Key);
    settings.switchOnKey = 0x79;
    settings.reloadKey = 0x7A;
    settings.sprintKey = static_cast<int32_t>(capsLockKey);
}

std::atomic<bool> scriptDone{false};
std::atomic<uint64_t> messagesSent{0};

// The host's keyboard path: presses and releases in a fixed, busy pattern.
void keyboardThread(KeyboardHandler handler)
{
    uint64_t sent = 0;
    while (!scriptDone.load(std::memory_order_acquire)) {
        for (uint32_t key : stressKeys) {
            const int32_t released = static_cast<int32_t>((sent / 3) & 1);
            handler(key, 1, 0x2a, 0, static_cast<int32_t>(sent & 1), released, released);
            ++sent;
        }
    }
    messagesSent.store(sent, std::memory_order_relaxed);
}

// The script context: the loop's two steps, plus direct reads and resets of
// the slots the keyboard thread is writing.
void scriptLoop(int& shiftHeldTicks, int& walkKeyTicks)
{
    for (int tick = 0; tick < scriptTicks; ++tick) {
        if (tick == scriptTicks / 2)
            useLaptopKeys();
        controllerTick();
        dispatchKeys();
        shiftHeldTicks += controllerState.shiftHeld ? 1 : 0;
        walkKeyTicks += controllerState.walkKeyHeld || controllerState.walkKeyReleased ? 1 : 0;
        for (uint32_t key : stressKeys) {
            if (isKeyHeld(key) || isKeyJustReleased(key))
                clearKeySlot(key);
        }
        // The switch-off and switch-on keys flip the plug-in; keep it on so
        // the controller does its whole work in most ticks.
        settings.enabled = true;
    }
}

int fail(const char* what)
{
    std::fprintf(stderr, "keyboard_stress: %s\n", what);
    return 1;
}

// Quiet again, the dispatcher must follow the laptop keys exactly: Shift is no
// sprint key any more, Caps Lock is, and F9 alone switches the plug-in off.
int checkLaptopKeysAfterStorm()
{
    for (uint32_t key : stressKeys)
        clearKeySlot(key);
    controllerState.shiftHeld = false;
    settings.enabled = true;
    handleKeyboardMessage(shiftKey, 1, 0x2a, 0, 0, 0, 0);
    dispatchKeys();
    if (controllerState.shiftHeld)
        return fail("Shift still acts as the sprint key after [Keys] named Caps Lock");
    handleKeyboardMessage(capsLockKey, 1, 0x3a, 0, 0, 0, 0);
    dispatchKeys();
    if (!controllerState.shiftHeld)
        return fail("the configured sprint key held does not read as the sprint key");
    handleKeyboardMessage(capsLockKey, 1, 0x3a, 0, 0, 1, 1);
    dispatchKeys();
    if (controllerState.shiftHeld)
        return fail("the configured sprint key's release does not end the sprint press");
    if (!settings.enabled)
        return fail("the plug-in switched off with no switch-off key down");
    handleKeyboardMessage(f9Key, 1, 0x43, 0, 0, 0, 0);
    dispatchKeys();
    if (settings.enabled)
        return fail("the configured switch-off key with no modifier does not switch the plug-in off");
    return 0;
}

}  // namespace

int main()
{
    resetPluginToLoadState();
    fake::startGame();
    fake::setMoveInput(true);
    fake::game().desiredSpeed = 2.0f;
    fake::game().running = true;

    int module = 0;
    DllMain(&module, 1, nullptr);
    const KeyboardHandler handler = fake::host().keyboard;
    if (handler == nullptr)
        return fail("no keyboard handler registered");

    int shiftHeldTicks = 0;
    int walkKeyTicks = 0;
    std::thread keyboard(keyboardThread, handler);
    scriptLoop(shiftHeldTicks, walkKeyTicks);
    scriptDone.store(true, std::memory_order_release);
    keyboard.join();
    DllMain(&module, 0, nullptr);

    std::printf("keyboard_stress: %d ticks, %llu messages, Shift held in %d ticks, walk key seen in %d ticks\n",
                scriptTicks, static_cast<unsigned long long>(messagesSent.load()), shiftHeldTicks, walkKeyTicks);
    if (!fake::host().fault.empty())
        return fail(fake::host().fault.c_str());

    // Quiet again: the table must answer exactly for the last message of a key.
    handleKeyboardMessage(0x10, 1, 0x2a, 0, 0, 0, 0);
    if (!isKeyHeld(0x10) || isKeyJustReleased(0x10))
        return fail("a press after the storm does not read as down");
    handleKeyboardMessage(0x10, 1, 0x2a, 0, 0, 1, 1);
    if (isKeyHeld(0x10) || !isKeyJustReleased(0x10))
        return fail("a release after the storm does not read as just up");
    clearKeySlot(0x10);
    if (isKeyHeld(0x10) || isKeyJustReleased(0x10))
        return fail("a cleared slot does not read as empty");
    if (isKeyHeld(0xFF) || isKeyHeld(0x100))
        return fail("a code without a slot reads as down");
    return checkLaptopKeysAfterStorm();
}
