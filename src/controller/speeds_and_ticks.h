#pragma once
// The speeds and tick limits that more than one part of the plug-in acts on,
// named once. Speeds are on the game's movement-speed scale and single
// precision, like every speed here: up to 1.5 is a walking pace, above it a
// run, and 3.0 is the fastest the plug-in ever sets. Tick limits count passes
// of the script loop.

#include <cstdint>

// Index of this file:
// [SECTION] Speeds
// [SECTION] Tick limits

// ---------------------------------------------------------------------------
// [SECTION] Speeds

// The pace of a slow walk: the wheel never starts stepping below it, and a
// ped that wanted no more when a sprint press began is not pinned at a sprint.
inline constexpr float slowWalkPace = 0.8f;
// The game's own walking pace: the plain walk in the first-person camera and
// the bottom of the walk band (a speed below it is a slow one). A capped
// speed above it needs the sprint control held to stick.
inline constexpr float gameWalkSpeed = 1.0f;
// The plain walk the walk-control key and the Shift tap fall back to outside
// the first-person camera.
inline constexpr float plainWalkSpeed = 1.2f;
// The built-in fast walk; a ramp after a stop and the settle check start
// from it whatever FAST_WALK_CUSTOM_SPEED says.
inline constexpr float builtInFastWalkSpeed = 1.38f;
// The top of the fast-walk band and of every walking pace; above it a run.
// A ped that wants exactly this pace is walking as fast as it can.
inline constexpr float highestWalkSpeed = 1.5f;
// The slowest light run: a speed below it is a walk to the walk-control key,
// the sprint press and the light-run clamp.
inline constexpr float lowestRunSpeed = 1.51f;
// The same bound as the decimal 1.51 in double, which lies a hair above the
// float: the one comparison made in double (imposing a speed in the
// first-person camera) counts the slowest light run as a walking pace.
inline constexpr double lowestRunSpeedInDouble = 1.51;
// The highest pace that is not yet a sprint.
inline constexpr float highestBelowSprintSpeed = 1.99f;
// A sprint: what the sprint press pins the ped at, and the target above which
// the settle check is armed.
inline constexpr float sprintSpeed = 2.0f;
// The fastest speed the plug-in sets.
inline constexpr float highestSpeed = 3.0f;

// ---------------------------------------------------------------------------
// [SECTION] Tick limits

// A press of the walk-control key or of the sprint key held for at most this
// many ticks is a tap (a short press); 19 ticks is already a hold.
inline constexpr int32_t shortPressTicks = 18;
// Ticks a fresh speed is given to take hold before the settle check judges it.
inline constexpr int32_t settleDelay = 3;
