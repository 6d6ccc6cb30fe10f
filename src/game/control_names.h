#pragma once
// The twelve control names the plug-in hands to the game's text hash, and the
// values it sets a control to. The names are static strings: the host
// receives their addresses.

inline constexpr char inputMoveUpOnly[] = "INPUT_MOVE_UP_ONLY";
inline constexpr char inputMoveLeftOnly[] = "INPUT_MOVE_LEFT_ONLY";
inline constexpr char inputMoveDownOnly[] = "INPUT_MOVE_DOWN_ONLY";
inline constexpr char inputMoveRightOnly[] = "INPUT_MOVE_RIGHT_ONLY";
inline constexpr char inputSprint[] = "INPUT_SPRINT";
inline constexpr char inputFrontendSelect[] = "INPUT_FRONTEND_SELECT";
inline constexpr char inputPrevWeapon[] = "INPUT_PREV_WEAPON";
inline constexpr char inputNextWeapon[] = "INPUT_NEXT_WEAPON";
inline constexpr char inputRevealHud[] = "INPUT_REVEAL_HUD";
inline constexpr char inputSelectRadarMode[] = "INPUT_SELECT_RADAR_MODE";
inline constexpr char inputSpecialAbility[] = "INPUT_SPECIAL_ABILITY";
inline constexpr char inputScriptedFlyZup[] = "INPUT_SCRIPTED_FLY_ZUP";

// Values for setControlValueNextFrame: let go, and held all the way down.
inline constexpr float controlReleased = 0.0f;
inline constexpr float controlFullyPressed = 1.0f;
