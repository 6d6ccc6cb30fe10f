// The per-tick controller: the gate, what one tick asks, keeping a speed across
// a stop and ramping it back, the neutral window, the settle check, first-person
// auto-run suppression and the release of a temporary speed.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/controller_tick.h"
#include "support/fake_game.h"

namespace {

using Names = std::vector<std::string>;

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::startFreshPlugin();
        // The walk-control key has its own tests; keep its calls out of these lists.
        settings.walkControlEnabled = false;
    }
    void TearDown() override { EXPECT_EQ(fake::staleArgumentFault(), ""); }

    // Runs one tick and returns what the plug-in asked and did in it.
    Names tick()
    {
        tickStart = fake::host().calls.size();
        controllerTick();
        return fake::commandNames(tickStart);
    }
    size_t countInTick(const std::string& name) const { return fake::countCalls(name, tickStart); }
    // The cap set in the last tick, if any.
    std::optional<float> capInTick() const
    {
        std::optional<float> cap;
        const auto& calls = fake::host().calls;
        for (size_t i = tickStart; i < calls.size(); ++i)
            if (fake::describe(calls[i]).rfind("setPedMaxSpeed", 0) == 0)
                cap = std::bit_cast<float>(static_cast<uint32_t>(calls[i].args.at(1)));
        return cap;
    }

    size_t tickStart = 0;
};

TEST_F(ControllerTest, GateStopsTheTickEarly)
{
    // Switched off: not a single native.
    settings.enabled = false;
    engagePersistentSpeed(1.8f);
    EXPECT_EQ(tick(), Names{});
    EXPECT_TRUE(controllerState.customSpeedActive);
    settings.enabled = true;

    // Off foot: released, the special ability not asked, nothing recorded.
    fake::game().onFoot = false;
    fake::game().walking = true;
    EXPECT_EQ(tick(), (Names{"isPedOnFoot"}));
    EXPECT_FALSE(controllerState.customSpeedActive);
    EXPECT_TRUE(controllerState.noCustomSpeed);
    EXPECT_EQ(controllerState.targetSpeed, 0.0f);
    EXPECT_TRUE(movementStatusAt(0).empty());

    // Special ability held: released as well.
    fake::game().onFoot = true;
    fake::game().pressed.insert("INPUT_SPECIAL_ABILITY");
    engagePersistentSpeed(1.8f);
    EXPECT_EQ(tick(), (Names{"isPedOnFoot", "isControlPressed(INPUT_SPECIAL_ABILITY)"}));
    EXPECT_FALSE(controllerState.customSpeedActive);
    EXPECT_TRUE(movementStatusAt(0).empty());
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
    fake::setMoveInput(true);
    fake::game().walking = true;
    fake::game().desiredSpeed = 1.0f;
    fake::game().justPressed = {"INPUT_PREV_WEAPON"};
    const Names calls = tick();
    EXPECT_EQ(capInTick(), 1.06f);
    // Three controls, and the four move inputs asked twice by the wheel step
    // and twice by the apply step.
    EXPECT_EQ(countInTick("isControlPressed"), 3u + 4u * 4u);
    EXPECT_EQ(calls.back(), "setPedMaxSpeed(1.06)");
    EXPECT_TRUE(controllerState.settleCheckArmed);
    // The wheel's countdown of 3 is counted down once in the same tick.
    EXPECT_EQ(controllerState.settleDelayTicks, 2);
}

