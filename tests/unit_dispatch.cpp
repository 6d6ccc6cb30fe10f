// The key dispatcher: what each block asks, and what the walk-key and Shift
// messages it turns into do in the ticks after; the End+Numpad hotkeys.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "host/key_dispatcher.h"
#include "host/key_state_table.h"
#include "support/plugin_test.h"

namespace {

class DispatchTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        fake::setMoveInput(true);
        fake::game().walking = true;
        fake::game().desiredSpeed = 1.2f;
    }
};

// A held key while moving marks the hold; the controller counts it on from
// where it stood (a pending release of 25 counts: the next ticks are 26 and
// 27, the slow walk).
TEST_F(DispatchTest, WalkKeyHeldWhileMovingAsksMoveInputAgain)
{
    controllerState.walkKeyHoldTicks = 25;
    controllerState.walkKeyReleased = true;
    press(altKey);
    EXPECT_EQ(dispatch(), (Names{"moveInput", "moveInput"}));
    EXPECT_TRUE(isKeyHeld(altKey)) << "a held key keeps its slot";
    repeat(altKey);
    EXPECT_EQ(caps(2), (Caps{0.7f, 0.7f}));
}

// A release while moving is reported once: the next tick takes it as a short
// press (no custom speed: the fast walk is latched), and the tick after that
// has nothing more to handle.
TEST_F(DispatchTest, WalkKeyReleaseWhileMovingIsReportedOnce)
{
    press(altKey);
    dispatch();
    release(altKey);
    EXPECT_EQ(dispatch(), (Names{"moveInput", "moveInput"}));
    EXPECT_FALSE(isKeyJustReleased(altKey)) << "the slot is reset before the flag is raised";
    EXPECT_EQ(caps(2), (Caps{1.38f, 1.38f}));

    // Pressed and released between two dispatches: a release without a hold,
    // a short press all the same (the fast walk on: off through a plain walk).
    press(altKey);
    release(altKey);
    dispatch();
    EXPECT_EQ(caps(2), (Caps{1.2f, std::nullopt}));
}

// Standing, the walk key's messages are erased: neither the press (with a
// hold of 30 counted before) nor the release counts once the player moves on.
TEST_F(DispatchTest, WalkKeyWithoutMovementIsErased)
{
    fake::setMoveInput(false);
    controllerState.walkKeyHeld = true;
    controllerState.walkKeyHoldTicks = 30;
    press(altKey);
    // The slot is reset first, so the key no longer reads as down and move
    // input is not asked again.
    EXPECT_EQ(dispatch(), (Names{"moveInput"}));
    release(altKey);
    dispatch();
    EXPECT_FALSE(isKeyJustReleased(altKey));

    fake::setMoveInput(true);
    EXPECT_EQ(caps(3), (Caps{std::nullopt, std::nullopt, std::nullopt}));
}

TEST_F(DispatchTest, WalkKeyCodeFromSettings)
{
    // A short press of `key`, played through the loop: the fast walk latched
    // (1.38 in the tick that handles the release) shows that it counted.
    auto tap = [](uint32_t key) {
        holdKey(key, 1);
        return capIn(tick());
    };
    // Another key: Alt means nothing then.
    settings.walkControlKey = 0x43;
    EXPECT_EQ(tap(altKey), std::nullopt);
    EXPECT_EQ(tap(0x43), 1.38f);

    // A negative code has no slot, but the flags are still cleared when standing.
    press(0x43);
    dispatch();
    settings.walkControlKey = -1;
    fake::setMoveInput(false);
    dispatch();
    EXPECT_FALSE(controllerState.walkKeyHeld);

    // The walk block switched off asks nothing.
    settings.walkControlEnabled = false;
    settings.shiftTapEnabled = false;
    EXPECT_EQ(dispatch(), Names{});
}

// Holding Shift asks nothing and starts a sprint press in the next tick (the
// press reads the desired speed); the mark stays while the key is not seen;
// the release ends the press at once.
TEST_F(DispatchTest, ShiftHoldAndRelease)
{
    settings.walkControlEnabled = false;
    press(shiftKey);
    EXPECT_EQ(dispatch(), Names{}) << "holding Shift asks the game nothing";
    EXPECT_TRUE(has(tick(), "getPedDesiredSpeed"));

    // Shift not down: the mark keeps its value.
    clearKeySlot(shiftKey);
    EXPECT_EQ(dispatch(), Names{});
    EXPECT_TRUE(has(tick(), "getPedDesiredSpeed"));

    release(shiftKey);
    EXPECT_EQ(dispatch().front(), "moveInput") << "the press's release handler runs";
    EXPECT_FALSE(isKeyJustReleased(shiftKey));
    EXPECT_FALSE(has(tick(), "getPedDesiredSpeed")) << "no press any more";
}

