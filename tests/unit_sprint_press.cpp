// Sprint press and Shift release: what a press saves, suspends and forces
// tick by tick; how a press begun at each pace is classified; what each kind
// of release engages, with the natives it asks.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/controller_tick.h"
#include "controller/movement_history.h"
#include "controller/sprint_press.h"
#include "host/key_dispatcher.h"
#include "host/key_state_table.h"
#include "support/fake_game.h"

namespace {

constexpr uint32_t shiftKey = 0x10;

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

class SprintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::startFreshPlugin();
        for (uint32_t key = 0; key < keySlotCount; ++key)
            clearKeySlot(key);
        fake::setMoveInput(true);
        fake::game().desiredSpeed = 1.6f;
    }

    // Three recorded ticks, so that entry -2 holds the first word.
    void recordHistory(const char* twoTicksBack)
    {
        const std::string word = twoTicksBack;
        fake::game().walking = word == "Walking";
        fake::game().running = word == "Running";
        fake::game().sprinting = word == "Sprinting";
        fake::game().still = word == "Still";
        if (!word.empty())
            recordMovementStatus();
        fake::game().walking = fake::game().running = fake::game().sprinting = fake::game().still = false;
        recordMovementStatus();
        recordMovementStatus();
        fake::host().calls.clear();
    }

    // One pass of the script loop; returns the speed capped on the ped (0 when none).
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

    // Holds Shift for `ticks` ticks of the controller, releases it in the last one.
    void holdShift(int ticks)
    {
        handleKeyboardMessage(shiftKey, 1, 0x2a, 0, 0, 0, 0);
        tick();  // the dispatcher sees Shift down; the press starts next tick
        for (int t = 1; t <= ticks; ++t) {
            if (t == ticks)
                handleKeyboardMessage(shiftKey, 1, 0x2a, 0, 0, 1, 1);
            else
                handleKeyboardMessage(shiftKey, 1, 0x2a, 0, 0, 1, 0);
            tick();
        }
    }

    ControllerState& state = controllerState;
};

TEST_F(SprintTest, FirstTickSavesSuspendsAndForces)
{
    engagePersistentSpeed(1.78f);
    state.walkKeyHeld = true;
    state.rampActive = true;
    fake::game().desiredSpeed = 2.5f;
    onSprintPressed();
    EXPECT_EQ(commands(), (std::vector<std::string>{"getPedDesiredSpeed", "getPedDesiredSpeed", "setPedMinSpeed(2)",
                                                    "setPedMaxSpeed(2)", "getPedDesiredSpeed", "getPedDesiredSpeed"}));
    EXPECT_EQ(state.preSprintSpeed, 1.78f);
    EXPECT_EQ(state.preSprintDesiredSpeed, 2.5f);
    EXPECT_TRUE(state.preSprintCustomActive);
    EXPECT_EQ(state.targetSpeed, 0.0f);
    EXPECT_FALSE(state.customSpeedActive);
    EXPECT_TRUE(state.noCustomSpeed);
    EXPECT_TRUE(state.sprintForced);
    EXPECT_TRUE(state.sprintHeld);
    EXPECT_EQ(state.sprintTicks, 1);
    EXPECT_FALSE(state.walkKeyHeld);
    EXPECT_FALSE(state.rampActive);
    EXPECT_TRUE(fake::staleArgumentFault().empty()) << fake::staleArgumentFault();

    // Later ticks save nothing more.
    onSprintPressed();
    EXPECT_EQ(state.preSprintSpeed, 1.78f);
    EXPECT_EQ(state.sprintTicks, 2);
}

TEST_F(SprintTest, SlowTickEndsBeforeTheClassification)
{
    state.pressFromWalkPace = true;
    state.targetSpeed = 0.0f;
    fake::game().desiredSpeed = 1.2f;
    recordHistory("Running");
    onSprintPressed();
    EXPECT_EQ(commands(), (std::vector<std::string>{"getPedDesiredSpeed", "getPedDesiredSpeed", "isPedMoveFree",
                                                    "isGlobalMoveRestricted", "isPedMoveRestricted(0)"}));
    EXPECT_TRUE(state.pressFromWalkPace) << "not classified: would have been cleared";

    // Constrained movement lets the tick go on to the classification.
    fake::game().globalMoveRestricted = true;
    onSprintPressed();
    EXPECT_EQ(commands(), (std::vector<std::string>{"getPedDesiredSpeed", "isPedMoveFree", "isGlobalMoveRestricted"}));
}

