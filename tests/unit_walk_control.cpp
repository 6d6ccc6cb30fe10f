// The walk-control key, played through the script loop: holds of chosen
// lengths judged by the speeds imposed tick by tick, and the short press in
// each of its cases, with the natives it asks and the speed it leaves.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "support/plugin_test.h"

namespace {

class WalkControlTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        startCase();
    }
    static void startCase()
    {
        startFreshPlugin();
        fake::setMoveInput(true);
        fake::game().walking = true;
        fake::game().desiredSpeed = 1.0f;
    }
    // One pass of the script loop: the speed capped on the ped in it (0 when
    // none was imposed).
    static float imposed() { return capIn(tick()).value_or(0.0f); }

    // Holds the walk key while moving until the key has been counted `count`
    // times, releases it, and plays the tick that handles the release. Returns
    // the speeds imposed in the counted ticks, then in the release tick.
    static std::vector<float> holdWalkKey(int count)
    {
        std::vector<float> speeds;
        const std::vector<Names> ticks = holdKey(altKey, count);
        for (std::size_t n = 1; n < ticks.size(); ++n)
            speeds.push_back(capIn(ticks[n]).value_or(0.0f));
        speeds.push_back(imposed());
        return speeds;
    }

    // The walk-control part of a tick's calls (the mouse wheel off, the ped
    // walking): after the history, up to the sprint start.
    static Names walkPart(const Names& calls)
    {
        const auto begin = std::find(calls.begin(), calls.end(), "isPedWalking");
        const auto end = std::find(calls.begin(), calls.end(), "isControlPressed(INPUT_SCRIPTED_FLY_ZUP)");
        if (begin == calls.end() || end == calls.end() || end < begin)
            return {};
        return Names(begin + 1, end);
    }
};

TEST_F(WalkControlTest, LongHoldWithoutCustomSpeedGoesToSlowWalkAndKeepsIt)
{
    // Dropped on a stop, the slow walk leaves the fast walk behind, if latched.
    settings.keepCustomSpeedAfterStoppingMode = 0;
    settings.rememberFastWalk = true;
    controllerState.fastWalkLatched = true;
    const std::vector<float> speeds = holdWalkKey(230);
    for (int n = 1; n <= 25; ++n)
        EXPECT_EQ(speeds[n - 1], 0.0f) << "count " << n << ": below 1.2 the first stage does nothing";
    for (int n = 26; n <= 230; ++n)
        EXPECT_EQ(speeds[n - 1], 0.7f) << "count " << n;
    EXPECT_EQ(speeds.back(), 0.7f) << "after 221 ticks the slow walk stays";
    EXPECT_EQ(imposed(), 0.7f);

    // The long hold unlatched the fast walk: a stop drops the slow walk to
    // nothing.
    fake::setMoveInput(false);
    tick();
    fake::setMoveInput(true);
    EXPECT_EQ(imposed(), 0.0f);
}

// A wheel notch up to a run speed during the hold: kept while the count is
// 20, brought down to the one tick of plain walk at count 25, the last count
// of that stage.
TEST_F(WalkControlTest, WheelRunSpeedDuringTheHold)
{
    for (const auto& [notchAt, imposedThen] : {std::pair{20, 1.56f}, std::pair{25, 1.2f}}) {
        startCase();
        fake::game().desiredSpeed = 1.5f;  // the wheel steps from it: 1.56
        press(altKey);
        tick();
        std::optional<float> cap;
        for (int n = 1; n <= notchAt; ++n) {
            repeat(altKey);
            fake::game().justPressed[fake::prevWeapon] = n == notchAt;
            cap = capIn(tick());
        }
        EXPECT_EQ(cap, imposedThen) << "notch at count " << notchAt;
    }
}

