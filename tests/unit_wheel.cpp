// Mouse-wheel speed steps: seeding, clamps, which notch wins, and the boundary
// override during a sprint press.

#include <gtest/gtest.h>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/mouse_wheel.h"
#include "support/fake_game.h"

namespace {

using Names = std::vector<std::string>;

class WheelTest : public ::testing::Test {
protected:
    void SetUp() override { fake::startFreshPlugin(); }
    void TearDown() override { EXPECT_EQ(fake::staleArgumentFault(), ""); }
};

TEST_F(WheelTest, StepsSeedAndClamp)
{
    struct Case {
        const char* name;
        bool up;
        bool moving;
        bool active;
        float target;
        float desired;
        float minimum;
        float result;
    };
    const std::vector<Case> cases = {
        {"seeded from the desired walk", true, true, false, 0.0f, 1.0f, 0.3f, 1.06f},
        {"seed never below 0.8", false, true, false, 0.0f, 0.5f, 0.3f, 0.8f - 0.06f},
        {"an active speed is stepped from itself", true, true, true, 1.2f, 2.6f, 0.3f, 1.2f + 0.06f},
        {"capped at 3.0", true, true, true, 2.98f, 0.0f, 0.3f, 3.0f},
        {"floored at the minimum while moving", false, true, true, 0.26f, 0.0f, 0.3f, 0.3f},
        {"at least 0.5 while standing", false, false, true, 0.26f, 0.0f, 0.3f, 0.5f},
        {"the floor skips the cap", true, true, true, 2.98f, 0.0f, 4.0f, 4.0f},
        {"standing with a custom speed still steps", false, false, true, 1.2f, 0.0f, 0.3f, 1.2f - 0.06f},
    };
    for (const Case& c : cases) {
        fake::startFreshPlugin();
        fake::setMoveInput(c.moving);
        fake::game().desiredSpeed = c.desired;
        settings.minimumSpeed = c.minimum;
        controllerState.customSpeedActive = c.active;
        controllerState.targetSpeed = c.target;
        c.up ? stepSpeedUp() : stepSpeedDown();
        EXPECT_EQ(controllerState.targetSpeed, c.result) << c.name;
        EXPECT_TRUE(controllerState.customSpeedActive) << c.name;
        EXPECT_TRUE(controllerState.settleCheckArmed) << c.name;
        EXPECT_EQ(controllerState.settleDelayTicks, 3) << c.name;
        // A step leaves the temporary-release bookkeeping alone.
        EXPECT_FALSE(controllerState.noCustomSpeed) << c.name;
        // The desired speed is read once, and only to seed.
        EXPECT_EQ(fake::countCalls("getPedDesiredSpeed"), c.active ? 0u : 1u) << c.name;
    }
}

TEST_F(WheelTest, StandingWithNoCustomSpeedChangesNothing)
{
    fake::game().desiredSpeed = 1.0f;
    stepSpeedUp();
    EXPECT_FALSE(controllerState.customSpeedActive);
    EXPECT_EQ(controllerState.targetSpeed, 0.0f);
    EXPECT_FALSE(controllerState.settleCheckArmed);
    EXPECT_EQ(fake::host().calls.size(), 8u);  // one look at the move inputs, nothing else
}

TEST_F(WheelTest, UpdateGatesDisablesAndLetsUpWin)
{
    fake::setMoveInput(true);
    fake::game().desiredSpeed = 1.0f;
    fake::game().justPressed = {"INPUT_PREV_WEAPON", "INPUT_NEXT_WEAPON"};
    mouseWheelUpdate();
    EXPECT_EQ(controllerState.targetSpeed, 1.06f);
    const Names begin = {"isPedOnFoot", "isControlPressed(INPUT_FRONTEND_SELECT)",
                         "disableControlAction(INPUT_PREV_WEAPON, 1)", "disableControlAction(INPUT_NEXT_WEAPON, 1)",
                         "isDisabledControlJustPressed(INPUT_PREV_WEAPON)"};
    Names commands = fake::commandNames();
    commands.resize(begin.size());
    EXPECT_EQ(commands, begin);
    EXPECT_EQ(fake::countCalls("isDisabledControlJustPressed"), 1u);

    // In a menu the wheel stays with the game.
    fake::startGame();
    fake::setMoveInput(true);
    fake::game().pressed.insert("INPUT_FRONTEND_SELECT");
    fake::game().justPressed = {"INPUT_PREV_WEAPON"};
    mouseWheelUpdate();
    EXPECT_EQ(fake::commandNames(), (Names{"isPedOnFoot", "isControlPressed(INPUT_FRONTEND_SELECT)"}));
    EXPECT_EQ(controllerState.targetSpeed, 1.06f);

    // Not on foot: nothing but the question.
    fake::startGame();
    fake::game().onFoot = false;
    mouseWheelUpdate();
    EXPECT_EQ(fake::commandNames(), (Names{"isPedOnFoot"}));
}

TEST_F(WheelTest, SprintPressOverridesBoundaries)
{
    controllerState.sprintHeld = true;
    fake::setMoveInput(true);
    fake::game().desiredSpeed = 2.0f;
    controllerState.noCustomSpeed = true;
    controllerState.releaseAfterApply = true;

    // Both notches: the override engages, then down turns respect back on.
    fake::game().justPressed = {"INPUT_PREV_WEAPON", "INPUT_NEXT_WEAPON"};
    mouseWheelUpdate();
    EXPECT_EQ(controllerState.targetSpeed, 2.06f);
    EXPECT_TRUE(controllerState.customSpeedActive);
    EXPECT_TRUE(controllerState.boundaryOverrideRequested);
    EXPECT_FALSE(controllerState.noCustomSpeed);
    EXPECT_FALSE(controllerState.releaseAfterApply);
    EXPECT_TRUE(settings.respectBoundaries);

    // Up alone leaves boundaries off; down alone steps nothing.
    fake::game().justPressed = {"INPUT_PREV_WEAPON"};
    mouseWheelUpdate();
    EXPECT_FALSE(settings.respectBoundaries);
    EXPECT_EQ(controllerState.targetSpeed, 2.12f);
    fake::game().justPressed = {"INPUT_NEXT_WEAPON"};
    mouseWheelUpdate();
    EXPECT_TRUE(settings.respectBoundaries);
    EXPECT_EQ(controllerState.targetSpeed, 2.12f);

    // Without the override allowed the wheel only stays disabled.
    settings.ableToOverrideBoundaries = false;
    fake::startGame();
    fake::setMoveInput(true);
    fake::game().justPressed = {"INPUT_PREV_WEAPON"};
    mouseWheelUpdate();
    EXPECT_EQ(fake::countCalls("isDisabledControlJustPressed"), 0u);
    EXPECT_EQ(fake::countCalls("disableControlAction"), 2u);
    EXPECT_EQ(controllerState.targetSpeed, 2.12f);
}

TEST_F(WheelTest, OverrideWhileStandingWithNoSpeedEngagesZero)
{
    controllerState.sprintHeld = true;
    fake::game().justPressed = {"INPUT_PREV_WEAPON"};
    mouseWheelUpdate();
    EXPECT_FALSE(settings.respectBoundaries);
    EXPECT_TRUE(controllerState.boundaryOverrideRequested);
    EXPECT_TRUE(controllerState.customSpeedActive);
    EXPECT_TRUE(controllerState.noCustomSpeed);
    EXPECT_EQ(controllerState.targetSpeed, 0.0f);
}

}  // namespace
