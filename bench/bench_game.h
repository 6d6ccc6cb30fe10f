#pragma once
// A game that answers every native at once, for measuring the plug-in's own
// cost: a plain record of flags, a result slot, and counts of what the
// plug-in asked. It holds no host functions itself; the benchmark host and the
// allocation test each put the nine host functions in front of it.
//
// Everything here is allocation-free after start-up: the answers are table
// look-ups and the counts are plain integers, so whatever a heap counter sees
// during a tick was allocated by the plug-in.

#include <cstdint>

namespace bench {

// The twelve controls the plug-in names, in a fixed order.
enum Control : int32_t {
    moveUp,
    moveLeft,
    moveDown,
    moveRight,
    sprint,
    frontendSelect,
    prevWeapon,
    nextWeapon,
    revealHud,
    selectRadarMode,
    specialAbility,
    scriptedFlyZup,
    controlCount,
};

// What the game reports. The defaults: on foot, walking forward at the game's
// walk speed, nothing restricted, camera behind the player.
struct Game {
    bool onFoot = true;
    bool walking = true;
    bool running = false;
    bool sprinting = false;
    bool still = false;
    float desiredSpeed = 1.0f;
    bool firstPerson = false;
    bool moveFree = true;
    bool globalMoveRestricted = false;
    bool pedMoveRestricted = false;
    bool runDropAllowed = false;
    bool controlEnabled = true;
    bool controlHoldBlocked = false;
    bool pressed[controlCount] = {true};  // moveUp comes first: INPUT_MOVE_UP_ONLY held
    bool justPressed[controlCount] = {};
    uint32_t clockMs = 1000000;  // well away from 0 (an empty key slot)
};

// What the plug-in asked since the last reset.
struct Counts {
    uint64_t natives = 0;     // completed nativeCall
    uint64_t pushes = 0;      // nativePush64
    uint64_t clockReads = 0;  // GetTickCount
    uint64_t waits = 0;       // scriptWait
    uint64_t setPedMinSpeed = 0;
    uint64_t setPedMaxSpeed = 0;
    uint64_t pedNatives = 0;  // natives that take the ped handle
    uint64_t faults = 0;      // call shapes the host would refuse
};

// What was asked between `before` and `after`.
Counts countsBetween(const Counts& before, const Counts& after);

Game& game();
Counts& counts();
// A fresh game and zero counts.
void resetGame();

// The host side of one native call: init, pushes, call.
void nativeInitAnswer(uint64_t hash);
void nativePushAnswer(uint64_t value);
uint64_t* nativeCallAnswer();
uint32_t clockAnswer();

// The handle the game gives the player ped (top bit set: it must travel
// zero-extended, as in the game).
inline constexpr int32_t playerPedHandle = static_cast<int32_t>(0x80000101u);

}  // namespace bench
