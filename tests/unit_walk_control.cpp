// The walk-control key: the short press in each of its cases, with the
// natives it asks; and holds of chosen lengths played through the script
// loop, judged by the speeds imposed on the ped tick by tick.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/controller_tick.h"
#include "controller/walk_control.h"
#include "host/key_dispatcher.h"
#include "host/key_state_table.h"
#include "support/fake_game.h"

namespace {

constexpr uint32_t altKey = 0x12;

// The commands since the last look, each four-query move-input probe as one
// "moveInput".
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

class WalkControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::startFreshPlugin();
        for (uint32_t key = 0; key < keySlotCount; ++key)
            clearKeySlot(key);
        fake::setMoveInput(true);
        fake::game().desiredSpeed = 1.0f;
    }

    // One pass of the script loop; returns the speed capped on the ped in it
    // (0 when none was imposed).
    float tick()
    {
        fake::host().calls.clear();
        controllerTick();
        dispatchKeys();
        fake::host().clockMs += 33;
        float imposed = 0.0f;
        for (const std::string& name : fake::commandNames())
            if (name.rfind("setPedMaxSpeed(", 0) == 0)
                imposed = std::stof(name.substr(15));
        return imposed;
    }

    // Holds the walk key while moving until the key has been counted `count`
    // times, releases it, and plays the tick that handles the release. Returns
    // the speeds imposed in the counted ticks, then in the release tick.
    std::vector<float> holdWalkKey(int count)
    {
        std::vector<float> imposed;
        handleKeyboardMessage(altKey, 1, 0x38, 0, 1, 0, 0);
        tick();  // the dispatcher sees the key down
        for (int n = 1; n <= count; ++n) {
            if (n == count)
                handleKeyboardMessage(altKey, 1, 0x38, 0, 0, 1, 1);
            else
                handleKeyboardMessage(altKey, 1, 0x38, 0, 1, 1, 0);  // auto-repeat
            imposed.push_back(tick());
        }
        imposed.push_back(tick());
        return imposed;
    }

    ControllerState& state = controllerState;
};

TEST_F(WalkControlTest, LongHoldWithoutCustomSpeedGoesToSlowWalkAndKeepsIt)
{
    state.fastWalkLatched = true;
    const std::vector<float> imposed = holdWalkKey(230);
    for (int n = 1; n <= 25; ++n)
        EXPECT_EQ(imposed[n - 1], 0.0f) << "count " << n << ": below 1.2 the first stage does nothing";
    for (int n = 26; n <= 230; ++n)
        EXPECT_EQ(imposed[n - 1], 0.7f) << "count " << n;
    EXPECT_EQ(imposed.back(), 0.7f) << "after 221 ticks the slow walk stays";
    EXPECT_FALSE(state.releaseAfterApply);
    EXPECT_TRUE(state.customSpeedActive);
    EXPECT_FALSE(state.fastWalkLatched);
    EXPECT_EQ(tick(), 0.7f);
}

TEST_F(WalkControlTest, HoldFromRunSpeedSlowsToWalkOnceThenToSlowWalk)
{
    engagePersistentSpeed(1.78f);
    const std::vector<float> imposed = holdWalkKey(30);
    for (int n = 1; n <= 20; ++n)
        EXPECT_EQ(imposed[n - 1], 1.78f) << "count " << n << ": a run speed stays while held";
    EXPECT_EQ(imposed[20], 1.2f) << "count 21: one tick of plain walk";
    for (int n = 22; n <= 25; ++n)
        EXPECT_EQ(imposed[n - 1], 0.0f) << "count " << n;
    for (int n = 26; n <= 30; ++n)
        EXPECT_EQ(imposed[n - 1], 0.7f) << "count " << n;
    EXPECT_EQ(imposed.back(), 0.7f) << "the stage runs once more in the tick the release is handled";
    EXPECT_EQ(tick(), 0.0f) << "released before 221: no custom speed left";
    EXPECT_FALSE(state.customSpeedActive);
}

