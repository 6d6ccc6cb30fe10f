#include "host/hotkeys.h"

#include "config/settings.h"
#include "host/key_state_table.h"

namespace {

// True when the hotkey modifier is down; a modifier of 0 means the hotkeys
// need none, and a modifier without a slot (255 or more) lets none act.
bool hotkeyModifierHeld()
{
    return settings.hotkeyModifier == 0 || isKeyHeld(keyCodeOfSetting(settings.hotkeyModifier));
}

}  // namespace

// The slots are never reset, so a combination acts in every tick while its
// keys read as down. A reload is the block's very last step: keys it changes
// act from the next tick.
void dispatchHotkeys()
{
    if (!hotkeyModifierHeld())
        return;
    if (isKeyHeld(keyCodeOfSetting(settings.switchOffKey))) {
        settings.enabled = false;
        return;
    }
    if (isKeyHeld(keyCodeOfSetting(settings.switchOnKey))) {
        settings.enabled = true;
        return;
    }
    if (isKeyHeld(keyCodeOfSetting(settings.reloadKey)))
        loadSettingsGuarded();
}
