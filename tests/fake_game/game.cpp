#include "game.h"

#include "game/control_names.h"

namespace fake {

Game theGame;

static_assert(controlCount == controlNameCount, "one Control per name of game/control_names.h, in its order");
const char* const* const controlNames = controlNameList;

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