// The slow walk stays for good only after a hold of more than 220 ticks: let
// go at 220 it leaves nothing, at 221 it stays.
TEST_F(WalkControlTest, SlowWalkStaysOnlyAfterMoreThan220Ticks)
{
    for (const auto& [count, after] : {std::pair{219, 0.0f}, std::pair{220, 0.0f}, std::pair{221, 0.7f}}) {
        startCase();
        const std::vector<float> speeds = holdWalkKey(count);
        EXPECT_EQ(speeds.back(), 0.7f) << count << ": the release tick still walks slowly";
        EXPECT_EQ(imposed(), after) << count;
    }
}

TEST_F(WalkControlTest, HoldFromRunSpeedSlowsToWalkOnceThenToSlowWalk)
{
    engagePersistentSpeed(1.78f);
    const std::vector<float> speeds = holdWalkKey(30);
    for (int n = 1; n <= 20; ++n)
        EXPECT_EQ(speeds[n - 1], 1.78f) << "count " << n << ": a run speed stays while held";
    EXPECT_EQ(speeds[20], 1.2f) << "count 21: one tick of plain walk";
    for (int n = 22; n <= 25; ++n)
        EXPECT_EQ(speeds[n - 1], 0.0f) << "count " << n;
    for (int n = 26; n <= 30; ++n)
        EXPECT_EQ(speeds[n - 1], 0.7f) << "count " << n;
    EXPECT_EQ(speeds.back(), 0.7f) << "the stage runs once more in the tick the release is handled";
    EXPECT_EQ(imposed(), 0.0f) << "released before 221: no custom speed left";
}

// Holding the key stops imposing a walking-pace custom speed; a run speed,
// from the slowest light run up, stays.
TEST_F(WalkControlTest, HoldWithWalkingPaceCustomSpeedStopsImposingIt)
{
    for (const auto& [speed, held] : {std::pair{1.38f, 0.0f}, std::pair{1.5f, 0.0f}, std::pair{1.51f, 1.51f}}) {
        startCase();
        engagePersistentSpeed(speed);
        press(altKey);
        EXPECT_EQ(imposed(), speed) << speed;
        EXPECT_EQ(imposed(), held) << speed;
    }
}

// The one tick of plain walk at count 21 comes only from a speed of 1.2 or
// more; from a slower one (1.19 here) nothing is imposed until count 26.
TEST_F(WalkControlTest, PlainWalkTickOnlyFromAPlainWalkOrFaster)
{
    for (const auto& [speed, atCount21] : {std::pair{1.2f, 1.2f}, std::pair{1.19f, 0.0f}}) {
        startCase();
        engagePersistentSpeed(speed);
        const std::vector<float> speeds = holdWalkKey(26);
        EXPECT_EQ(speeds[20], atCount21) << speed;
        EXPECT_EQ(speeds[21], 0.0f) << speed;
        EXPECT_EQ(speeds[25], 0.7f) << speed;
    }
}

// Holds the walk key for `repeats` auto-repeats while the ped stands stuck
// (the player pushes on), releases it, stops for one tick, then moves on.
void holdWhileStuckThenStopAndMoveOn(int repeats)
{
    fake::game().walking = false;
    fake::game().still = true;
    press(altKey);
    tick();
    for (int n = 1; n <= repeats; ++n) {
        repeat(altKey);
        tick();
    }
    release(altKey);
    fake::setMoveInput(false);
    fake::game().desiredSpeed = 0.0f;
    tick();
    fake::setMoveInput(true);
    fake::game().still = false;
    fake::game().walking = true;
}

// The one tick of plain walk at count 21 can be suspended by a stop before it
// is applied (the ped stands, stuck, while the player pushes on). It is still
// the custom speed: standing in between does not bring back the remembered
// fast walk, and once the ped moves again the plain walk has its one tick.
TEST_F(WalkControlTest, PlainWalkSuspendedByAStopIsNotReplacedByTheFastWalk)
{
    settings.rememberFastWalk = true;
    controllerState.fastWalkLatched = true;
    engagePersistentSpeed(1.38f);
    holdWhileStuckThenStopAndMoveOn(21);
    const Caps seen = caps(25);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), std::optional(1.2f)), 1);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), std::optional(1.38f)), 0);
}

