// The words of every reason kind, in one table: the timeline's "why" and
// the chart's label. Nothing else in the reports writes a reason; nothing
// decides by these words.

#include <initializer_list>
#include <string_view>

#include "report/reason.h"
#include "report/wording.h"

namespace sim::report {

namespace {

using Words = std::string (*)(const Reason&);

struct Wording {
    ReasonKind kind;
    Words why;
    Words label;  // nullptr: no label on the chart
};

// The parts one after the other. (Appended rather than added with + to a
// literal, which GCC 12 warns about wrongly: -Wrestrict.)
std::string joined(std::initializer_list<std::string_view> parts)
{
    std::string text;
    for (std::string_view part : parts)
        text.append(part);
    return text;
}

std::string speed(const Reason& r)
{
    return speedText(r.speed);
}

// The speed before; "speed" when the words name one that is unknown.
std::string from(const Reason& r)
{
    return r.from ? speedText(*r.from) : std::string("speed");
}

std::string notch(const Reason& r)
{
    return r.up ? "wheel notch up" : "wheel notch down";
}

// Where a wheel step started: the speed before, marked when it was the
// lowest start.
std::string stepFrom(const Reason& r)
{
    return from(r) + (r.fromLowestStart ? " (the lowest start)" : "");
}

std::string heldFor(const Reason& r)
{
    return r.heldMs ? joined({r.key, " held ", durationText(*r.heldMs)}) : r.key + " held";
}

std::string afterOverride(const Reason& r)
{
    return r.key + " let go after a wheel override: ";
}

constexpr Wording wordings[] = {
    {ReasonKind::none, [](const Reason&) -> std::string { return ""; }, nullptr},

    {ReasonKind::loadedAgain, [](const Reason&) -> std::string { return "the plug-in is loaded again"; }, nullptr},
    {ReasonKind::unloaded, [](const Reason&) -> std::string { return "the plug-in was unloaded"; }, nullptr},
    {ReasonKind::switchedOn, [](const Reason& r) { return r.key + ": Ambleworks switched on"; },
     [](const Reason&) -> std::string { return "switched on"; }},
    {ReasonKind::switchedOff, [](const Reason& r) { return r.key + ": Ambleworks switched off"; },
     [](const Reason&) -> std::string { return "switched off"; }},
    {ReasonKind::reloadedOn, [](const Reason& r) { return r.key + ": Ambleworks.ini reloaded, Ambleworks on"; },
     [](const Reason&) -> std::string { return "reloaded: on"; }},
    {ReasonKind::reloadedOff, [](const Reason& r) { return r.key + ": Ambleworks.ini reloaded, Ambleworks off"; },
     [](const Reason&) -> std::string { return "reloaded: off"; }},
    {ReasonKind::atWorkAgain, [](const Reason&) -> std::string { return "Ambleworks at work again"; }, nullptr},
    {ReasonKind::isOff, [](const Reason&) -> std::string { return "Ambleworks is off"; }, nullptr},

    {ReasonKind::wheelPastLimits,
     [](const Reason& r) { return notch(r) + " during a sprint: " + speed(r) + ", past the game's speed limits"; },
     [](const Reason& r) {
         return joined({"wheel: ", speed(r), " past limits"});
     }},
    {ReasonKind::wheelStep, [](const Reason& r) { return notch(r) + ": " + stepFrom(r) + " → " + speed(r); },
     [](const Reason& r) {
         return joined({r.up ? "▲ " : "▼ ", speed(r)});
     }},
    {ReasonKind::wheelDropped,
     [](const Reason& r) {
         return notch(r) + ": " + stepFrom(r) + " → the game's own walk, so the custom speed is dropped";
     },
     [](const Reason& r) -> std::string { return r.up ? "▲ dropped" : "▼ dropped"; }},

    {ReasonKind::stoppedNothingImposed,
     [](const Reason&) -> std::string { return "stopped: nothing imposed while standing"; }, nullptr},
    {ReasonKind::stoppedSpeedKept,
     [](const Reason&) -> std::string { return "stopped: speed kept for when you move on"; },
     [](const Reason&) -> std::string { return "stop: speed kept"; }},
    {ReasonKind::stoppedDropped, [](const Reason&) -> std::string { return "stopped: the custom speed is dropped"; },
     [](const Reason&) -> std::string { return "stop: dropped"; }},
    {ReasonKind::movingOnThenBackUp,
     [](const Reason& r) {
         return joined({"moving again: ", speed(r), " at first, then back up to ", from(r)});
     },
     [](const Reason& r) {
         return joined({"moving on: ", speed(r)});
     }},
    {ReasonKind::movingOnKeptBack,
     [](const Reason& r) {
         return joined({"moving again: the kept ", speed(r), " is back"});
     },
     [](const Reason&) -> std::string { return "kept speed back"; }},
    {ReasonKind::movingOnAtSpeed,
     [](const Reason& r) {
         return joined({"moving again: speed ", speed(r)});
     },
     nullptr},

    {ReasonKind::offFoot, [](const Reason&) -> std::string { return "off foot: the custom speed is dropped"; },
     nullptr},
    {ReasonKind::specialAbility,
     [](const Reason&) -> std::string { return "special ability held: the custom speed is dropped"; }, nullptr},
    {ReasonKind::wheelLeftToTheGame,
     [](const Reason&) -> std::string { return "INPUT_FRONTEND_SELECT held: the wheel is left to the game"; }, nullptr},
    {ReasonKind::firstPersonWalk,
     [](const Reason&) -> std::string { return "first-person camera: no automatic running, pinned at a walk"; },
     [](const Reason&) -> std::string { return "first person: walk"; }},

    {ReasonKind::rampingBackUp,
     [](const Reason& r) {
         return joined({"ramping back up to ", speed(r)});
     },
     [](const Reason& r) {
         return joined({"ramp to ", speed(r)});
     }},
    {ReasonKind::ramping,
     [](const Reason& r) {
         return joined({"ramping to ", speed(r)});
     },
     [](const Reason& r) {
         return joined({"ramp to ", speed(r)});
     }},
    {ReasonKind::lowered,
     [](const Reason& r) {
         return joined({"the ped only wants ", speedText(r.desired), ": speed lowered to ", speed(r)});
     },
     [](const Reason& r) {
         return joined({"lowered to ", speed(r)});
     }},

    {ReasonKind::overrideGameSpeed, [](const Reason& r) { return afterOverride(r) + "the game's own speed"; },
     [](const Reason&) -> std::string { return "wheel speed stays"; }},
    {ReasonKind::overrideWheelSpeedStays,
     [](const Reason& r) { return afterOverride(r) + "the wheel's " + speed(r) + " stays"; },
     [](const Reason&) -> std::string { return "wheel speed stays"; }},
    {ReasonKind::overrideSpeedInPlace,
     [](const Reason& r) {
         return afterOverride(r) + "the game still wants more, so " + speed(r) + " stays in place of the wheel's " +
                from(r);
     },
     [](const Reason&) -> std::string { return "wheel speed stays"; }},
    {ReasonKind::sprintTapStopRunningPace,
     [](const Reason& r) { return r.key + " tap: stop running — a walk for one tick, then the game's own pace"; },
     [](const Reason&) -> std::string { return "stop running"; }},
    {ReasonKind::sprintTapLightRun, [](const Reason& r) { return r.key + " tap: light run at " + speed(r); },
     [](const Reason&) -> std::string { return "light run"; }},
    {ReasonKind::sprintTapBackToFastWalk,
     [](const Reason& r) { return r.key + " tap: stop running — back to the fast walk at " + speed(r); },
     [](const Reason&) -> std::string { return "stop running"; }},

    {ReasonKind::walkShortPressFastWalkOff,
     [](const Reason& r) {
         return r.key + " short press: fast walk off — a plain walk for one tick, then the game's own speed";
     },
     [](const Reason&) -> std::string { return "fast walk off"; }},
    {ReasonKind::walkShortPressPlainWalk,
     [](const Reason& r) { return r.key + " short press: a plain walk for one tick, then the game's own speed"; },
     [](const Reason&) -> std::string { return "plain walk"; }},
    {ReasonKind::walkShortPressFastWalkOn,
     [](const Reason& r) { return r.key + " short press: fast walk on at " + speed(r); },
     [](const Reason&) -> std::string { return "fast walk on"; }},
    {ReasonKind::keyReleasedAtSpeed, [](const Reason& r) { return r.key + " released: speed " + speed(r); }, nullptr},
    {ReasonKind::walkReleasedSlowWalkOver,
     [](const Reason& r) { return r.key + " released: slow walk over, the game's own speed"; },
     [](const Reason&) -> std::string { return "slow walk over"; }},
    {ReasonKind::keyReleasedGameSpeed, [](const Reason& r) { return r.key + " released: the game's own speed"; },
     nullptr},

    {ReasonKind::sprintHeldPinned,
     [](const Reason& r) {
         return r.key + " held: sprint — " + speed(r) + " at first; the custom speed is dropped and does not come back";
     },
     [](const Reason&) -> std::string { return "sprint"; }},
    {ReasonKind::sprintHeldGameSprint, [](const Reason& r) { return r.key + " held: the game's own sprint"; }, nullptr},
    {ReasonKind::sprintHeldDropped,
     [](const Reason& r) {
         return r.key + " held: sprint — the custom speed " + from(r) + " is dropped and does not come back";
     },
     [](const Reason&) -> std::string { return "sprint"; }},
    {ReasonKind::sprintHeld, [](const Reason& r) { return r.key + " held"; }, nullptr},

    {ReasonKind::walkHeldOneTickWalk,
     [](const Reason& r) { return heldFor(r) + ": a walk for one tick, then the custom speed is dropped"; }, nullptr},
    {ReasonKind::walkHeldSlowWalk, [](const Reason& r) { return heldFor(r) + ": slow walk at " + speed(r); },
     [](const Reason&) -> std::string { return "slow walk"; }},
    {ReasonKind::walkHeldDropped,
     [](const Reason& r) {
         return heldFor(r) + ": the custom speed " + from(r) + " is dropped and does not come back";
     },
     nullptr},
    {ReasonKind::walkHeld, [](const Reason& r) { return heldFor(r); }, nullptr},

    {ReasonKind::pulseAfterSprint,
     [](const Reason& r) {
         return r.key + " let go after a sprint from a custom speed: the sprint control is pulsed for the game; "
                        "the custom speed does not come back";
     },
     nullptr},
    {ReasonKind::pulseAfterWalkShortPress,
     [](const Reason& r) {
         return r.key + " short press with no custom speed: the sprint control is pulsed for the game";
     },
     nullptr},
    {ReasonKind::pulse, [](const Reason&) -> std::string { return "the sprint control is pulsed"; }, nullptr},

    {ReasonKind::wheelWithoutPlugin,
     [](const Reason&) -> std::string { return "no plug-in: the wheel does nothing here"; }, nullptr},
    {ReasonKind::wheelIgnoredOff, [](const Reason&) -> std::string { return "ignored: Ambleworks is off"; }, nullptr},
    {ReasonKind::wheelIgnoredLeftToTheGame,
     [](const Reason&) -> std::string { return "ignored: the wheel is left to the game"; }, nullptr},
    {ReasonKind::wheelWhileStanding,
     [](const Reason&) -> std::string {
         return "standing: nothing imposed now (a kept speed takes the step, shown once you move on)";
     },
     nullptr},
    {ReasonKind::wheelNoChange, [](const Reason&) -> std::string { return "no change"; }, nullptr},
    {ReasonKind::walkReleasedSpeedStays,
     [](const Reason& r) { return r.key + " released: the speed stays at " + speed(r); }, nullptr},
    {ReasonKind::setsOffAtOwnPace,
     [](const Reason&) -> std::string {
         return "the game sets off at its own pace; the kept speed comes back once the ped is moving";
     },
     nullptr},
};

const Wording* wordingOf(ReasonKind kind)
{
    for (const Wording& wording : wordings) {
        if (wording.kind == kind)
            return &wording;
    }
    return nullptr;
}

}  // namespace

std::string whyText(const Reason& reason)
{
    const Wording* wording = wordingOf(reason.kind);
    return wording ? wording->why(reason) : std::string();
}

std::string labelText(const Reason& reason)
{
    const Wording* wording = wordingOf(reason.kind);
    return wording && wording->label ? wording->label(reason) : std::string();
}

bool isMovingOn(ReasonKind kind)
{
    return kind == ReasonKind::movingOnThenBackUp || kind == ReasonKind::movingOnKeptBack ||
           kind == ReasonKind::movingOnAtSpeed;
}

bool hasWords(ReasonKind kind)
{
    return wordingOf(kind) != nullptr;
}

}  // namespace sim::report