TEST_F(SprintTest, ForcesByTick)
{
    struct Case {
        const char* name;
        float desiredAtStart;
        float desired;
        int forcedTicks;
    };
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"ped wants 2.5: first force on ticks 1 to 12", 2.5f, 2.5f, 12},
        {"ped wants 1.8: second force on ticks 1 to 14", 1.8f, 1.8f, 14},
        {"ped wanted 0.8 at the start: no second force", 0.8f, 1.8f, 0},
        {"ped wants 1.995: neither force", 1.995f, 1.995f, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SetUp();
        engagePersistentSpeed(1.38f);
        fake::game().desiredSpeedReadings = {c.desiredAtStart};
        fake::game().desiredSpeed = c.desired;
        for (int t = 0; t < 20; ++t)
            onSprintPressed();
        EXPECT_EQ(fake::countCalls("setPedMinSpeed"), static_cast<size_t>(c.forcedTicks)) << c.name;
        EXPECT_EQ(state.sprintForced, c.desired >= 2.0f) << c.name;
    }

    // Without a custom speed before the press nothing is forced.
    SetUp();
    fake::game().desiredSpeed = 2.5f;
    onSprintPressed();
    EXPECT_EQ(fake::countCalls("setPedMinSpeed"), 0u);
}

TEST_F(SprintTest, PressStartClassification)
{
    struct Case {
        const char* name;
        const char* twoTicksBack;
        float savedSpeed;
        bool laterTick;  // a second press tick rather than the first
        bool walkPaceBefore;
        bool walkPace;
        bool slow;
    };
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"from a run, no custom speed: not walking pace", "Running", 0.0f, false, true, false, false},
        {"from a sprint, fast walk in the band: walking pace", "Sprinting", 1.38f, false, false, true, false},
        {"band bounds included: 1.0", "Running", 1.0f, false, false, true, false},
        {"band bounds included: 1.5", "Running", 1.5f, false, false, true, false},
        {"above the band: not walking pace", "Running", 1.78f, false, true, false, false},
        {"later tick from a run keeps the mark", "Running", 1.78f, true, true, true, false},
        {"from a walk", "Walking", 1.78f, false, false, true, false},
        {"from standing", "Still", 0.0f, false, false, true, false},
        {"history not yet filled", "", 0.0f, false, false, true, false},
        {"history compares whole words", "Run", 0.0f, false, false, true, false},
        {"slow custom speed", "Running", 0.7f, false, true, false, true},
        {"1.0 is not slow", "Walking", 1.0f, false, false, true, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SetUp();
        recordHistory(c.twoTicksBack);
        state.pressFromWalkPace = c.walkPaceBefore;
        if (c.laterTick) {
            state.sprintHeld = true;
            state.sprintTicks = 1;
            state.preSprintSpeed = c.savedSpeed;
        } else {
            state.targetSpeed = c.savedSpeed;
        }
        onSprintPressed();
        EXPECT_EQ(state.pressFromWalkPace, c.walkPace) << c.name;
        EXPECT_EQ(state.pressFromSlowSpeed, c.slow) << c.name;
    }
}