// What one tick does to an engaged lasting speed while the player gives no input.
TEST_F(ControllerTest, ModesDecideWhatHappensWhileStanding)
{
    struct Case {
        int32_t mode;
        float target;
        bool kept;
        bool applied;
    };
    const std::vector<Case> cases = {
        {0, 1.2f, false, false}, {1, 1.8f, true, false}, {2, 1.5f, true, false}, {2, 1.51f, false, false},
        {3, 1.8f, true, false},  {4, 1.8f, true, false}, {-1, 1.8f, true, true},
    };
    for (const Case& c : cases) {
        fake::startFreshPlugin();
        settings.walkControlEnabled = false;
        settings.keepCustomSpeedAfterStoppingMode = c.mode;
        fake::game().still = true;
        engagePersistentSpeed(c.target);
        tick();
        EXPECT_EQ(controllerState.customSpeedActive, c.kept) << c.mode << " " << c.target;
        EXPECT_EQ(controllerState.targetSpeed, c.kept ? c.target : 0.0f) << c.mode << " " << c.target;
        EXPECT_EQ(capInTick().has_value(), c.applied) << c.mode << " " << c.target;
    }
}

TEST_F(ControllerTest, DropOnStopKeepsARememberedFastWalk)
{
    settings.keepCustomSpeedAfterStoppingMode = 0;
    settings.rememberFastWalk = true;
    controllerState.fastWalkLatched = true;
    engagePersistentSpeed(1.2f);
    tick();
    EXPECT_TRUE(controllerState.customSpeedActive);
    EXPECT_EQ(controllerState.targetSpeed, 1.38f);
    EXPECT_FALSE(capInTick().has_value());
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
        fake::startFreshPlugin();
        settings.walkControlEnabled = false;
        settings.mouseWheelEnabled = false;
        settings.rememberFastWalk = true;
        controllerState.fastWalkLatched = true;
        if (c.afterRelease)
            releaseCustomSpeed();
        fake::setMoveInput(c.moving);
        fake::game().walking = true;
        fake::game().desiredSpeed = c.desired;
        tick();
        EXPECT_EQ(controllerState.customSpeedActive, c.engaged) << c.name;
        EXPECT_EQ(controllerState.targetSpeed, c.engaged ? 1.38f : 0.0f) << c.name;
        // Engaged for the next tick; nothing is imposed in this one.
        EXPECT_FALSE(capInTick().has_value()) << c.name;
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
        {1.0f, 0.06f, true, false, false},   // the remembered fast walk keeps it, unapplied
    };
    for (const Case& c : cases) {
        fake::startFreshPlugin();
        settings.walkControlEnabled = false;
        settings.speedIncrement = c.increment;
        settings.rememberFastWalk = c.remembered;
        controllerState.fastWalkLatched = c.remembered;
        fake::setMoveInput(true);
        fake::game().walking = true;
        engagePersistentSpeed(c.target);
        tick();
        EXPECT_EQ(!controllerState.customSpeedActive, c.released) << c.target;
        EXPECT_EQ(capInTick().has_value(), c.applied) << c.target;
    }
}

// A target 2.5 the ped will not follow, with the check due this tick: how many
// times the desired speed is read, and what the target becomes.
TEST_F(ControllerTest, SettleCheckReadsTheDesiredSpeedAfresh)
{
    struct Case {
        std::vector<float> readings;
        float target;
        float result;
        size_t reads;
        bool armedAfter;
    };
    const std::vector<Case> cases = {
        // The adopted speed is a fourth, fresh reading.
        {{1.6f, 1.6f, 1.6f, 1.7f}, 2.5f, 1.7f, 4, false},
        {{1.2f}, 2.5f, 1.38f, 4, false},
        // Exactly 1.45: unchanged, disarmed and armed again by the same tick.
        {{1.45f}, 2.5f, 2.5f, 5, true},
        // The ped wants at least as much: one test, then the arming test.
        {{2.5f}, 2.5f, 2.5f, 2, false},
        // A desired speed of 1.99 or more is left to the game.
        {{1.995f}, 2.5f, 2.5f, 3, true},
        // At or below the fast walk nothing is lowered.
        {{1.2f}, 1.3f, 1.3f, 3, false},
    };
    for (const Case& c : cases) {
        fake::startFreshPlugin();
        settings.walkControlEnabled = false;
        settings.mouseWheelEnabled = false;
        fake::setMoveInput(true);
        fake::game().walking = true;
        fake::game().desiredSpeedReadings.assign(c.readings.begin(), c.readings.end());
        fake::game().desiredSpeed = c.readings.back();
        engagePersistentSpeed(c.target);
        controllerState.settleCheckArmed = true;
        controllerState.settleDelayTicks = 1;
        tick();
        EXPECT_EQ(controllerState.targetSpeed, c.result) << c.readings[0];
        EXPECT_EQ(capInTick(), c.result) << c.readings[0];
        EXPECT_EQ(countInTick("getPedDesiredSpeed"), c.reads) << c.readings[0];
        EXPECT_EQ(controllerState.settleCheckArmed, c.armedAfter) << c.readings[0];
    }
}

