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

#include "game/native_catalogue.h"

namespace NativeInvoker {

// The native hashes, exactly as the host resolves them: Hash::playerPed and
// so on, one per row of native_catalogue.h.
namespace Hash {
#define AMBLEWORKS_NATIVE_HASH(role, hash, args, result) inline constexpr uint64_t role = hash;
AMBLEWORKS_NATIVES(AMBLEWORKS_NATIVE_HASH)
#undef AMBLEWORKS_NATIVE_HASH
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
