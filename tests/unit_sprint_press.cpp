// Sprint press and Shift release, played through the script loop and judged
// by what reaches the game: what a press asks and forces tick by tick, how
// the pace it began at decides what its release engages, and what each kind
// of release asks and imposes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "host/key_dispatcher.h"
#include "support/plugin_test.h"

namespace {

class SprintTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        startCase();
    }
    // A fresh load moving forward, the walk-control key off (its calls would
    // mix with the press's).
    static void startCase()
    {
        startFreshPlugin();
        settings.walkControlEnabled = false;
        fake::setMoveInput(true);
        fake::game().walking = true;
        fake::game().desiredSpeed = 1.6f;
    }
    // The game reports this gait (or, for "", none: no ticks are played).
    static void playGait(const std::string& word)
    {
        if (word.empty())
            return;
        fake::game().walking = word == "Walking";
        fake::game().running = word == "Running";
        fake::game().sprinting = word == "Sprinting";
        fake::game().still = word == "Still";
        tick();
    }
    // A sprint press of `pressTicks` ticks, released in the last: the calls
    // of the tick that sees Shift go down, then of each press tick.
    static std::vector<Names> holdShift(int pressTicks) { return holdKey(shiftKey, pressTicks); }
    // What a press tick asks once the sprint start handed it over: the calls
    // after the sprint control and the move inputs.
    static Names pressPart(const Names& calls)
    {
        auto start = std::find(calls.begin(), calls.end(), "isControlPressed(INPUT_SCRIPTED_FLY_ZUP)");
        if (start == calls.end() || ++start == calls.end() || *start != "moveInput")
            return {};
        return Names(start + 1, calls.end());
    }
    static long count(const std::vector<Names>& ticks, const std::string& name)
    {
        long n = 0;
        for (const Names& calls : ticks)
            n += std::count(calls.begin(), calls.end(), name);
        return n;
    }
};

// The first press tick with a custom speed engaged and a ped that wants 2.5:
// the speed is read to be saved, the force pins 2.0, and nothing else is
// imposed (the custom speed is suspended). A later tick saves nothing more.
TEST_F(SprintTest, FirstTickSavesSuspendsAndForces)
{
    settings.walkControlEnabled = true;
    engagePersistentSpeed(1.78f);
    fake::game().desiredSpeed = 2.5f;
    press(shiftKey);
    tick();
    // The walk-control key held and a ramp under way: the press cancels both.
    controllerState.walkKeyHeld = true;
    controllerState.rampActive = true;
    controllerState.rampDelayTicks = 50;
    repeat(shiftKey);
    const Names first = tick();
    EXPECT_EQ(pressPart(first), (Names{"getPedDesiredSpeed", "getPedDesiredSpeed", "setPedMinSpeed(2)",
                                       "setPedMaxSpeed(2)", "getPedDesiredSpeed", "getPedDesiredSpeed", "moveInput"}));
    EXPECT_FALSE(controllerState.walkKeyHeld);
    EXPECT_FALSE(controllerState.rampActive);

    repeat(shiftKey);
    EXPECT_EQ(pressPart(tick()), (Names{"getPedDesiredSpeed", "setPedMinSpeed(2)", "setPedMaxSpeed(2)",
                                        "getPedDesiredSpeed", "getPedDesiredSpeed", "moveInput"}));
}

// Below 1.51 and free to move, a press tick ends before its classification,
// so a walk-pace mark left from before stands and the tap starts the light
// run; constrained, the tick goes on.
TEST_F(SprintTest, SlowTickEndsBeforeTheClassification)
{
    fake::game().desiredSpeed = 1.2f;
    playGait("Running");
    playGait("Running");
    controllerState.pressFromWalkPace = true;
    press(shiftKey);
    tick();
    repeat(shiftKey);
    EXPECT_EQ(pressPart(tick()), (Names{"getPedDesiredSpeed", "getPedDesiredSpeed", "isPedMoveFree",
                                        "isGlobalMoveRestricted", "isPedMoveRestricted(0)"}));

    fake::game().globalMoveRestricted = true;
    release(shiftKey);
    const Names released = tick();
    EXPECT_EQ(pressPart(released),
              (Names{"getPedDesiredSpeed", "isPedMoveFree", "isGlobalMoveRestricted", "moveInput"}));
    fake::game().globalMoveRestricted = false;
    EXPECT_EQ(caps(2), (Caps{1.78f, 1.78f}));
}