TEST_F(ControllerTest, SettleCheckWaitsForItsCountdownAndForAFreeMove)
{
    settings.mouseWheelEnabled = false;
    fake::setMoveInput(true);
    fake::game().walking = true;
    fake::game().desiredSpeed = 1.6f;
    engagePersistentSpeed(2.5f);

    // Armed in the first tick, made in the fourth.
    std::vector<float> caps;
    for (int i = 0; i < 4; ++i) {
        tick();
        caps.push_back(capInTick().value_or(-1.0f));
        // While the check waits, the arming test still reads the desired speed.
        if (i == 1) {
            EXPECT_EQ(countInTick("getPedDesiredSpeed"), 1u);
        }
    }
    EXPECT_EQ(caps, (std::vector<float>{2.5f, 2.5f, 2.5f, 1.6f}));
    EXPECT_FALSE(controllerState.settleCheckArmed);
    EXPECT_EQ(controllerState.settleDelayTicks, 0);

    // A constrained move or the first-person camera postpones a due check.
    engagePersistentSpeed(2.5f);
    controllerState.settleCheckArmed = true;
    fake::game().globalMoveRestricted = true;
    tick();
    fake::game().globalMoveRestricted = false;
    fake::game().firstPerson = true;
    tick();
    EXPECT_EQ(controllerState.targetSpeed, 2.5f);
    EXPECT_TRUE(controllerState.settleCheckArmed);
    fake::game().firstPerson = false;
    tick();
    EXPECT_EQ(controllerState.targetSpeed, 1.6f);
}

