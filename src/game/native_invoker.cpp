#include "game/native_invoker.h"

#include <bit>

#include "host/host_interface.h"

namespace NativeInvoker {

uint64_t slotOfInt(int32_t value)
{
    return static_cast<uint64_t>(static_cast<uint32_t>(value));
}

uint64_t slotOfFloat(float value)
{
    return static_cast<uint64_t>(std::bit_cast<uint32_t>(value));
}

uint64_t slotOfText(const char* text)
{
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(text));
}

int32_t intOfSlot(uint64_t slot)
{
    return static_cast<int32_t>(static_cast<uint32_t>(slot));
}

bool boolOfSlot(uint64_t slot)
{
    return static_cast<uint32_t>(slot) != 0;
}

float floatOfSlot(uint64_t slot)
{
    return std::bit_cast<float>(static_cast<uint32_t>(slot));
}

namespace {

// The call functions return the result slot; callers read it at once, and
// natives without a result leave it unread.
uint64_t* call0(uint64_t hash)
{
    nativeInit(hash);
    return nativeCall();
}

uint64_t* call1(uint64_t hash, uint64_t a)
{
    nativeInit(hash);
    nativePush64(a);
    return nativeCall();
}

uint64_t* call2(uint64_t hash, uint64_t a, uint64_t b)
{
    nativeInit(hash);
    nativePush64(a);
    nativePush64(b);
    return nativeCall();
}

uint64_t* call3(uint64_t hash, uint64_t a, uint64_t b, uint64_t c)
{
    nativeInit(hash);
    nativePush64(a);
    nativePush64(b);
    nativePush64(c);
    return nativeCall();
}

// A control native's call with group and control: the hash of the name is a
// complete call of its own, made before the control native starts.
uint64_t* controlCall(uint64_t hash, int32_t controlGroup, const char* control)
{
    const int32_t controlHash = hashOfText(control);
    return call2(hash, slotOfInt(controlGroup), slotOfInt(controlHash));
}

}  // namespace

int32_t playerPed()
{
    return intOfSlot(*call0(Hash::playerPed));
}

int32_t hashOfText(const char* text)
{
    return intOfSlot(*call1(Hash::hashOfText, slotOfText(text)));
}

bool isControlPressed(int32_t controlGroup, const char* control)
{
    return boolOfSlot(*controlCall(Hash::isControlPressed, controlGroup, control));
}

bool isDisabledControlJustPressed(int32_t controlGroup, const char* control)
{
    return boolOfSlot(*controlCall(Hash::isDisabledControlJustPressed, controlGroup, control));
}

void disableControlAction(int32_t controlGroup, const char* control, int32_t disable)
{
    const int32_t controlHash = hashOfText(control);
    call3(Hash::disableControlAction, slotOfInt(controlGroup), slotOfInt(controlHash), slotOfInt(disable));
}

void setControlValueNextFrame(int32_t controlGroup, const char* control, float value)
{
    const int32_t controlHash = hashOfText(control);
    call3(Hash::setControlValueNextFrame, slotOfInt(controlGroup), slotOfInt(controlHash), slotOfFloat(value));
}

bool isControlEnabled(int32_t controlGroup, const char* control)
{
    return boolOfSlot(*controlCall(Hash::isControlEnabled, controlGroup, control));
}

bool isControlHoldBlocked(const char* control)
{
    const int32_t controlHash = hashOfText(control);
    return boolOfSlot(*call1(Hash::isControlHoldBlocked, slotOfInt(controlHash)));
}

bool isFirstPersonCameraActive(int32_t a, int32_t b, int32_t c)
{
    return boolOfSlot(*call3(Hash::isFirstPersonCameraActive, slotOfInt(a), slotOfInt(b), slotOfInt(c)));
}

float getPedDesiredSpeed(int32_t ped)
{
    return floatOfSlot(*call1(Hash::getPedDesiredSpeed, slotOfInt(ped)));
}

bool isPedOnFoot(int32_t ped)
{
    return boolOfSlot(*call1(Hash::isPedOnFoot, slotOfInt(ped)));
}

bool isPedWalking(int32_t ped)
{
    return boolOfSlot(*call1(Hash::isPedWalking, slotOfInt(ped)));
}

bool isPedRunning(int32_t ped)
{
    return boolOfSlot(*call1(Hash::isPedRunning, slotOfInt(ped)));
}

bool isPedSprinting(int32_t ped)
{
    return boolOfSlot(*call1(Hash::isPedSprinting, slotOfInt(ped)));
}

bool isPedStill(int32_t ped)
{
    return boolOfSlot(*call1(Hash::isPedStill, slotOfInt(ped)));
}

void setPedMaxSpeed(int32_t ped, float speed)
{
    call2(Hash::setPedMaxSpeed, slotOfInt(ped), slotOfFloat(speed));
}

void setPedMinSpeed(int32_t ped, float speed)
{
    call2(Hash::setPedMinSpeed, slotOfInt(ped), slotOfFloat(speed));
}

bool isPedMoveFree(int32_t ped)
{
    return boolOfSlot(*call1(Hash::isPedMoveFree, slotOfInt(ped)));
}

bool isGlobalMoveRestricted()
{
    return boolOfSlot(*call0(Hash::isGlobalMoveRestricted));
}

bool isPedMoveRestricted(int32_t ped, int32_t flag)
{
    return boolOfSlot(*call2(Hash::isPedMoveRestricted, slotOfInt(ped), slotOfInt(flag)));
}

bool isRunDropAllowed()
{
    return boolOfSlot(*call0(Hash::isRunDropAllowed));
}

}  // namespace NativeInvoker
