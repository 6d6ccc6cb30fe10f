#include "game/movement_probes.h"

#include "config/settings.h"
#include "controller/speeds_and_ticks.h"
#include "game/control_names.h"
#include "game/native_invoker.h"

using NativeInvoker::playerPed;

namespace {

// Holds the sprint control at full for the next frame, when the game lets us:
// a running pace under a boundary only sticks while the game sees sprint held.
// The control's hash is asked afresh for each of the three natives.
void holdSprintControl()
{
    if (NativeInvoker::isControlEnabled(0, inputSprint) && !NativeInvoker::isControlHoldBlocked(inputSprint))
        NativeInvoker::setControlValueNextFrame(0, inputSprint, controlFullyPressed);
}

}  // namespace

// Asks all four move inputs every time, even after one has answered true.
bool isMoveInputActive()
{
    const bool up = NativeInvoker::isControlPressed(0, inputMoveUpOnly);
    const bool left = NativeInvoker::isControlPressed(0, inputMoveLeftOnly);
    const bool down = NativeInvoker::isControlPressed(0, inputMoveDownOnly);
    const bool right = NativeInvoker::isControlPressed(0, inputMoveRightOnly);
    return up || left || down || right;
}

// Not free to move, the global restriction, or the ped's own restriction; stops
// asking at the first answer that decides.
bool isMovementConstrained()
{
    return !NativeInvoker::isPedMoveFree(playerPed()) || NativeInvoker::isGlobalMoveRestricted() ||
           NativeInvoker::isPedMoveRestricted(playerPed(), 0);
}

float askDesiredSpeed()
{
    return NativeInvoker::getPedDesiredSpeed(playerPed());
}

// Forces the speed where boundaries are off or the first-person camera wants a
// walking pace; otherwise only caps it and leaves the floor to the game.
void applyTargetSpeed(float speed)
{
    const bool respectBoundaries = settings.respectBoundaries;
    // Widened to double on purpose: the single nearest 1.51 lies below the
    // double 1.51, so a light run at the lowest allowed speed still counts as
    // a walking pace here.
    if ((NativeInvoker::isFirstPersonCameraActive(0, 0, 0) && static_cast<double>(speed) < lowestRunSpeedInDouble) ||
        !respectBoundaries) {
        forcePedSpeed(speed);
        return;
    }
    if (speed > gameWalkSpeed)
        holdSprintControl();
    NativeInvoker::setPedMaxSpeed(playerPed(), speed);
}

// Floor first, then cap, each with a freshly asked player handle.
void forcePedSpeed(float speed)
{
    NativeInvoker::setPedMinSpeed(playerPed(), speed);
    NativeInvoker::setPedMaxSpeed(playerPed(), speed);
}
