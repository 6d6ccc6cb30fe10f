#include "controller/controller_state.h"

ControllerState controllerState;

void setTargetSpeed(float speed)
{
    controllerState.targetSpeed = speed;
}

void engageCustomSpeed()
{
    controllerState.stoppedWithCustomSpeed = false;
    controllerState.rampActive = false;
    controllerState.rampDelayTicks = 0;
    controllerState.customSpeedActive = true;
}

void engageTemporarySpeed()
{
    controllerState.noCustomSpeed = false;
    engageCustomSpeed();
    controllerState.releaseAfterApply = true;
}

void engagePersistentSpeed(float speed)
{
    setTargetSpeed(speed);
    controllerState.noCustomSpeed = (speed == 0.0f);
    engageCustomSpeed();
    controllerState.releaseAfterApply = false;
}

void releaseCustomSpeed()
{
    setTargetSpeed(0.0f);
    controllerState.noCustomSpeed = true;
    controllerState.customSpeedActive = false;
    controllerState.stoppedWithCustomSpeed = false;
    controllerState.rampActive = false;
    controllerState.rampDelayTicks = 0;
    controllerState.releaseAfterApply = false;
}

void clearWalkKey()
{
    controllerState.walkKeyHeld = false;
    controllerState.walkKeyReleased = false;
    controllerState.walkKeyHoldTicks = 0;
}
