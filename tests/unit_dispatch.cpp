// The key dispatcher: walk-key and Shift flags, the Shift release, and the
// End+Numpad hotkeys, with the natives each block asks in its order.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "controller/controller_state.h"
#include "host/key_dispatcher.h"
#include "host/key_state_table.h"
#include "support/fake_game.h"

namespace {

constexpr uint32_t altKey = 0x12, shiftKey = 0x10, endKey = 0x23;
constexpr uint32_t numpad1 = 0x61, numpad2 = 0x62, numpad3 = 0x63;

// The commands since the last look, with each four-query move-input probe
// shown as one "moveInput".
std::vector<std::string> commands()
{
    std::vector<std::string> out;
    int moveQueries = 0;
    for (const std::string& name : fake::commandNames()) {
        if (name.rfind("isControlPressed(INPUT_MOVE_", 0) == 0) {
            if (++moveQueries % 4 == 0)
                out.push_back("moveInput");
            continue;
        }
        out.push_back(name);
    }
    fake::host().calls.clear();
    return out;
}

void press(uint32_t key)
{
    handleKeyboardMessage(key, 1, 0, 0, 0, 0, 0);
}
void release(uint32_t key)
{
    handleKeyboardMessage(key, 1, 0, 0, 0, 1, 1);
}

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::startFreshPlugin();
        for (uint32_t key = 0; key < keySlotCount; ++key)
            clearKeySlot(key);
        fake::setMoveInput(true);
    }
    ControllerState& state = controllerState;
};

TEST_F(DispatchTest, WalkKeyHeldWhileMovingAsksMoveInputAgain)
{
    state.walkKeyHoldTicks = 7;
    state.walkKeyReleased = true;
    press(altKey);
    dispatchKeys();
    EXPECT_EQ(commands(), (std::vector<std::string>{"moveInput", "moveInput"}));
    EXPECT_TRUE(state.walkKeyHeld);
    EXPECT_FALSE(state.walkKeyReleased);
    EXPECT_EQ(state.walkKeyHoldTicks, 7) << "the dispatcher never counts the hold";
    EXPECT_TRUE(isKeyHeld(altKey)) << "a held key keeps its slot";
}

TEST_F(DispatchTest, WalkKeyReleaseWhileMovingIsReportedOnce)
{
    state.walkKeyHeld = true;
    release(altKey);
    dispatchKeys();
    EXPECT_EQ(commands(), (std::vector<std::string>{"moveInput", "moveInput"}));
    EXPECT_FALSE(state.walkKeyHeld);
    EXPECT_TRUE(state.walkKeyReleased);
    EXPECT_FALSE(isKeyJustReleased(altKey)) << "the slot is reset before the flag is raised";

    // Pressed and released between two ticks: a release without a hold.
    state.walkKeyReleased = false;
    press(altKey);
    release(altKey);
    dispatchKeys();
    EXPECT_FALSE(state.walkKeyHeld);
    EXPECT_TRUE(state.walkKeyReleased);
}

TEST_F(DispatchTest, WalkKeyWithoutMovementIsErased)
{
    fake::setMoveInput(false);
    state.walkKeyHeld = true;
    state.walkKeyHoldTicks = 30;
    press(altKey);
    dispatchKeys();
    // The slot is reset first, so the key no longer reads as down and move
    // input is not asked again.
    EXPECT_EQ(commands(), (std::vector<std::string>{"moveInput"}));
    EXPECT_FALSE(state.walkKeyHeld);
    EXPECT_EQ(state.walkKeyHoldTicks, 0);

    release(altKey);
    dispatchKeys();
    EXPECT_FALSE(state.walkKeyReleased);
    EXPECT_FALSE(isKeyJustReleased(altKey));

    // Moving again: the key held on needs a further message to count.
    fake::setMoveInput(true);
    dispatchKeys();
    EXPECT_FALSE(state.walkKeyHeld);
}

