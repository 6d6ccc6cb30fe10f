#pragma once
// The 21 natives the plug-in may call, as the fake host knows them: the
// arguments each takes, in what shape they must arrive, and which field of
// the fake game answers it. One table for every check, answer and
// description of a call.

#include <cstddef>
#include <cstdint>

#include "game.h"

namespace fake {

// What one argument slot must hold.
enum class Arg : uint8_t {
    integer,      // a 32-bit value, zero-extended
    ped,          // the handle the playerPed call right before answered
    text,         // the address of one of the twelve control names
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

inline constexpr std::size_t nativeCount = 21;
extern const Native natives[nativeCount];

// The catalogue entry of a hash, or nullptr: one multiply and one load, so
// that every native costs the host about the same few instructions.
const Native* findNative(uint64_t hash);

// A catalogue entry's place in natives[].
inline std::size_t indexOf(const Native& native)
{
    return static_cast<std::size_t>(&native - natives);
}

}  // namespace fake
