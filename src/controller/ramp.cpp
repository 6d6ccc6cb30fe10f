#include "controller/ramp.h"

#include <cstdint>

#include "controller/controller_state.h"
#include "controller/speeds_and_ticks.h"

namespace {

constexpr int32_t rampDelay = 50;
// Steps are finer while the speed is a walk, so the climb through the walking
// paces is gentle.
constexpr float rampStepBelowRun = 0.01f;
constexpr float rampStepAtRun = 0.02f;
// Within this of the goal the ramp snaps to it rather than overshoot.
constexpr float rampSnapMargin = 0.03f;

// One ramp step: 0.01 below a run, 0.02 from a run on, snapping to the goal
// once within 0.03 of it; the tick after reaching it ends the ramp.
void stepRamp()
{
    if (controllerState.targetSpeed == controllerState.rampGoalSpeed) {
        controllerState.rampActive = false;
        return;
    }
    const float step = controllerState.targetSpeed >= highestWalkSpeed ? rampStepAtRun : rampStepBelowRun;
    const float raised = controllerState.targetSpeed + step;
    setTargetSpeed(raised);
    if (raised >= controllerState.rampGoalSpeed - rampSnapMargin)
        setTargetSpeed(controllerState.rampGoalSpeed);
}

}  // namespace

void startRamp()
{
    controllerState.rampGoalSpeed = controllerState.targetSpeed;
    setTargetSpeed(builtInFastWalkSpeed);
    // Counted down from this very tick, so 49 remain at its end.
    controllerState.rampDelayTicks = rampDelay;
    controllerState.rampActive = true;
}

void runRamp()
{
    if (controllerState.rampDelayTicks > 0)
        --controllerState.rampDelayTicks;
    else if (controllerState.rampActive)
        stepRamp();
}
