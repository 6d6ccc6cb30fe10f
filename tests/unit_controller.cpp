// The per-tick controller, judged by what reaches the game: the gate, what one
// tick asks, keeping a speed across a stop and ramping it back, the neutral
// window, the settle check, first-person auto-run suppression and the release
// of a temporary speed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/movement_history.h"
#include "support/plugin_test.h"

namespace {

class ControllerTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        // The walk-control key has its own tests; keep its calls out of these lists.
        settings.walkControlEnabled = false;
    }
    // A fresh load for one case of a table.
    static void startCase()
    {
        startFreshPlugin();
        settings.walkControlEnabled = false;
    }
    static void walkForward()
    {
        fake::setMoveInput(true);
        fake::game().walking = true;
        fake::game().still = false;
    }
};

TEST_F(ControllerTest, GateStopsTheTickEarly)
{
    walkForward();
    engagePersistentSpeed(1.8f);

    // Switched off: not a single native, and the engaged speed waits.
    settings.enabled = false;
    EXPECT_EQ(tick(), Names{});
    settings.enabled = true;
    EXPECT_EQ(capIn(tick()), 1.8f);

    // Off foot: released, and nothing else asked (not the special ability,
    // not the history).
    fake::game().onFoot = false;
    EXPECT_EQ(tick(), (Names{"isPedOnFoot"}));
    fake::game().onFoot = true;
    EXPECT_EQ(capIn(tick()), std::nullopt);

    // Special ability held: released as well.
    engagePersistentSpeed(1.8f);
    fake::game().pressed[fake::specialAbility] = true;
    EXPECT_EQ(tick(), (Names{"isPedOnFoot", "isControlPressed(INPUT_SPECIAL_ABILITY)"}));
    fake::game().pressed[fake::specialAbility] = false;
    EXPECT_EQ(capIn(tick()), std::nullopt);
}

TEST_F(ControllerTest, AQuietTickAsksOnlyWhatItNeeds)
{
    fake::game().walking = true;
    EXPECT_EQ(tick(),
              (Names{"isPedOnFoot", "isControlPressed(INPUT_SPECIAL_ABILITY)", "isPedWalking", "isPedOnFoot",
                     "isControlPressed(INPUT_FRONTEND_SELECT)", "disableControlAction(INPUT_PREV_WEAPON, 1)",
                     "disableControlAction(INPUT_NEXT_WEAPON, 1)", "isDisabledControlJustPressed(INPUT_PREV_WEAPON)",
                     "isDisabledControlJustPressed(INPUT_NEXT_WEAPON)", "isControlPressed(INPUT_SCRIPTED_FLY_ZUP)"}));
    EXPECT_EQ(movementStatusAt(0), "Walking");
}

TEST_F(ControllerTest, WheelNotchIsAppliedInTheSameTick)
{
    walkForward();
    fake::game().desiredSpeed = 1.0f;
    fake::game().justPressed[fake::prevWeapon] = true;
    const Names calls = tick();
    EXPECT_EQ(calls.back(), "setPedMaxSpeed(1.06)");
    // The move inputs are asked twice by the wheel step and twice by the apply step.
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "moveInput"), 4);
}

// A notch arms the settle check with a countdown of 3 that the same tick
// already counts down once: a speed the ped will not follow is corrected in
// the third tick.
TEST_F(ControllerTest, WheelNotchMakesTheSettleCheckInTheThirdTick)
{
    walkForward();
    fake::game().desiredSpeed = 1.6f;
    engagePersistentSpeed(2.5f);
    fake::game().justPressed[fake::prevWeapon] = true;
    const std::optional<float> notched = capIn(tick());
    fake::game().justPressed[fake::prevWeapon] = false;
    EXPECT_EQ(notched, 2.5f + 0.06f);
    EXPECT_EQ(caps(2), (Caps{notched, 1.6f}));
}

// What one tick does to an engaged lasting speed while the player stands
// still and gives no input, and whether it is there when they walk on.
TEST_F(ControllerTest, ModesDecideWhatHappensWhileStanding)
{
    struct Case {
        int32_t mode;
        float target;
        bool kept;
        bool appliedStanding;
    };
    const std::vector<Case> cases = {
        {0, 1.2f, false, false}, {1, 1.8f, true, false}, {2, 1.5f, true, false}, {2, 1.51f, false, false},
        {3, 1.8f, true, false},  {4, 1.8f, true, false}, {-1, 1.8f, true, true},
    };
    for (const Case& c : cases) {
        startCase();
        settings.keepCustomSpeedAfterStoppingMode = c.mode;
        fake::game().still = true;
        engagePersistentSpeed(c.target);
        EXPECT_EQ(capIn(tick()).has_value(), c.appliedStanding) << c.mode << " " << c.target;
        walkForward();
        EXPECT_EQ(capIn(tick()), c.kept ? std::optional(c.target) : std::nullopt) << c.mode << " " << c.target;
    }
}

