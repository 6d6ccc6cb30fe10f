// The game-state statements: their table, how each kind of value is read,
// and how the session sets and restores a property.

#include "scenario/properties.h"

#include <algorithm>
#include <sstream>

#include "game/game_model.h"
#include "host/catalogue.h"
#include "host/keys.h"
#include "scenario/scenario.h"
#include "scenario/words.h"
#include "text/nearest_name.h"

namespace sim {

namespace {

// The statements, one row each (their count is the table's).
// clang-format off
const PropertyRow propertyRows[] = {
    {"on_foot", PropertyKind::flag, "on_foot yes|no", &GameState::onFoot, nullptr, nullptr, nullptr, nullptr},
    {"gait", PropertyKind::gait, "gait auto, gait still|walking|running|sprinting (joined with +), or gait none", nullptr, &GameState::gait, nullptr, nullptr, nullptr},
    {"desired", PropertyKind::desired, "desired SPEED (e.g. desired 1.6), desired auto or desired auto WALK RUN", nullptr, nullptr, &GameState::desired, nullptr, nullptr},
    {"move", PropertyKind::moves, "move up|down|left|right (joined with +) or move none", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"control", PropertyKind::control, "control NAME on|off (e.g. control INPUT_SPRINT on)", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"control_enabled", PropertyKind::controlEnabled, "control_enabled NAME yes|no", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"hold_blocked", PropertyKind::flag, "hold_blocked yes|no", &GameState::holdBlocked, nullptr, nullptr, nullptr, nullptr},
    {"first_person", PropertyKind::flag, "first_person on|off", &GameState::firstPerson, nullptr, nullptr, nullptr, nullptr},
    {"ped_move_free", PropertyKind::flag, "ped_move_free yes|no", &GameState::pedMoveFree, nullptr, nullptr, nullptr, nullptr},
    {"global_move_restricted", PropertyKind::flag, "global_move_restricted yes|no", &GameState::globalMoveRestricted, nullptr, nullptr, nullptr, nullptr},
    {"ped_move_restricted", PropertyKind::flag, "ped_move_restricted yes|no", &GameState::pedMoveRestricted, nullptr, nullptr, nullptr, nullptr},
    {"run_drop_allowed", PropertyKind::flag, "run_drop_allowed yes|no", &GameState::runDropAllowed, nullptr, nullptr, nullptr, nullptr},
    {"ped", PropertyKind::handle, "ped HANDLE with a 32-bit number (e.g. ped 0x80000001)", nullptr, nullptr, nullptr, &GameState::ped, nullptr},
    {"sprint_key", PropertyKind::key, "sprint_key KEY with a key's name or code (e.g. sprint_key CAPSLOCK), or sprint_key none", nullptr, nullptr, nullptr, nullptr, &GameState::sprintKey},
};
// clang-format on

// The words of a `move` value and the control each holds.
struct MoveWord {
    const char* word;
    std::string_view control;
};
constexpr MoveWord moveWords[] = {
    {"up", moveControls[0]},
    {"left", moveControls[1]},
    {"down", moveControls[2]},
    {"right", moveControls[3]},
};

// The parts of a value joined with +.
std::vector<std::string> plusParts(const std::string& value)
{
    std::vector<std::string> parts;
    std::istringstream in(value);
    std::string part;
    while (std::getline(in, part, '+'))
        parts.push_back(part);
    return parts;
}

bool readGait(const Word& word, Gait& gait, ParseError& error)
{
    gait = Gait{};
    const std::string value = lowerCase(word.text);
    gait.automatic = value == "auto";
    if (gait.automatic || value == "none")
        return true;
    for (const std::string& part : plusParts(value)) {
        bool* flag = part == "walking"     ? &gait.walking
                     : part == "running"   ? &gait.running
                     : part == "sprinting" ? &gait.sprinting
                     : part == "still"     ? &gait.still
                                           : nullptr;
        if (!flag) {
            error = {word.column, "'" + part + "' is not a gait (still, walking, running, sprinting)" +
                                      text::didYouMean(part, {"still", "walking", "running", "sprinting"})};
            return false;
        }
        *flag = true;
    }
    return true;
}

bool readDesired(const std::vector<Word>& args, Desired& desired, ParseError& error)
{
    desired = Desired{};
    if (!args.empty() && lowerCase(args[0].text) == "auto") {
        if (args.size() == 1)
            return true;
        if (args.size() == 3 && parseFloat(args[1].text, desired.walk) && parseFloat(args[2].text, desired.run))
            return true;
        error = {args[0].column, "use 'desired auto WALK RUN' with two speeds (e.g. 'desired auto 1.0 2.0')"};
        return false;
    }
    desired.automatic = false;
    if (args.size() == 1 && parseFloat(args[0].text, desired.value))
        return true;
    error = {args.empty() ? 0 : args[0].column, "use 'desired SPEED' (e.g. 'desired 1.6') or 'desired auto'"};
    return false;
}

bool readMoves(const Word& word, std::set<std::string>& moves, ParseError& error)
{
    const std::string value = lowerCase(word.text);
    if (value == "none")
        return true;
    for (const std::string& part : plusParts(value)) {
        const MoveWord* found = nullptr;
        for (const MoveWord& move : moveWords)
            found = part == move.word ? &move : found;
        if (!found) {
            error = {word.column, "'" + part + "' is not a move direction (up, down, left, right)" +
                                      text::didYouMean(part, {"up", "down", "left", "right"})};
            return false;
        }
        moves.insert(std::string(found->control));
    }
    return true;
}

// A control the plug-in asks about, by name; anything else could never be
// asked and is most likely a typo.
bool readControlName(const Word& word, std::string& control, ParseError& error)
{
    control = upperCase(word.text);
    std::vector<std::string> known;
    for (std::string_view name : controlNames()) {
        if (name == control)
            return true;
        known.emplace_back(name);
    }
    // "SPRINT" for INPUT_SPRINT: the prefix left out.
    const std::string prefixed = "INPUT_" + control;
    const bool prefixForgotten = std::find(known.begin(), known.end(), prefixed) != known.end();
    const std::string hint = prefixForgotten ? " (did you mean " + prefixed + "?)" : text::didYouMean(control, known);
    error = {word.column, "'" + word.text + "' is not a control the plug-in asks about" +
                              (hint.empty() ? " (see docs/scenarios.md, Game state)" : hint)};
    return false;
}

// A key by name or code, or "none" (0).
bool readKeyValue(const Word& word, uint32_t& key, ParseError& error)
{
    if (lowerCase(word.text) == "none") {
        key = 0;
        return true;
    }
    const std::optional<KeyInfo> found = findKey(word.text);
    if (!found) {
        error = {word.column,
                 "'" + word.text +
                     "' is not a key (a name such as SHIFT, CAPSLOCK, A, a hex code such as 0x14, or none)" +
                     text::didYouMean(word.text, keyNames())};
        return false;
    }
    key = found->code;
    return true;
}

// "use 'on_foot yes|no'", pointed at `column`; always false.
bool usage(const PropertyRow& row, int column, ParseError& error)
{
    error = {column, std::string("use '") + row.usage + "'"};
    return false;
}

}  // namespace

const PropertyRow* findProperty(std::string_view keyword)
{
    for (const PropertyRow& row : propertyRows) {
        if (keyword == row.name)
            return &row;
    }
    return nullptr;
}

std::vector<std::string> propertyNames()
{
    std::vector<std::string> names;
    for (const PropertyRow& row : propertyRows)
        names.emplace_back(row.name);
    return names;
}

bool readPropertyValue(const std::vector<Word>& args, StateStatement& statement, ParseError& error)
{
    const PropertyRow& row = *statement.property;
    const bool named = row.kind == PropertyKind::control || row.kind == PropertyKind::controlEnabled;
    const size_t wanted = named ? 2 : 1;
    if (row.kind != PropertyKind::desired && args.size() != wanted)
        return usage(row, args.size() > wanted ? args[wanted].column : 0, error);
    PropertyValue& value = statement.value;
    uint64_t handle = 0;
    switch (row.kind) {
    case PropertyKind::flag:
        return parseYesNo(args[0].text, value.flag) || usage(row, args[0].column, error);
    case PropertyKind::gait:
        return readGait(args[0], value.gait, error);
    case PropertyKind::desired:
        return readDesired(args, value.desired, error);
    case PropertyKind::moves:
        return readMoves(args[0], value.moves, error);
    case PropertyKind::control:
    case PropertyKind::controlEnabled:
        return readControlName(args[0], statement.control, error) &&
               (parseYesNo(args[1].text, value.flag) || usage(row, args[1].column, error));
    case PropertyKind::handle:
        if (!parseUnsigned(args[0].text, handle) || handle > 0xFFFFFFFFull)
            return usage(row, args[0].column, error);
        value.ped = static_cast<uint32_t>(handle);
        return true;
    case PropertyKind::key:
        return readKeyValue(args[0], value.key, error);
    }
    return false;
}

PropertyValue propertyValueIn(const GameState& state, const StateStatement& statement)
{
    const PropertyRow& row = *statement.property;
    PropertyValue value;
    switch (row.kind) {
    case PropertyKind::flag:
        value.flag = state.*row.flagField;
        break;
    case PropertyKind::gait:
        value.gait = state.*row.gaitField;
        break;
    case PropertyKind::desired:
        value.desired = state.*row.desiredField;
        break;
    case PropertyKind::moves:
        for (std::string_view move : moveControls) {
            if (state.pressedControls.contains(std::string(move)))
                value.moves.insert(std::string(move));
        }
        break;
    case PropertyKind::control:
        value.flag = state.pressedControls.contains(statement.control);
        break;
    case PropertyKind::controlEnabled: {
        const auto it = state.controlEnabled.find(statement.control);
        value.flag = it == state.controlEnabled.end() || it->second;
        break;
    }
    case PropertyKind::handle:
        value.ped = state.*row.handleField;
        break;
    case PropertyKind::key:
        value.key = state.*row.keyField;
        break;
    }
    return value;
}

void setPropertyValue(GameState& state, const StateStatement& statement, const PropertyValue& value)
{
    const PropertyRow& row = *statement.property;
    switch (row.kind) {
    case PropertyKind::flag:
        state.*row.flagField = value.flag;
        break;
    case PropertyKind::gait:
        state.*row.gaitField = value.gait;
        break;
    case PropertyKind::desired:
        state.*row.desiredField = value.desired;
        break;
    case PropertyKind::moves:
        for (std::string_view move : moveControls)
            state.pressedControls.erase(std::string(move));
        state.pressedControls.insert(value.moves.begin(), value.moves.end());
        break;
    case PropertyKind::control:
        if (value.flag)
            state.pressedControls.insert(statement.control);
        else
            state.pressedControls.erase(statement.control);
        break;
    case PropertyKind::controlEnabled:
        state.controlEnabled[statement.control] = value.flag;
        break;
    case PropertyKind::handle:
        state.*row.handleField = value.ped;
        break;
    case PropertyKind::key:
        state.*row.keyField = value.key;
        break;
    }
}

}  // namespace sim
