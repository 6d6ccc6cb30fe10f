#include "controller/settle_check.h"

#include "controller/controller_state.h"
#include "controller/speeds_and_ticks.h"
#include "game/movement_probes.h"
#include "game/native_invoker.h"

namespace {

// A desired speed above this is a run worth adopting as the new target.
constexpr float settleAdoptAbove = 1.45f;

// The speed the settle check corrects to, when the game will not reach the
// target: the ped's desired speed if it is a run, else the fast walk. The
// speed adopted is a reading of its own, taken after the three tests.
void settleTargetSpeed()
{
    if (controllerState.targetSpeed > askDesiredSpeed() && askDesiredSpeed() < highestBelowSprintSpeed) {
        if (askDesiredSpeed() > settleAdoptAbove)
            engagePersistentSpeed(askDesiredSpeed());
        else if (controllerState.targetSpeed > builtInFastWalkSpeed && askDesiredSpeed() < settleAdoptAbove)
            engagePersistentSpeed(builtInFastWalkSpeed);
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

// Settle arming: a sprint-fast target the ped does not even want arms the check.
void armSettleCheckForFastTarget()
{
    if (controllerState.targetSpeed > sprintSpeed && askDesiredSpeed() <= sprintSpeed &&
        !controllerState.settleCheckArmed)
        armSettleCheck();
}

}  // namespace

void armSettleCheck()
{
    controllerState.settleCheckArmed = true;
    controllerState.settleDelayTicks = settleDelay;
}

void settleCheck()
{
    countDownSettleDelay();
    runSettleCheck();
    armSettleCheckForFastTarget();
}
