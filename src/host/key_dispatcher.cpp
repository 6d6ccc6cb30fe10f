#include "host/key_dispatcher.h"

#include <cstdint>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/sprint_press.h"
#include "game/movement_probes.h"
#include "host/hotkeys.h"
#include "host/key_state_table.h"

namespace {

// The walk-control key's press and release, recorded only while the player
// gives movement input: a press or release made standing still is erased.
void dispatchWalkControlKey()
{
    const uint32_t key = keyCodeOfSetting(settings.walkControlKey);
    if (!isMoveInputActive()) {
        clearKeySlot(key);
        clearWalkKey();
    }
    if (isKeyHeld(key) && isMoveInputActive()) {
        controllerState.walkKeyHeld = true;
        controllerState.walkKeyReleased = false;
    }
    if (isKeyJustReleased(key)) {
        // Reset first, so the release is acted on once.
        clearKeySlot(key);
        if (isMoveInputActive()) {
            controllerState.walkKeyHeld = false;
            controllerState.walkKeyReleased = true;
        }
    }
}

// The sprint key (Shift unless [Keys] names another) held for the
// controller's sprint start; its release ends the sprint press.
void dispatchSprintKey()
{
    const uint32_t key = keyCodeOfSetting(settings.sprintKey);
    if (isKeyHeld(key))
        controllerState.shiftHeld = true;
    if (isKeyJustReleased(key)) {
        clearKeySlot(key);
        onSprintReleased();
        controllerState.shiftHeld = false;
    }
}

}  // namespace

void dispatchKeys()
{
    // None of the blocks looks at settings.enabled: a plug-in switched off
    // still tracks its keys and can be switched on again.
    if (settings.walkControlEnabled)
        dispatchWalkControlKey();
    if (settings.shiftTapEnabled)
        dispatchSprintKey();
    dispatchHotkeys();
}