// Likewise a slow-walk tick suspended by a stop is a custom speed, unless the
// slow-walk speed is no custom speed at all (SLOW_WALK_CUSTOM_SPEED = 0): only
// then does standing bring back the remembered fast walk.
TEST_F(WalkControlTest, SlowWalkSuspendedByAStopKeepsOutTheFastWalkUnlessZero)
{
    for (float slow : {0.7f, 0.0f}) {
        startCase();
        settings.slowWalkCustomSpeed = slow;
        settings.rememberFastWalk = true;
        controllerState.fastWalkLatched = true;
        engagePersistentSpeed(1.38f);
        holdWhileStuckThenStopAndMoveOn(29);
        const Caps seen = caps(25);
        const bool fastWalkBack = std::count(seen.begin(), seen.end(), std::optional(1.38f)) > 0;
        EXPECT_EQ(fastWalkBack, slow == 0.0f) << slow;
        if (slow != 0.0f) {
            EXPECT_EQ(std::count(seen.begin(), seen.end(), std::optional(slow)), 1) << "its one tick, once moving";
        }
    }
}

// Holding the key stops imposing a walking-pace fast walk. Standing then, the
// remembered fast walk comes back only when its speed is no custom speed at
// all (FAST_WALK_CUSTOM_SPEED = 0); any other speed, however slow, stays off.
TEST_F(WalkControlTest, StandingDuringAHoldRestoresOnlyAFastWalkOfZero)
{
    for (float fast : {1.38f, 0.1f, 0.0f}) {
        startCase();
        settings.speedIncrement = 0.02f;  // no neutral window
        settings.rememberFastWalk = true;
        settings.fastWalkCustomSpeed = fast;
        engagePersistentSpeed(0.5f);  // far from every one of them: the press latches
        holdWalkKey(1);
        EXPECT_EQ(imposed(), fast) << fast;
        press(altKey);
        tick();
        repeat(altKey);
        tick();
        release(altKey);
        fake::setMoveInput(false);
        fake::game().desiredSpeed = 0.0f;
        tick();
        fake::setMoveInput(true);
        EXPECT_EQ(capIn(tick()), fast == 0.0f ? std::optional(0.0f) : std::nullopt) << fast;
    }
}

TEST_F(WalkControlTest, ReleaseByHoldLength)
{
    struct Case {
        const char* name;
        int count;
        bool fastWalk;
        float imposedAfter;  // in the tick after the release tick
        bool latched;        // the fast walk, latched before the hold
        bool pending;        // a new press counts on from this one
    };
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"18 ticks: short press latches the fast walk", 18, true, 1.38f, true, false},
        {"19 ticks: only ends the hold", 19, true, 0.0f, false, false},
        {"20 ticks: only ends the hold", 20, true, 0.0f, false, false},
        {"19 ticks, fast walk off: stays pending", 19, false, 0.0f, true, true},
        {"20 ticks, fast walk off: ends the hold", 20, false, 0.0f, false, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        startCase();
        settings.fastWalkEnabled = c.fastWalk;
        controllerState.fastWalkLatched = true;
        fake::game().desiredSpeed = 1.2f;
        holdWalkKey(c.count);
        EXPECT_EQ(imposed(), c.imposedAfter) << c.name;
        // Kept or cleared shows in no call until much later.
        EXPECT_EQ(controllerState.fastWalkLatched, c.latched) << c.name;
        // Pending: seven ticks of a new press reach a count of 26, the slow walk.
        if (c.imposedAfter == 0.0f) {
            EXPECT_EQ(holdWalkKey(7)[6], c.pending ? 0.7f : 0.0f) << c.name;
        }
    }
}

