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
    const std::string notch = at.wheelUp ? "wheel notch up" : "wheel notch down";
    Reason reason;
    reason.item = itemAt(c, at.tick, notch);
    const std::optional<float> before = speedOf(prev);
    const std::string from = before                           ? speedText(*before)
                             : at.desired <= lowestWheelStart ? speedText(lowestWheelStart) + " (the lowest start)"
                                                              : speedText(at.desired);
    const std::optional<float> after = lastingSpeed(c, k);
    const bool sprinting = keyDownAt(c.facts, at.tick - 1, at.keys.sprint) && at.moving();
    if (sprinting && run.imposed.pinned()) {
        reason.why = notch + " during a sprint: " + speedText(*run.imposed.cap) + ", past the game's speed limits";
        reason.label = "wheel: " + speedText(*run.imposed.cap) + " past limits";
    } else if (after) {
        reason.why = notch + ": " + from + " → " + speedText(*after);
        reason.label = (at.wheelUp ? "▲ " : "▼ ") + speedText(*after);
    } else {
        // A step into the walking pace of the game (about 1.00) drops the
        // custom speed.
        reason.why = notch + ": " + from + " → the game's own walk, so the custom speed is dropped";
        reason.label = at.wheelUp ? "▲ dropped" : "▼ dropped";
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
    reason.item = itemAt(c, c.runs[k].first, "stop");
    const int moveOn = nextMoveTick(c, k);
    if (!moveOn) {
        reason.why = "stopped: nothing imposed while standing";
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
            reason.why = "stopped: speed kept for when you move on";
            reason.label = "stop: speed kept";
            return reason;
        }
        break;
    }
    reason.why = "stopped: the custom speed is dropped";
    reason.label = "stop: dropped";
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
    if (rampFollows && before && speedOf(&c.runs[k + 1]) == before && now != before) {
        reason.why = "moving again: " + speedText(*now) + " at first, then back up to " + speedText(*before);
        reason.label = "moving on: " + speedText(*now);
    } else if (now && before && *now == *before) {
        reason.why = "moving again: the kept " + speedText(*now) + " is back";
        reason.label = "kept speed back";
    } else if (now) {
        reason.why = "moving again: speed " + speedText(*now);
    }
    return reason;
}

// The plug-in loaded or unloaded, switched on or off, or reloaded by a hotkey.
Reason switchReason(const ReasonContext& c, size_t k, const Run& prev)
{
    const Run& run = c.runs[k];
    const int t = run.first;
    Reason reason;
    if (prev.loaded != run.loaded) {
        reason.why = run.loaded ? "the plug-in is loaded again" : "the plug-in was unloaded";
        reason.item = itemAt(c, t, "host: plug-in");
        return reason;
    }
    const bool on = run.imposed.controllerRan;
    const PluginKeys keys = keysAt(c.facts, t - 1);
    const int32_t switchKey = on ? keys.switchOn : keys.switchOff;
    const int press = hotkeyHeldAt(c, t - 1, switchKey);
    const int reload = hotkeyHeldAt(c, t - 1, keys.reload);
    if (press >= 0) {
        reason.why = hotkeyName(keys, on ? Hotkey::switchOn : Hotkey::switchOff) +
                     (on ? ": Ambleworks switched on" : ": Ambleworks switched off");
        reason.label = on ? "switched on" : "switched off";
        reason.item = itemOfPress(c, press, true);
    } else if (reload >= 0) {
        reason.why = hotkeyName(keys, Hotkey::reload) + ": Ambleworks.ini reloaded, Ambleworks " + (on ? "on" : "off");
        reason.label = on ? "reloaded: on" : "reloaded: off";
        reason.item = itemOfPress(c, reload, true);
    } else {
        reason.why = on ? "Ambleworks at work again" : "Ambleworks is off";
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
        reason.why = "off foot: the custom speed is dropped";
        reason.item = itemAt(c, run.first, "off foot");
    } else if (at.controls.contains("INPUT_SPECIAL_ABILITY") && !speedOf(&run)) {
        reason.why = "special ability held: the custom speed is dropped";
        reason.item = itemAt(c, run.first, "INPUT_SPECIAL_ABILITY");
    } else if (prev.imposed.wheelTaken != run.imposed.wheelTaken && at.controls.contains("INPUT_FRONTEND_SELECT")) {
        reason.why = "INPUT_FRONTEND_SELECT held: the wheel is left to the game";
    } else if (at.firstPerson && run.imposed.pinned() && *run.imposed.cap == 1.0f) {
        reason.why = "first-person camera: no automatic running, pinned at a walk";
        reason.label = "first person: walk";
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
        if (!reason.why.empty())
            return reason;
    }
    if (run.ramp) {
        const bool afterRestart = k >= 1 && c.lastWhy[k - 1].rfind("moving again", 0) == 0;
        const std::string goal = speedText(*run.imposed.speed());
        reason.why = afterRestart ? "ramping back up to " + goal : "ramping to " + goal;
        reason.label = "ramp to " + goal;
        return reason;
    }
    const std::optional<float> was = speedOf(&prev);
    const std::optional<float> now = speedOf(&run);
    if (was && now && *now < *was && at.desired < *was) {
        reason.why = "the ped only wants " + speedText(at.desired) + ": speed lowered to " + speedText(*now);
        reason.label = "lowered to " + speedText(*now);
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
    return !game.why.empty() ? game : ownPaceReason(c, k, prev);
}

std::string quietInputWhy(const InputItem& item, const Facts& facts)
{
    const TickFacts* at = facts.at(item.tick);
    if (!at)
        return "";
    if (item.text.rfind("wheel notch", 0) == 0) {
        if (!at->pluginLoaded)
            return "no plug-in: the wheel does nothing here";
        if (!at->imposed.controllerRan)
            return "ignored: Ambleworks is off";
        if (!at->imposed.wheelTaken)
            return "ignored: the wheel is left to the game";
        if (!at->moving())
            return "standing: nothing imposed now (a kept speed takes the step, shown once you move on)";
        return "no change";
    }
    if (item.press < 0 || !item.release)
        return "";
    const KeyPress& press = facts.presses[static_cast<size_t>(item.press)];
    const PluginKeys keys = keysAt(facts, press.downTick);
    if (!press.released() || !isWalkKeyPress(press, keys))
        return "";
    // A long hold whose speed outlasts the key.
    const TickFacts* after = facts.at(press.upTick + 3);
    const TickFacts* during = facts.at(press.upTick - 1);
    if (after && during && during->imposed.speed() && after->imposed.speed() == during->imposed.speed())
        return press.name + " released: the speed stays at " + speedText(*after->imposed.speed());
    return "";
}

std::string setOffWhy(const ReasonContext& c, const InputItem& item)
{
    if (item.text.rfind("move ", 0) != 0)
        return "";
    for (size_t k = 0; k < c.runs.size(); ++k) {
        if (c.runs[k].first > item.tick && c.lastWhy[k].rfind("moving again", 0) == 0 &&
            movedOnSince(c.facts, c.runs[k].first, movedOnWindow) == item.tick)
            return "the game sets off at its own pace; the kept speed comes back once the ped is moving";
    }
    return "";
}

}  // namespace sim::report
