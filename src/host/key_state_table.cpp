#include "host/key_state_table.h"

#include "host/host_interface.h"

KeyState keyStateTable[keySlotCount];

namespace {

// One slot as a query sees it: four words loaded one after the other.
struct KeySnapshot {
    uint32_t stampMs;
    uint32_t altDown;
    uint32_t wasDown;
    uint32_t released;
};

KeySnapshot readKeySlot(uint32_t key)
{
    const KeyState& slot = keyStateTable[key];
    return KeySnapshot{slot.stampMs.load(std::memory_order_relaxed), slot.altDown.load(std::memory_order_relaxed),
                       slot.wasDown.load(std::memory_order_relaxed), slot.released.load(std::memory_order_relaxed)};
}

// A slot never written, or reset: it stands for no message at all.
bool isEmptySlot(const KeySnapshot& slot)
{
    return slot.stampMs == 0 && slot.altDown == 0 && slot.wasDown == 0 && slot.released == 0;
}

// Milliseconds since the slot's message, on the wrapping 32-bit clock, so the
// windows stay right across the counter's wrap-around.
uint32_t elapsedSinceMs(const KeySnapshot& slot)
{
    return tickCountMs() - slot.stampMs;
}

}  // namespace

void handleKeyboardMessage(uint32_t keyCode, uint16_t /*repeatCount*/, uint8_t /*scanCode*/, int32_t /*extendedKey*/,
                           int32_t altDown, int32_t wasDown, int32_t released)
{
    if (keyCode >= keySlotCount)
        return;
    KeyState& slot = keyStateTable[keyCode];
    slot.stampMs.store(tickCountMs(), std::memory_order_relaxed);
    slot.altDown.store(static_cast<uint32_t>(altDown), std::memory_order_relaxed);
    slot.wasDown.store(static_cast<uint32_t>(wasDown), std::memory_order_relaxed);
    slot.released.store(static_cast<uint32_t>(released), std::memory_order_relaxed);
}

bool isKeyHeld(uint32_t key)
{
    if (key >= keySlotCount)
        return false;
    const KeySnapshot slot = readKeySlot(key);
    if (isEmptySlot(slot))
        return false;
    return slot.released == 0 && elapsedSinceMs(slot) < heldWindowMs;
}

bool isKeyJustReleased(uint32_t key)
{
    if (key >= keySlotCount)
        return false;
    const KeySnapshot slot = readKeySlot(key);
    if (isEmptySlot(slot))
        return false;
    return slot.released != 0 && elapsedSinceMs(slot) < releaseWindowMs;
}

void clearKeySlot(uint32_t key)
{
    if (key >= keySlotCount)
        return;
    KeyState& slot = keyStateTable[key];
    slot.stampMs.store(0, std::memory_order_relaxed);
    slot.altDown.store(0, std::memory_order_relaxed);
    slot.wasDown.store(0, std::memory_order_relaxed);
    slot.released.store(0, std::memory_order_relaxed);
}