// A ped that stands while the player pushes on (stuck, or just starting) is a
// stop only in the modes that keep a speed across one: there the speed is
// suspended once the standing tick is two entries back; in mode 0 and below
// it stays imposed.
TEST_F(ControllerTest, OnlyKeepingModesSuspendASpeedForAStandingPed)
{
    for (int32_t mode : {-1, 0, 1}) {
        startCase();
        settings.mouseWheelEnabled = false;
        settings.keepCustomSpeedAfterStoppingMode = mode;
        fake::setMoveInput(true);
        fake::game().still = true;
        engagePersistentSpeed(1.2f);
        const std::optional<float> third = mode > 0 ? std::nullopt : std::optional(1.2f);
        EXPECT_EQ(caps(3), (Caps{1.2f, 1.2f, third})) << mode;
    }
}

// A drop on stop falls back to the fast walk only when the player switched it
// on with the walk-control key; REMEMBER_FAST_WALK alone remembers nothing.
TEST_F(ControllerTest, DropOnStopKeepsARememberedFastWalk)
{
    for (const bool switchedOn : {true, false}) {
        startCase();
        settings.keepCustomSpeedAfterStoppingMode = 0;
        settings.rememberFastWalk = true;
        if (switchedOn)
            controllerState.fastWalkLatched = true;
        engagePersistentSpeed(1.2f);
        EXPECT_EQ(capIn(tick()), std::nullopt) << switchedOn;
        walkForward();
        EXPECT_EQ(capIn(tick()), switchedOn ? std::optional(1.38f) : std::nullopt) << switchedOn;
    }
}

TEST_F(ControllerTest, RememberedFastWalkReturnsOnlyWhileStanding)
{
    struct Case {
        const char* name;
        bool afterRelease, moving;
        float desired;
        bool engaged;
    };
    const std::vector<Case> cases = {
        {"standing after a release", true, false, 0.0f, true},
        {"pushing a direction", true, true, 0.0f, false},
        {"the ped still wants to move", true, false, 0.5f, false},
        {"nothing released since load", false, false, 0.0f, false},
    };
    for (const Case& c : cases) {
        startCase();
        settings.mouseWheelEnabled = false;
        settings.rememberFastWalk = true;
        controllerState.fastWalkLatched = true;
        if (c.afterRelease)
            releaseCustomSpeed();
        fake::setMoveInput(c.moving);
        fake::game().walking = true;
        fake::game().desiredSpeed = c.desired;
        // Engaged for the next tick; nothing is imposed in this one.
        EXPECT_EQ(capIn(tick()), std::nullopt) << c.name;
        walkForward();
        EXPECT_EQ(capIn(tick()), c.engaged ? std::optional(1.38f) : std::nullopt) << c.name;
    }
}

TEST_F(ControllerTest, NeutralWindowReleasesSpeedsNearTheGamesWalk)
{
    struct Case {
        float target;
        float increment;
        bool remembered;
        bool released;
        bool applied;
    };
    const std::vector<Case> cases = {
        {1.0f, 0.06f, false, true, false},
        {1.0f, 0.02f, false, false, true},   // a fine increment may settle on 1.0
        {0.97f, 0.06f, false, true, false},  // the single 0.97 lies above the double 0.97
        {std::nextafter(0.97f, 0.0f), 0.06f, false, false, true},
        {1.03f, 0.06f, false, false, true},  // compared in single: 1.03 itself is outside
        {1.025f, 0.06f, false, true, false},
        {1.0f, 0.025f, false, true, false},  // any increment coarser than 0.02 opens the window
        {1.0f, 0.06f, true, false, false},   // the remembered fast walk keeps it, unapplied
    };
    for (const Case& c : cases) {
        startCase();
        settings.speedIncrement = c.increment;
        settings.rememberFastWalk = c.remembered;
        controllerState.fastWalkLatched = c.remembered;
        walkForward();
        engagePersistentSpeed(c.target);
        EXPECT_EQ(capIn(tick()).has_value(), c.applied) << c.target;
        // Kept or released shows in no call until much later.
        EXPECT_EQ(!controllerState.customSpeedActive, c.released) << c.target;
    }
}

