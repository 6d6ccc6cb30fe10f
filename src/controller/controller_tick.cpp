#include "controller/controller_tick.h"

// The per-tick speed controller, in the order a tick runs. Each step has a
// file of its own where it is more than a few lines:
//   gate            - plug-in on, ped on foot, special ability not held
//   history         - movement_history.cpp
//   mouse wheel     - mouse_wheel.cpp
//   walk-control    - walk_control.cpp
//   stop and ramp   - keep_after_stop.cpp, ramp.cpp
//   first person    - stop auto-run in the first-person camera
//   sprint start    - sprint_press.cpp takes the press
//   apply           - drop, neutral window, settle check (settle_check.cpp),
//                     impose, release a temporary speed
//   fast walk       - bring back the remembered fast walk while standing

#include <cstdint>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/keep_after_stop.h"
#include "controller/mouse_wheel.h"
#include "controller/movement_history.h"
#include "controller/ramp.h"
#include "controller/settle_check.h"
#include "controller/speeds_and_ticks.h"
#include "controller/sprint_press.h"
#include "controller/walk_control.h"
#include "game/control_names.h"
#include "game/movement_probes.h"
#include "game/native_invoker.h"

// Index of this file:
// [SECTION] Gate
// [SECTION] First person and sprint start
// [SECTION] Apply
// [SECTION] Remembered fast walk

using NativeInvoker::playerPed;

namespace {

// The neutral window around the game's own walk, where a custom speed means
// nothing; it only counts with an increment coarser than its minimum.
constexpr double neutralWindowLow = 0.97;
constexpr float neutralWindowHigh = 1.03f;
constexpr float neutralWindowMinIncrement = 0.02f;

// ---------------------------------------------------------------------------
// [SECTION] Gate

// True when the controller may act this tick: the ped is on foot and the
// special ability is not held. Stops asking at the first answer that decides.
bool controllerMayAct()
{
    return NativeInvoker::isPedOnFoot(playerPed()) && !NativeInvoker::isControlPressed(0, inputSpecialAbility);
}

// ---------------------------------------------------------------------------
// [SECTION] First person and sprint start

// In the first-person camera a walking pace is imposed while the player pushes
// a direction, so the game does not break into its automatic run.
void suppressFirstPersonAutoRun()
{
    if (settings.disableAutoRunInFirstPersonCamera && NativeInvoker::isFirstPersonCameraActive(0, 0, 0) &&
        isMoveInputActive() && !controllerState.sprintHeld)
        applyTargetSpeed(gameWalkSpeed);
}

// The sprint control (or the sprint key) held while moving: the sprint press
// handler takes over for this tick. The control is asked every tick.
void startSprint()
{
    if ((NativeInvoker::isControlPressed(0, inputScriptedFlyZup) || controllerState.shiftHeld) && isMoveInputActive())
        onSprintPressed();
}

// ---------------------------------------------------------------------------
// [SECTION] Apply

// What a drop leaves behind: the remembered fast walk, or the game's own speed.
void dropToFastWalkOrRelease()
{
    if (fastWalkRemembered())
        engagePersistentSpeed(settings.fastWalkCustomSpeed);
    else
        releaseCustomSpeed();
}

// True when the mode drops this lasting speed the moment the player stops:
// mode 0 drops any, mode 2 only a run speed.
bool modeDropsOnStop()
{
    const int32_t mode = settings.keepCustomSpeedAfterStoppingMode;
    return mode == keepModeDropOnStop ||
           (mode == keepModeDropRunOnStop && controllerState.targetSpeed > highestWalkSpeed);
}

// Drop on stop: a lasting custom speed goes as soon as the player lets go of
// the move inputs, where the mode says so.
bool dropOnStop()
{
    if (!isMoveInputActive() && !controllerState.releaseAfterApply && modeDropsOnStop()) {
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
    if (!isMoveInputActive() && keepsSpeedAfterStopping())
        return true;
    if (inNeutralWindow()) {
        if (!fastWalkRemembered())
            releaseCustomSpeed();
        return true;
    }
    return false;
}

// A temporary speed goes right after its one application.
void releaseTemporarySpeed()
{
    if (controllerState.releaseAfterApply)
        releaseCustomSpeed();
}

// Apply step for an engaged custom speed. Returns false when the tick ends here.
bool applyCustomSpeed()
{
    if (dropOnStop())
        return false;
    if (!controllerState.releaseAfterApply && holdOrReleaseLastingSpeed())
        return false;
    settleCheck();
    applyTargetSpeed(controllerState.targetSpeed);
    releaseTemporarySpeed();
    return true;
}

// ---------------------------------------------------------------------------
// [SECTION] Remembered fast walk

// Standing with nothing engaged and the fast walk latched: the fast walk comes
// back as a lasting speed, imposed from the next tick that applies it.
void restoreRememberedFastWalk()
{
    if (!controllerState.customSpeedActive && fastWalkRemembered() && controllerState.noCustomSpeed &&
        !isMoveInputActive() && askDesiredSpeed() == 0.0f)
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
    if (keepsSpeedAfterStopping()) {
        keepCustomSpeedAfterStopping();
        runRamp();
    }
    suppressFirstPersonAutoRun();
    startSprint();
    if (controllerState.customSpeedActive && !applyCustomSpeed())
        return;
    restoreRememberedFastWalk();
}
