#include "host/key_dispatcher.h"

#include <cstdint>

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/sprint_press.h"
#include "game/movement_probes.h"
#include "host/key_state_table.h"
#include "host/plugin_entry.h"

namespace {

// A key setting as a virtual-key code; a negative setting becomes a code of
// 255 or more, which has no slot, so no key acts in that role.
uint32_t keyCode(int32_t setting)
{
    return static_cast<uint32_t>(setting);
}

// The walk-control key's press and release, recorded only while the player
// gives movement input: a press or release made standing still is erased.
void dispatchWalkControlKey()
{
    const uint32_t key = keyCode(settings.walkControlKey);
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

// The sprint key (Shift unless the player chose another) held for the
// controller's sprint start; its release ends the sprint press.
void dispatchShiftKey()
{
    const uint32_t key = keyCode(settings.sprintKey);
    if (isKeyHeld(key))
        controllerState.shiftHeld = true;
    if (isKeyJustReleased(key)) {
        clearKeySlot(key);
        onSprintReleased();
        controllerState.shiftHeld = false;
    }
}

// The hotkey modifier (End unless the player chose another) is down; a
// modifier of 0 means the hotkeys need none.
bool hotkeyModifierHeld()
{
    return settings.hotkeyModifier == 0 || isKeyHeld(keyCode(settings.hotkeyModifier));
}

// Modifier+switch-off key (End+Numpad1) switches the plug-in off, the
// switch-on key on, the reload key reloads Ambleworks.ini; the first that
// holds wins. The slots are never reset, so a combination acts in every tick
// while its keys read as down. Keys changed by a reload act from the next tick.
void dispatchHotkeys()
{
    if (!hotkeyModifierHeld())
        return;
    if (isKeyHeld(keyCode(settings.switchOffKey))) {
        settings.enabled = false;
        return;
    }
    if (isKeyHeld(keyCode(settings.switchOnKey))) {
        settings.enabled = true;
        return;
    }
    if (isKeyHeld(keyCode(settings.reloadKey)))
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