// A target the ped will not follow, with the check due this tick: how many
// times the desired speed is read, what is imposed, and whether the check is
// armed again (it then runs in the third tick after).
TEST_F(ControllerTest, SettleCheckReadsTheDesiredSpeedAfresh)
{
    struct Case {
        std::vector<float> readings;
        float target;
        float result;
        size_t reads;
        bool armedAgain;
    };
    const std::vector<Case> cases = {
        // The adopted speed is a fourth, fresh reading.
        {{1.6f, 1.6f, 1.6f, 1.7f}, 2.5f, 1.7f, 4, false},
        {{1.2f}, 2.5f, 1.38f, 4, false},
        // Exactly 1.45: unchanged, disarmed and armed again by the same tick.
        {{1.45f}, 2.5f, 2.5f, 5, true},
        // The ped wants at least as much: one test, then the arming test.
        {{2.5f}, 2.5f, 2.5f, 2, false},
        // A desired speed of 1.99 or more is left to the game; just below, adopted.
        {{1.995f}, 2.5f, 2.5f, 3, true},
        {{1.99f}, 2.5f, 2.5f, 3, true},
        {{1.985f, 1.985f, 1.985f, 1.985f}, 2.5f, 1.985f, 4, false},
        // At or below the fast walk nothing is lowered, and the ped is not asked again.
        {{1.2f}, 1.3f, 1.3f, 3, false},
        {{1.2f}, 1.38f, 1.38f, 3, false},
    };
    for (const Case& c : cases) {
        startCase();
        settings.mouseWheelEnabled = false;
        walkForward();
        fake::queueDesiredSpeeds(c.readings);
        fake::game().desiredSpeed = c.readings.back();
        engagePersistentSpeed(c.target);
        controllerState.settleCheckArmed = true;
        controllerState.settleDelayTicks = 1;
        const Names calls = tick();
        EXPECT_EQ(capIn(calls), c.result) << c.readings[0];
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "getPedDesiredSpeed"), c.reads) << c.readings[0];
        bool checkedAgain = false;
        for (int t = 0; t < 3; ++t)
            checkedAgain = has(tick(), "isPedMoveFree") || checkedAgain;
        EXPECT_EQ(checkedAgain, c.armedAgain) << c.readings[0];
    }
}

TEST_F(ControllerTest, SettleCheckWaitsForItsCountdownAndForAFreeMove)
{
    settings.mouseWheelEnabled = false;
    walkForward();
    fake::game().desiredSpeed = 1.6f;
    engagePersistentSpeed(2.5f);

    // Armed in the first tick, made in the fourth; while it waits, the arming
    // test still reads the desired speed, once per tick.
    std::vector<Names> ticks;
    for (int i = 0; i < 4; ++i)
        ticks.push_back(tick());
    EXPECT_EQ(std::count(ticks[1].begin(), ticks[1].end(), "getPedDesiredSpeed"), 1);
    Caps seen;
    for (const Names& calls : ticks)
        seen.push_back(capIn(calls));
    EXPECT_EQ(seen, (Caps{2.5f, 2.5f, 2.5f, 1.6f}));

    // A constrained move or the first-person camera postpones a due check.
    engagePersistentSpeed(2.5f);
    EXPECT_EQ(caps(3), (Caps{2.5f, 2.5f, 2.5f}));
    fake::game().globalMoveRestricted = true;
    EXPECT_EQ(capIn(tick()), 2.5f);
    fake::game().globalMoveRestricted = false;
    fake::game().firstPerson = true;
    EXPECT_EQ(capIn(tick()), 2.5f);
    fake::game().firstPerson = false;
    EXPECT_EQ(capIn(tick()), 1.6f);
}