// A press started by the sprint control ends when Shift is tapped between two
// dispatches.
TEST_F(DispatchTest, ShiftTapBetweenTicksStillEndsThePress)
{
    settings.walkControlEnabled = false;
    fake::game().pressed[fake::scriptedFlyZup] = true;
    EXPECT_TRUE(has(tick(), "getPedDesiredSpeed"));
    fake::game().pressed[fake::scriptedFlyZup] = false;
    press(shiftKey);
    release(shiftKey);
    EXPECT_EQ(dispatch().front(), "moveInput");
    EXPECT_FALSE(has(tick(), "getPedDesiredSpeed"));
}

TEST_F(DispatchTest, ShiftIgnoredWhileShiftTapIsOff)
{
    settings.walkControlEnabled = false;
    press(shiftKey);
    tick();
    settings.shiftTapEnabled = false;
    release(shiftKey);
    EXPECT_EQ(dispatch(), Names{});
    EXPECT_TRUE(isKeyJustReleased(shiftKey)) << "the slot is left alone";
    EXPECT_TRUE(has(tick(), "getPedDesiredSpeed")) << "the press goes on";
}

TEST_F(DispatchTest, SwitchedOffStillDispatches)
{
    // A sprint press under way, then the plug-in switched off: the controller
    // asks nothing, the dispatcher still marks the walk key and ends the press.
    press(shiftKey);
    tick();
    tick();
    settings.enabled = false;
    press(altKey);
    release(shiftKey);
    EXPECT_EQ(tick(), (Names{"moveInput", "moveInput", "moveInput", "isPedRunning", "isPedSprinting"}))
        << "the walk key's two looks; the release's look, and a tap not from walking pace asks whether the ped runs";
    press(endKey);
    press(numpad2);
    EXPECT_FALSE(has(tick(), "isPedOnFoot"));
    EXPECT_TRUE(has(tick(), "isPedOnFoot")) << "switched on again";
}

// Reloads happen in a folder of their own, with a file that switches the
// mouse wheel off (a reload shows) and holds a speed that cannot be read.
class HotkeyTest : public DispatchTest {
protected:
    void SetUp() override
    {
        DispatchTest::SetUp();
        previous = std::filesystem::current_path();
        folder = std::filesystem::temp_directory_path() / ("ambleworks-hotkeys-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        std::ofstream("Ambleworks.ini") << "[MouseWheel]\nMOUSE_WHEEL_ENABLED = 0\nSPEED_INCREMENT = fast\n"
                                           "[Shift]\nSHIFT_TAP_ENABLED = 0\n[WalkControl]\nWALK_CONTROL_ENABLED = 0\n";
        settings.walkControlEnabled = false;
        settings.shiftTapEnabled = false;
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
        DispatchTest::TearDown();
    }
    std::filesystem::path previous, folder;
};

TEST_F(HotkeyTest, PrecedenceAndModifier)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> down;
        bool enabledBefore;
        bool enabledAfter;
        bool reloaded;
    };
    const std::vector<Case> cases = {
        {"End+Numpad1 switches off", {endKey, numpad1}, true, false, false},
        {"End+Numpad1+Numpad2: off wins", {endKey, numpad1, numpad2}, true, false, false},
        {"End+Numpad1+Numpad3: off, no reload", {endKey, numpad1, numpad3}, true, false, false},
        {"End+Numpad2 switches on", {endKey, numpad2}, false, true, false},
        {"End+Numpad2+Numpad3: on, no reload", {endKey, numpad2, numpad3}, false, true, false},
        {"End+Numpad3 reloads", {endKey, numpad3}, false, true, true},
        {"Numpad keys without End do nothing", {numpad1, numpad2, numpad3}, true, true, false},
        {"End alone does nothing", {endKey}, false, false, false},
    };
    for (const Case& c : cases) {
        for (uint32_t key = 0; key < keySlotCount; ++key)
            clearKeySlot(key);
        settings.enabled = c.enabledBefore;
        settings.mouseWheelEnabled = true;
        for (uint32_t key : c.down)
            press(key);
        Names calls;
        EXPECT_NO_THROW(calls = dispatch()) << c.name;
        EXPECT_EQ(calls, Names{}) << c.name << ": hotkeys ask the game nothing";
        EXPECT_EQ(settings.enabled, c.enabledAfter) << c.name;
        EXPECT_EQ(!settings.mouseWheelEnabled, c.reloaded) << c.name;
    }
}

TEST_F(HotkeyTest, HeldReloadRepeatsEveryTick)
{
    press(endKey);
    press(numpad3);
    for (int tick = 0; tick < 3; ++tick) {
        settings.mouseWheelEnabled = true;
        fake::host().clockMs += frameMs;
        EXPECT_NO_THROW(dispatchKeys());
        EXPECT_FALSE(settings.mouseWheelEnabled) << "tick " << tick;
    }
    // Slots of hotkeys are never reset: released only by their key-up.
    EXPECT_TRUE(isKeyHeld(endKey));
}

}  // namespace
