// Reasons for the rest: the plug-in loaded or switched, the wheel, stopping
// and moving on, the game taking the ped off foot, the first-person camera,
// the ramp and the settle check; and the words for inputs that changed
// nothing.

#include "report/reasons.h"

#include "report/key_roles.h"

namespace sim::report {

namespace {

// A first wheel step starts from the ped's desired speed, but never below this.
constexpr float lowestWheelStart = 0.8f;
// How far back a move input that came back still explains a change.
constexpr int movedOnWindow = 30;
// How long after the player moves on a kept speed may take to come back.
constexpr int keptSpeedWindow = 60;

Reason wheelReason(const ReasonContext& c, size_t k, const TickFacts& at, const Run* prev)
{
    const Run& run = c.runs[k];
    Reason reason;
    reason.up = at.wheelUp;
    reason.item = itemAt(c, at.tick, at.wheelUp ? InputKind::wheelUp : InputKind::wheelDown);
    const std::optional<float> before = speedOf(prev);
    reason.fromLowestStart = !before && at.desired <= lowestWheelStart;
    reason.from = before ? *before : reason.fromLowestStart ? lowestWheelStart : at.desired;
    const std::optional<float> after = lastingSpeed(c, k);
    const bool sprinting = keyDownAt(c.facts, at.tick - 1, at.keys.sprint) && at.moving();
    if (sprinting && run.imposed.pinned()) {
        reason.kind = ReasonKind::wheelPastLimits;
        reason.speed = *run.imposed.cap;
    } else if (after) {
        reason.kind = ReasonKind::wheelStep;
        reason.speed = *after;
    } else {
        // A step into the walking pace of the game (about 1.00) drops the
        // custom speed.
        reason.kind = ReasonKind::wheelDropped;
    }
    return reason;
}

// Hindsight: the first tick after run k's start in which the player moves, or 0.
int nextMoveTick(const ReasonContext& c, size_t k)
{
    for (int t = c.runs[k].first + 1; t <= c.facts.tickCount(); ++t) {
        if (c.facts.at(t)->moving())
            return t;
    }
    return 0;
}

Reason stopReason(const ReasonContext& c, size_t k, const Run* prev)
{
    Reason reason;
    reason.item = itemAt(c, c.runs[k].first, InputKind::stop);
    const int moveOn = nextMoveTick(c, k);
    if (!moveOn) {
        reason.kind = ReasonKind::stoppedNothingImposed;
        return reason;
    }
    // A speed that comes back once moving, with no input of its own, was
    // kept (a run speed may come back at a fast walk and ramp up).
    for (size_t j = k + 1; j < c.runs.size() && c.runs[j].first <= moveOn + keptSpeedWindow; ++j) {
        if (!speedOf(&c.runs[j]) || c.runs[j].first < moveOn)
            continue;
        const int first = c.runs[j].first;
        const TickFacts* back = c.facts.at(first);
        const bool ownCause =
            back && (back->wheelUp || back->wheelDown || releasedBefore(c, first) >= 0 || heldBefore(c, first) >= 0);
        if (!ownCause && speedOf(prev)) {
            reason.kind = ReasonKind::stoppedSpeedKept;
            return reason;
        }
        break;
    }
    reason.kind = ReasonKind::stoppedDropped;
    return reason;
}

Reason movingOnReason(const ReasonContext& c, size_t k, int movedAt)
{
    Reason reason;
    const std::optional<float> now = speedOf(&c.runs[k]);
    // The speed before the stop: the last run with a speed before the move.
    std::optional<float> before;
    for (size_t j = k; j-- > 0;) {
        if (c.runs[j].first < movedAt && speedOf(&c.runs[j])) {
            before = speedOf(&c.runs[j]);
            break;
        }
    }
    const bool rampFollows = k + 1 < c.runs.size() && c.runs[k + 1].ramp;
    if (!now)
        return reason;
    reason.speed = *now;
    reason.from = before;
    if (rampFollows && before && speedOf(&c.runs[k + 1]) == before && now != before)
        reason.kind = ReasonKind::movingOnThenBackUp;
    else if (before && *now == *before)
        reason.kind = ReasonKind::movingOnKeptBack;
    else
        reason.kind = ReasonKind::movingOnAtSpeed;
    return reason;
}

// The plug-in loaded or unloaded, switched on or off, or reloaded by a hotkey.
Reason switchReason(const ReasonContext& c, size_t k, const Run& prev)
{
    const Run& run = c.runs[k];
    const int t = run.first;
    Reason reason;
    if (prev.loaded != run.loaded) {
        reason.kind = run.loaded ? ReasonKind::loadedAgain : ReasonKind::unloaded;
        reason.item = itemAt(c, t, InputKind::hostPlugin);
        return reason;
    }
    const bool on = run.imposed.controllerRan;
    const PluginKeys keys = keysAt(c.facts, t - 1);
    const int32_t switchKey = on ? keys.switchOn : keys.switchOff;
    const int press = hotkeyHeldAt(c, t - 1, switchKey);
    const int reload = hotkeyHeldAt(c, t - 1, keys.reload);
    if (press >= 0) {
        reason.kind = on ? ReasonKind::switchedOn : ReasonKind::switchedOff;
        reason.key = hotkeyName(keys, on ? Hotkey::switchOn : Hotkey::switchOff);
        reason.item = itemOfPress(c, press, true);
    } else if (reload >= 0) {
        reason.kind = on ? ReasonKind::reloadedOn : ReasonKind::reloadedOff;
        reason.key = hotkeyName(keys, Hotkey::reload);
        reason.item = itemOfPress(c, reload, true);
    } else {
        reason.kind = on ? ReasonKind::atWorkAgain : ReasonKind::isOff;
    }
    return reason;
}

// What the game did: off foot, the special ability, the menu control, the
// first-person camera.
Reason gameReason(const ReasonContext& c, size_t k, const Run& prev)
{
    const Run& run = c.runs[k];
    const TickFacts& at = *c.facts.at(run.first);
    const TickFacts* before = c.facts.at(run.first - 1);
    Reason reason;
    if (!at.onFoot && before && before->onFoot) {
        reason.kind = ReasonKind::offFoot;
        reason.item = itemAt(c, run.first, InputKind::offFoot);
    } else if (at.controls.contains("INPUT_SPECIAL_ABILITY") && !speedOf(&run)) {
        reason.kind = ReasonKind::specialAbility;
        reason.item = itemAt(c, run.first, InputKind::control, "INPUT_SPECIAL_ABILITY");
    } else if (prev.imposed.wheelTaken != run.imposed.wheelTaken && at.controls.contains("INPUT_FRONTEND_SELECT")) {
        reason.kind = ReasonKind::wheelLeftToTheGame;
    } else if (at.firstPerson && run.imposed.pinned() && *run.imposed.cap == 1.0f) {
        reason.kind = ReasonKind::firstPersonWalk;
    }
    return reason;
}

// The speed changing by itself: back after a stop, a ramp, the settle check.
Reason ownPaceReason(ReasonContext& c, size_t k, const Run& prev)
{
    const Run& run = c.runs[k];
    const TickFacts& at = *c.facts.at(run.first);
    Reason reason;
    const int movedAt = movedOnSince(c.facts, run.first, movedOnWindow);
    if (movedAt && speedOf(&run) && !speedOf(&prev) && !run.ramp) {
        reason = movingOnReason(c, k, movedAt);
        if (reason.kind != ReasonKind::none)
            return reason;
    }
    if (run.ramp) {
        const bool afterRestart = k >= 1 && isMovingOn(c.kinds[k - 1]);
        reason.kind = afterRestart ? ReasonKind::rampingBackUp : ReasonKind::ramping;
        reason.speed = *run.imposed.speed();
        return reason;
    }
    const std::optional<float> was = speedOf(&prev);
    const std::optional<float> now = speedOf(&run);
    if (was && now && *now < *was && at.desired < *was) {
        reason.kind = ReasonKind::lowered;
        reason.desired = at.desired;
        reason.speed = *now;
    }
    return reason;
}

}  // namespace

Reason findReason(ReasonContext& c, size_t k)
{
    if (k == 0)
        return Reason{};
    const Run& run = c.runs[k];
    const Run& prev = c.runs[k - 1];
    const TickFacts& at = *c.facts.at(run.first);
    if (prev.loaded != run.loaded || prev.imposed.controllerRan != run.imposed.controllerRan)
        return switchReason(c, k, prev);
    if (at.wheelUp || at.wheelDown)
        return wheelReason(c, k, at, &prev);
    // Letting go of the move input ends a custom speed whatever key is down.
    const TickFacts* before = c.facts.at(run.first - 1);
    if (before && before->moving() && !at.moving() && speedOf(&prev) && !speedOf(&run))
        return stopReason(c, k, &prev);
    if (const int released = releasedBefore(c, run.first); released >= 0)
        return releaseReason(c, k, released, &prev);
    if (const int held = heldBefore(c, run.first); held >= 0)
        return heldReason(c, k, held, &prev);
    const Reason game = gameReason(c, k, prev);
    return game.kind != ReasonKind::none ? game : ownPaceReason(c, k, prev);
}

Reason quietInputReason(const InputItem& item, const Facts& facts)
{
    const TickFacts* at = facts.at(item.tick);
    Reason reason;
    if (!at)
        return reason;
    if (item.kind == InputKind::wheelUp || item.kind == InputKind::wheelDown) {
        reason.kind = !at->pluginLoaded            ? ReasonKind::wheelWithoutPlugin
                      : !at->imposed.controllerRan ? ReasonKind::wheelIgnoredOff
                      : !at->imposed.wheelTaken    ? ReasonKind::wheelIgnoredLeftToTheGame
                      : !at->moving()              ? ReasonKind::wheelWhileStanding
                                                   : ReasonKind::wheelNoChange;
        return reason;
    }
    if (item.press < 0 || !item.release)
        return reason;
    const KeyPress& press = facts.presses[static_cast<size_t>(item.press)];
    const PluginKeys keys = keysAt(facts, press.downTick);
    if (!press.released() || !isWalkKeyPress(press, keys))
        return reason;
    // A long hold whose speed outlasts the key.
    const TickFacts* after = facts.at(press.upTick + 3);
    const TickFacts* during = facts.at(press.upTick - 1);
    if (after && during && during->imposed.speed() && after->imposed.speed() == during->imposed.speed()) {
        reason.kind = ReasonKind::walkReleasedSpeedStays;
        reason.key = press.name;
        reason.speed = *after->imposed.speed();
    }
    return reason;
}

Reason setOffReason(const ReasonContext& c, const InputItem& item)
{
    Reason reason;
    if (item.kind != InputKind::move)
        return reason;
    for (size_t k = 0; k < c.runs.size(); ++k) {
        if (c.runs[k].first > item.tick && isMovingOn(c.kinds[k]) &&
            movedOnSince(c.facts, c.runs[k].first, movedOnWindow) == item.tick) {
            reason.kind = ReasonKind::setsOffAtOwnPace;
            return reason;
        }
    }
    return reason;
}

}  // namespace sim::report