// The arming test at its two limits: a target strictly above 2.0, and a ped
// that wants at most 2.0 in the arming tick. Once armed, the check corrects
// to the 1.6 the ped wants from the next tick on in the fourth tick.
TEST_F(ControllerTest, SettleCheckArmsOnlyAboveASprintTarget)
{
    struct Case {
        float target;
        float desiredFirst;  // what the ped wants in the first tick
        bool corrected;
    };
    const std::vector<Case> cases = {
        {2.0f, 1.6f, false},
        {std::nextafter(2.0f, 3.0f), 1.6f, true},
        {2.5f, 2.0f, true},
        {2.5f, std::nextafter(2.0f, 3.0f), false},
    };
    for (const Case& c : cases) {
        startCase();
        settings.mouseWheelEnabled = false;
        walkForward();
        engagePersistentSpeed(c.target);
        fake::game().desiredSpeed = c.desiredFirst;
        Caps seen = {capIn(tick())};
        fake::game().desiredSpeed = 1.6f;
        for (const std::optional<float>& cap : caps(3))
            seen.push_back(cap);
        EXPECT_EQ(seen, (Caps{c.target, c.target, c.target, c.corrected ? 1.6f : c.target})) << c.target;
    }
}

TEST_F(ControllerTest, StopWatchWaitsThenTheRampClimbsBack)
{
    // Ticks 1-3 standing with 1.78 kept; tick 4 pushes forward while the ped
    // still stands: the speed is suspended.
    settings.mouseWheelEnabled = false;
    fake::game().still = true;
    engagePersistentSpeed(1.78f);
    for (int t = 1; t <= 3; ++t)
        tick();
    fake::setMoveInput(true);
    EXPECT_EQ(capIn(tick()), std::nullopt);

    // Ticks 5 to 18 count, imposing nothing; the tick of a sprint press is
    // not counted. From tick 8 the ped walks, so only the history asked whether
    // it stood before that.
    for (int t = 5; t <= 18; ++t) {
        if (t == 8) {
            fake::game().still = false;
            fake::game().walking = true;
        }
        controllerState.sprintHeld = (t == 10);
        const Names calls = tick();
        EXPECT_EQ(capIn(calls), std::nullopt) << t;
        EXPECT_EQ(has(calls, "isPedStill"), t < 8) << t;
    }

    // The fifteenth counted tick asks whether the ped still stands; it walks,
    // so the kept run speed comes back as a fast walk first.
    Names calls = tick();
    EXPECT_TRUE(has(calls, "isPedStill"));
    EXPECT_EQ(capIn(calls), 1.38f);

    // 49 more ticks at 1.38, then 26 steps: 13 of 0.01, 12 of 0.02 and a snap;
    // the tick that ends the ramp still applies the goal, which then stays.
    for (int t = 0; t < 49; ++t)
        ASSERT_EQ(capIn(tick()), 1.38f) << t;
    std::vector<float> ramp;
    for (int t = 0; t < 28; ++t)
        ramp.push_back(capIn(tick()).value_or(-1.0f));
    EXPECT_EQ(ramp[25], 1.78f);
    EXPECT_EQ(ramp[26], 1.78f);
    EXPECT_EQ(ramp[27], 1.78f);
    float previous = 1.38f;
    int smallSteps = 0;
    int largeSteps = 0;
    for (size_t i = 0; i < 25; ++i) {
        const float step = ramp[i] - previous;
        (step < 0.015f ? smallSteps : largeSteps) += 1;
        previous = ramp[i];
    }
    EXPECT_EQ(smallSteps, 13);
    EXPECT_EQ(largeSteps, 12);
    EXPECT_LT(ramp[24], 1.75f);
}

// The stop is read two recorded ticks back: the player lets go for one tick
// (the ped stands in it) and pushes on; the kept speed is imposed again in
// the next tick and suspended in the one after, when the standing tick is two
// entries back, for the whole stop watch.
TEST_F(ControllerTest, StopIsSeenTwoRecordedTicksAfterTheStandstill)
{
    settings.mouseWheelEnabled = false;
    engagePersistentSpeed(1.78f);
    Caps seen;
    for (int t = 1; t <= 7; ++t) {
        const bool standing = t == 3;
        fake::setMoveInput(!standing);
        fake::game().walking = !standing;
        fake::game().still = standing;
        seen.push_back(capIn(tick()));
    }
    EXPECT_EQ(seen, (Caps{1.78f, 1.78f, std::nullopt, 1.78f, std::nullopt, std::nullopt, std::nullopt}));
}

// The ramp snaps to its goal as soon as a step comes within 0.03 of it, and
// exactly 0.03 counts: for this goal the eleventh step from 1.38 lies exactly
// 0.03 below it, so that tick already imposes the goal.
TEST_F(ControllerTest, RampSnapsWhenAStepIsExactlyItsMarginBelowTheGoal)
{
    const float goal = 1.51999986f;
    settings.mouseWheelEnabled = false;
    walkForward();
    engagePersistentSpeed(1.38f);
    controllerState.rampActive = true;
    controllerState.rampGoalSpeed = goal;
    const Caps seen = caps(12);
    EXPECT_LT(seen[9].value_or(0.0f), 1.485f);
    EXPECT_EQ(seen[10], goal);
    EXPECT_EQ(seen[11], goal);
}

