#pragma once
// A reason of the timeline as data: what kind of change it explains and the
// numbers and key names it rests on. The timeline decides by the kind; the
// words a player reads (the "why" column, the chart's label) are made from
// it in one place, reason_words.cpp.

#include <cstdint>
#include <optional>
#include <string>

namespace sim::report {

enum class ReasonKind {
    none,  // the trace does not show why

    // The plug-in loaded or unloaded, switched on or off (key: the hotkey).
    loadedAgain,
    unloaded,
    switchedOn,
    switchedOff,
    reloadedOn,
    reloadedOff,
    atWorkAgain,
    isOff,

    // A wheel notch (up, from, speed).
    wheelPastLimits,  // during a sprint: pinned at speed, past the game's limits
    wheelStep,        // from → speed
    wheelDropped,     // from → the game's own walk

    // Stopping and moving on.
    stoppedNothingImposed,
    stoppedSpeedKept,
    stoppedDropped,
    movingOnThenBackUp,  // speed at first, then back up to from
    movingOnKeptBack,    // the kept speed is back
    movingOnAtSpeed,

    // What the game did.
    offFoot,
    specialAbility,
    wheelLeftToTheGame,
    firstPersonWalk,

    // The speed changing by itself (speed: the goal or the new speed).
    rampingBackUp,
    ramping,
    lowered,  // the ped only wants `desired`

    // The sprint key let go (key: its name).
    overrideGameSpeed,         // after a wheel override: the game's own speed
    overrideWheelSpeedStays,   // after a wheel override: the wheel's speed stays
    overrideSpeedInPlace,      // after a wheel override: speed in place of the wheel's `from`
    sprintTapStopRunningPace,  // stop running: a walk for one tick, then the game's pace
    sprintTapLightRun,
    sprintTapBackToFastWalk,

    // The walk-control key let go.
    walkShortPressFastWalkOff,
    walkShortPressPlainWalk,
    walkShortPressFastWalkOn,
    walkReleasedSlowWalkOver,

    // Either key let go, with no more to say.
    keyReleasedAtSpeed,
    keyReleasedGameSpeed,

    // The sprint key held.
    sprintHeldPinned,
    sprintHeldGameSprint,
    sprintHeldDropped,  // the custom speed `from` is dropped
    sprintHeld,

    // The walk-control key held (heldMs where the words say how long).
    walkHeldOneTickWalk,
    walkHeldSlowWalk,
    walkHeldDropped,
    walkHeld,

    // The sprint control pulsed for the game.
    pulseAfterSprint,
    pulseAfterWalkShortPress,
    pulse,

    // An input that changed nothing, still worth a word.
    wheelWithoutPlugin,
    wheelIgnoredOff,
    wheelIgnoredLeftToTheGame,
    wheelWhileStanding,
    wheelNoChange,
    walkReleasedSpeedStays,
    setsOffAtOwnPace,  // keep last: lastReasonKind
};
inline constexpr ReasonKind lastReasonKind = ReasonKind::setsOffAtOwnPace;

// Why something changed (or did not), with what the words need.
struct Reason {
    ReasonKind kind = ReasonKind::none;
    std::string key;                 // the key or hotkey that caused it, as the player presses it
    bool up = false;                 // a wheel notch up (not down)
    float speed = 0.0f;              // the speed it leads to: the cap, a ramp's goal, the speed that stays
    std::optional<float> from;       // the speed before, where the words name it
    bool fromLowestStart = false;    // a first wheel step from the lowest start
    float desired = 0.0f;            // the speed the ped wants (lowered)
    std::optional<uint32_t> heldMs;  // how long the key was held, where the words say it
    int item = -1;                   // the input item it comes from, when there is one
};

// The reason in a player's words (the timeline's "why" column); "" for none.
std::string whyText(const Reason& reason);

// A few words for the chart ("fast walk on"), or "" when the reason has none.
std::string labelText(const Reason& reason);

// Whether the reason is one of moving on after a stop.
bool isMovingOn(ReasonKind kind);

// Whether reason_words.cpp has the words of a kind (every kind must).
bool hasWords(ReasonKind kind);

}  // namespace sim::report