// The slowest light run, 1.51, already lets a press tick go on: the movement
// is then not even probed. Just below it, the probe decides.
TEST_F(SprintTest, APressTickGoesOnFromTheSlowestLightRun)
{
    for (float desired : {1.51f, std::nextafter(1.51f, 0.0f)}) {
        startCase();
        fake::game().desiredSpeed = desired;
        const std::vector<Names> ticks = holdShift(2);
        EXPECT_EQ(has(pressPart(ticks[1]), "isPedMoveFree"), desired < 1.51f) << desired;
    }
}

TEST_F(SprintTest, ForcesByTick)
{
    struct Case {
        const char* name;
        float desiredAtStart;
        float desired;
        long forcedTicks;
        bool pulse;  // a forced press hands the sprint back at its release
    };
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"ped wants 2.5: first force on ticks 1 to 12", 2.5f, 2.5f, 12, true},
        {"ped wants 1.8: second force on ticks 1 to 14", 1.8f, 1.8f, 14, false},
        {"ped wanted 0.8 at the start: no second force", 0.8f, 1.8f, 0, false},
        {"ped wants 1.995: neither force", 1.995f, 1.995f, 0, false},
        {"ped wants exactly 1.99: second force", 1.99f, 1.99f, 14, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        startCase();
        engagePersistentSpeed(1.38f);
        fake::game().desiredSpeed = c.desired;
        press(shiftKey);
        tick();
        fake::queueDesiredSpeeds({c.desiredAtStart});
        std::vector<Names> ticks;
        for (int t = 1; t <= 20; ++t) {
            repeat(shiftKey);
            ticks.push_back(tick());
        }
        EXPECT_EQ(count(ticks, "setPedMinSpeed(2)"), c.forcedTicks) << c.name;
        release(shiftKey);
        EXPECT_EQ(has(tick(), "setControlValueNextFrame(INPUT_SPRINT, 1)"), c.pulse) << c.name;
    }

    // Without a custom speed before the press nothing is forced.
    startCase();
    fake::game().desiredSpeed = 2.5f;
    EXPECT_EQ(count(holdShift(5), "setPedMinSpeed(2)"), 0);
}

// The pace a press began at, judged by its release after one tick: a press
// from walking pace or from a slow speed starts the light run (1.78, lasting);
// one from a run stops running (a plain walk for one tick, as the ped runs).
TEST_F(SprintTest, PressStartClassification)
{
    struct Case {
        const char* name;
        const char* twoTicksBack;  // the gait the history holds two ticks before the press
        float saved;               // the custom speed engaged before the press, 0 for none
        bool lightRun;
    };
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"from a run, no custom speed: not walking pace", "Running", 0.0f, false},
        {"from a sprint, fast walk in the band: walking pace", "Sprinting", 1.38f, true},
        {"from a sprint, no custom speed: not walking pace", "Sprinting", 0.0f, false},
        {"band bounds included: 1.0", "Running", 1.0f, true},
        {"band bounds included: 1.5", "Running", 1.5f, true},
        {"above the band: not walking pace", "Running", 1.78f, false},
        {"from a walk", "Walking", 1.78f, true},
        {"from standing", "Still", 0.0f, true},
        {"history not yet filled", "", 0.0f, true},
        {"slow custom speed", "Running", 0.7f, true},
        {"very slow custom speed (a slow walk of 0.1, say)", "Running", 0.1f, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        startCase();
        settings.speedIncrement = 0.02f;  // no neutral window around 1.0
        if (c.saved != 0.0f)
            engagePersistentSpeed(c.saved);
        playGait(c.twoTicksBack);
        fake::game().still = false;
        fake::game().walking = false;
        fake::game().sprinting = false;
        fake::game().running = true;
        holdShift(1);
        EXPECT_EQ(caps(2), c.lightRun ? (Caps{1.78f, 1.78f}) : (Caps{1.2f, std::nullopt})) << c.name;
    }

    // Only the first press tick can clear the mark: from a walk, with the
    // history turning to a run during the press, it stays.
    startCase();
    playGait("Walking");
    fake::game().walking = false;
    fake::game().running = true;
    holdShift(4);
    EXPECT_EQ(caps(2), (Caps{1.78f, 1.78f}));
}

