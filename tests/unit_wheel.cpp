// Mouse-wheel speed steps, judged by the speed the tick of the notch imposes:
// seeding, clamps, which notch wins, the menu and on-foot gates, and the
// boundary override during a sprint press.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "support/plugin_test.h"

namespace {

class WheelTest : public PluginTest {
protected:
    static void notch(bool up, bool down)
    {
        fake::game().justPressed[fake::prevWeapon] = up;
        fake::game().justPressed[fake::nextWeapon] = down;
    }
};

// One notch, applied in its own tick. Keeping a speed after a stop is off, so
// that a speed stepped while standing is imposed at once as well.
TEST_F(WheelTest, StepsSeedAndClamp)
{
    struct Case {
        const char* name;
        bool up;
        bool moving;
        float active;  // the custom speed engaged before, or 0 for none
        float desired;
        float minimum;
        float result;
        long reads;  // of the desired speed: the seed, and the settle arming test above 2.0
    };
    const std::vector<Case> cases = {
        {"seeded from the desired walk", true, true, 0.0f, 1.0f, 0.3f, 1.06f, 1},
        {"seed never below 0.8", false, true, 0.0f, 0.5f, 0.3f, 0.8f - 0.06f, 1},
        {"an active speed is stepped from itself", true, true, 1.2f, 2.6f, 0.3f, 1.2f + 0.06f, 0},
        {"capped at 3.0", true, true, 2.98f, 0.0f, 0.3f, 3.0f, 1},
        {"floored at the minimum while moving", false, true, 0.26f, 0.0f, 0.3f, 0.3f, 0},
        {"at least 0.5 while standing", false, false, 0.26f, 0.0f, 0.3f, 0.5f, 0},
        {"the floor skips the cap", true, true, 2.98f, 0.0f, 4.0f, 4.0f, 1},
        {"a step onto the floor exactly is the floor, cap skipped", true, true, 3.0f, 0.0f, 3.06f, 3.06f, 1},
        {"standing with a custom speed still steps", false, false, 1.2f, 0.0f, 0.3f, 1.2f - 0.06f, 0},
    };
    for (const Case& c : cases) {
        startFreshPlugin();
        settings.keepCustomSpeedAfterStoppingMode = -1;
        fake::setMoveInput(c.moving);
        fake::game().walking = c.moving;
        fake::game().desiredSpeed = c.desired;
        settings.minimumSpeed = c.minimum;
        if (c.active != 0.0f)
            engagePersistentSpeed(c.active);
        notch(c.up, !c.up);
        const Names calls = tick();
        EXPECT_EQ(capIn(calls), c.result) << c.name;
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "getPedDesiredSpeed"), c.reads) << c.name;
        // A step leaves the mark of a released speed alone; no call shows it
        // until a remembered fast walk would come back.
        EXPECT_FALSE(controllerState.noCustomSpeed) << c.name;
    }
}

// Standing with no custom speed, as at load or after a speed was released
// (here by a tick off foot), a notch changes nothing.
TEST_F(WheelTest, StandingWithNoCustomSpeedChangesNothing)
{
    for (bool released : {false, true}) {
        startFreshPlugin();
        settings.walkControlEnabled = false;  // its looks at the move inputs would mix in
        fake::game().desiredSpeed = 1.0f;
        if (released) {
            engagePersistentSpeed(1.2f);
            fake::game().onFoot = false;
            tick();
            fake::game().onFoot = true;
        }
        notch(true, false);
        const Names calls = tick();
        // The step looks at the move inputs (after the history did) and stops.
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "moveInput"), 2) << released;
        EXPECT_FALSE(has(calls, "getPedDesiredSpeed")) << released;
        EXPECT_EQ(speedsIn(calls), Names{}) << released;
        notch(false, false);
        fake::setMoveInput(true);
        EXPECT_EQ(capIn(tick()), std::nullopt) << released;
    }
}

