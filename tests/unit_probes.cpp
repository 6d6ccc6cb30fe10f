// The movement probes and the two ways of imposing a speed: which natives they
// ask, in which order, and where they stop asking.

#include <gtest/gtest.h>

#include <cmath>

#include "config/settings.h"
#include "game/movement_probes.h"
#include "support/plugin_test.h"

namespace {

using ProbesTest = PluginTest;

TEST_F(ProbesTest, MoveInputAsksAllFourEvenAfterTheFirstAnswersTrue)
{
    fake::setMoveInput(true);
    EXPECT_TRUE(isMoveInputActive());
    EXPECT_EQ(fake::callNames(),
              (Names{"hashOfText(INPUT_MOVE_UP_ONLY)", "isControlPressed(INPUT_MOVE_UP_ONLY)",
                     "hashOfText(INPUT_MOVE_LEFT_ONLY)", "isControlPressed(INPUT_MOVE_LEFT_ONLY)",
                     "hashOfText(INPUT_MOVE_DOWN_ONLY)", "isControlPressed(INPUT_MOVE_DOWN_ONLY)",
                     "hashOfText(INPUT_MOVE_RIGHT_ONLY)", "isControlPressed(INPUT_MOVE_RIGHT_ONLY)"}));

    // Any one of the four counts; none means no input.
    for (fake::Control direction : {fake::moveLeft, fake::moveDown, fake::moveRight}) {
        fake::setMoveInput(false);
        fake::game().pressed[direction] = true;
        EXPECT_TRUE(isMoveInputActive()) << fake::controlNames[direction];
    }
    fake::setMoveInput(false);
    EXPECT_FALSE(isMoveInputActive());
    EXPECT_EQ(fake::host().counts.natives, 40u);
}

TEST_F(ProbesTest, MovementConstrainedStopsAtTheFirstDecidingAnswer)
{
    struct Case {
        bool moveFree, globalRestricted, pedRestricted;
        bool constrained;
        Names calls;
    };
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {false, false, false, true, {"playerPed", "isPedMoveFree"}},
        {true, true, false, true, {"playerPed", "isPedMoveFree", "isGlobalMoveRestricted"}},
        {true, false, true, true,
         {"playerPed", "isPedMoveFree", "isGlobalMoveRestricted", "playerPed", "isPedMoveRestricted(0)"}},
        {true, false, false, false,
         {"playerPed", "isPedMoveFree", "isGlobalMoveRestricted", "playerPed", "isPedMoveRestricted(0)"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        startFreshPlugin();
        fake::game().moveFree = c.moveFree;
        fake::game().globalMoveRestricted = c.globalRestricted;
        fake::game().pedMoveRestricted = c.pedRestricted;
        EXPECT_EQ(isMovementConstrained(), c.constrained);
        EXPECT_EQ(fake::callNames(), c.calls);
    }
}

TEST_F(ProbesTest, ApplyTargetSpeedForcesOrCapsAndHoldsSprint)
{
    const Names forced106 = {"isFirstPersonCameraActive", "playerPed", "setPedMinSpeed(1.06)", "playerPed",
                             "setPedMaxSpeed(1.06)"};
    const Names sprintHeld = {"isFirstPersonCameraActive",
                              "hashOfText(INPUT_SPRINT)",
                              "isControlEnabled(INPUT_SPRINT)",
                              "hashOfText(INPUT_SPRINT)",
                              "isControlHoldBlocked(INPUT_SPRINT)",
                              "hashOfText(INPUT_SPRINT)",
                              "setControlValueNextFrame(INPUT_SPRINT, 1)",
                              "playerPed",
                              "setPedMaxSpeed(1.52)"};
    struct Case {
        const char* name;
        float speed;
        bool firstPerson, respectBoundaries, sprintEnabled, holdBlocked;
        Names calls;
    };
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"first person walk forced whatever boundaries say", 1.0f, true, true, true, false,
         {"isFirstPersonCameraActive", "playerPed", "setPedMinSpeed(1)", "playerPed", "setPedMaxSpeed(1)"}},
        {"first person at the single 1.51 counts as below 1.51", 1.51f, true, true, true, false,
         {"isFirstPersonCameraActive", "playerPed", "setPedMinSpeed(1.51)", "playerPed", "setPedMaxSpeed(1.51)"}},
        {"first person at 1.52 respects boundaries", 1.52f, true, true, true, false, sprintHeld},
        {"third person 1.0: no sprint hold, cap only", 1.0f, false, true, true, false,
         {"isFirstPersonCameraActive", "playerPed", "setPedMaxSpeed(1)"}},
        {"just above 1.0 holds sprint", 1.52f, false, true, true, false, sprintHeld},
        {"boundaries off forces in third person", 1.06f, false, false, true, false, forced106},
        {"boundaries off forces in first person", 1.06f, true, false, true, false, forced106},
        {"sprint disabled: not asked whether blocked, cap still set", 1.52f, false, true, false, false,
         {"isFirstPersonCameraActive", "hashOfText(INPUT_SPRINT)", "isControlEnabled(INPUT_SPRINT)", "playerPed",
          "setPedMaxSpeed(1.52)"}},
        {"sprint hold blocked: no control value", 1.52f, false, true, true, true,
         {"isFirstPersonCameraActive", "hashOfText(INPUT_SPRINT)", "isControlEnabled(INPUT_SPRINT)",
          "hashOfText(INPUT_SPRINT)", "isControlHoldBlocked(INPUT_SPRINT)", "playerPed", "setPedMaxSpeed(1.52)"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        startFreshPlugin();
        fake::game().firstPerson = c.firstPerson;
        fake::game().enabled[fake::sprint] = c.sprintEnabled;
        fake::game().holdBlocked[fake::sprint] = c.holdBlocked;
        settings.respectBoundaries = c.respectBoundaries;
        applyTargetSpeed(c.speed);
        EXPECT_EQ(fake::callNames(), c.calls) << c.name;
    }
}

TEST_F(ProbesTest, ApplyTargetSpeedJustAboveOneHoldsSprint)
{
    // The sprint hold test is strict and single precision: the next float up from 1.0 holds.
    applyTargetSpeed(std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(fake::countCalls("setControlValueNextFrame"), 1u);
}

}  // namespace