TEST_F(WalkControlTest, HoldWithWalkingPaceCustomSpeedStopsImposingIt)
{
    engagePersistentSpeed(1.38f);
    handleKeyboardMessage(altKey, 1, 0x38, 0, 1, 0, 0);
    EXPECT_EQ(tick(), 1.38f);
    EXPECT_EQ(tick(), 0.0f);
    EXPECT_FALSE(state.customSpeedActive);
    EXPECT_EQ(state.targetSpeed, 1.38f);
}

TEST_F(WalkControlTest, ReleaseByHoldLength)
{
    struct Case {
        const char* name;
        int count;
        bool fastWalk;
        float imposedAfter;  // in the tick after the release tick
        bool pending;
    };
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"18 ticks: short press latches the fast walk", 18, true, 1.38f, false},
        {"19 ticks: only ends the hold", 19, true, 0.0f, false},
        {"20 ticks: only ends the hold", 20, true, 0.0f, false},
        {"19 ticks, fast walk off: stays pending", 19, false, 0.0f, true},
        {"20 ticks, fast walk off: ends the hold", 20, false, 0.0f, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SetUp();
        settings.fastWalkEnabled = c.fastWalk;
        state.fastWalkLatched = true;
        fake::game().desiredSpeed = 1.2f;
        holdWalkKey(c.count);
        EXPECT_EQ(tick(), c.imposedAfter) << c.name;
        EXPECT_EQ(state.fastWalkLatched, c.imposedAfter == 1.38f || c.pending) << c.name;
        EXPECT_EQ(state.walkKeyReleased, c.pending) << c.name;
        EXPECT_EQ(state.walkKeyHoldTicks, c.pending ? c.count : 0) << c.name;
    }
}

TEST_F(WalkControlTest, PendingReleaseCountsOnIntoTheNextPress)
{
    settings.fastWalkEnabled = false;
    holdWalkKey(12);
    ASSERT_TRUE(state.walkKeyReleased);
    ASSERT_EQ(state.walkKeyHoldTicks, 12);
    const std::vector<float> imposed = holdWalkKey(14);
    EXPECT_EQ(imposed[12], 0.0f) << "second press, tick 13: count 25";
    EXPECT_EQ(imposed[13], 0.7f) << "second press, tick 14: count 26";
    EXPECT_EQ(state.walkKeyHoldTicks, 0) << "a count of 26 ends the hold";

    // A pending release is forgotten once the player stands still.
    holdWalkKey(5);
    ASSERT_TRUE(state.walkKeyReleased);
    fake::setMoveInput(false);
    tick();
    EXPECT_EQ(state.walkKeyHoldTicks, 0);
    EXPECT_FALSE(state.walkKeyReleased);
}

