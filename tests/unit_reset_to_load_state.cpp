// The reset to the load state that tests, fuzz targets and the INI doctor use
// between sessions: after a session that leaves something in every record, it
// must give back the plug-in as it is right after loading, so that the same
// session then makes the same native calls as it did the first time.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/movement_history.h"
#include "host/key_state_table.h"
#include "support/plugin_test.h"
#include "testing/reset_for_tests.h"

namespace {

// A session that touches every record: the wheel, the walk key, a Shift tap,
// a stop, End+Numpad1. Returns what every tick asked and did.
Names session()
{
    fake::startGame();
    fake::host().recording = true;
    Names calls;
    auto run = [&calls](int ticks) {
        for (int i = 0; i < ticks; ++i) {
            const Names one = tick();
            calls.insert(calls.end(), one.begin(), one.end());
        }
    };
    fake::setMoveInput(true);
    fake::game().walking = true;
    fake::game().desiredSpeed = 1.0f;
    fake::game().justPressed[fake::prevWeapon] = true;
    run(3);
    fake::game().justPressed[fake::prevWeapon] = false;
    press(altKey);
    run(5);
    release(altKey);
    run(2);
    press(shiftKey);
    run(4);
    release(shiftKey);
    run(2);
    fake::setMoveInput(false);
    fake::game().walking = false;
    fake::game().still = true;
    run(3);
    fake::setMoveInput(true);
    run(3);
    press(endKey);
    press(numpad1);
    run(1);
    return calls;
}

// Leaves something other than the load state in every record.
void dirtyEverything()
{
    settings.enabled = false;
    settings.speedIncrement = 0.5f;
    settings.walkControlKey = 0x41;
    settings.rememberFastWalk = true;
    engagePersistentSpeed(2.5f);
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

// The records no call shows at once: the settings, the history, the key
// table, and the boundary setting as last loaded (true before any load).
TEST(ResetToLoadState, GivesBackEveryRecordAsLoaded)
{
    dirtyEverything();
    resetPluginToLoadState();

    EXPECT_EQ(settings, Settings{});
    EXPECT_TRUE(controllerState.respectBoundariesConfigured);
    for (int32_t key = -5; key <= 0; ++key)
        EXPECT_TRUE(movementStatusAt(key).empty()) << "history entry " << key;
    for (uint32_t key = 0; key < keySlotCount; ++key) {
        const KeyState& slot = keyStateTable[key];
        EXPECT_EQ(slot.stampMs.load() | slot.altDown.load() | slot.wasDown.load() | slot.released.load(), 0u)
            << "key slot " << key;
    }
}

// The config layer, for tools that link only the config code: the settings
// and the controller record (the engaged speed is gone).
TEST(ResetToLoadState, TheConfigLayerResetsSettingsAndController)
{
    dirtyEverything();
    resetConfigToLoadState();
    EXPECT_EQ(settings, Settings{});
    EXPECT_TRUE(controllerState.respectBoundariesConfigured);
    fake::startGame();
    fake::host().recording = true;
    fake::setMoveInput(true);
    fake::game().walking = true;
    EXPECT_EQ(capIn(tick()), std::nullopt);
    resetPluginToLoadState();
}

TEST(ResetToLoadState, SameSessionAfterResetMakesTheSameCalls)
{
    resetPluginToLoadState();
    const Names first = session();
    ASSERT_FALSE(first.empty());

    // What the first session left, and more, must not show in the second.
    dirtyEverything();
    resetPluginToLoadState();
    const Names second = session();
    EXPECT_EQ(second, first);
    EXPECT_EQ(fake::host().fault, "");
}

}  // namespace