TEST_F(ControllerTest, StopWatchWaitsThenTheRampClimbsBack)
{
    // Ticks 1-3 standing with 1.78 kept; tick 4 pushes forward while the ped
    // still stands; from tick 8 it walks.
    settings.mouseWheelEnabled = false;
    fake::game().still = true;
    engagePersistentSpeed(1.78f);
    for (int t = 1; t <= 3; ++t)
        tick();
    fake::setMoveInput(true);
    tick();
    EXPECT_TRUE(controllerState.stoppedWithCustomSpeed);
    EXPECT_FALSE(controllerState.customSpeedActive);
    EXPECT_EQ(controllerState.stopWatchTicks, 1);
    EXPECT_FALSE(capInTick().has_value());

    // Ticks 5 to 17 count; a tick of a sprint press adds nothing.
    for (int t = 5; t <= 17; ++t) {
        if (t == 8) {
            fake::game().still = false;
            fake::game().walking = true;
        }
        controllerState.sprintHeld = (t == 10);
        tick();
        // Before tick 8 the history asks it of the standing ped.
        EXPECT_EQ(countInTick("isPedStill"), t >= 8 ? 0u : 1u) << t;
    }
    EXPECT_EQ(controllerState.stopWatchTicks, 13);
    tick();
    EXPECT_EQ(controllerState.stopWatchTicks, 14);
    EXPECT_EQ(countInTick("isPedStill"), 0u);

    // The fifteenth counted tick asks whether the ped still stands; it walks.
    tick();
    EXPECT_EQ(countInTick("isPedStill"), 1u);
    EXPECT_FALSE(controllerState.stoppedWithCustomSpeed);
    EXPECT_TRUE(controllerState.rampActive);
    EXPECT_EQ(controllerState.rampGoalSpeed, 1.78f);
    EXPECT_EQ(controllerState.rampDelayTicks, 49);
    EXPECT_EQ(capInTick(), 1.38f);

    // 49 more ticks at 1.38, then 26 steps: 13 of 0.01, 12 of 0.02 and a snap.
    for (int t = 0; t < 49; ++t) {
        tick();
        ASSERT_EQ(capInTick(), 1.38f) << t;
    }
    std::vector<float> ramp;
    while (controllerState.rampActive && ramp.size() < 40) {
        tick();
        ramp.push_back(capInTick().value_or(-1.0f));
    }
    ASSERT_EQ(ramp.size(), 27u);
    EXPECT_EQ(ramp[25], 1.78f);
    EXPECT_EQ(ramp[26], 1.78f);  // the tick that ends the ramp still applies the goal
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

// Kept across a stop in every mode but the ramp: the speed comes back as it was.
TEST_F(ControllerTest, ResumeWithoutRamp)
{
    struct Case {
        int32_t mode;
        float target;
    };
    for (const Case c : {Case{1, 1.78f}, Case{2, 1.4f}, Case{3, 1.5f}, Case{4, 1.78f}}) {
        fake::startFreshPlugin();
        settings.walkControlEnabled = false;
        settings.mouseWheelEnabled = false;
        settings.keepCustomSpeedAfterStoppingMode = c.mode;
        fake::game().still = true;
        engagePersistentSpeed(c.target);
        for (int t = 1; t <= 3; ++t)
            tick();
        fake::setMoveInput(true);
        fake::game().still = false;
        fake::game().walking = true;
        for (int t = 4; t <= 18; ++t)
            tick();
        EXPECT_TRUE(controllerState.customSpeedActive) << c.mode;
        EXPECT_FALSE(controllerState.rampActive) << c.mode;
        EXPECT_EQ(capInTick(), c.target) << c.mode;
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
        fake::startFreshPlugin();
        settings.walkControlEnabled = false;
        settings.mouseWheelEnabled = false;
        settings.disableAutoRunInFirstPersonCamera = c.configured;
        fake::game().firstPerson = c.firstPerson;
        fake::setMoveInput(c.moving);
        fake::game().walking = true;
        controllerState.sprintHeld = c.sprintHeld;
        const Names calls = tick();
        const bool forced = std::find(calls.begin(), calls.end(), "setPedMinSpeed(1)") != calls.end();
        EXPECT_EQ(forced, c.suppressed);
        EXPECT_EQ(capInTick() == 1.0f, c.suppressed);
        // Only asked when configured.
        EXPECT_EQ(countInTick("isFirstPersonCameraActive") > 0, c.configured);
        EXPECT_FALSE(controllerState.customSpeedActive);
    }
}

TEST_F(ControllerTest, TemporarySpeedIsAppliedOnceThenTheFastWalkReturns)
{
    // A one-tick plain walk while standing, with the fast walk remembered: the
    // walk is applied even without input, released, and in the same tick the
    // remembered fast walk is engaged (applied from the next tick on).
    settings.mouseWheelEnabled = false;
    settings.rememberFastWalk = true;
    controllerState.fastWalkLatched = true;
    fake::game().still = true;
    setTargetSpeed(1.2f);
    engageTemporarySpeed();
    tick();
    EXPECT_EQ(capInTick(), 1.2f);
    EXPECT_TRUE(controllerState.customSpeedActive);
    EXPECT_FALSE(controllerState.releaseAfterApply);
    EXPECT_EQ(controllerState.targetSpeed, 1.38f);

    // Without the remembered fast walk it simply goes.
    fake::startFreshPlugin();
    settings.walkControlEnabled = false;
    setTargetSpeed(1.2f);
    engageTemporarySpeed();
    tick();
    EXPECT_EQ(capInTick(), 1.2f);
    EXPECT_FALSE(controllerState.customSpeedActive);
    tick();
    EXPECT_FALSE(capInTick().has_value());
}

}  // namespace
