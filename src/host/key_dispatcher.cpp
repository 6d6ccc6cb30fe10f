#include "host/key_dispatcher.h"

#include <cstdint>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/sprint_press.h"
#include "game/movement_probes.h"
#include "host/key_state_table.h"
#include "host/plugin_entry.h"

namespace {

constexpr uint32_t shiftKey = 0x10;
constexpr uint32_t endKey = 0x23;
constexpr uint32_t numpad1Key = 0x61;
constexpr uint32_t numpad2Key = 0x62;
constexpr uint32_t numpad3Key = 0x63;

// The walk-control key as a virtual-key code; a negative setting becomes a
// code of 255 or more, which has no slot, so no key acts as the walk key.
uint32_t walkControlKeyCode()
{
    return static_cast<uint32_t>(settings.walkControlKey);
}

// The walk-control key's press and release, recorded only while the player
// gives movement input: a press or release made standing still is erased.
void dispatchWalkControlKey()
{
    const uint32_t key = walkControlKeyCode();
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

// Shift held for the controller's sprint start; a Shift release ends the
// sprint press.
void dispatchShiftKey()
{
    if (isKeyHeld(shiftKey))
        controllerState.shiftHeld = true;
    if (isKeyJustReleased(shiftKey)) {
        clearKeySlot(shiftKey);
        onSprintReleased();
        controllerState.shiftHeld = false;
    }
}

// End+Numpad1 switches the plug-in off, End+Numpad2 on, End+Numpad3 reloads
// Ambleworks.ini; the first that holds wins. The slots are never reset, so a
// combination acts in every tick while both keys read as down.
void dispatchHotkeys()
{
    if (!isKeyHeld(endKey))
        return;
    if (isKeyHeld(numpad1Key)) {
        settings.enabled = false;
        return;
    }
    if (isKeyHeld(numpad2Key)) {
        settings.enabled = true;
        return;
    }
    if (isKeyHeld(numpad3Key))
        loadSettingsGuarded();  // a bad value stops the load there; the script carries on
}

}  // namespace

void dispatchKeys()
{
    // None of the blocks looks at settings.enabled: a plug-in switched off
    // still tracks its keys and can be switched on again.
    if (settings.walkControlEnabled)
        dispatchWalkControlKey();
    if (settings.shiftTapEnabled)
        dispatchShiftKey();
    dispatchHotkeys();
}
