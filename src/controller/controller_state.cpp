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

void armRelease()
{
    controllerState.releaseCountdown = 1;
}

void engageTemporarySpeed()
{
    controllerState.noCustomSpeed = false;
    engageCustomSpeed();
    controllerState.releaseAfterApply = true;
    armRelease();
}

void engagePersistentSpeed(float speed)
{
    setTargetSpeed(speed);
    controllerState.noCustomSpeed = (speed == 0.0f);
    engageCustomSpeed();
    controllerState.releaseAfterApply = false;
    armRelease();
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
    armRelease();
}

void clearWalkKey()
{
    controllerState.walkKeyHeld = false;
    controllerState.walkKeyReleased = false;
    controllerState.walkKeyHoldTicks = 0;
}