// The ramp climbs by 0.02 from exactly 1.5 on (1.5 itself is reached with a
// wheel increment of exactly 1.5 - 1.38, say) and, once at its goal, ends:
// a later notch down stays where it put the speed.
TEST_F(ControllerTest, RampStepsAtRunFromExactly1Point5AndEndsAtItsGoal)
{
    walkForward();
    fake::game().desiredSpeed = 1.5f;
    engagePersistentSpeed(1.5f);
    controllerState.rampActive = true;
    controllerState.rampGoalSpeed = 1.6f;
    EXPECT_EQ(caps(5), (Caps{1.52f, 1.54f, 1.56f, 1.6f, 1.6f}));
    fake::game().desiredSpeed = 1.6f - 0.06f;  // the ped follows: the settle check leaves it
    fake::game().justPressed[fake::nextWeapon] = true;
    EXPECT_EQ(capIn(tick()), 1.6f - 0.06f);
    fake::game().justPressed[fake::nextWeapon] = false;
    EXPECT_EQ(caps(4), (Caps{1.6f - 0.06f, 1.6f - 0.06f, 1.6f - 0.06f, 1.6f - 0.06f}));
}

// Kept across a stop in every mode but the ramp: the speed comes back as it was.
TEST_F(ControllerTest, ResumeWithoutRamp)
{
    struct Case {
        int32_t mode;
        float target;
    };
    for (const Case c : {Case{1, 1.78f}, Case{2, 1.4f}, Case{3, 1.5f}, Case{4, 1.78f}}) {
        startCase();
        settings.mouseWheelEnabled = false;
        settings.keepCustomSpeedAfterStoppingMode = c.mode;
        fake::game().still = true;
        engagePersistentSpeed(c.target);
        for (int t = 1; t <= 3; ++t)
            tick();
        walkForward();
        for (int t = 4; t <= 17; ++t)
            tick();
        EXPECT_EQ(capIn(tick()), c.target) << c.mode;
    }
}

TEST_F(ControllerTest, FirstPersonSuppressesAutoRun)
{
    struct Case {
        bool configured, firstPerson, moving, sprintHeld;
        bool suppressed;
    };
    const std::vector<Case> cases = {
        {true, true, true, false, true},   {false, true, true, false, false}, {true, false, true, false, false},
        {true, true, false, false, false}, {true, true, true, true, false},
    };
    for (const Case& c : cases) {
        startCase();
        settings.mouseWheelEnabled = false;
        settings.disableAutoRunInFirstPersonCamera = c.configured;
        fake::game().firstPerson = c.firstPerson;
        fake::setMoveInput(c.moving);
        fake::game().walking = true;
        controllerState.sprintHeld = c.sprintHeld;
        const Names calls = tick();
        EXPECT_EQ(has(calls, "setPedMinSpeed(1)"), c.suppressed);
        EXPECT_EQ(capIn(calls) == 1.0f, c.suppressed);
        // Only asked when configured.
        EXPECT_EQ(has(calls, "isFirstPersonCameraActive"), c.configured);
        // No custom speed is left behind.
        fake::game().firstPerson = false;
        EXPECT_EQ(capIn(tick()), std::nullopt);
    }
}

TEST_F(ControllerTest, TemporarySpeedIsAppliedOnceThenTheFastWalkReturns)
{
    // A one-tick plain walk without input, with the fast walk remembered: the
    // walk is applied even so, released, and in the same tick the remembered
    // fast walk is engaged, a lasting speed from the next tick on.
    settings.mouseWheelEnabled = false;
    settings.rememberFastWalk = true;
    controllerState.fastWalkLatched = true;
    fake::game().walking = true;
    setTargetSpeed(1.2f);
    engageTemporarySpeed();
    EXPECT_EQ(capIn(tick()), 1.2f);
    walkForward();
    EXPECT_EQ(caps(2), (Caps{1.38f, 1.38f}));

    // Without the remembered fast walk it simply goes.
    startCase();
    setTargetSpeed(1.2f);
    engageTemporarySpeed();
    EXPECT_EQ(caps(2), (Caps{1.2f, std::nullopt}));
}

}  // namespace
