#include "game.h"

#include "game/control_names.h"

namespace fake {

Game theGame;

const char* const controlNames[controlCount] = {
    inputMoveUpOnly, inputMoveLeftOnly,    inputMoveDownOnly,   inputMoveRightOnly,
    inputSprint,     inputFrontendSelect,  inputPrevWeapon,     inputNextWeapon,
    inputRevealHud,  inputSelectRadarMode, inputSpecialAbility, inputScriptedFlyZup,
};

void queueDesiredSpeeds(std::span<const float> readings)
{
    Game& g = theGame;
    g.desiredSpeedReadingCount = 0;
    g.desiredSpeedReadingsTaken = 0;
    for (float reading : readings) {
        if (g.desiredSpeedReadingCount < g.desiredSpeedReadings.size())
            g.desiredSpeedReadings[g.desiredSpeedReadingCount++] = reading;
    }
}

void setMoveInput(bool active)
{
    theGame.pressed[moveUp] = active;
    theGame.pressed[moveLeft] = false;
    theGame.pressed[moveDown] = false;
    theGame.pressed[moveRight] = false;
}

}  // namespace fake