TEST_F(WalkControlTest, PendingReleaseCountsOnIntoTheNextPress)
{
    settings.fastWalkEnabled = false;
    holdWalkKey(12);
    std::vector<float> speeds = holdWalkKey(14);
    EXPECT_EQ(speeds[12], 0.0f) << "second press, tick 13: count 25";
    EXPECT_EQ(speeds[13], 0.7f) << "second press, tick 14: count 26";
    // A count of 26 ends the hold: the next press counts from 1.
    speeds = holdWalkKey(25);
    EXPECT_EQ(speeds[24], 0.0f);

    // A pending release is forgotten once the player stands still.
    holdWalkKey(5);
    fake::setMoveInput(false);
    tick();
    fake::setMoveInput(true);
    speeds = holdWalkKey(21);
    EXPECT_EQ(speeds[20], 0.0f) << "count 21, not 26";
}

// A press of five ticks, released: the calls of the tick that handles it
// (between the Alt suppressions and the final check, what the short press
// asks) and the speeds imposed in that tick and the next.
TEST_F(WalkControlTest, ShortPressCases)
{
    const Names constrainedProbe = {"isPedMoveFree", "isGlobalMoveRestricted", "isPedMoveRestricted(0)"};
    auto with = [](Names a, const Names& b) {
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
        Names asked;
        Caps caps;
    };
    const Caps none = {std::nullopt, std::nullopt};
    const Caps latched = {1.38f, 1.38f};
    const Caps plainWalk = {1.2f, std::nullopt};
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"no custom speed: latch the fast walk", 0.0f, false, false, 1.2f, false, 1.38f,
         {"isRunDropAllowed", "getPedDesiredSpeed"}, latched},
        {"no custom speed, ped at 1.5: sprint pulse, no speed", 0.0f, false, false, 1.5f, false, 1.38f,
         with(with({"isRunDropAllowed", "getPedDesiredSpeed"}, constrainedProbe),
              {"setControlValueNextFrame(INPUT_SPRINT, 0)", "setControlValueNextFrame(INPUT_SPRINT, 1)"}),
         none},
        {"no custom speed, run drop allowed: latch", 0.0f, false, true, 1.2f, false, 1.38f,
         {"isRunDropAllowed", "getPedDesiredSpeed"}, latched},
        {"fast walk on: plain walk", 1.38f, false, false, 1.2f, false, 1.38f, {"isRunDropAllowed",
         "isFirstPersonCameraActive"}, plainWalk},
        {"fast walk on, first person: plain walk at 1.0", 1.38f, false, false, 1.2f, true, 1.38f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, {1.0f, std::nullopt}},
        {"fast walk during a ramp: latched, ramp ends", 1.38f, true, false, 1.2f, false, 1.38f,
         {"isRunDropAllowed"}, latched},
        {"run speed: latch the fast walk", 1.78f, false, false, 1.5f, false, 1.38f, {"isRunDropAllowed"},
         latched},
        {"run speed, run drop, ped at 1.5: plain walk", 1.78f, false, true, 1.5f, false, 1.38f,
         with(with({"isRunDropAllowed", "getPedDesiredSpeed"}, constrainedProbe), {"isFirstPersonCameraActive"}),
         plainWalk},
        {"1.5, run drop, ped at 1.5: plain walk by the run drop", 1.5f, false, true, 1.5f, false, 1.38f,
         with(with({"isRunDropAllowed", "getPedDesiredSpeed"}, constrainedProbe), {"isFirstPersonCameraActive"}),
         plainWalk},
        {"run speed, run drop, ped at 1.4: latch", 1.78f, false, true, 1.4f, false, 1.38f,
         {"isRunDropAllowed", "getPedDesiredSpeed"}, latched},
        {"1.0, far below the fast walk: latch", 1.0f, false, false, 1.0f, false, 1.38f, {"isRunDropAllowed"},
         latched},
        {"0.95 near a fast walk of 1.0: nothing", 0.95f, false, false, 1.0f, false, 1.0f, {"isRunDropAllowed"},
         none},
        {"1.05 near a fast walk of 1.0: plain walk", 1.05f, false, false, 1.0f, false, 1.0f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, plainWalk},
        {"exactly the fast walk of 1.0: plain walk", 1.0f, false, false, 1.0f, false, 1.0f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, plainWalk},
        {"1.045 near a fast walk of 1.0: nothing", 1.045f, false, false, 1.0f, false, 1.0f, {"isRunDropAllowed"},
         none},
        // The window's edges, 0.13 either side of the fast-walk speed.
        {"1.245, just beyond the window below 1.38: latch", 1.245f, false, false, 1.2f, false, 1.38f,
         {"isRunDropAllowed"}, latched},
        {"1.255, just inside the window below 1.38: plain walk", 1.255f, false, false, 1.2f, false, 1.38f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, plainWalk},
        {"exactly 0.13 below 1.38: plain walk", 1.38f - 0.13f, false, false, 1.2f, false, 1.38f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, plainWalk},
        {"exactly 0.13 above a fast walk of 1.0: plain walk", 1.0f + 0.13f, false, false, 1.0f, false, 1.0f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, plainWalk},
        {"1.135, just beyond the window above 1.0: latch", 1.135f, false, false, 1.0f, false, 1.0f,
         {"isRunDropAllowed"}, {1.0f, 1.0f}},
        // The band's edges, where a fast walk of 1.0 would latch from below it.
        {"1.3, the band's bottom, fast walk 1.0: plain walk", 1.3f, false, false, 1.0f, false, 1.0f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, plainWalk},
        {"1.5, the band's top, fast walk 1.0: plain walk", 1.5f, false, false, 1.0f, false, 1.0f,
         {"isRunDropAllowed", "isFirstPersonCameraActive"}, plainWalk},
    };
    // clang-format on
    for (const Case& c : cases) {
        startCase();
        settings.mouseWheelEnabled = false;
        settings.speedIncrement = 0.02f;  // no neutral window around 1.0
        settings.fastWalkCustomSpeed = c.fastSpeed;
        fake::game().runDropAllowed = c.runDrop;
        fake::game().desiredSpeed = c.desired;
        fake::game().firstPerson = c.firstPerson;
        if (c.speed != 0.0f)
            engagePersistentSpeed(c.speed);
        if (c.ramp) {
            // Ramping back to 1.78 after a stop, still in its delay.
            controllerState.rampActive = true;
            controllerState.rampGoalSpeed = 1.78f;
            controllerState.rampDelayTicks = 50;
        }
        holdKey(altKey, 5);
        const Names calls = tick();
        EXPECT_EQ(walkPart(calls), with(with({"moveInput", "disableControlAction(INPUT_REVEAL_HUD, 1)",
                                              "disableControlAction(INPUT_SELECT_RADAR_MODE, 1)"},
                                             c.asked),
                                        {"moveInput"}))
            << c.name;
        EXPECT_EQ((Caps{capIn(calls), capIn(tick())}), c.caps) << c.name;
        if (c.ramp) {
            for (int t = 0; t < 60; ++t)
                tick();
            EXPECT_EQ(capIn(tick()), 1.38f) << c.name << ": no climb to 1.78";
        }
    }
}

TEST_F(WalkControlTest, WhatEachTickAsksOutsideTheShortPress)
{
    settings.mouseWheelEnabled = false;

    // Another key: neither Alt control is disabled.
    settings.walkControlKey = 0x43;
    EXPECT_EQ(walkPart(tick()), (Names{"moveInput", "moveInput"}));

    // Fast walk only: the HUD control alone.
    settings.walkControlKey = altKey;
    settings.slowWalkEnabled = false;
    EXPECT_EQ(walkPart(tick()), (Names{"moveInput", "disableControlAction(INPUT_REVEAL_HUD, 1)", "moveInput"}));

    // During a sprint press only the final check runs.
    controllerState.sprintHeld = true;
    EXPECT_EQ(walkPart(tick()), (Names{"moveInput"}));

    // Standing still: the gate and the final check both ask.
    controllerState.sprintHeld = false;
    fake::setMoveInput(false);
    EXPECT_EQ(walkPart(tick()), (Names{"moveInput", "moveInput"}));
}

}  // namespace
