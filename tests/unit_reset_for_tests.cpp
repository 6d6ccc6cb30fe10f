// The test-only reset that fuzz targets use between inputs: after a session
// that leaves something in every record, it must give back the plug-in as it
// is right after loading, so that the same session then makes the same native
// calls as it did the first time.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/controller_tick.h"
#include "controller/movement_history.h"
#include "host/key_dispatcher.h"
#include "host/key_state_table.h"
#include "support/fake_game.h"
#include "testing/reset_for_tests.h"

namespace {

void press(uint32_t key)
{
    handleKeyboardMessage(key, 1, 0, 0, 0, 0, 0);
}
void release(uint32_t key)
{
    handleKeyboardMessage(key, 1, 0, 0, 0, 1, 1);
}

// The loop's two steps, `ticks` times, 16 ms apart on the fake clock.
void run(int ticks)
{
    for (int i = 0; i < ticks; ++i) {
        controllerTick();
        dispatchKeys();
        fake::host().clockMs += 16;
    }
}

// A session that touches every record: the wheel, the walk key, a Shift tap,
// a stop, End+Numpad1. Returns every native call it made.
std::vector<std::string> session()
{
    fake::startGame();
    fake::setMoveInput(true);
    fake::game().walking = true;
    fake::game().desiredSpeed = 1.0f;
    fake::game().justPressed = {"INPUT_PREV_WEAPON"};
    run(3);
    fake::game().justPressed.clear();
    press(0x12);
    run(5);
    release(0x12);
    run(2);
    press(0x10);
    run(4);
    release(0x10);
    run(2);
    fake::setMoveInput(false);
    fake::game().walking = false;
    fake::game().still = true;
    run(3);
    fake::setMoveInput(true);
    run(3);
    press(0x23);
    press(0x61);
    run(1);
    return fake::callNames();
}

// Leaves something non-initial in every record, to be wiped by the reset.
void dirtyEverything()
{
    settings.enabled = false;
    settings.speedIncrement = 0.5f;
    settings.walkControlKey = 0x41;
    settings.rememberFastWalk = true;
    controllerState.targetSpeed = 2.5f;
    controllerState.customSpeedActive = true;
    controllerState.rampDelayTicks = 30;
    controllerState.sprintHeld = true;
    controllerState.shiftHeld = true;
    controllerState.fastWalkLatched = true;
    controllerState.respectBoundariesConfigured = false;
    fake::startGame();
    fake::game().running = true;
    for (int i = 0; i < 6; ++i)
        recordMovementStatus();
    for (uint32_t key = 0; key < keySlotCount; ++key)
        handleKeyboardMessage(key, 3, 7, 1, 1, 1, static_cast<int32_t>(key & 1));
}

TEST(ResetForTests, GivesBackEveryRecordAsLoaded)
{
    dirtyEverything();
    resetPluginForTests();

    EXPECT_EQ(settings, Settings{});
    const ControllerState fresh{};
    EXPECT_EQ(controllerState.targetSpeed, fresh.targetSpeed);
    EXPECT_EQ(controllerState.customSpeedActive, fresh.customSpeedActive);
    EXPECT_EQ(controllerState.rampDelayTicks, fresh.rampDelayTicks);
    EXPECT_EQ(controllerState.sprintHeld, fresh.sprintHeld);
    EXPECT_EQ(controllerState.shiftHeld, fresh.shiftHeld);
    EXPECT_EQ(controllerState.fastWalkLatched, fresh.fastWalkLatched);
    EXPECT_TRUE(controllerState.respectBoundariesConfigured);
    for (int32_t key = -5; key <= 0; ++key)
        EXPECT_TRUE(movementStatusAt(key).empty()) << "history entry " << key;
    for (uint32_t key = 0; key < keySlotCount; ++key) {
        const KeyState& slot = keyStateTable[key];
        EXPECT_EQ(slot.stampMs.load() | slot.altDown.load() | slot.wasDown.load() | slot.released.load(), 0u)
            << "key slot " << key;
    }
}

TEST(ResetForTests, SameSessionAfterResetMakesTheSameCalls)
{
    resetPluginForTests();
    const std::vector<std::string> first = session();
    ASSERT_FALSE(first.empty());

    // What the first session left, and more, must not show in the second.
    dirtyEverything();
    resetPluginForTests();
    const std::vector<std::string> second = session();
    EXPECT_EQ(second, first);
}

}  // namespace
