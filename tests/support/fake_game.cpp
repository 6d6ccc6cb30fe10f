#include "support/fake_game.h"

#include <bit>
#include <charconv>
#include <map>

#include "game/native_invoker.h"

namespace fake {

namespace {

namespace H = NativeInvoker::Hash;

Game theGame;
// Control hashes handed out so far, by hash and by name.
std::map<uint32_t, std::string> controlNameOfHash;
std::map<std::string, uint32_t> hashOfControlName;

enum class Kind { none, ped, pedFloat, pedInt, text, control, controlInt, controlFloat, controlOnly, threeInts };

struct NativeInfo {
    const char* name;
    Kind kind;
};

const std::map<uint64_t, NativeInfo>& natives()
{
    static const std::map<uint64_t, NativeInfo> table = {
        {H::playerPed, {"playerPed", Kind::none}},
        {H::hashOfText, {"hashOfText", Kind::text}},
        {H::isControlPressed, {"isControlPressed", Kind::control}},
        {H::isDisabledControlJustPressed, {"isDisabledControlJustPressed", Kind::control}},
        {H::disableControlAction, {"disableControlAction", Kind::controlInt}},
        {H::setControlValueNextFrame, {"setControlValueNextFrame", Kind::controlFloat}},
        {H::isControlEnabled, {"isControlEnabled", Kind::control}},
        {H::isControlHoldBlocked, {"isControlHoldBlocked", Kind::controlOnly}},
        {H::isFirstPersonCameraActive, {"isFirstPersonCameraActive", Kind::threeInts}},
        {H::getPedDesiredSpeed, {"getPedDesiredSpeed", Kind::ped}},
        {H::isPedOnFoot, {"isPedOnFoot", Kind::ped}},
        {H::isPedWalking, {"isPedWalking", Kind::ped}},
        {H::isPedRunning, {"isPedRunning", Kind::ped}},
        {H::isPedSprinting, {"isPedSprinting", Kind::ped}},
        {H::isPedStill, {"isPedStill", Kind::ped}},
        {H::setPedMaxSpeed, {"setPedMaxSpeed", Kind::pedFloat}},
        {H::setPedMinSpeed, {"setPedMinSpeed", Kind::pedFloat}},
        {H::isPedMoveFree, {"isPedMoveFree", Kind::ped}},
        {H::isGlobalMoveRestricted, {"isGlobalMoveRestricted", Kind::none}},
        {H::isPedMoveRestricted, {"isPedMoveRestricted", Kind::pedInt}},
        {H::isRunDropAllowed, {"isRunDropAllowed", Kind::none}},
    };
    return table;
}

float floatOf(uint64_t slot)
{
    return std::bit_cast<float>(static_cast<uint32_t>(slot));
}

uint64_t slotOf(float value)
{
    return std::bit_cast<uint32_t>(value);
}

std::string textOfFloat(float value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

// The control a control native's hash argument stands for.
std::string controlOf(uint64_t slot)
{
    const auto found = controlNameOfHash.find(static_cast<uint32_t>(slot));
    return found == controlNameOfHash.end() ? "?" : found->second;
}

uint64_t controlHash(const std::string& name)
{
    auto found = hashOfControlName.find(name);
    if (found == hashOfControlName.end()) {
        // Hashes with the top bit set, so a sign-extended push would show.
        const uint32_t hash = 0x80000000u | static_cast<uint32_t>(hashOfControlName.size() + 1) * 0x1001u;
        found = hashOfControlName.emplace(name, hash).first;
        controlNameOfHash.emplace(hash, name);
    }
    return found->second;
}

float nextDesiredSpeed()
{
    if (theGame.desiredSpeedReadings.empty())
        return theGame.desiredSpeed;
    const float speed = theGame.desiredSpeedReadings.front();
    theGame.desiredSpeedReadings.pop_front();
    return speed;
}

uint64_t answerNative(uint64_t hash, const std::vector<uint64_t>& args)
{
    const Game& g = theGame;
    auto isControl = [&](const std::set<std::string>& set) -> uint64_t {
        return set.count(controlOf(args.at(1))) ? 1 : 0;
    };
    if (hash == H::playerPed)
        return static_cast<uint32_t>(g.ped);
    if (hash == H::hashOfText)
        return controlHash(textOfSlot(args.at(0)));
    if (hash == H::isControlPressed)
        return isControl(g.pressed);
    if (hash == H::isDisabledControlJustPressed)
        return isControl(g.justPressed);
    if (hash == H::isControlEnabled)
        return controlOf(args.at(1)) == "INPUT_SPRINT" ? g.sprintEnabled : 1;
    if (hash == H::isControlHoldBlocked)
        return controlOf(args.at(0)) == "INPUT_SPRINT" ? g.sprintHoldBlocked : 0;
    if (hash == H::isFirstPersonCameraActive)
        return g.firstPerson;
    if (hash == H::getPedDesiredSpeed)
        return slotOf(nextDesiredSpeed());
    if (hash == H::isPedOnFoot)
        return g.onFoot;
    if (hash == H::isPedWalking)
        return g.walking;
    if (hash == H::isPedRunning)
        return g.running;
    if (hash == H::isPedSprinting)
        return g.sprinting;
    if (hash == H::isPedStill)
        return g.still;
    if (hash == H::isPedMoveFree)
        return g.moveFree;
    if (hash == H::isGlobalMoveRestricted)
        return g.globalMoveRestricted;
    if (hash == H::isPedMoveRestricted)
        return g.pedMoveRestricted;
    if (hash == H::isRunDropAllowed)
        return g.runDropAllowed;
    return 0;
}

std::string nameOf(uint64_t hash)
{
    const auto found = natives().find(hash);
    return found == natives().end() ? "unknown" : found->second.name;
}

}  // namespace

void startGame()
{
    reset();
    theGame = Game{};
    controlNameOfHash.clear();
    hashOfControlName.clear();
    host().answer = answerNative;
}

Game& game()
{
    return theGame;
}

std::string describe(const NativeCall& call)
{
    const auto found = natives().find(call.hash);
    if (found == natives().end())
        return "unknown";
    const std::string name = found->second.name;
    const auto& a = call.args;
    auto arg = [&](size_t i) { return i < a.size() ? a[i] : 0; };
    switch (found->second.kind) {
    case Kind::none:
    case Kind::ped:
    case Kind::threeInts:
        return name;
    case Kind::pedFloat:
        return name + "(" + textOfFloat(floatOf(arg(1))) + ")";
    case Kind::pedInt:
        return name + "(" + std::to_string(arg(1)) + ")";
    case Kind::text:
        return name + "(" + (a.empty() ? "" : textOfSlot(a[0])) + ")";
    case Kind::control:
        return name + "(" + controlOf(arg(1)) + ")";
    case Kind::controlInt:
        return name + "(" + controlOf(arg(1)) + ", " + std::to_string(arg(2)) + ")";
    case Kind::controlFloat:
        return name + "(" + controlOf(arg(1)) + ", " + textOfFloat(floatOf(arg(2))) + ")";
    case Kind::controlOnly:
        return name + "(" + controlOf(arg(0)) + ")";
    }
    return name;
}

std::vector<std::string> callNames(size_t from)
{
    std::vector<std::string> names;
    const auto& calls = host().calls;
    for (size_t i = from; i < calls.size(); ++i)
        names.push_back(describe(calls[i]));
    return names;
}

std::vector<std::string> commandNames(size_t from)
{
    std::vector<std::string> names;
    const auto& calls = host().calls;
    for (size_t i = from; i < calls.size(); ++i)
        if (calls[i].hash != H::playerPed && calls[i].hash != H::hashOfText)
            names.push_back(describe(calls[i]));
    return names;
}

size_t countCalls(const std::string& name, size_t from)
{
    size_t count = 0;
    const auto& calls = host().calls;
    for (size_t i = from; i < calls.size(); ++i)
        if (nameOf(calls[i].hash) == name)
            ++count;
    return count;
}

std::string staleArgumentFault()
{
    const auto& calls = host().calls;
    for (size_t i = 0; i < calls.size(); ++i) {
        const auto found = natives().find(calls[i].hash);
        if (found == natives().end())
            return "call " + std::to_string(i) + ": unknown native";
        const Kind kind = found->second.kind;
        const bool takesPed = kind == Kind::ped || kind == Kind::pedFloat || kind == Kind::pedInt;
        const bool takesControl = kind == Kind::control || kind == Kind::controlInt || kind == Kind::controlFloat ||
                                  kind == Kind::controlOnly;
        if (!takesPed && !takesControl)
            continue;
        const uint64_t wanted = takesPed ? H::playerPed : H::hashOfText;
        const size_t argIndex = (takesPed || kind == Kind::controlOnly) ? 0 : 1;
        if (i == 0 || calls[i - 1].hash != wanted || calls[i].args.size() <= argIndex ||
            calls[i].args[argIndex] != static_cast<uint32_t>(calls[i - 1].result))
            return "call " + std::to_string(i) + " " + describe(calls[i]) + " did not use a fresh " +
                   (takesPed ? "playerPed" : "hashOfText");
    }
    return {};
}

void setMoveInput(bool active)
{
    for (const char* name :
         {"INPUT_MOVE_UP_ONLY", "INPUT_MOVE_LEFT_ONLY", "INPUT_MOVE_DOWN_ONLY", "INPUT_MOVE_RIGHT_ONLY"})
        theGame.pressed.erase(name);
    if (active)
        theGame.pressed.insert("INPUT_MOVE_UP_ONLY");
}

}  // namespace fake
