#pragma once
// The game-state statements of the scenario language (`on_foot no`,
// `desired 1.6`, `control INPUT_SPRINT on`, ...) as one table: the keyword,
// the kind of value it takes and the GameState field it sets. The parser
// reads a statement's value by its row; the session sets and restores the
// field by the same row.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/game_state.h"

namespace sim {

struct StateStatement;
struct PropertyValue;
struct ParseError;
struct Word;

// The kind of value a game-state statement takes.
enum class PropertyKind {
    flag,            // yes/no: a bool field
    gait,            // auto, none, or gait flags joined with +
    desired,         // auto [WALK RUN], or a speed
    moves,           // up/down/left/right joined with +, or none
    control,         // NAME on|off: a held control
    controlEnabled,  // NAME yes|no: whether the game accepts the control
    handle,          // a 32-bit handle: the player ped
    key,             // a key by name or code, or none
};

// One game-state statement and the field it sets. Exactly the field pointer
// of its kind is set (none for moves, control and controlEnabled, which set
// entries of GameState's control tables).
struct PropertyRow {
    const char* name;  // the statement's keyword
    PropertyKind kind;
    const char* usage;  // how to write it, for messages
    bool GameState::*flagField;
    Gait GameState::*gaitField;
    Desired GameState::*desiredField;
    uint32_t GameState::*handleField;
    uint32_t GameState::*keyField;
};

// The row of a keyword, or nullptr.
const PropertyRow* findProperty(std::string_view keyword);

// Every keyword of the table (for "did you mean").
std::vector<std::string> propertyNames();

// Reads the value words of a statement (the words after its keyword) into
// `statement`. False with the error when they are not a value of the row's
// kind.
bool readPropertyValue(const std::vector<Word>& args, StateStatement& statement, ParseError& error);

// What the statement's property holds in `state` now (to restore it after a
// range).
PropertyValue propertyValueIn(const GameState& state, const StateStatement& statement);

// Sets the statement's property in `state` to `value`.
void setPropertyValue(GameState& state, const StateStatement& statement, const PropertyValue& value);

}  // namespace sim
