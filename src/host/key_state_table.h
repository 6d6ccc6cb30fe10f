#pragma once
// The last keyboard message of every virtual-key code 0 to 254, written by the
// host's keyboard callback (perhaps on another thread) and read by the script.
//
// Each field is one 32-bit word, stored and loaded whole with relaxed atomics:
// no lock on either side, and nothing orders the words of a slot against each
// other. A query may see a slot halfway through an update; the next tick sees
// it whole.

#include <atomic>
#include <cstdint>

// The last message of one key, and when it came.
struct KeyState {
    std::atomic<uint32_t> stampMs{0};   // clock at the last message; 0 when never written or reset
    std::atomic<uint32_t> altDown{0};   // the message came with Alt held (kept, not read)
    std::atomic<uint32_t> wasDown{0};   // the key was already down before it (kept, not read)
    std::atomic<uint32_t> released{0};  // the message was a release; any non-zero value
};

// Codes 255 and above have no slot.
inline constexpr uint32_t keySlotCount = 255;
// A press counts as down for this long after the key's last message.
inline constexpr uint32_t heldWindowMs = 5000;
// A release counts as just happened for this long.
inline constexpr uint32_t releaseWindowMs = 100;

// The one process-wide table, zero at load.
extern KeyState keyStateTable[keySlotCount];

// The keyboard callback registered with the host. Allocates nothing, locks
// nothing, calls no native: a bounds test, one clock read, four word stores.
void handleKeyboardMessage(uint32_t keyCode, uint16_t repeatCount, uint8_t scanCode, int32_t extendedKey,
                           int32_t altDown, int32_t wasDown, int32_t released);

// Down: the last message was a press less than 5000 ms ago. An empty slot is
// never down.
bool isKeyHeld(uint32_t key);
// Just up: the last message was a release less than 100 ms ago. Does not
// clear the slot. An empty slot is never just up.
bool isKeyJustReleased(uint32_t key);
// Empties the key's slot, cancelling whatever it had pending.
void clearKeySlot(uint32_t key);

// A key setting of Ambleworks.ini (WALK_CONTROL_KEY, the keys of [Keys]) as a
// virtual-key code: a negative setting becomes a code of 255 or more, which
// has no slot, so no key acts in that role.
inline uint32_t keyCodeOfSetting(int32_t setting)
{
    return static_cast<uint32_t>(setting);
}
