#include "game/game_model.h"

#include <algorithm>
#include <bit>

#include "game/text_hash.h"
#include "trace/format.h"

namespace sim {

namespace {

constexpr const char* moveControls[] = {"INPUT_MOVE_UP_ONLY", "INPUT_MOVE_LEFT_ONLY", "INPUT_MOVE_DOWN_ONLY",
                                        "INPUT_MOVE_RIGHT_ONLY"};

}  // namespace

std::string upperCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

void GameModel::reset()
{
    imposed_ = {};
    previousImposed_ = {};
    derived_ = {};
    previousPressed_.clear();
    hashNames_.clear();
}

bool GameModel::controlPressed(const std::string& name) const
{
    return state.pressedControls.contains(name);
}

bool GameModel::controlJustPressed(const std::string& name) const
{
    if (name == "INPUT_PREV_WEAPON" && state.wheelUp)
        return true;
    if (name == "INPUT_NEXT_WEAPON" && state.wheelDown)
        return true;
    return controlPressed(name) && !previousPressed_.contains(name);
}

void GameModel::beginTick()
{
    previousImposed_ = imposed_;
    imposed_ = {};

    DerivedState d;
    for (const char* name : moveControls)
        d.moveInput = d.moveInput || controlPressed(name);
    bool sprintPulsed = false;
    for (const auto& [name, value] : previousImposed_.controlValues) {
        if (name == "INPUT_SPRINT")
            sprintPulsed = (value == 1.0f);  // the last value set wins
    }
    d.sprintControl = controlPressed("INPUT_SPRINT") || shiftKeyDown || sprintPulsed;

    if (!state.desired.automatic) {
        d.desiredSpeed = state.desired.value;
    } else if (!d.moveInput) {
        d.desiredSpeed = 0.0f;
    } else {
        float speed = d.sprintControl ? state.desired.run : state.desired.walk;
        if (previousImposed_.minSpeed)
            speed = std::max(speed, *previousImposed_.minSpeed);
        if (previousImposed_.maxSpeed)
            speed = std::min(speed, *previousImposed_.maxSpeed);
        d.desiredSpeed = speed;
    }

    if (state.gait.automatic) {
        const float s = d.desiredSpeed;
        d.still = s <= 0.0f;
        d.walking = s > 0.0f && s <= 1.5f;
        d.running = s > 1.5f && s < 2.5f;
        d.sprinting = s >= 2.5f;
    } else {
        d.walking = state.gait.walking;
        d.running = state.gait.running;
        d.sprinting = state.gait.sprinting;
        d.still = state.gait.still;
    }
    derived_ = d;
}

void GameModel::endTick()
{
    previousPressed_ = state.pressedControls;
}

std::string GameModel::controlNameOf(uint32_t hash) const
{
    const auto it = hashNames_.find(hash);
    return it == hashNames_.end() ? std::string() : it->second;
}

uint64_t GameModel::answer(const CheckedCall& call, std::string& shown, std::string& name)
{
    shown.clear();
    name.clear();
    if (!call.entry)
        return 0;

    const std::string role(call.entry->name);
    auto arg = [&](size_t i) -> const DecodedArg* { return i < call.args.size() ? &call.args[i] : nullptr; };
    auto controlArg = [&](size_t i) -> std::string {
        const DecodedArg* a = arg(i);
        return a ? a->name : std::string();
    };
    auto isPlayer = [&](size_t i) {
        const DecodedArg* a = arg(i);
        return a && a->slot == state.ped;
    };
    auto floatArg = [&](size_t i) {
        const DecodedArg* a = arg(i);
        return a ? std::bit_cast<float>(static_cast<uint32_t>(a->slot)) : 0.0f;
    };

    uint32_t low = 0;
    bool truth = false;
    float number = 0.0f;

    if (role == "playerPed") {
        low = state.ped;
    } else if (role == "hashOfText") {
        const DecodedArg* a = arg(0);
        const std::string text = a ? a->name : std::string();
        low = gameTextHash(text);
        hashNames_[low] = upperCase(text);
        name = upperCase(text);
    } else if (role == "isControlPressed") {
        truth = controlPressed(controlArg(1));
    } else if (role == "isDisabledControlJustPressed") {
        truth = controlJustPressed(controlArg(1));
    } else if (role == "disableControlAction") {
        imposed_.disabledControls.push_back(controlArg(1));
    } else if (role == "setControlValueNextFrame") {
        imposed_.controlValues.emplace_back(controlArg(1), floatArg(2));
    } else if (role == "isControlEnabled") {
        const auto it = state.controlEnabled.find(controlArg(1));
        truth = it == state.controlEnabled.end() || it->second;
    } else if (role == "isControlHoldBlocked") {
        truth = state.holdBlocked;
    } else if (role == "isFirstPersonCameraActive") {
        truth = state.firstPerson;
    } else if (role == "getPedDesiredSpeed") {
        number = isPlayer(0) ? derived_.desiredSpeed : 0.0f;
        low = std::bit_cast<uint32_t>(number);
    } else if (role == "isPedOnFoot") {
        truth = isPlayer(0) && state.onFoot;
    } else if (role == "isPedWalking") {
        truth = isPlayer(0) && derived_.walking;
    } else if (role == "isPedRunning") {
        truth = isPlayer(0) && derived_.running;
    } else if (role == "isPedSprinting") {
        truth = isPlayer(0) && derived_.sprinting;
    } else if (role == "isPedStill") {
        truth = isPlayer(0) && derived_.still;
    } else if (role == "setPedMaxSpeed") {
        if (isPlayer(0))
            imposed_.maxSpeed = floatArg(1);
    } else if (role == "setPedMinSpeed") {
        if (isPlayer(0))
            imposed_.minSpeed = floatArg(1);
    } else if (role == "isPedMoveFree") {
        truth = isPlayer(0) && state.pedMoveFree;
    } else if (role == "isGlobalMoveRestricted") {
        truth = state.globalMoveRestricted;
    } else if (role == "isPedMoveRestricted") {
        truth = isPlayer(0) && state.pedMoveRestricted;
    } else if (role == "isRunDropAllowed") {
        truth = state.runDropAllowed;
    }

    switch (call.entry->result) {
    case ResultKind::none:
        return 0;
    case ResultKind::boolean:
        low = truth ? trueValue : 0u;
        shown = truth ? "true" : "false";
        break;
    case ResultKind::ped:
    case ResultKind::hash:
        shown = hex32(low);
        break;
    case ResultKind::number:
        shown = formatFloat(number);
        break;
    }
    return (static_cast<uint64_t>(resultHighBits) << 32) | low;
}

}  // namespace sim
