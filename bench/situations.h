#pragma once
// The typical situations a tick is measured in, as sequences of game answers
// and key messages. Both the benchmark (the real Ambleworks.so on a script
// context) and the allocation test (the plug-in's code linked in) play them
// through a Driver, so they measure the same ticks.

#include <cstdint>

namespace fake {
struct Counts;
}

namespace bench {

// How a situation reaches the plug-in: one tick, or one keyboard message
// delivered between ticks.
class Driver {
public:
    virtual ~Driver() = default;
    virtual void runTick() = 0;
    virtual void sendKey(uint32_t key, bool up) = 0;
};

enum class Situation {
    walking,      // walking forward, no custom speed
    customSpeed,  // a lasting custom speed engaged with one wheel notch, imposed every tick
    sprintPress,  // Shift presses from a light run: ticks 1 to 12 force 2.0
    switchedOff,  // switched off with End+Numpad1, keys released, still walking
};

inline constexpr Situation allSituations[] = {Situation::walking, Situation::customSpeed, Situation::sprintPress,
                                              Situation::switchedOff};

const char* situationName(Situation situation);

// Milliseconds the host's clock moves between two ticks (a 60 Hz frame).
inline constexpr uint32_t frameMs = 16;

// One Shift press and release in the sprint situation: the tick that sees
// the press arrive, 12 forced ticks, and the tick whose key dispatch handles
// the release (and engages the light run the next press starts from).
inline constexpr uint64_t sprintCycleTicks = 14;

// Brings a freshly loaded plug-in (its first tick not yet run) into the
// situation's steady state, from a game where the player walks forward at the
// game's walk speed.
void enterSituation(Situation situation, Driver& driver);

// One tick of the steady state: moves the clock, gives the game the answers
// and the plug-in the key messages of tick `n` (counted from 0 after
// enterSituation), then runs it.
void playTick(Situation situation, uint64_t n, Driver& driver);

// Empty when `ticks` ticks of the situation (counted from 0, as playTick
// counts them) asked what they should: no refused call shapes, and the speed
// natives the situation stands for (none while walking or switched off, one
// cap per tick with a custom speed, twelve floors of 2.0 per sprint cycle).
// Otherwise says what went wrong, so a benchmark never reports a situation
// it did not reach.
const char* situationFault(Situation situation, const fake::Counts& counts, uint64_t ticks);

}  // namespace bench
