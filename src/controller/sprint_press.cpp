#include "controller/sprint_press.h"

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/movement_history.h"
#include "controller/speeds_and_ticks.h"
#include "controller/walk_control.h"
#include "game/movement_probes.h"
#include "game/native_invoker.h"

// Sections: the press, step by step (save, suspend, book, the two forces, the
// start classification); then the release (stopped, after an override, the
// sprint pulse, the Shift tap, the end of the press).

namespace {

// The press ticks in which the two forces may pin the ped at a sprint, and
// the ticks in which the start of the press is classified.
constexpr int32_t lastFirstForceTick = 12;
constexpr int32_t lastSecondForceTick = 14;
constexpr int32_t lastClassifyTick = 5;

// First tick of a press: remember what was active and clear the target.
void savePreSprintState()
{
    if (controllerState.sprintHeld)
        return;
    controllerState.preSprintDesiredSpeed = askDesiredSpeed();
    controllerState.preSprintCustomActive = controllerState.customSpeedActive;
    controllerState.preSprintSpeed = controllerState.targetSpeed;
    setTargetSpeed(0.0f);
}

// Lets the game's own run take over, unless the wheel overrode boundaries
// during this press: that speed stays engaged for the rest of the press.
void suspendCustomSpeed()
{
    if (controllerState.boundaryOverrideRequested)
        return;
    controllerState.customSpeedActive = false;
    controllerState.noCustomSpeed = true;
}

// Counts the press tick and cancels the stop, the ramp and the walk key.
void bookSprintTick()
{
    ++controllerState.sprintTicks;
    controllerState.sprintHeld = true;
    controllerState.rampActive = false;
    controllerState.rampDelayTicks = 0;
    controllerState.stoppedWithCustomSpeed = false;
    clearWalkKey();
}

// Ticks 1 to 12 from a custom speed, while the ped already wants 2.0 or more:
// pin it at 2.0 and remember that the press was forced.
void firstForce()
{
    if (controllerState.preSprintCustomActive && controllerState.sprintTicks <= lastFirstForceTick &&
        askDesiredSpeed() >= sprintSpeed) {
        forcePedSpeed(sprintSpeed);
        controllerState.sprintForced = true;
    }
}

// A press tick goes on past the forces only at a run speed, or while the
// movement is constrained; the probe is asked only below 1.51.
bool pressTickEndsEarly()
{
    return askDesiredSpeed() < lowestRunSpeed && !isMovementConstrained();
}

// Ticks 1 to 14 from a custom speed, while the ped wants no more than 1.99
// and wanted more than 0.8 when the press began: pin it at 2.0.
void secondForce()
{
    if (controllerState.preSprintCustomActive && controllerState.sprintTicks <= lastSecondForceTick &&
        askDesiredSpeed() <= highestBelowSprintSpeed && controllerState.preSprintDesiredSpeed > slowWalkPace)
        forcePedSpeed(sprintSpeed);
}

// Ticks 1 to 5: from a walk (two recorded ticks back neither running nor
// sprinting), or from a saved speed in the walk band, the press counts as
// begun at walking pace; a saved speed between 0 and 1.0 counts as slow.
// Only the first tick can clear the walk-pace mark.
void classifyPressStart()
{
    const float saved = controllerState.preSprintSpeed;
    if (movementStatusIs(-2, runningWord) || movementStatusIs(-2, sprintingWord)) {
        if (saved >= gameWalkSpeed && saved <= highestWalkSpeed)
            controllerState.pressFromWalkPace = true;
        else if (controllerState.sprintTicks <= 1)
            controllerState.pressFromWalkPace = false;
    } else {
        controllerState.pressFromWalkPace = true;
    }
    controllerState.pressFromSlowSpeed = saved > 0.0f && saved < gameWalkSpeed;
}

// After a wheel override: a lasting 2.0 while the ped still wants more than
// 2.0, otherwise the wheel's speed stays. Boundaries stay as the wheel left them.
void endOverriddenPress()
{
    controllerState.boundaryOverrideRequested = false;
    if (askDesiredSpeed() > sprintSpeed)
        engagePersistentSpeed(sprintSpeed);
}

// A forced press hands the sprint back to the game outside the first-person camera.
void sendSprintPulse()
{
    if (controllerState.sprintForced && !NativeInvoker::isFirstPersonCameraActive(0, 0, 0))
        pulseSprintControl();
}

// Stop running: the remembered fast walk, or a plain walk for one tick.
void stopRunning()
{
    if (fastWalkRemembered())
        engagePersistentSpeed(settings.fastWalkCustomSpeed);
    else
        engagePlainWalk();
}

// A press of at most 18 ticks: from walking pace or a slow speed, the light
// run; from a run or sprint that is still going, stop running.
void handleShiftTap()
{
    if (controllerState.sprintTicks > shortPressTicks)
        return;
    const bool fromWalkOrSlow = controllerState.pressFromWalkPace || controllerState.pressFromSlowSpeed;
    if (settings.shiftTapLightRunEnabled && fromWalkOrSlow) {
        engagePersistentSpeed(settings.shiftTapCustomSpeed);
        return;
    }
    if (settings.shiftTapStopRunning && !fromWalkOrSlow &&
        (NativeInvoker::isPedRunning(NativeInvoker::playerPed()) ||
         NativeInvoker::isPedSprinting(NativeInvoker::playerPed())))
        stopRunning();
}

// Forgets everything the press saved and counted.
void endPress()
{
    controllerState.pressFromWalkPace = false;
    controllerState.pressFromSlowSpeed = false;
    controllerState.preSprintCustomActive = false;
    controllerState.sprintForced = false;
    controllerState.preSprintSpeed = 0.0f;
    controllerState.preSprintDesiredSpeed = 0.0f;
    controllerState.sprintTicks = 0;
}

}  // namespace

void onSprintPressed()
{
    savePreSprintState();
    suspendCustomSpeed();
    bookSprintTick();
    firstForce();
    if (pressTickEndsEarly())
        return;
    secondForce();
    if (controllerState.sprintTicks > lastClassifyTick)
        return;
    classifyPressStart();
}

void onSprintReleased()
{
    controllerState.sprintHeld = false;
    if (!isMoveInputActive()) {
        // Released standing: the speed goes, the press bookkeeping stays and
        // the next press counts on from it.
        releaseCustomSpeed();
        return;
    }
    if (controllerState.boundaryOverrideRequested) {
        endOverriddenPress();
    } else {
        settings.respectBoundaries = controllerState.respectBoundariesConfigured;
        sendSprintPulse();
        handleShiftTap();
    }
    endPress();
}
