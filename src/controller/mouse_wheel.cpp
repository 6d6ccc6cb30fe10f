#include "controller/mouse_wheel.h"

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/settle_check.h"
#include "controller/speeds_and_ticks.h"
#include "game/control_names.h"
#include "game/movement_probes.h"
#include "game/native_invoker.h"

using NativeInvoker::playerPed;

namespace {

// Standing, a step never leaves less than this.
constexpr float lowestStandingSpeed = 0.5f;

// Outside a sprint press: one step per tick at most, and up wins over down.
void stepOnWheel()
{
    if (NativeInvoker::isDisabledControlJustPressed(0, inputPrevWeapon))
        stepSpeedUp();
    else if (NativeInvoker::isDisabledControlJustPressed(0, inputNextWeapon))
        stepSpeedDown();
}

// During a sprint press: up makes the speed one step higher a lasting one that
// ignores boundaries; down turns boundary respect back on.
void overrideBoundariesOnWheel()
{
    if (!settings.ableToOverrideBoundaries)
        return;
    if (NativeInvoker::isDisabledControlJustPressed(0, inputPrevWeapon)) {
        settings.respectBoundaries = false;
        controllerState.boundaryOverrideRequested = true;
        stepSpeedUp();
        engagePersistentSpeed(controllerState.targetSpeed);
    }
    if (NativeInvoker::isDisabledControlJustPressed(0, inputNextWeapon))
        settings.respectBoundaries = true;
}

// The shared body of both steps; `delta` is the increment, or its negation.
void stepSpeedBy(float delta)
{
    // With no custom speed the wheel does nothing while the player stands.
    if (!isMoveInputActive() && controllerState.targetSpeed == 0.0f)
        return;
    // Seed from how fast the ped wants to go, never below a slow walk.
    if (!controllerState.customSpeedActive) {
        setTargetSpeed(askDesiredSpeed());
        if (controllerState.targetSpeed <= slowWalkPace)
            setTargetSpeed(slowWalkPace);
    }
    const float stepped = controllerState.targetSpeed + delta;
    controllerState.customSpeedActive = true;
    armSettleCheck();
    setTargetSpeed(stepped);
    // The floor is tested first and, when it applies, skips the cap.
    if (stepped <= settings.minimumSpeed)
        setTargetSpeed(settings.minimumSpeed);
    else if (stepped > highestSpeed)
        setTargetSpeed(highestSpeed);
    if (!isMoveInputActive() && controllerState.targetSpeed < lowestStandingSpeed)
        setTargetSpeed(lowestStandingSpeed);
}

}  // namespace

// Takes the weapon wheel away from the game while on foot and turns its notches
// into speed steps (or, during a sprint press, into the boundary override).
void mouseWheelUpdate()
{
    if (!NativeInvoker::isPedOnFoot(playerPed()))
        return;
    // In a menu the wheel belongs to the game.
    if (NativeInvoker::isControlPressed(0, inputFrontendSelect))
        return;
    NativeInvoker::disableControlAction(0, inputPrevWeapon, 1);
    NativeInvoker::disableControlAction(0, inputNextWeapon, 1);
    if (!controllerState.sprintHeld)
        stepOnWheel();
    else
        overrideBoundariesOnWheel();
}

// One notch up by the configured increment.
void stepSpeedUp()
{
    stepSpeedBy(settings.speedIncrement);
}

// One notch down by the configured increment (adding the negated increment is
// exactly the single-precision subtraction).
void stepSpeedDown()
{
    stepSpeedBy(-settings.speedIncrement);
}