// The start is classified in press ticks 1 to 5 only. A ped that stops
// running during a press from a run counts as having begun at walking pace
// (its tap starts the light run) only when its walk is two recorded ticks
// back by the fifth press tick: walking from press tick 3, not from 4.
TEST_F(SprintTest, ClassificationEndsWithTheFifthPressTick)
{
    for (int walkingFrom : {3, 4}) {
        startCase();
        playGait("Running");
        playGait("Running");
        press(shiftKey);
        tick();
        for (int pressTick = 1; pressTick <= 8; ++pressTick) {
            if (pressTick == walkingFrom) {
                fake::game().running = false;
                fake::game().walking = true;
            }
            pressTick == 8 ? release(shiftKey) : repeat(shiftKey);
            tick();
        }
        const Caps expected = walkingFrom == 3 ? Caps{1.78f, 1.78f} : Caps{std::nullopt, std::nullopt};
        EXPECT_EQ(caps(2), expected) << walkingFrom;
    }
}

// A press cancels a stop being watched, and its release leaves none behind:
// after a long press from a kept speed nothing comes back, however long the
// player goes on moving.
TEST_F(SprintTest, ALongPressLeavesNoStopToResume)
{
    engagePersistentSpeed(1.78f);
    fake::game().running = true;
    holdShift(25);
    fake::game().running = false;
    const Caps after = caps(20);
    EXPECT_EQ(std::count(after.begin(), after.end(), std::nullopt), 20);
}

// The release while moving, from a press whose bookkeeping each case sets:
// what it asks, and what the next two ticks impose (a lasting speed twice, a
// temporary one once; boundaries respected again cap, still ignored force).
TEST_F(SprintTest, ReleaseCases)
{
    struct Case {
        const char* name;
        int sprintTicks;
        bool walkPace, slow, forced, override_;
        bool latched, remember, running, sprinting, firstPerson;
        float desired;
        Names asked;
        std::vector<Names> imposed;
    };
    const std::string pulse0 = "setControlValueNextFrame(INPUT_SPRINT, 0)";
    const std::string pulse1 = "setControlValueNextFrame(INPUT_SPRINT, 1)";
    const Names none;
    const Names lightRun = {"setPedMaxSpeed(1.78)"};
    const Names walk = {"setPedMaxSpeed(1.2)"};
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"tap of 18 from a walk: light run", 18, true, false, false, false, false, false, false, false, false, 2.0f,
         {"moveInput"}, {lightRun, lightRun}},
        {"press of 19: no tap", 19, true, false, false, false, false, false, true, false, false, 2.0f,
         {"moveInput"}, {none, none}},
        {"tap from a slow speed: light run", 3, false, true, false, false, false, false, false, false, false, 2.0f,
         {"moveInput"}, {lightRun, lightRun}},
        {"tap from a run, ped running: one tick of plain walk", 5, false, false, false, false, false, false, true,
         false, false, 2.0f, {"moveInput", "isPedRunning", "isFirstPersonCameraActive"}, {walk, none}},
        {"tap from a run, ped sprinting, first person: plain walk at 1.0", 5, false, false, false, false, false, false,
         false, true, true, 2.0f, {"moveInput", "isPedRunning", "isPedSprinting", "isFirstPersonCameraActive"},
         {{"setPedMinSpeed(1)", "setPedMaxSpeed(1)"}, none}},
        {"tap from a run, fast walk remembered", 5, false, false, false, false, true, true, true, false, false, 2.0f,
         {"moveInput", "isPedRunning"}, {{"setPedMaxSpeed(1.38)"}, {"setPedMaxSpeed(1.38)"}}},
        {"tap from a run, latched but not remembered: plain walk", 5, false, false, false, false, true, false, true,
         false, false, 2.0f, {"moveInput", "isPedRunning", "isFirstPersonCameraActive"}, {walk, none}},
        {"tap from a run, ped no longer running: nothing", 5, false, false, false, false, false, false, false, false,
         false, 2.0f, {"moveInput", "isPedRunning", "isPedSprinting"}, {none, none}},
        {"forced press: sprint pulse, then the tap", 5, true, false, true, false, false, false, false, false, false,
         2.0f, {"moveInput", "isFirstPersonCameraActive", pulse0, pulse1}, {lightRun, lightRun}},
        {"forced press in first person: no pulse", 25, false, false, true, false, false, false, false, false, true,
         2.0f, {"moveInput", "isFirstPersonCameraActive"}, {none, none}},
        {"after a wheel override, ped above 2.0: lasting 2.0, boundaries still off", 5, true, false, true, true, false,
         false, true, false, false, 2.5f, {"moveInput", "getPedDesiredSpeed"},
         {{"setPedMinSpeed(2)", "setPedMaxSpeed(2)"}, {"setPedMinSpeed(2)", "setPedMaxSpeed(2)"}}},
        {"after a wheel override, ped at 2.0: the wheel's speed stays", 5, true, false, false, true, false, false,
         false, false, false, 2.0f, {"moveInput", "getPedDesiredSpeed"},
         {{"setPedMinSpeed(2.24)", "setPedMaxSpeed(2.24)"}, {"setPedMinSpeed(2.24)", "setPedMaxSpeed(2.24)"}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        startCase();
        settings.mouseWheelEnabled = false;
        settings.respectBoundaries = false;
        settings.rememberFastWalk = c.remember;
        ControllerState& state = controllerState;
        state.fastWalkLatched = c.latched;
        if (c.override_)
            engagePersistentSpeed(2.24f);
        state.sprintHeld = true;
        state.sprintTicks = c.sprintTicks;
        state.pressFromWalkPace = c.walkPace;
        state.pressFromSlowSpeed = c.slow;
        state.sprintForced = c.forced;
        state.boundaryOverrideRequested = c.override_;
        state.preSprintSpeed = 1.3f;
        fake::game().walking = false;
        fake::game().running = c.running;
        fake::game().sprinting = c.sprinting;
        fake::game().firstPerson = c.firstPerson;
        fake::game().desiredSpeed = c.desired;
        press(shiftKey);
        release(shiftKey);
        EXPECT_EQ(dispatch(), c.asked) << c.name;
        const Names first = speedsIn(tick());
        EXPECT_EQ((std::vector<Names>{first, speedsIn(tick())}), c.imposed) << c.name;
    }
}