TEST_F(SprintTest, ReleaseCases)
{
    struct Case {
        const char* name;
        int sprintTicks;
        bool walkPace, slow, forced, override_;
        bool latched, remember, running, sprinting, firstPerson;
        float desired;
        std::vector<std::string> asked;
        float target;
        bool temporary;
        bool respectRestored;
    };
    const std::string pulse0 = "setControlValueNextFrame(INPUT_SPRINT, 0)";
    const std::string pulse1 = "setControlValueNextFrame(INPUT_SPRINT, 1)";
    // One row per case: easier to read than one field per line.
    // clang-format off
    const std::vector<Case> cases = {
        {"tap of 18 from a walk: light run", 18, true, false, false, false, false, false, false, false, false, 2.0f,
         {"moveInput"}, 1.78f, false, true},
        {"press of 19: no tap", 19, true, false, false, false, false, false, true, false, false, 2.0f,
         {"moveInput"}, 0.0f, false, true},
        {"tap from a slow speed: light run", 3, false, true, false, false, false, false, false, false, false, 2.0f,
         {"moveInput"}, 1.78f, false, true},
        {"tap from a run, ped running: one tick of plain walk", 5, false, false, false, false, false, false, true,
         false, false, 2.0f, {"moveInput", "isPedRunning", "isFirstPersonCameraActive"}, 1.2f, true, true},
        {"tap from a run, ped sprinting, first person: plain walk at 1.0", 5, false, false, false, false, false, false,
         false, true, true, 2.0f, {"moveInput", "isPedRunning", "isPedSprinting", "isFirstPersonCameraActive"}, 1.0f,
         true, true},
        {"tap from a run, fast walk remembered", 5, false, false, false, false, true, true, true, false, false, 2.0f,
         {"moveInput", "isPedRunning"}, 1.38f, false, true},
        {"tap from a run, latched but not remembered: plain walk", 5, false, false, false, false, true, false, true,
         false, false, 2.0f, {"moveInput", "isPedRunning", "isFirstPersonCameraActive"}, 1.2f, true, true},
        {"tap from a run, ped no longer running: nothing", 5, false, false, false, false, false, false, false, false,
         false, 2.0f, {"moveInput", "isPedRunning", "isPedSprinting"}, 0.0f, false, true},
        {"forced press: sprint pulse, then the tap", 5, true, false, true, false, false, false, false, false, false,
         2.0f, {"moveInput", "isFirstPersonCameraActive", pulse0, pulse1}, 1.78f, false, true},
        {"forced press in first person: no pulse", 25, false, false, true, false, false, false, false, false, true,
         2.0f, {"moveInput", "isFirstPersonCameraActive"}, 0.0f, false, true},
        {"after a wheel override, ped above 2.0: lasting 2.0", 5, true, false, true, true, false, false, true, false,
         false, 2.5f, {"moveInput", "getPedDesiredSpeed"}, 2.0f, false, false},
        {"after a wheel override, ped at 2.0: the wheel's speed stays", 5, true, false, false, true, false, false,
         false, false, false, 2.0f, {"moveInput", "getPedDesiredSpeed"}, 2.24f, false, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SetUp();
        settings.respectBoundaries = false;
        state.respectBoundariesConfigured = true;
        settings.rememberFastWalk = c.remember;
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
        fake::game().running = c.running;
        fake::game().sprinting = c.sprinting;
        fake::game().firstPerson = c.firstPerson;
        fake::game().desiredSpeed = c.desired;
        onSprintReleased();
        EXPECT_EQ(commands(), c.asked) << c.name;
        EXPECT_EQ(state.targetSpeed, c.target) << c.name;
        EXPECT_EQ(state.customSpeedActive, c.target != 0.0f) << c.name;
        EXPECT_EQ(state.releaseAfterApply, c.temporary) << c.name;
        EXPECT_EQ(settings.respectBoundaries, c.respectRestored) << c.name;
        EXPECT_FALSE(state.sprintHeld || state.boundaryOverrideRequested || state.sprintForced) << c.name;
        EXPECT_EQ(state.sprintTicks, 0) << c.name;
        EXPECT_EQ(state.preSprintSpeed, 0.0f) << c.name;
        EXPECT_FALSE(state.pressFromWalkPace || state.pressFromSlowSpeed) << c.name;
    }
}

TEST_F(SprintTest, ReleaseWhileStandingDropsTheSpeedAndKeepsThePress)
{
    engagePersistentSpeed(1.78f);
    settings.respectBoundaries = false;
    state.sprintHeld = true;
    state.sprintTicks = 7;
    state.pressFromWalkPace = true;
    state.boundaryOverrideRequested = true;
    fake::setMoveInput(false);
    onSprintReleased();
    EXPECT_EQ(commands(), (std::vector<std::string>{"moveInput"}));
    EXPECT_FALSE(state.sprintHeld);
    EXPECT_FALSE(state.customSpeedActive);
    EXPECT_EQ(state.targetSpeed, 0.0f);
    EXPECT_TRUE(state.noCustomSpeed);
    EXPECT_EQ(state.sprintTicks, 7);
    EXPECT_TRUE(state.pressFromWalkPace);
    EXPECT_TRUE(state.boundaryOverrideRequested);
    EXPECT_FALSE(settings.respectBoundaries);
}

TEST_F(SprintTest, ShiftTapFromAWalkStartsTheLightRun)
{
    fake::game().walking = true;
    for (int t = 0; t < 4; ++t)
        tick();
    fake::game().walking = false;
    fake::game().running = true;
    fake::game().desiredSpeed = 2.0f;
    holdShift(10);
    fake::game().desiredSpeed = 1.78f;
    EXPECT_EQ(tick(), 1.78f);
    EXPECT_EQ(tick(), 1.78f) << "the light run stays";
}

TEST_F(SprintTest, ShiftTapFromARunWalksForExactlyOneTick)
{
    fake::game().running = true;
    fake::game().desiredSpeed = 2.0f;
    for (int t = 0; t < 4; ++t)
        tick();
    holdShift(18);
    EXPECT_EQ(tick(), 1.2f);
    EXPECT_EQ(tick(), 0.0f) << "the game's own speed takes over again";
    EXPECT_EQ(tick(), 0.0f);

    // A press of 19 ticks does nothing on release.
    holdShift(19);
    EXPECT_EQ(tick(), 0.0f);
}

}  // namespace
