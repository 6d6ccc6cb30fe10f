#include "controller/keep_after_stop.h"

#include <cstdint>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/movement_history.h"
#include "controller/ramp.h"
#include "controller/speeds_and_ticks.h"
#include "game/movement_probes.h"
#include "game/native_invoker.h"

namespace {

// The stop watch counts the first ticks after a stop without asking the game;
// only then does it ask whether the ped still stands.
constexpr int32_t lastCountedStopWatchTick = 13;

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
    if (controllerState.targetSpeed > highestWalkSpeed && settings.keepCustomSpeedAfterStoppingMode == keepModeRamp)
        startRamp();
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
    if (NativeInvoker::isPedStill(NativeInvoker::playerPed()))
        return;
    resumeAfterStop();
}

}  // namespace

bool keepsSpeedAfterStopping()
{
    return settings.keepCustomSpeedAfterStoppingMode > 0;
}

void keepCustomSpeedAfterStopping()
{
    detectStop();
    runStopWatch();
}