// Each press starts afresh after a release while moving: it counts its ticks
// from 1 again, and only a press that forced hands the sprint back.
TEST_F(SprintTest, EachPressStartsAfresh)
{
    fake::game().desiredSpeed = 2.5f;
    engagePersistentSpeed(1.38f);
    const std::vector<Names> forced = holdShift(20);
    EXPECT_EQ(count(forced, "setPedMinSpeed(2)"), 12);
    EXPECT_TRUE(has(forced.back(), "setControlValueNextFrame(INPUT_SPRINT, 1)"));

    releaseCustomSpeed();
    const std::vector<Names> plain = holdShift(20);
    EXPECT_EQ(count(plain, "setPedMinSpeed(2)"), 0);
    EXPECT_FALSE(has(plain.back(), "setControlValueNextFrame(INPUT_SPRINT, 1)"));

    engagePersistentSpeed(1.38f);
    EXPECT_EQ(count(holdShift(20), "setPedMinSpeed(2)"), 12);
}

// A release forgets the marks of its press. The next press below 1.51 never
// judges its own start, so a walk-pace or slow-speed mark left over would
// start the light run again; a wheel override left over would keep the
// custom speed (cleared by the press) imposed instead of suspended.
TEST_F(SprintTest, AReleaseForgetsThePressMarks)
{
    struct Start {
        const char* name;
        const char* twoTicksBack;
        float saved;
    };
    for (const Start& start : {Start{"from a walk", "Walking", 0.0f}, Start{"from a slow speed", "Running", 0.7f}}) {
        startCase();
        if (start.saved != 0.0f)
            engagePersistentSpeed(start.saved);
        playGait(start.twoTicksBack);
        fake::game().walking = false;
        fake::game().running = true;
        holdShift(1);
        EXPECT_EQ(capIn(tick()), 1.78f) << start.name << ": the light run";
        fake::game().desiredSpeed = 1.2f;
        holdShift(1);
        EXPECT_EQ(caps(2), (Caps{1.2f, std::nullopt})) << start.name << ", then from the light run: stop running";
    }

    // The wheel during a press: 2.06, boundaries off, kept at the release
    // (the ped wants no more than 2.0).
    startCase();
    playGait("Running");
    fake::game().desiredSpeed = 2.0f;
    press(shiftKey);
    tick();
    tick();
    fake::game().justPressed[fake::prevWeapon] = true;
    repeat(shiftKey);
    tick();
    fake::game().justPressed[fake::prevWeapon] = false;
    release(shiftKey);
    EXPECT_TRUE(has(tick(), "setPedMinSpeed(2.06)"));
    const std::vector<Names> next = holdShift(3);
    for (std::size_t t = 1; t < next.size(); ++t)
        EXPECT_EQ(speedsIn(next[t]), (Names{"setPedMinSpeed(2)", "setPedMaxSpeed(2)"})) << "press tick " << t;
}

