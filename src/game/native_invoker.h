#pragma once
// One typed operation per game native the plug-in uses. Each operation is one
// complete native call (init, pushes, call, result read at once); nothing is
// cached. Operations with a control argument take the control's name and ask
// the game for its hash first; ped natives take the handle, which callers get
// from playerPed() right before, every time.
//
// Why the plug-in asks the game again before every native, even for answers
// that look as if they could be kept (the player's handle, a control's hash,
// the desired speed read a line earlier): the order and the number of the
// native calls is the plug-in's behaviour. The hosts that run it see nothing
// but those calls (the simulator, the test and fuzz hosts, and reference
// hosts written apart from this code) and check every session call by call,
// and the game itself may answer differently from one call to the next. So a
// value is asked for where the behaviour uses it, a condition asks left to
// right and stops at the first answer that decides, and a call saved or moved
// is a change of behaviour, not an optimisation.

#include <cstdint>

namespace NativeInvoker {

// The native hashes, exactly as the host resolves them.
namespace Hash {
inline constexpr uint64_t playerPed = 0x096275889B8E0EE0ull;
inline constexpr uint64_t hashOfText = 0xFD340785ADF8CFB7ull;
inline constexpr uint64_t isControlPressed = 0xF3A21BCD95725A4Aull;
inline constexpr uint64_t isDisabledControlJustPressed = 0x91AEF906BCA88877ull;
inline constexpr uint64_t disableControlAction = 0xFE99B66D079CF6BCull;
inline constexpr uint64_t setControlValueNextFrame = 0xE8A25867FBA3B05Eull;
inline constexpr uint64_t isControlEnabled = 0x1CEA6BFDF248E5D9ull;
inline constexpr uint64_t isControlHoldBlocked = 0x1BE19185B8AFE299ull;
inline constexpr uint64_t isFirstPersonCameraActive = 0xA24C1D341C6E0D53ull;
inline constexpr uint64_t getPedDesiredSpeed = 0x8517D4A6CA8513EDull;
inline constexpr uint64_t isPedOnFoot = 0x01FEE67DB37F59B2ull;
inline constexpr uint64_t isPedWalking = 0xDE4C184B2B9B071Aull;
inline constexpr uint64_t isPedRunning = 0xC5286FFC176F28A2ull;
inline constexpr uint64_t isPedSprinting = 0x57E457CD2C0FC168ull;
inline constexpr uint64_t isPedStill = 0xAC29253EEF8F0180ull;
inline constexpr uint64_t setPedMaxSpeed = 0x433083750C5E064Aull;
inline constexpr uint64_t setPedMinSpeed = 0x01A898D26E2333DDull;
inline constexpr uint64_t isPedMoveFree = 0xBDD9C235D8D1052Eull;
inline constexpr uint64_t isGlobalMoveRestricted = 0x698F456FB909E077ull;
inline constexpr uint64_t isPedMoveRestricted = 0x4859F1FC66A6278Eull;
inline constexpr uint64_t isRunDropAllowed = 0x4200F14D6F840A9Aull;
}  // namespace Hash

// Argument slots: 32-bit values zero-extended, floats as their single-precision
// bits in the low half, texts as the address of a static string.
uint64_t slotOfInt(int32_t value);
uint64_t slotOfFloat(float value);
uint64_t slotOfText(const char* text);

// Results: only the low 32 bits of the slot are read.
int32_t intOfSlot(uint64_t slot);
bool boolOfSlot(uint64_t slot);
float floatOfSlot(uint64_t slot);

int32_t playerPed();
int32_t hashOfText(const char* text);

bool isControlPressed(int32_t controlGroup, const char* control);
bool isDisabledControlJustPressed(int32_t controlGroup, const char* control);
void disableControlAction(int32_t controlGroup, const char* control, int32_t disable);
void setControlValueNextFrame(int32_t controlGroup, const char* control, float value);
bool isControlEnabled(int32_t controlGroup, const char* control);
// The one control native without a group argument.
bool isControlHoldBlocked(const char* control);
bool isFirstPersonCameraActive(int32_t a, int32_t b, int32_t c);

float getPedDesiredSpeed(int32_t ped);
bool isPedOnFoot(int32_t ped);
bool isPedWalking(int32_t ped);
bool isPedRunning(int32_t ped);
bool isPedSprinting(int32_t ped);
bool isPedStill(int32_t ped);
void setPedMaxSpeed(int32_t ped, float speed);
void setPedMinSpeed(int32_t ped, float speed);
bool isPedMoveFree(int32_t ped);
bool isGlobalMoveRestricted();
bool isPedMoveRestricted(int32_t ped, int32_t flag);
bool isRunDropAllowed();

}  // namespace NativeInvoker