TEST_F(DispatchTest, WalkKeyCodeFromSettings)
{
    // Another key: Alt means nothing then.
    settings.walkControlKey = 0x43;
    press(altKey);
    dispatchKeys();
    EXPECT_FALSE(state.walkKeyHeld);
    press(0x43);
    dispatchKeys();
    EXPECT_TRUE(state.walkKeyHeld);

    // A negative code has no slot, but the flags are still cleared when standing.
    settings.walkControlKey = -1;
    fake::setMoveInput(false);
    dispatchKeys();
    EXPECT_FALSE(state.walkKeyHeld);

    // The walk block switched off asks nothing.
    settings.walkControlEnabled = false;
    settings.shiftTapEnabled = false;
    commands();
    dispatchKeys();
    EXPECT_TRUE(commands().empty());
}

TEST_F(DispatchTest, ShiftHoldAndRelease)
{
    settings.walkControlEnabled = false;
    press(shiftKey);
    dispatchKeys();
    EXPECT_TRUE(state.shiftHeld);
    EXPECT_TRUE(commands().empty()) << "holding Shift asks the game nothing";

    // Shift not down: the flag keeps its value.
    clearKeySlot(shiftKey);
    dispatchKeys();
    EXPECT_TRUE(state.shiftHeld);

    // The release ends the sprint press at once, then drops the flag.
    state.sprintHeld = true;
    state.sprintTicks = 40;
    release(shiftKey);
    dispatchKeys();
    EXPECT_FALSE(state.sprintHeld);
    EXPECT_EQ(state.sprintTicks, 0) << "onSprintReleased ran, while moving";
    EXPECT_FALSE(state.shiftHeld);
    EXPECT_EQ(commands().front(), "moveInput");
    EXPECT_FALSE(isKeyJustReleased(shiftKey));
}

TEST_F(DispatchTest, ShiftTapBetweenTicksStillEndsThePress)
{
    state.sprintHeld = true;
    press(shiftKey);
    release(shiftKey);
    dispatchKeys();
    EXPECT_FALSE(state.shiftHeld);
    EXPECT_FALSE(state.sprintHeld);
}

TEST_F(DispatchTest, ShiftIgnoredWhileShiftTapIsOff)
{
    settings.shiftTapEnabled = false;
    state.shiftHeld = true;
    state.sprintHeld = true;
    release(shiftKey);
    dispatchKeys();
    EXPECT_TRUE(state.shiftHeld);
    EXPECT_TRUE(state.sprintHeld);
    EXPECT_TRUE(isKeyJustReleased(shiftKey)) << "the slot is left alone";
}

TEST_F(DispatchTest, SwitchedOffStillDispatches)
{
    settings.enabled = false;
    state.sprintHeld = true;
    press(altKey);
    release(shiftKey);
    dispatchKeys();
    EXPECT_TRUE(state.walkKeyHeld);
    EXPECT_FALSE(state.sprintHeld);
    press(endKey);
    press(numpad2);
    dispatchKeys();
    EXPECT_TRUE(settings.enabled);
}

// Reloads happen in a folder of their own, with a file whose load fails after
// switching the mouse wheel off: a reload shows, and its failure must not escape.
class HotkeyTest : public DispatchTest {
protected:
    void SetUp() override
    {
        DispatchTest::SetUp();
        previous = std::filesystem::current_path();
        folder = std::filesystem::temp_directory_path() / ("ambleworks-hotkeys-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        std::ofstream("Ambleworks.ini") << "[MouseWheel]\nMOUSE_WHEEL_ENABLED = 0\nSPEED_INCREMENT = fast\n";
        settings.walkControlEnabled = false;
        settings.shiftTapEnabled = false;
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
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
        EXPECT_NO_THROW(dispatchKeys()) << c.name;
        EXPECT_EQ(settings.enabled, c.enabledAfter) << c.name;
        EXPECT_EQ(!settings.mouseWheelEnabled, c.reloaded) << c.name;
    }
    EXPECT_TRUE(commands().empty()) << "hotkeys ask the game nothing";
}

TEST_F(HotkeyTest, HeldReloadRepeatsEveryTick)
{
    press(endKey);
    press(numpad3);
    for (int tick = 0; tick < 3; ++tick) {
        settings.mouseWheelEnabled = true;
        fake::host().clockMs += 33;
        EXPECT_NO_THROW(dispatchKeys());
        EXPECT_FALSE(settings.mouseWheelEnabled) << "tick " << tick;
    }
    // Slots of hotkeys are never reset: released only by their key-up.
    EXPECT_TRUE(isKeyHeld(endKey));
}

}  // namespace