// Released standing: the custom speed goes, boundaries stay as they were,
// and the press keeps its bookkeeping: the next press counts on from it and
// keeps the wheel's override.
TEST_F(SprintTest, ReleaseWhileStandingDropsTheSpeedAndKeepsThePress)
{
    settings.mouseWheelEnabled = false;
    engagePersistentSpeed(1.78f);
    settings.respectBoundaries = false;
    ControllerState& state = controllerState;
    state.sprintHeld = true;
    state.sprintTicks = 7;
    state.pressFromWalkPace = true;
    state.boundaryOverrideRequested = true;
    fake::setMoveInput(false);
    press(shiftKey);
    release(shiftKey);
    EXPECT_EQ(dispatch(), (Names{"moveInput"}));

    fake::setMoveInput(true);
    EXPECT_EQ(capIn(tick()), std::nullopt) << "the custom speed is gone";

    // Boundaries still off: an engaged speed is forced.
    engagePersistentSpeed(1.5f);
    EXPECT_TRUE(has(tick(), "setPedMinSpeed(1.5)"));

    // The next press counts on from 7 (the force stops after its tick 12),
    // and its release ends it as one with the wheel's override.
    fake::game().desiredSpeed = 2.5f;
    press(shiftKey);
    std::vector<Names> next = {tick()};
    for (int t = 1; t <= 10; ++t) {
        repeat(shiftKey);
        next.push_back(tick());
    }
    EXPECT_EQ(count(next, "setPedMinSpeed(2)"), 5);
    // The press clears the target, and the override keeps it engaged.
    EXPECT_EQ(count(next, "setPedMinSpeed(0)"), 10);
    release(shiftKey);
    EXPECT_EQ(dispatch(), (Names{"moveInput", "getPedDesiredSpeed"}));
}

// A press suspends the custom speed as released: after a press too long to
// be a tap, standing still brings back the remembered fast walk.
TEST_F(SprintTest, APressReleasesTheCustomSpeedForTheRememberedFastWalk)
{
    settings.rememberFastWalk = true;
    controllerState.fastWalkLatched = true;
    engagePersistentSpeed(1.38f);
    holdShift(20);
    fake::setMoveInput(false);
    fake::game().desiredSpeed = 0.0f;
    tick();
    fake::setMoveInput(true);
    EXPECT_EQ(capIn(tick()), 1.38f);
}

TEST_F(SprintTest, ShiftTapFromAWalkStartsTheLightRun)
{
    settings.walkControlEnabled = true;
    for (int t = 0; t < 4; ++t)
        tick();
    fake::game().walking = false;
    fake::game().running = true;
    fake::game().desiredSpeed = 2.0f;
    holdShift(10);
    fake::game().desiredSpeed = 1.78f;
    EXPECT_EQ(caps(2), (Caps{1.78f, 1.78f})) << "the light run stays";
}

TEST_F(SprintTest, ShiftTapFromARunWalksForExactlyOneTick)
{
    settings.walkControlEnabled = true;
    fake::game().walking = false;
    fake::game().running = true;
    fake::game().desiredSpeed = 2.0f;
    for (int t = 0; t < 4; ++t)
        tick();
    holdShift(18);
    EXPECT_EQ(caps(3), (Caps{1.2f, std::nullopt, std::nullopt})) << "then the game's own speed takes over again";

    // A press of 19 ticks does nothing on release.
    holdShift(19);
    EXPECT_EQ(capIn(tick()), std::nullopt);
}

}  // namespace
