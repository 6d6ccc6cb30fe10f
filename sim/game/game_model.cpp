// The game model: the tick's derived answers (desired speed, gait), and the
// answer of each native, looked up in a table by the native's role.

#include "game/game_model.h"

#include <algorithm>
#include <bit>

#include "game/text_hash.h"
#include "trace/format.h"

namespace sim {

namespace {

// The gait the automatic model derives from the desired speed: a walk up to
// this, a run below the next, a sprint from it.
constexpr float walkUpTo = 1.5f;
constexpr float sprintFrom = 2.5f;

// One native call as the model answers it: the call, what the model knows,
// and the answer being made (a boolean's truth, a number, or the raw low half
// of the slot for handles and hashes).
struct Asked {
    const CheckedCall& call;
    const GameState& state;
    const DerivedState& derived;
    const std::set<std::string>& previousPressed;
    ImposedState& imposed;
    std::map<uint32_t, std::string>& hashNames;
    uint32_t low = 0;
    bool truth = false;
    float number = 0.0f;
    std::string name;  // hashOfText: the control name the hash stands for

    const DecodedArg* arg(size_t i) const { return i < call.args.size() ? &call.args[i] : nullptr; }
    std::string control(size_t i) const { return arg(i) ? arg(i)->name : std::string(); }
    bool player(size_t i) const { return arg(i) && arg(i)->slot == state.ped; }
    float floatArg(size_t i) const { return arg(i) ? std::bit_cast<float>(static_cast<uint32_t>(arg(i)->slot)) : 0.0f; }
};

bool pressed(const Asked& a, const std::string& control)
{
    return a.state.pressedControls.contains(control);
}

// A wheel notch is a "just pressed" of a weapon-cycling control in its tick;
// any other control is just pressed in the tick it went on.
bool justPressed(const Asked& a, const std::string& control)
{
    if (control == "INPUT_PREV_WEAPON" && a.state.wheelUp)
        return true;
    if (control == "INPUT_NEXT_WEAPON" && a.state.wheelDown)
        return true;
    return pressed(a, control) && !a.previousPressed.contains(control);
}

void answerHashOfText(Asked& a)
{
    const std::string text = a.arg(0) ? a.arg(0)->name : std::string();
    a.low = gameTextHash(text);
    a.name = upperCase(text);
    a.hashNames[a.low] = a.name;
}

void answerDesiredSpeed(Asked& a)
{
    a.number = a.player(0) ? a.derived.desiredSpeed : 0.0f;
    a.low = std::bit_cast<uint32_t>(a.number);
}

// Every native the plug-in may call, and how the game answers it. A ped
// native asked about another ped than the player's answers false.
struct NativeAnswer {
    std::string_view role;
    void (*answer)(Asked&);
};
// clang-format off
constexpr NativeAnswer nativeAnswers[] = {
    {"playerPed", [](Asked& a) { a.low = a.state.ped; }},
    {"hashOfText", answerHashOfText},
    {"isControlPressed", [](Asked& a) { a.truth = pressed(a, a.control(1)); }},
    {"isDisabledControlJustPressed", [](Asked& a) { a.truth = justPressed(a, a.control(1)); }},
    {"disableControlAction", [](Asked& a) { a.imposed.disabledControls.push_back(a.control(1)); }},
    {"setControlValueNextFrame", [](Asked& a) { a.imposed.controlValues.emplace_back(a.control(1), a.floatArg(2)); }},
    {"isControlEnabled", [](Asked& a) {
         const auto it = a.state.controlEnabled.find(a.control(1));
         a.truth = it == a.state.controlEnabled.end() || it->second;
     }},
    {"isControlHoldBlocked", [](Asked& a) { a.truth = a.state.holdBlocked; }},
    {"isFirstPersonCameraActive", [](Asked& a) { a.truth = a.state.firstPerson; }},
    {"getPedDesiredSpeed", answerDesiredSpeed},
    {"isPedOnFoot", [](Asked& a) { a.truth = a.player(0) && a.state.onFoot; }},
    {"isPedWalking", [](Asked& a) { a.truth = a.player(0) && a.derived.walking; }},
    {"isPedRunning", [](Asked& a) { a.truth = a.player(0) && a.derived.running; }},
    {"isPedSprinting", [](Asked& a) { a.truth = a.player(0) && a.derived.sprinting; }},
    {"isPedStill", [](Asked& a) { a.truth = a.player(0) && a.derived.still; }},
    {"setPedMaxSpeed", [](Asked& a) { if (a.player(0)) a.imposed.maxSpeed = a.floatArg(1); }},
    {"setPedMinSpeed", [](Asked& a) { if (a.player(0)) a.imposed.minSpeed = a.floatArg(1); }},
    {"isPedMoveFree", [](Asked& a) { a.truth = a.player(0) && a.state.pedMoveFree; }},
    {"isGlobalMoveRestricted", [](Asked& a) { a.truth = a.state.globalMoveRestricted; }},
    {"isPedMoveRestricted", [](Asked& a) { a.truth = a.player(0) && a.state.pedMoveRestricted; }},
    {"isRunDropAllowed", [](Asked& a) { a.truth = a.state.runDropAllowed; }},
};
// clang-format on

// The answer of each catalogue entry, in catalogue order (found once by role).
const std::vector<void (*)(Asked&)>& answersByEntry()
{
    static const std::vector<void (*)(Asked&)> table = [] {
        std::vector<void (*)(Asked&)> byEntry;
        for (const NativeSpec& native : nativeCatalogue()) {
            const auto* found = std::find_if(std::begin(nativeAnswers), std::end(nativeAnswers),
                                             [&](const NativeAnswer& row) { return row.role == native.name; });
            byEntry.push_back(found == std::end(nativeAnswers) ? nullptr : found->answer);
        }
        return byEntry;
    }();
    return table;
}

}  // namespace

std::vector<std::string> answerTableMismatches()
{
    std::vector<std::string> mismatches;
    for (const NativeSpec& native : nativeCatalogue()) {
        if (!answersByEntry()[static_cast<size_t>(&native - nativeCatalogue().data())])
            mismatches.push_back(std::string(native.name) + ": the game model has no answer for it");
    }
    for (const NativeAnswer& row : nativeAnswers) {
        if (!findNativeByName(row.role) || findNativeByName(row.role)->name != row.role)
            mismatches.push_back(std::string(row.role) + ": an answer for no native of the catalogue");
    }
    return mismatches;
}

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

void GameModel::beginTick()
{
    previousImposed_ = imposed_;
    imposed_ = {};

    DerivedState d;
    for (std::string_view name : moveControls)
        d.moveInput = d.moveInput || state.pressedControls.contains(std::string(name));
    bool sprintPulsed = false;
    for (const auto& [name, value] : previousImposed_.controlValues) {
        if (name == "INPUT_SPRINT")
            sprintPulsed = (value == 1.0f);  // the last value set wins
    }
    d.sprintControl = state.pressedControls.contains("INPUT_SPRINT") || sprintKeyDown() || sprintPulsed;
    d.desiredSpeed = desiredSpeed(d);
    deriveGait(d);
    derived_ = d;
}

bool GameModel::sprintKeyDown() const
{
    // Shift, Ctrl and Alt (0x10 to 0x12) also answer to each side's own code
    // (0xA0 to 0xA5, two per key).
    constexpr uint32_t firstGeneric = 0x10;
    constexpr uint32_t lastGeneric = 0x12;
    constexpr uint32_t firstSided = 0xA0;
    const uint32_t key = state.sprintKey;
    const bool sided = key >= firstGeneric && key <= lastGeneric;
    return key != 0 && std::any_of(keysDown.begin(), keysDown.end(), [&](uint32_t down) {
               return down == key || (sided && down >= firstSided && (down - firstSided) / 2 == key - firstGeneric);
           });
}

float GameModel::desiredSpeed(const DerivedState& d) const
{
    if (!state.desired.automatic)
        return state.desired.value;
    if (!d.moveInput)
        return 0.0f;
    float speed = d.sprintControl ? state.desired.run : state.desired.walk;
    if (previousImposed_.minSpeed)
        speed = std::max(speed, *previousImposed_.minSpeed);
    if (previousImposed_.maxSpeed)
        speed = std::min(speed, *previousImposed_.maxSpeed);
    return speed;
}

void GameModel::deriveGait(DerivedState& d) const
{
    if (!state.gait.automatic) {
        d.walking = state.gait.walking;
        d.running = state.gait.running;
        d.sprinting = state.gait.sprinting;
        d.still = state.gait.still;
        return;
    }
    const float s = d.desiredSpeed;
    d.still = s <= 0.0f;
    d.walking = s > 0.0f && s <= walkUpTo;
    d.running = s > walkUpTo && s < sprintFrom;
    d.sprinting = s >= sprintFrom;
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
    Asked asked{call, state, derived_, previousPressed_, imposed_, hashNames_, 0, false, 0.0f, {}};
    const auto index = static_cast<size_t>(call.entry - nativeCatalogue().data());
    if (void (*answerOf)(Asked&) = answersByEntry()[index])
        answerOf(asked);
    name = asked.name;

    switch (call.entry->result) {
    case ResultKind::none:
        return 0;
    case ResultKind::boolean:
        asked.low = asked.truth ? trueValue : 0u;
        shown = asked.truth ? "true" : "false";
        break;
    case ResultKind::ped:
    case ResultKind::hash:
        shown = hex32(asked.low);
        break;
    case ResultKind::number:
        shown = formatFloat(asked.number);
        break;
    }
    return (static_cast<uint64_t>(resultHighBits) << 32) | asked.low;
}

}  // namespace sim