TEST_F(WalkControlTest, ShortPressCases)
{
    const std::vector<std::string> constrainedProbe = {"isPedMoveFree", "isGlobalMoveRestricted",
                                                       "isPedMoveRestricted(0)"};
    auto with = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* name;
        float speed;
        bool ramp;
        bool runDrop;
        float desired;
        bool firstPerson;
        float fastSpeed;
        std::vector<std::string> asked;  // between the Alt suppression and the final check
        float target;
        bool temporary;
        bool latched;
    };
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"no custom speed: latch the fast walk", 0.0f, false, false, 1.2f, false, 1.38f,
         {"isRunDropAllowed", "getPedDesiredSpeed"}, 1.38f, false, true},
        {"no custom speed, ped at 1.5: sprint pulse, no speed", 0.0f, false, false, 1.5f, false, 1.38f,
         with(with({"isRunDropAllowed", "getPedDesiredSpeed"}, constrainedProbe),
              {"setControlValueNextFrame(INPUT_SPRINT, 0)", "setControlValueNextFrame(INPUT_SPRINT, 1)"}),
         0.0f, false, false},
        {"no custom speed, run drop allowed: desired asked twice", 0.0f, false, true, 1.2f, false, 1.38f,
         {"isRunDropAllowed", "getPedDesiredSpeed"}, 1.38f, false, true},
        {"fast walk on: plain walk", 1.38f, false, false, 1.2f, false, 1.38f, {"isRunDropAllowed",
         "isFirstPersonCameraActive"}, 1.2f, true, false},
        {"fast walk on, first person: plain walk at 1.0", 1.38f, false, false, 1.2f, true, 1.38f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, 1.0f, true, false},
        {"fast walk during a ramp: latched, ramp ends", 1.38f, true, false, 1.2f, false, 1.38f,
         {"isRunDropAllowed"}, 1.38f, false, true},
        {"run speed: latch the fast walk", 1.78f, false, false, 1.5f, false, 1.38f, {"isRunDropAllowed"},
         1.38f, false, true},
        {"run speed, run drop, ped at 1.5: plain walk", 1.78f, false, true, 1.5f, false, 1.38f,
         with(with({"isRunDropAllowed", "getPedDesiredSpeed"}, constrainedProbe), {"isFirstPersonCameraActive"}),
         1.2f, true, false},
        {"run speed, run drop, ped at 1.4: latch", 1.78f, false, true, 1.4f, false, 1.38f,
         {"isRunDropAllowed", "getPedDesiredSpeed"}, 1.38f, false, true},
        {"1.0, far below the fast walk: latch", 1.0f, false, false, 1.0f, false, 1.38f, {"isRunDropAllowed"},
         1.38f, false, true},
        {"0.95 near a fast walk of 1.0: nothing", 0.95f, false, false, 1.0f, false, 1.0f, {"isRunDropAllowed"},
         0.95f, false, false},
        {"1.05 near a fast walk of 1.0: plain walk", 1.05f, false, false, 1.0f, false, 1.0f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, 1.2f, true, false},
        {"exactly the fast walk of 1.0: plain walk", 1.0f, false, false, 1.0f, false, 1.0f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, 1.2f, true, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SetUp();
        settings.fastWalkCustomSpeed = c.fastSpeed;
        fake::game().runDropAllowed = c.runDrop;
        fake::game().desiredSpeed = c.desired;
        fake::game().firstPerson = c.firstPerson;
        state.targetSpeed = c.speed;
        state.customSpeedActive = c.speed != 0.0f;
        state.rampActive = c.ramp;
        state.walkKeyReleased = true;
        state.walkKeyHoldTicks = 5;
        walkControlUpdate();
        const std::vector<std::string> expected = with(with({"moveInput", "disableControlAction(INPUT_REVEAL_HUD, 1)",
                                                             "disableControlAction(INPUT_SELECT_RADAR_MODE, 1)"},
                                                            c.asked),
                                                       {"moveInput"});
        EXPECT_EQ(commands(), expected) << c.name;
        EXPECT_EQ(state.targetSpeed, c.target) << c.name;
        EXPECT_EQ(state.releaseAfterApply, c.temporary) << c.name;
        EXPECT_EQ(state.fastWalkLatched, c.latched) << c.name;
        EXPECT_FALSE(state.rampActive && c.latched) << c.name;
        EXPECT_FALSE(state.walkKeyReleased) << c.name;
        EXPECT_TRUE(fake::staleArgumentFault().empty()) << c.name;
    }
}

TEST_F(WalkControlTest, WhatEachTickAsksOutsideTheShortPress)
{
    // Another key: neither Alt control is disabled.
    settings.walkControlKey = 0x43;
    walkControlUpdate();
    EXPECT_EQ(commands(), (std::vector<std::string>{"moveInput", "moveInput"}));

    // Fast walk only: the HUD control alone.
    settings.walkControlKey = altKey;
    settings.slowWalkEnabled = false;
    walkControlUpdate();
    EXPECT_EQ(commands(),
              (std::vector<std::string>{"moveInput", "disableControlAction(INPUT_REVEAL_HUD, 1)", "moveInput"}));

    // During a sprint press only the final check runs; nothing is counted.
    state.sprintHeld = true;
    state.walkKeyHeld = true;
    walkControlUpdate();
    EXPECT_EQ(commands(), (std::vector<std::string>{"moveInput"}));
    EXPECT_EQ(state.walkKeyHoldTicks, 0);

    // Standing still: the gate and the final check both ask, and the key is forgotten.
    state.sprintHeld = false;
    fake::setMoveInput(false);
    walkControlUpdate();
    EXPECT_EQ(commands(), (std::vector<std::string>{"moveInput", "moveInput"}));
    EXPECT_FALSE(state.walkKeyHeld);
}

}  // namespace
