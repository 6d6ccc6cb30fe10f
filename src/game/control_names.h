#pragma once
// The control names the plug-in hands to the game's text hash, and the
// values it sets a control to. The names are static strings: the host
// receives their addresses. The simulator's catalogue and the fake game host
// take the same list (AMBLEWORKS_CONTROLS: the constant's name, the text).

#include <cstddef>
#include <iterator>

// clang-format off
#define AMBLEWORKS_CONTROLS(X)                              \
    X(inputMoveUpOnly,      "INPUT_MOVE_UP_ONLY")           \
    X(inputMoveLeftOnly,    "INPUT_MOVE_LEFT_ONLY")         \
    X(inputMoveDownOnly,    "INPUT_MOVE_DOWN_ONLY")         \
    X(inputMoveRightOnly,   "INPUT_MOVE_RIGHT_ONLY")        \
    X(inputSprint,          "INPUT_SPRINT")                 \
    X(inputFrontendSelect,  "INPUT_FRONTEND_SELECT")        \
    X(inputPrevWeapon,      "INPUT_PREV_WEAPON")            \
    X(inputNextWeapon,      "INPUT_NEXT_WEAPON")            \
    X(inputRevealHud,       "INPUT_REVEAL_HUD")             \
    X(inputSelectRadarMode, "INPUT_SELECT_RADAR_MODE")      \
    X(inputSpecialAbility,  "INPUT_SPECIAL_ABILITY")        \
    X(inputScriptedFlyZup,  "INPUT_SCRIPTED_FLY_ZUP")
// clang-format on

#define AMBLEWORKS_CONTROL_NAME(constant, text) inline constexpr char constant[] = text;
AMBLEWORKS_CONTROLS(AMBLEWORKS_CONTROL_NAME)
#undef AMBLEWORKS_CONTROL_NAME

// Every control name in the list's order, and how many there are.
#define AMBLEWORKS_CONTROL_TEXT(constant, text) constant,
inline constexpr const char* controlNameList[] = {AMBLEWORKS_CONTROLS(AMBLEWORKS_CONTROL_TEXT)};
#undef AMBLEWORKS_CONTROL_TEXT
inline constexpr std::size_t controlNameCount = std::size(controlNameList);

// Values for setControlValueNextFrame: let go, and held all the way down.
inline constexpr float controlReleased = 0.0f;
inline constexpr float controlFullyPressed = 1.0f;
