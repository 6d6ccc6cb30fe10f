#include "natives.h"

#include "game/native_invoker.h"

namespace fake {

namespace {

namespace H = NativeInvoker::Hash;

constexpr bool hidden = false;
constexpr bool shown = true;

}  // namespace

// One row per native: hash, name, arguments and which of them a description
// shows, where the answer comes from.
// clang-format off
constexpr Native natives[nativeCount] = {
    {H::playerPed, "playerPed", 0, {}, {}, Reply::world, &Game::ped, nullptr},
    {H::hashOfText, "hashOfText", 1, {Arg::text}, {shown}, Reply::hashOfText, nullptr, nullptr},
    {H::isControlPressed, "isControlPressed", 2, {Arg::integer, Arg::controlHash}, {hidden, shown},
     Reply::control, nullptr, &Game::pressed},
    {H::isDisabledControlJustPressed, "isDisabledControlJustPressed", 2, {Arg::integer, Arg::controlHash},
     {hidden, shown}, Reply::control, nullptr, &Game::justPressed},
    {H::disableControlAction, "disableControlAction", 3, {Arg::integer, Arg::controlHash, Arg::integer},
     {hidden, shown, shown}, Reply::nothing, nullptr, nullptr},
    {H::setControlValueNextFrame, "setControlValueNextFrame", 3, {Arg::integer, Arg::controlHash, Arg::floating},
     {hidden, shown, shown}, Reply::nothing, nullptr, nullptr},
    {H::isControlEnabled, "isControlEnabled", 2, {Arg::integer, Arg::controlHash}, {hidden, shown},
     Reply::control, nullptr, &Game::enabled},
    {H::isControlHoldBlocked, "isControlHoldBlocked", 1, {Arg::controlHash}, {shown}, Reply::control, nullptr,
     &Game::holdBlocked},
    {H::isFirstPersonCameraActive, "isFirstPersonCameraActive", 3, {Arg::integer, Arg::integer, Arg::integer},
     {hidden, hidden, hidden}, Reply::world, &Game::firstPerson, nullptr},
    {H::getPedDesiredSpeed, "getPedDesiredSpeed", 1, {Arg::ped}, {hidden}, Reply::desiredSpeed,
     &Game::desiredSpeed, nullptr},
    {H::isPedOnFoot, "isPedOnFoot", 1, {Arg::ped}, {hidden}, Reply::world, &Game::onFoot, nullptr},
    {H::isPedWalking, "isPedWalking", 1, {Arg::ped}, {hidden}, Reply::world, &Game::walking, nullptr},
    {H::isPedRunning, "isPedRunning", 1, {Arg::ped}, {hidden}, Reply::world, &Game::running, nullptr},
    {H::isPedSprinting, "isPedSprinting", 1, {Arg::ped}, {hidden}, Reply::world, &Game::sprinting, nullptr},
    {H::isPedStill, "isPedStill", 1, {Arg::ped}, {hidden}, Reply::world, &Game::still, nullptr},
    {H::setPedMaxSpeed, "setPedMaxSpeed", 2, {Arg::ped, Arg::floating}, {hidden, shown}, Reply::nothing, nullptr,
     nullptr},
    {H::setPedMinSpeed, "setPedMinSpeed", 2, {Arg::ped, Arg::floating}, {hidden, shown}, Reply::nothing, nullptr,
     nullptr},
    {H::isPedMoveFree, "isPedMoveFree", 1, {Arg::ped}, {hidden}, Reply::world, &Game::moveFree, nullptr},
    {H::isGlobalMoveRestricted, "isGlobalMoveRestricted", 0, {}, {}, Reply::world, &Game::globalMoveRestricted,
     nullptr},
    {H::isPedMoveRestricted, "isPedMoveRestricted", 2, {Arg::ped, Arg::integer}, {hidden, shown}, Reply::world,
     &Game::pedMoveRestricted, nullptr},
    {H::isRunDropAllowed, "isRunDropAllowed", 0, {}, {}, Reply::world, &Game::runDropAllowed, nullptr},
};
// clang-format on

namespace {

// The hash table: 256 slots, each hash in its own slot under one multiplier.
constexpr unsigned slotBits = 8;
constexpr uint8_t emptySlot = 0xFF;

constexpr unsigned slotOf(uint64_t hash, uint64_t multiplier)
{
    return static_cast<unsigned>((hash * multiplier) >> (64 - slotBits));
}

// The first odd multiplier that gives the 21 hashes 21 different slots.
constexpr uint64_t findMultiplier()
{
    for (uint64_t multiplier = 0x9E3779B97F4A7C15ull;; multiplier += 2) {
        bool taken[1u << slotBits] = {};
        bool clash = false;
        for (const Native& native : natives) {
            const unsigned slot = slotOf(native.hash, multiplier);
            clash = clash || taken[slot];
            taken[slot] = true;
        }
        if (!clash)
            return multiplier;
    }
}

constexpr uint64_t multiplier = findMultiplier();

struct Table {
    uint8_t index[1u << slotBits];
};

constexpr Table makeTable()
{
    Table table{};
    for (uint8_t& slot : table.index)
        slot = emptySlot;
    for (std::size_t i = 0; i < nativeCount; ++i)
        table.index[slotOf(natives[i].hash, multiplier)] = static_cast<uint8_t>(i);
    return table;
}

constexpr Table table = makeTable();

}  // namespace

const Native* findNative(uint64_t hash)
{
    const uint8_t index = table.index[slotOf(hash, multiplier)];
    if (index == emptySlot || natives[index].hash != hash)
        return nullptr;
    return &natives[index];
}

}  // namespace fake
