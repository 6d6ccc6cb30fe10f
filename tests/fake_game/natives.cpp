#include "natives.h"

#include <initializer_list>

namespace fake {

namespace {

constexpr bool hidden = false;
constexpr bool shown = true;

// The fake's own columns of a native: which arguments a call's description
// shows, and where the answer comes from. The hash and the arguments' kinds
// come from the catalogue.
struct Row {
    const char* role;
    bool shown[maxArgs];
    Reply reply;
    Answer Game::*world;
    ControlAnswers Game::*control;
};

// clang-format off
constexpr Row rows[] = {
    {"playerPed", {}, Reply::world, &Game::ped, nullptr},
    {"hashOfText", {shown}, Reply::hashOfText, nullptr, nullptr},
    {"isControlPressed", {hidden, shown}, Reply::control, nullptr, &Game::pressed},
    {"isDisabledControlJustPressed", {hidden, shown}, Reply::control, nullptr, &Game::justPressed},
    {"disableControlAction", {hidden, shown, shown}, Reply::nothing, nullptr, nullptr},
    {"setControlValueNextFrame", {hidden, shown, shown}, Reply::nothing, nullptr, nullptr},
    {"isControlEnabled", {hidden, shown}, Reply::control, nullptr, &Game::enabled},
    {"isControlHoldBlocked", {shown}, Reply::control, nullptr, &Game::holdBlocked},
    {"isFirstPersonCameraActive", {hidden, hidden, hidden}, Reply::world, &Game::firstPerson, nullptr},
    {"getPedDesiredSpeed", {hidden}, Reply::desiredSpeed, &Game::desiredSpeed, nullptr},
    {"isPedOnFoot", {hidden}, Reply::world, &Game::onFoot, nullptr},
    {"isPedWalking", {hidden}, Reply::world, &Game::walking, nullptr},
    {"isPedRunning", {hidden}, Reply::world, &Game::running, nullptr},
    {"isPedSprinting", {hidden}, Reply::world, &Game::sprinting, nullptr},
    {"isPedStill", {hidden}, Reply::world, &Game::still, nullptr},
    {"setPedMaxSpeed", {hidden, shown}, Reply::nothing, nullptr, nullptr},
    {"setPedMinSpeed", {hidden, shown}, Reply::nothing, nullptr, nullptr},
    {"isPedMoveFree", {hidden}, Reply::world, &Game::moveFree, nullptr},
    {"isGlobalMoveRestricted", {}, Reply::world, &Game::globalMoveRestricted, nullptr},
    {"isPedMoveRestricted", {hidden, shown}, Reply::world, &Game::pedMoveRestricted, nullptr},
    {"isRunDropAllowed", {}, Reply::world, &Game::runDropAllowed, nullptr},
};
// clang-format on

constexpr bool sameText(const char* a, const char* b)
{
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

constexpr const Row* rowOf(const char* role)
{
    for (const Row& row : rows) {
        if (sameText(row.role, role))
            return &row;
    }
    return nullptr;
}

// The argument kinds of the catalogue, as the fake checks them.
constexpr Arg ped = Arg::ped;
constexpr Arg control = Arg::controlHash;
constexpr Arg text = Arg::text;
constexpr Arg zero = Arg::integer;
constexpr Arg one = Arg::integer;
constexpr Arg number = Arg::floating;

// A catalogue row joined with the fake's row of the same role.
constexpr Native joined(uint64_t hash, const char* role, std::initializer_list<Arg> args)
{
    if (args.size() > maxArgs)
        throw "a native with more arguments than the fake host keeps (maxArgs)";
    Native made{hash, role, static_cast<uint8_t>(args.size()), {}, {}, Reply::noRow, nullptr, nullptr};
    std::size_t i = 0;
    for (Arg arg : args)
        made.args[i++] = arg;
    if (const Row* row = rowOf(role)) {
        for (std::size_t k = 0; k < maxArgs; ++k)
            made.shown[k] = row->shown[k];
        made.reply = row->reply;
        made.world = row->world;
        made.control = row->control;
    }
    return made;
}

}  // namespace

#define AMBLEWORKS_FAKE_NATIVE(role, hash, args, result) joined(hash, #role, {AMBLEWORKS_NATIVE_ARGS args}),
constexpr Native natives[nativeCount] = {AMBLEWORKS_NATIVES(AMBLEWORKS_FAKE_NATIVE)};
#undef AMBLEWORKS_FAKE_NATIVE

std::vector<std::string> rowMismatches()
{
    std::vector<std::string> mismatches;
    for (const Native& entry : natives) {
        if (entry.reply == Reply::noRow)
            mismatches.push_back(std::string(entry.name) + ": tests/fake_game/natives.cpp has no row for it");
    }
    for (const Row& row : rows) {
        bool known = false;
        for (const Native& entry : natives)
            known = known || sameText(entry.name, row.role);
        if (!known)
            mismatches.push_back(std::string(row.role) + ": a row for no native of the catalogue");
    }
    return mismatches;
}

namespace {

// The hash table: 256 slots, each hash in its own slot under one multiplier.
constexpr unsigned slotBits = 8;
constexpr uint8_t emptySlot = 0xFF;

constexpr unsigned slotOf(uint64_t hash, uint64_t multiplier)
{
    return static_cast<unsigned>((hash * multiplier) >> (64 - slotBits));
}

// The first odd multiplier that gives every hash a slot of its own.
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
