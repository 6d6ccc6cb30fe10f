#include "bench_game.h"

#include <bit>
#include <cstring>

#include "game/native_invoker.h"

namespace bench {

namespace {

namespace Hash = NativeInvoker::Hash;

Game theGame;
Counts theCounts;

// The call being made: its hash and up to eight arguments.
uint64_t callHash = 0;
uint64_t callArgs[8] = {};
uint32_t callArgCount = 0;
bool callPending = false;
uint64_t resultSlot = 0;

// The game's answer to hashOfText: a small number per control, so control
// natives find their flags with one subtraction.
constexpr uint32_t controlHashBase = 0x5100;

constexpr const char* controlNames[controlCount] = {
    "INPUT_MOVE_UP_ONLY", "INPUT_MOVE_LEFT_ONLY",    "INPUT_MOVE_DOWN_ONLY",  "INPUT_MOVE_RIGHT_ONLY",
    "INPUT_SPRINT",       "INPUT_FRONTEND_SELECT",   "INPUT_PREV_WEAPON",     "INPUT_NEXT_WEAPON",
    "INPUT_REVEAL_HUD",   "INPUT_SELECT_RADAR_MODE", "INPUT_SPECIAL_ABILITY", "INPUT_SCRIPTED_FLY_ZUP",
};

// Text addresses already seen, so that hashOfText compares the text only the
// first time a given static string arrives (the plug-in passes the same
// addresses every tick). Open addressing over 64 slots.
struct TextSlot {
    uint64_t address = 0;
    int32_t control = -1;
};
TextSlot textSlots[64];

int32_t controlOfText(uint64_t address)
{
    uint64_t index = (address >> 3) & 63;
    for (int probes = 0; probes < 64; ++probes) {
        TextSlot& slot = textSlots[index];
        if (slot.address == address)
            return slot.control;
        if (slot.address == 0) {
            const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(address));
            int32_t control = -1;
            for (int32_t i = 0; i < controlCount; ++i) {
                if (text && std::strcmp(text, controlNames[i]) == 0)
                    control = i;
            }
            slot.address = address;
            slot.control = control;
            return control;
        }
        index = (index + 1) & 63;
    }
    return -1;
}

uint64_t slotOf(bool value)
{
    return value ? 1 : 0;
}

uint64_t slotOf(float value)
{
    return std::bit_cast<uint32_t>(value);
}

// The control named by a control hash argument, or -1.
int32_t controlOfHash(uint64_t slot)
{
    const uint32_t hash = static_cast<uint32_t>(slot);
    if (hash < controlHashBase || hash >= controlHashBase + controlCount)
        return -1;
    return static_cast<int32_t>(hash - controlHashBase);
}

bool pressedControl(uint64_t slot)
{
    const int32_t control = controlOfHash(slot);
    return control >= 0 && theGame.pressed[control];
}

bool justPressedControl(uint64_t slot)
{
    const int32_t control = controlOfHash(slot);
    return control >= 0 && theGame.justPressed[control];
}

// The 21 natives, found by hash with one multiply and one table load, so that
// every native costs the host about the same few instructions and the empty
// round trip stands for any of them.
enum class Native : uint8_t {
    unknown,
    playerPed,
    hashOfText,
    isControlPressed,
    isDisabledControlJustPressed,
    disableControlAction,
    setControlValueNextFrame,
    isControlEnabled,
    isControlHoldBlocked,
    isFirstPersonCameraActive,
    getPedDesiredSpeed,
    isPedOnFoot,
    isPedWalking,
    isPedRunning,
    isPedSprinting,
    isPedStill,
    setPedMaxSpeed,
    setPedMinSpeed,
    isPedMoveFree,
    isGlobalMoveRestricted,
    isPedMoveRestricted,
    isRunDropAllowed,
};

struct NativeEntry {
    uint64_t hash = 0;
    Native native = Native::unknown;
};

constexpr NativeEntry natives[] = {
    {Hash::playerPed, Native::playerPed},
    {Hash::hashOfText, Native::hashOfText},
    {Hash::isControlPressed, Native::isControlPressed},
    {Hash::isDisabledControlJustPressed, Native::isDisabledControlJustPressed},
    {Hash::disableControlAction, Native::disableControlAction},
    {Hash::setControlValueNextFrame, Native::setControlValueNextFrame},
    {Hash::isControlEnabled, Native::isControlEnabled},
    {Hash::isControlHoldBlocked, Native::isControlHoldBlocked},
    {Hash::isFirstPersonCameraActive, Native::isFirstPersonCameraActive},
    {Hash::getPedDesiredSpeed, Native::getPedDesiredSpeed},
    {Hash::isPedOnFoot, Native::isPedOnFoot},
    {Hash::isPedWalking, Native::isPedWalking},
    {Hash::isPedRunning, Native::isPedRunning},
    {Hash::isPedSprinting, Native::isPedSprinting},
    {Hash::isPedStill, Native::isPedStill},
    {Hash::setPedMaxSpeed, Native::setPedMaxSpeed},
    {Hash::setPedMinSpeed, Native::setPedMinSpeed},
    {Hash::isPedMoveFree, Native::isPedMoveFree},
    {Hash::isGlobalMoveRestricted, Native::isGlobalMoveRestricted},
    {Hash::isPedMoveRestricted, Native::isPedMoveRestricted},
    {Hash::isRunDropAllowed, Native::isRunDropAllowed},
};

constexpr unsigned nativeSlotBits = 8;

constexpr unsigned nativeSlotOf(uint64_t hash, uint64_t multiplier)
{
    return static_cast<unsigned>((hash * multiplier) >> (64 - nativeSlotBits));
}

// The first odd multiplier that gives the 21 hashes 21 different slots.
constexpr uint64_t findNativeMultiplier()
{
    for (uint64_t multiplier = 0x9E3779B97F4A7C15ull;; multiplier += 2) {
        bool taken[1u << nativeSlotBits] = {};
        bool clash = false;
        for (const NativeEntry& entry : natives) {
            const unsigned slot = nativeSlotOf(entry.hash, multiplier);
            clash = clash || taken[slot];
            taken[slot] = true;
        }
        if (!clash)
            return multiplier;
    }
}

constexpr uint64_t nativeMultiplier = findNativeMultiplier();

struct NativeTable {
    NativeEntry slots[1u << nativeSlotBits];
};

constexpr NativeTable makeNativeTable()
{
    NativeTable table{};
    for (const NativeEntry& entry : natives)
        table.slots[nativeSlotOf(entry.hash, nativeMultiplier)] = entry;
    return table;
}

constexpr NativeTable nativeTable = makeNativeTable();

uint64_t answer()
{
    const NativeEntry& entry = nativeTable.slots[nativeSlotOf(callHash, nativeMultiplier)];
    if (entry.hash != callHash) {
        ++theCounts.faults;
        return 0;
    }
    switch (entry.native) {
    case Native::playerPed:
        return static_cast<uint32_t>(playerPedHandle);
    case Native::hashOfText: {
        const int32_t control = controlOfText(callArgs[0]);
        return control < 0 ? 0 : controlHashBase + static_cast<uint32_t>(control);
    }
    case Native::isControlPressed:
        return slotOf(pressedControl(callArgs[1]));
    case Native::isDisabledControlJustPressed:
        return slotOf(justPressedControl(callArgs[1]));
    case Native::disableControlAction:
    case Native::setControlValueNextFrame:
        return 0;
    case Native::isControlEnabled:
        return slotOf(theGame.controlEnabled);
    case Native::isControlHoldBlocked:
        return slotOf(theGame.controlHoldBlocked);
    case Native::isFirstPersonCameraActive:
        return slotOf(theGame.firstPerson);
    case Native::getPedDesiredSpeed:
        ++theCounts.pedNatives;
        return slotOf(theGame.desiredSpeed);
    case Native::isPedOnFoot:
        ++theCounts.pedNatives;
        return slotOf(theGame.onFoot);
    case Native::isPedWalking:
        ++theCounts.pedNatives;
        return slotOf(theGame.walking);
    case Native::isPedRunning:
        ++theCounts.pedNatives;
        return slotOf(theGame.running);
    case Native::isPedSprinting:
        ++theCounts.pedNatives;
        return slotOf(theGame.sprinting);
    case Native::isPedStill:
        ++theCounts.pedNatives;
        return slotOf(theGame.still);
    case Native::setPedMaxSpeed:
        ++theCounts.pedNatives;
        ++theCounts.setPedMaxSpeed;
        return 0;
    case Native::setPedMinSpeed:
        ++theCounts.pedNatives;
        ++theCounts.setPedMinSpeed;
        return 0;
    case Native::isPedMoveFree:
        ++theCounts.pedNatives;
        return slotOf(theGame.moveFree);
    case Native::isGlobalMoveRestricted:
        return slotOf(theGame.globalMoveRestricted);
    case Native::isPedMoveRestricted:
        ++theCounts.pedNatives;
        return slotOf(theGame.pedMoveRestricted);
    case Native::isRunDropAllowed:
        return slotOf(theGame.runDropAllowed);
    case Native::unknown:
        break;
    }
    ++theCounts.faults;
    return 0;
}

}  // namespace

