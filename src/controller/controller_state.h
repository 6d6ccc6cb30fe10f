#pragma once
// Every run-time variable of the speed controller, in one process-wide record,
// and the groups of stores that always go together. A store group only
// writes fields: it never asks the game anything and never applies a speed.

#include <cstdint>

struct ControllerState {
    // Target speed and engagement.
    float targetSpeed = 0.0f;        // imposed while customSpeedActive; 0 when released
    bool customSpeedActive = false;  // the controller enforces targetSpeed
    bool noCustomSpeed = false;      // no custom speed chosen (gates the remembered fast walk)
    bool releaseAfterApply = false;  // the engaged speed is temporary: one application

    // Keep custom speed after stopping, and the ramp back up.
    bool stoppedWithCustomSpeed = false;
    int32_t stopWatchTicks = 0;  // 0 to 14
    bool rampActive = false;
    int32_t rampDelayTicks = 0;  // 0 to 50
    float rampGoalSpeed = 0.0f;

    // Settle check.
    bool settleCheckArmed = false;
    int32_t settleDelayTicks = 0;  // 0 to 3

    // Sprint press.
    bool sprintHeld = false;
    int32_t sprintTicks = 0;
    bool preSprintCustomActive = false;
    float preSprintSpeed = 0.0f;
    float preSprintDesiredSpeed = 0.0f;
    bool pressFromWalkPace = false;
    bool pressFromSlowSpeed = false;
    bool sprintForced = false;
    bool boundaryOverrideRequested = false;

    // Walk-control key, Shift key and boundaries.
    bool walkKeyHeld = false;
    bool walkKeyReleased = false;
    int32_t walkKeyHoldTicks = 0;
    bool fastWalkLatched = false;
    bool shiftHeld = false;
    // RESPECT_BOUNDARIES as last loaded. Starts as the built-in default (true),
    // so a Shift release before any load reached that key keeps boundaries on.
    bool respectBoundariesConfigured = true;
};

// The one process-wide controller record.
extern ControllerState controllerState;

// targetSpeed = speed, and nothing else.
void setTargetSpeed(float speed);
// Engages the custom speed: clears the stop and the ramp.
void engageCustomSpeed();
// Engages the speed the caller sets as a temporary one, applied exactly once.
void engageTemporarySpeed();
// Engages `speed` as a lasting custom speed.
void engagePersistentSpeed(float speed);
// Drops the custom speed: the game's own speed takes over.
void releaseCustomSpeed();
// Forgets the walk-control key's press and its hold count.
void clearWalkKey();
