#include "host/key_state_table.h"

// Placeholder until the key table lands.
void handleKeyboardMessage(uint32_t, uint16_t, uint8_t, int32_t, int32_t, int32_t, int32_t) {}
bool isKeyHeld(uint32_t) { return false; }
bool isKeyJustReleased(uint32_t) { return false; }
void clearKeySlot(uint32_t) {}