Counts countsBetween(const Counts& before, const Counts& after)
{
    Counts d;
    d.natives = after.natives - before.natives;
    d.pushes = after.pushes - before.pushes;
    d.clockReads = after.clockReads - before.clockReads;
    d.waits = after.waits - before.waits;
    d.setPedMinSpeed = after.setPedMinSpeed - before.setPedMinSpeed;
    d.setPedMaxSpeed = after.setPedMaxSpeed - before.setPedMaxSpeed;
    d.pedNatives = after.pedNatives - before.pedNatives;
    d.faults = after.faults - before.faults;
    return d;
}

Game& game()
{
    return theGame;
}

Counts& counts()
{
    return theCounts;
}

void resetGame()
{
    theGame = Game{};
    theCounts = Counts{};
    callPending = false;
    callArgCount = 0;
    // Text addresses belong to one loaded plug-in; a reload may move them.
    for (TextSlot& slot : textSlots)
        slot = TextSlot{};
}

void nativeInitAnswer(uint64_t hash)
{
    if (callPending)
        ++theCounts.faults;
    callPending = true;
    callHash = hash;
    callArgCount = 0;
}

void nativePushAnswer(uint64_t value)
{
    ++theCounts.pushes;
    if (!callPending || callArgCount == 8) {
        ++theCounts.faults;
        return;
    }
    callArgs[callArgCount++] = value;
}

uint64_t* nativeCallAnswer()
{
    if (!callPending)
        ++theCounts.faults;
    callPending = false;
    ++theCounts.natives;
    resultSlot = answer();
    return &resultSlot;
}

uint32_t clockAnswer()
{
    ++theCounts.clockReads;
    return theGame.clockMs;
}

}  // namespace bench