TEST_F(WheelTest, UpWinsMenusKeepTheWheelAndOffFootAsksNothingMore)
{
    fake::setMoveInput(true);
    fake::game().walking = true;
    fake::game().desiredSpeed = 1.0f;
    notch(true, true);
    const Names calls = tick();
    EXPECT_EQ(capIn(calls), 1.06f);
    const Names wheel = {"isPedOnFoot",
                         "isControlPressed(INPUT_FRONTEND_SELECT)",
                         "disableControlAction(INPUT_PREV_WEAPON, 1)",
                         "disableControlAction(INPUT_NEXT_WEAPON, 1)",
                         "isDisabledControlJustPressed(INPUT_PREV_WEAPON)",
                         "moveInput"};
    EXPECT_TRUE(std::search(calls.begin(), calls.end(), wheel.begin(), wheel.end()) != calls.end());
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "isDisabledControlJustPressed(INPUT_NEXT_WEAPON)"), 0);

    // In a menu the wheel stays with the game: nothing disabled, no step.
    fake::game().pressed[fake::frontendSelect] = true;
    notch(true, false);
    const Names inMenu = tick();
    EXPECT_FALSE(has(inMenu, "disableControlAction(INPUT_PREV_WEAPON, 1)"));
    EXPECT_EQ(capIn(inMenu), 1.06f);

    // The ped leaves its feet between the gate and the wheel: the wheel's own
    // question ends it.
    fake::game().pressed[fake::frontendSelect] = false;
    fake::host().answer = [](const fake::NativeCall& call, uint64_t gameAnswer) -> uint64_t {
        static int onFootQuestions = 0;
        if (call.native && std::string(call.native->name) == "isPedOnFoot" && ++onFootQuestions % 2 == 0)
            return 0;
        return gameAnswer;
    };
    const Names offFoot = tick();
    EXPECT_EQ(std::count(offFoot.begin(), offFoot.end(), "isPedOnFoot"), 2);
    EXPECT_FALSE(has(offFoot, "isControlPressed(INPUT_FRONTEND_SELECT)"));
    EXPECT_EQ(capIn(offFoot), 1.06f);
}

// During a sprint press the up notch steps a lasting speed that ignores the
// game's boundaries (forced: floor and cap); the down notch turns respect
// back on (capped only).
TEST_F(WheelTest, SprintPressOverridesBoundaries)
{
    fake::setMoveInput(true);
    fake::game().running = true;
    fake::game().desiredSpeed = 2.0f;
    press(shiftKey);
    tick();  // the dispatcher sees Shift down
    tick();  // the press starts
    repeat(shiftKey);

    // Both notches: the override engages at a step above the desired 2.0,
    // then down turns respect back on.
    notch(true, true);
    EXPECT_EQ(speedsIn(tick()), (Names{"setPedMaxSpeed(2.06)"}));
    // Up alone: boundaries off, one step more, forced.
    notch(true, false);
    EXPECT_EQ(speedsIn(tick()), (Names{"setPedMinSpeed(2.12)", "setPedMaxSpeed(2.12)"}));
    // Down alone: respect again, no step.
    notch(false, true);
    EXPECT_EQ(speedsIn(tick()), (Names{"setPedMaxSpeed(2.12)"}));

    // Without the override allowed the wheel only stays disabled.
    settings.ableToOverrideBoundaries = false;
    notch(true, false);
    const Names calls = tick();
    EXPECT_FALSE(has(calls, "isDisabledControlJustPressed(INPUT_PREV_WEAPON)"));
    EXPECT_TRUE(has(calls, "disableControlAction(INPUT_NEXT_WEAPON, 1)"));
    EXPECT_EQ(speedsIn(calls), (Names{"setPedMaxSpeed(2.12)"}));
}

// An up notch during a press, standing with no custom speed, engages a lasting
// speed of 0 with boundaries off: once the player moves on with Shift held,
// the game is forced to 0.
TEST_F(WheelTest, OverrideWhileStandingWithNoSpeedEngagesZero)
{
    fake::setMoveInput(true);
    fake::game().running = true;
    fake::game().desiredSpeed = 2.0f;
    press(shiftKey);
    tick();
    tick();
    fake::setMoveInput(false);
    fake::game().running = false;
    fake::game().still = true;
    notch(true, false);
    repeat(shiftKey);
    EXPECT_EQ(speedsIn(tick()), Names{});
    notch(false, false);
    fake::setMoveInput(true);
    fake::game().still = false;
    fake::game().running = true;
    repeat(shiftKey);
    EXPECT_EQ(speedsIn(tick()), (Names{"setPedMinSpeed(0)", "setPedMaxSpeed(0)"}));
}

}  // namespace
