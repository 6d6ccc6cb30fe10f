#pragma once
// The natives the plug-in may call (src/game/native_catalogue.h), as the
// fake host knows them: the arguments each takes, in what shape they must
// arrive, and which field of the fake game answers it. One table for every
// check, answer and description of a call.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game.h"
#include "game/native_catalogue.h"

namespace fake {

// What one argument slot must hold.
enum class Arg : uint8_t {
    integer,      // a 32-bit value, zero-extended
    ped,          // the handle the playerPed call right before answered
    text,         // the address of one of the control names (game/control_names.h)
    controlHash,  // the answer of the hashOfText call right before
    floating,     // a float's bits, zero-extended; finite unless the game or a setting fed in NaN or infinity
};

// Where the answer comes from.
enum class Reply : uint8_t {
    nothing,       // no result: the slot holds a value nobody may read
    world,         // a field of the game about the ped or the world
    desiredSpeed,  // the queued readings first, then the game's desired speed
    control,       // the game's answer for the control of the call
    hashOfText,    // the game's hash of the named control
    noRow,         // natives.cpp has no row for the native: it answers 0 (a test fails)
};

inline constexpr std::size_t maxArgs = 3;

struct Native {
    uint64_t hash;
    const char* name;
    uint8_t argCount;
    Arg args[maxArgs];
    // Shown in a call's description; a hidden one (the control group, the
    // camera's three zeros, a ped handle) is only checked.
    bool shown[maxArgs];
    Reply reply;
    Answer Game::*world;            // Reply::world and desiredSpeed
    ControlAnswers Game::*control;  // Reply::control
};

inline constexpr std::size_t nativeCount = NativeCatalogue::nativeCount;
extern const Native natives[nativeCount];

// What keeps natives.cpp's rows from matching the catalogue, one line each: a
// native without a row, a row for a role the catalogue does not have. Empty
// when they match.
std::vector<std::string> rowMismatches();

// The catalogue entry of a hash, or nullptr: one multiply and one load, so
// that every native costs the host about the same few instructions.
const Native* findNative(uint64_t hash);

// A catalogue entry's place in natives[].
inline std::size_t indexOf(const Native& native)
{
    return static_cast<std::size_t>(&native - natives);
}

}  // namespace fake
