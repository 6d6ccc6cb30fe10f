#include "controller/walk_control.h"

#include <cstdint>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/speeds_and_ticks.h"
#include "game/control_names.h"
#include "game/movement_probes.h"
#include "game/native_invoker.h"

// Sections: the tick's steps (hold count, Alt suppression, hold stages,
// release), the short press and its cases, then the shared plain walk and
// sprint pulse.

namespace {

constexpr int32_t altKey = 0x12;

// The hold stages, by the number of ticks the key was seen down: the plain
// walk after 20, the slow walk after 25, kept for good after 220.
constexpr int32_t slowDownAfterTicks = 20;
constexpr int32_t slowWalkAfterTicks = 25;
constexpr int32_t slowWalkStaysAfterTicks = 220;
// A release after this many ticks or more only ends the hold.
constexpr int32_t releaseEndsHoldTicks = 20;

// The bottom of the fast-walk band (its top is the highest walking pace).
constexpr float lowestFastWalkSpeed = 1.3f;
// Below the band, a short press this close to the fast-walk speed switches
// the fast walk off, from the fast walk itself or from 1.05 up; farther away
// it switches the fast walk on.
constexpr float fastWalkWindow = 0.13f;
constexpr float lowestSwitchOffSpeed = 1.05f;

// Counts one more tick of holding the key. While it is down a walking-pace
// custom speed stops being imposed; a run speed of 1.51 or more stays.
void countWalkKeyHold()
{
    if (!controllerState.walkKeyHeld)
        return;
    ++controllerState.walkKeyHoldTicks;
    if (controllerState.targetSpeed < lowestRunSpeed)
        controllerState.customSpeedActive = false;
}

// With Alt as the walk key, keeps the game from revealing the HUD on it.
void suppressAltForFastWalk()
{
    if (settings.fastWalkEnabled && settings.walkControlKey == altKey)
        NativeInvoker::disableControlAction(0, inputRevealHud, 1);
}

// With Alt as the walk key, keeps the game from switching the radar on it.
void suppressAltForSlowWalk()
{
    if (settings.walkControlKey == altKey)
        NativeInvoker::disableControlAction(0, inputSelectRadarMode, 1);
}

// Ticks 21 to 25 of a hold: one tick of 1.2, only from a speed of 1.2 or more.
void slowDownToWalk()
{
    if (controllerState.targetSpeed < plainWalkSpeed)
        return;
    setTargetSpeed(plainWalkSpeed);
    engageTemporarySpeed();
}

// Ticks 26 to 220: the slow-walk speed for this one tick; the next tick of the
// hold sets it again, and a release here leaves no custom speed behind.
void imposeSlowWalkThisTick()
{
    setTargetSpeed(settings.slowWalkCustomSpeed);
    controllerState.noCustomSpeed = (settings.slowWalkCustomSpeed == 0.0f);
    controllerState.releaseAfterApply = true;
    engageCustomSpeed();
}

// The hold stages by the number of ticks held. Also runs in the tick the
// release is handled, since the count is still set then.
void applySlowWalkStage(int32_t holdTicks)
{
    if (holdTicks > slowDownAfterTicks && holdTicks <= slowWalkAfterTicks)
        slowDownToWalk();
    else if (holdTicks > slowWalkAfterTicks && holdTicks <= slowWalkStaysAfterTicks)
        imposeSlowWalkThisTick();
    else if (holdTicks > slowWalkStaysAfterTicks)
        engagePersistentSpeed(settings.slowWalkCustomSpeed);  // stays after the key is let go
}

// Slow walk: Alt suppression, then the stage for this hold.
void slowWalkUpdate(int32_t holdTicks)
{
    suppressAltForSlowWalk();
    applySlowWalkStage(holdTicks);
}

// Fast walk on: the fast-walk speed as a lasting custom speed, remembered as
// chosen with this key.
void latchFastWalk()
{
    controllerState.fastWalkLatched = true;
    engagePersistentSpeed(settings.fastWalkCustomSpeed);
}

// From a run speed while the game lets a run drop to a walk and the ped wants
// exactly 1.5: a plain walk. isRunDropAllowed is always asked first.
bool dropRunToWalk(float speed)
{
    if (NativeInvoker::isRunDropAllowed() && speed >= highestWalkSpeed && askDesiredSpeed() == highestWalkSpeed &&
        !isMovementConstrained()) {
        engagePlainWalk();
        return true;
    }
    return false;
}

// From no custom speed while the ped wants exactly 1.5: the sprint control is
// pulsed and no custom speed is set. The desired speed is asked again here.
bool pulseSprintFromNoSpeed(float speed)
{
    if (speed == 0.0f && askDesiredSpeed() == highestWalkSpeed && !isMovementConstrained()) {
        pulseSprintControl();
        return true;
    }
    return false;
}

// From a speed below the fast-walk band: far from the fast-walk speed the
// fast walk is latched; close to it (the fast walk itself, or a walk of 1.05
// or more) it is switched off through a plain walk; otherwise nothing.
void shortPressBelowBand(float speed)
{
    const float fast = settings.fastWalkCustomSpeed;
    if (speed < fast - fastWalkWindow || speed > fast + fastWalkWindow)
        latchFastWalk();
    else if (speed == fast || speed >= lowestSwitchOffSpeed)
        engagePlainWalk();
}

// A short press (at most 18 ticks): switches the fast walk on or off, judged
// from the target speed as it stands; the first case that matches is taken.
void handleShortPress()
{
    const float speed = controllerState.targetSpeed;
    if (dropRunToWalk(speed))
        return;
    if (pulseSprintFromNoSpeed(speed))
        return;
    if (speed >= lowestFastWalkSpeed && speed <= highestWalkSpeed) {
        // In the fast-walk band: off, unless it is being ramped back after a stop.
        if (controllerState.rampActive)
            latchFastWalk();
        else
            engagePlainWalk();
        return;
    }
    if (speed > highestWalkSpeed) {
        latchFastWalk();
        return;
    }
    shortPressBelowBand(speed);
}

// The key's release. A release after 20 or more ticks only ends the hold. With
// the fast walk enabled a shorter one is handled (a press of at most 18 ticks
// is a short press; 19 ticks only ends the hold). With the fast walk disabled
// a shorter release stays pending and a new press counts on from it.
void handleWalkKeyRelease(int32_t holdTicks)
{
    if (controllerState.walkKeyReleased && holdTicks >= releaseEndsHoldTicks) {
        controllerState.fastWalkLatched = false;
        clearWalkKey();
        return;
    }
    if (settings.fastWalkEnabled && controllerState.walkKeyReleased) {
        controllerState.fastWalkLatched = false;
        if (holdTicks <= shortPressTicks)
            handleShortPress();
        clearWalkKey();
    }
}

}  // namespace

void walkControlUpdate()
{
    // During a sprint press, or without movement input, only the final check runs.
    if (!controllerState.sprintHeld && isMoveInputActive()) {
        countWalkKeyHold();
        const int32_t holdTicks = controllerState.walkKeyHoldTicks;
        suppressAltForFastWalk();
        if (settings.slowWalkEnabled)
            slowWalkUpdate(holdTicks);
        handleWalkKeyRelease(holdTicks);
    }
    if (!isMoveInputActive())
        clearWalkKey();
}

void engagePlainWalk()
{
    setTargetSpeed(NativeInvoker::isFirstPersonCameraActive(0, 0, 0) ? gameWalkSpeed : plainWalkSpeed);
    engageTemporarySpeed();
}

bool fastWalkRemembered()
{
    return settings.rememberFastWalk && controllerState.fastWalkLatched;
}

void pulseSprintControl()
{
    NativeInvoker::setControlValueNextFrame(0, inputSprint, controlReleased);
    NativeInvoker::setControlValueNextFrame(0, inputSprint, controlFullyPressed);
}
