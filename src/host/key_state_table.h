#pragma once
// The last keyboard message of every virtual-key code 0 to 254, written by the
// host's keyboard callback (perhaps on another thread) and read by the script.

#include <cstdint>

// The keyboard callback registered with the host. Allocates nothing, locks
// nothing, calls no native.
void handleKeyboardMessage(uint32_t keyCode, uint16_t repeatCount, uint8_t scanCode,
                           int32_t extendedKey, int32_t altDown, int32_t wasDown, int32_t released);

// Down: the last message was a press less than 5000 ms ago.
bool isKeyHeld(uint32_t key);
// Just up: the last message was a release less than 100 ms ago.
bool isKeyJustReleased(uint32_t key);
// Empties the key's slot, cancelling whatever it had pending.
void clearKeySlot(uint32_t key);
