#pragma once
// The natives the plug-in calls, one row each, written once: the plug-in's
// hashes (native_invoker.h), the simulator's catalogue and game model
// (sim/host/catalogue.cpp, sim/game/game_model.cpp) and the fake game host
// (tests/fake_game/natives.cpp) are all made from, or checked against, this
// list. docs/simulator.md ("Adding a native") lists the steps.
//
// A row is X(role, hash, (arguments), result):
//   role       the plug-in's name for the native (the invoker's operation, the
//              trace, the scenario language's call patterns)
//   hash       the 64-bit hash the host resolves it by
//   arguments  the kind of every argument slot, in push order:
//                ped      a ped handle, the answer of the playerPed call right before
//                control  a control hash, the answer of the hashOfText call right before
//                text     the address of a control name (control_names.h)
//                zero     a 32-bit integer every call site passes as 0
//                one      a 32-bit integer every call site passes as 1
//                number   a 32-bit float
//   result     what the result slot carries: none, ped, hash, boolean, number
//
// A file that reads the list defines X, expands AMBLEWORKS_NATIVES(X) and
// takes the argument list apart with AMBLEWORKS_NATIVE_ARGS.

#include <cstddef>
#include <iterator>

// clang-format off
#define AMBLEWORKS_NATIVES(X)                                                                    \
    X(playerPed,                    0x096275889B8E0EE0ull, (),                      ped)         \
    X(hashOfText,                   0xFD340785ADF8CFB7ull, (text),                  hash)        \
    X(isControlPressed,             0xF3A21BCD95725A4Aull, (zero, control),         boolean)     \
    X(isDisabledControlJustPressed, 0x91AEF906BCA88877ull, (zero, control),         boolean)     \
    X(disableControlAction,         0xFE99B66D079CF6BCull, (zero, control, one),    none)        \
    X(setControlValueNextFrame,     0xE8A25867FBA3B05Eull, (zero, control, number), none)        \
    X(isControlEnabled,             0x1CEA6BFDF248E5D9ull, (zero, control),         boolean)     \
    X(isControlHoldBlocked,         0x1BE19185B8AFE299ull, (control),               boolean)     \
    X(isFirstPersonCameraActive,    0xA24C1D341C6E0D53ull, (zero, zero, zero),      boolean)     \
    X(getPedDesiredSpeed,           0x8517D4A6CA8513EDull, (ped),                   number)      \
    X(isPedOnFoot,                  0x01FEE67DB37F59B2ull, (ped),                   boolean)     \
    X(isPedWalking,                 0xDE4C184B2B9B071Aull, (ped),                   boolean)     \
    X(isPedRunning,                 0xC5286FFC176F28A2ull, (ped),                   boolean)     \
    X(isPedSprinting,               0x57E457CD2C0FC168ull, (ped),                   boolean)     \
    X(isPedStill,                   0xAC29253EEF8F0180ull, (ped),                   boolean)     \
    X(setPedMaxSpeed,               0x433083750C5E064Aull, (ped, number),           none)        \
    X(setPedMinSpeed,               0x01A898D26E2333DDull, (ped, number),           none)        \
    X(isPedMoveFree,                0xBDD9C235D8D1052Eull, (ped),                   boolean)     \
    X(isGlobalMoveRestricted,       0x698F456FB909E077ull, (),                      boolean)     \
    X(isPedMoveRestricted,          0x4859F1FC66A6278Eull, (ped, zero),             boolean)     \
    X(isRunDropAllowed,             0x4200F14D6F840A9Aull, (),                      boolean)
// clang-format on

// The argument list of a row without its parentheses: `{AMBLEWORKS_NATIVE_ARGS args}`.
#define AMBLEWORKS_NATIVE_ARGS(...) __VA_ARGS__

namespace NativeCatalogue {

// The role names in the list's order, and how many natives it holds.
#define AMBLEWORKS_NATIVE_ROLE(role, hash, args, result) #role,
inline constexpr const char* nativeRoles[] = {AMBLEWORKS_NATIVES(AMBLEWORKS_NATIVE_ROLE)};
#undef AMBLEWORKS_NATIVE_ROLE
inline constexpr std::size_t nativeCount = std::size(nativeRoles);

}  // namespace NativeCatalogue
