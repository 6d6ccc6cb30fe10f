#include "controller/controller_tick.h"

// The per-tick speed controller, in the order a tick runs:
//   gate            - plug-in on, ped on foot, special ability not held
//   features        - history, mouse wheel, walk-control key
//   stop and ramp   - keep a custom speed across a stop, ramp a run back up
//   first person    - stop auto-run in the first-person camera
//   sprint start    - hand the sprint press to its handler
//   apply           - drop, neutral window, settle check, impose, release
//   fast walk       - bring back the remembered fast walk while standing

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/mouse_wheel.h"
#include "controller/movement_history.h"
#include "controller/sprint_press.h"
#include "controller/walk_control.h"
#include "game/control_names.h"
#include "game/movement_probes.h"
#include "game/native_invoker.h"

using NativeInvoker::playerPed;

namespace {

constexpr int32_t rampMode = 3;
constexpr int32_t lastCountedStopWatchTick = 13;
constexpr float runSpeedThreshold = 1.5f;
constexpr float rampStartSpeed = 1.38f;
constexpr int32_t rampDelay = 50;
constexpr float rampStepBelowRun = 0.01f;
constexpr float rampStepAtRun = 0.02f;
constexpr float rampSnapMargin = 0.03f;
constexpr float firstPersonWalkSpeed = 1.0f;
constexpr double neutralWindowLow = 0.97;
constexpr float neutralWindowHigh = 1.03f;
constexpr float neutralWindowMinIncrement = 0.02f;
constexpr float settleHighestDesired = 1.99f;
constexpr float settleAdoptAbove = 1.45f;
constexpr float settleFallbackSpeed = 1.38f;
constexpr float settleArmAbove = 2.0f;
constexpr int32_t settleDelay = 3;
constexpr std::string_view stillWord = "Still";

// Asks the game for the ped's desired speed; every call is a fresh reading.
float askDesiredSpeed()
{
    return NativeInvoker::getPedDesiredSpeed(playerPed());
}

// KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE as loaded.
int32_t keepMode()
{
    return settings.keepCustomSpeedAfterStoppingMode;
}

// ---- Gate -------------------------------------------------------------------

// True when the controller may act this tick: the ped is on foot and the
// special ability is not held. Stops asking at the first answer that decides.
bool controllerMayAct()
{
    return NativeInvoker::isPedOnFoot(playerPed()) && !NativeInvoker::isControlPressed(0, inputSpecialAbility);
}

// ---- Stop and ramp ----------------------------------------------------------

// Stop detection: the player stood two recorded ticks ago and pushes a
// direction now, with a custom speed engaged. The speed is suspended until the
// ped really moves, so the game can start the movement at its own pace.
void detectStop()
{
    if (movementStatusIs(-2, stillWord) && isMoveInputActive() && controllerState.customSpeedActive) {
        controllerState.stoppedWithCustomSpeed = true;
        controllerState.stopWatchTicks = 0;
        controllerState.customSpeedActive = false;
    }
}

// The ped moves again after a stop: re-engage the kept speed; in the ramp mode
// a run speed restarts at a fast walk and climbs back to it after a delay.
void resumeAfterStop()
{
    controllerState.stoppedWithCustomSpeed = false;
    controllerState.stopWatchTicks = 0;
    controllerState.customSpeedActive = true;
    if (controllerState.targetSpeed > runSpeedThreshold && keepMode() == rampMode) {
        controllerState.rampGoalSpeed = controllerState.targetSpeed;
        setTargetSpeed(rampStartSpeed);
        controllerState.rampDelayTicks = rampDelay;
        controllerState.rampActive = true;
    }
}

// Stop watch: counts the first ticks after a stop, then waits for the ped to
// leave its standstill. It pauses during a sprint press.
void runStopWatch()
{
    if (!controllerState.stoppedWithCustomSpeed)
        return;
    if (controllerState.sprintHeld)
        return;
    if (controllerState.stopWatchTicks <= lastCountedStopWatchTick) {
        ++controllerState.stopWatchTicks;
        return;
    }
    if (NativeInvoker::isPedStill(playerPed()))
        return;
    resumeAfterStop();
}

// One ramp step: 0.01 below a run, 0.02 from a run on, snapping to the goal
// once within 0.03 of it; the tick after reaching it ends the ramp.
void stepRamp()
{
    if (controllerState.targetSpeed == controllerState.rampGoalSpeed) {
        controllerState.rampActive = false;
        return;
    }
    const float step = controllerState.targetSpeed >= runSpeedThreshold ? rampStepAtRun : rampStepBelowRun;
    const float raised = controllerState.targetSpeed + step;
    setTargetSpeed(raised);
    if (raised >= controllerState.rampGoalSpeed - rampSnapMargin)
        setTargetSpeed(controllerState.rampGoalSpeed);
}

// Ramp: the delay runs out first, then the speed climbs one step per tick.
void runRamp()
{
    if (controllerState.rampDelayTicks > 0)
        --controllerState.rampDelayTicks;
    else if (controllerState.rampActive)
        stepRamp();
}

// Keep custom speed after stopping; a mode of 0 or below turns it off.
void keepCustomSpeedAfterStopping()
{
    if (keepMode() <= 0)
        return;
    detectStop();
    runStopWatch();
    runRamp();
}

// ---- First person and sprint start ------------------------------------------

// In the first-person camera a walking pace is imposed while the player pushes
// a direction, so the game does not break into its automatic run.
void suppressFirstPersonAutoRun()
{
    if (settings.disableAutoRunInFirstPersonCamera && NativeInvoker::isFirstPersonCameraActive(0, 0, 0) &&
        isMoveInputActive() && !controllerState.sprintHeld)
        applyTargetSpeed(firstPersonWalkSpeed);
}

// The sprint control (or Shift) held while moving: the sprint press handler
// takes over for this tick. The control is asked every tick.
void startSprint()
{
    if ((NativeInvoker::isControlPressed(0, inputScriptedFlyZup) || controllerState.shiftHeld) && isMoveInputActive())
        onSprintPressed();
}

// ---- Apply ------------------------------------------------------------------

// What a drop leaves behind: the remembered fast walk, or the game's own speed.
void dropToFastWalkOrRelease()
{
    if (settings.rememberFastWalk && controllerState.fastWalkLatched)
        engagePersistentSpeed(settings.fastWalkCustomSpeed);
    else
        releaseCustomSpeed();
}

// Drop on stop: in mode 0 (and in mode 2 for a run speed) a lasting custom
// speed goes as soon as the player lets go of the move inputs.
bool dropOnStop()
{
    if (!isMoveInputActive() && !controllerState.releaseAfterApply &&
        (keepMode() == 0 || (keepMode() == 2 && controllerState.targetSpeed > runSpeedThreshold))) {
        dropToFastWalkOrRelease();
        return true;
    }
    return false;
}

// True when the target lies in the neutral window around the game's own walk
// speed, where a custom speed means nothing; only with a coarse increment.
bool inNeutralWindow()
{
    // The low bound is compared in double on purpose, so that the single 0.97
    // (just above the double 0.97) falls inside the window.
    return static_cast<double>(controllerState.targetSpeed) > neutralWindowLow &&
           controllerState.targetSpeed < neutralWindowHigh && settings.speedIncrement > neutralWindowMinIncrement;
}

// A lasting speed that this tick must not impose. Returns true when the tick
// ends here: standing with the speed kept, or released in the neutral window.
bool holdOrReleaseLastingSpeed()
{
    if (!isMoveInputActive() && keepMode() > 0)
        return true;
    if (inNeutralWindow()) {
        if (!(settings.rememberFastWalk && controllerState.fastWalkLatched))
            releaseCustomSpeed();
        return true;
    }
    return false;
}

// The speed the settle check corrects to, when the game will not reach the
// target: the ped's desired speed if it is a run, else the fast walk. The
// speed adopted is a reading of its own, taken after the three tests.
void settleTargetSpeed()
{
    if (controllerState.targetSpeed > askDesiredSpeed() && askDesiredSpeed() < settleHighestDesired) {
        if (askDesiredSpeed() > settleAdoptAbove)
            engagePersistentSpeed(askDesiredSpeed());
        else if (controllerState.targetSpeed > settleFallbackSpeed && askDesiredSpeed() < settleAdoptAbove)
            engagePersistentSpeed(settleFallbackSpeed);
    }
}

// Settle countdown: one tick less before the settle check, down to 0.
void countDownSettleDelay()
{
    if (controllerState.settleDelayTicks > 0)
        --controllerState.settleDelayTicks;
}

// Settle check, once its countdown has run out; waits while the speed is
// temporary, the movement is constrained or the first-person camera is on.
void runSettleCheck()
{
    if (controllerState.settleCheckArmed && controllerState.settleDelayTicks == 0 &&
        !controllerState.releaseAfterApply && !isMovementConstrained() &&
        !NativeInvoker::isFirstPersonCameraActive(0, 0, 0)) {
        settleTargetSpeed();
        controllerState.settleCheckArmed = false;
    }
}

// Settle arming: a fast target the ped does not even want arms the check.
void armSettleCheck()
{
    if (controllerState.targetSpeed > settleArmAbove && askDesiredSpeed() <= settleArmAbove &&
        !controllerState.settleCheckArmed) {
        controllerState.settleCheckArmed = true;
        controllerState.settleDelayTicks = settleDelay;
    }
}

// Release countdown: one application less, down to 0.
void countDownRelease()
{
    if (controllerState.releaseCountdown > 0)
        --controllerState.releaseCountdown;
}

// Temporary release: a temporary speed goes right after its one application.
void releaseTemporarySpeed()
{
    if (controllerState.releaseAfterApply && controllerState.releaseCountdown == 0)
        releaseCustomSpeed();
}

// Apply step for an engaged custom speed. Returns false when the tick ends here.
bool applyCustomSpeed()
{
    if (dropOnStop())
        return false;
    if (!controllerState.releaseAfterApply && holdOrReleaseLastingSpeed())
        return false;
    countDownSettleDelay();
    runSettleCheck();
    armSettleCheck();
    applyTargetSpeed(controllerState.targetSpeed);
    countDownRelease();
    releaseTemporarySpeed();
    return true;
}

// ---- Remembered fast walk ---------------------------------------------------

// Standing with nothing engaged and the fast walk latched: the fast walk comes
// back as a lasting speed, imposed from the next tick that applies it.
void restoreRememberedFastWalk()
{
    if (!controllerState.customSpeedActive && settings.rememberFastWalk && controllerState.fastWalkLatched &&
        controllerState.noCustomSpeed && !isMoveInputActive() && askDesiredSpeed() == 0.0f)
        engagePersistentSpeed(settings.fastWalkCustomSpeed);
}

}  // namespace

// One tick of the controller; the script loop calls it before the key dispatcher.
void controllerTick()
{
    sanitiseSettings();
    if (!settings.enabled)
        return;
    if (!controllerMayAct()) {
        releaseCustomSpeed();
        return;
    }
    recordMovementStatus();
    if (settings.mouseWheelEnabled)
        mouseWheelUpdate();
    if (settings.walkControlEnabled)
        walkControlUpdate();
    keepCustomSpeedAfterStopping();
    suppressFirstPersonAutoRun();
    startSprint();
    if (controllerState.customSpeedActive && !applyCustomSpeed())
        return;
    restoreRememberedFastWalk();
}
