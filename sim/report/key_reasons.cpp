// Reasons that come from the plug-in's own keys: the sprint key (Shift unless
// configured otherwise) and the walk-control key (Alt unless configured
// otherwise), let go or held.

#include "report/key_roles.h"
#include "report/reasons.h"

namespace sim::report {

namespace {

// A sprint-key press of at most this many ticks of movement is a tap; a
// longer one is a sprint that simply ends.
constexpr int sprintTapTicks = 18;
// The walk band of custom speeds (the fast walk lies in it).
constexpr float walkBandLow = 1.0f;
constexpr float walkBandHigh = 1.5f;

bool inWalkBand(float speed)
{
    return speed >= walkBandLow && speed <= walkBandHigh;
}

// The plug-in sees the sprint key held from the tick after its press and
// acts on every such tick up to the one of its release.
bool isTap(const KeyPress& press)
{
    return press.upTick - press.downTick <= sprintTapTicks;
}

// A wheel notch up during the press that pinned the speed past the game's
// limits: the override, after which a release does no tap action.
bool overrideDuring(const ReasonContext& c, const KeyPress& press)
{
    for (int t = press.downTick + 1; t <= press.upTick; ++t) {
        const TickFacts* at = c.facts.at(t);
        if (at && at->wheelUp && at->imposed.pinned())
            return true;
    }
    return false;
}

// The release after a wheel override: the wheel's speed stays, or 2.00 in
// its place while the game still wants more than that.
Reason afterOverride(const KeyPress& press, std::optional<float> before, std::optional<float> now)
{
    Reason reason;
    reason.label = "wheel speed stays";
    if (!now)
        reason.why = press.name + " let go after a wheel override: the game's own speed";
    else if (before && *before == *now)
        reason.why = press.name + " let go after a wheel override: the wheel's " + speedText(*now) + " stays";
    else
        reason.why = press.name + " let go after a wheel override: the game still wants more, so " + speedText(*now) +
                     " stays in place of the wheel's " + (before ? speedText(*before) : std::string("speed"));
    return reason;
}

Reason sprintKeyReleased(const ReasonContext& c, size_t k, const KeyPress& press, const Run* prev)
{
    const std::optional<float> now = speedOf(&c.runs[k]);
    const std::string& key = press.name;
    if (overrideDuring(c, press))
        return afterOverride(press, speedOf(prev), now);
    Reason reason;
    if (oneTick(c, k) && !speedOf(&c.runs[k + 1])) {
        reason.why = key + " tap: stop running — a walk for one tick, then the game's own pace";
        reason.label = "stop running";
    } else if (now && !isTap(press)) {
        reason.why = key + " released: speed " + speedText(*now);
    } else if (now && *now > walkBandHigh) {
        reason.why = key + " tap: light run at " + speedText(*now);
        reason.label = "light run";
    } else if (now) {
        reason.why = key + " tap: stop running — back to the fast walk at " + speedText(*now);
        reason.label = "stop running";
    } else {
        reason.why = key + " released: the game's own speed";
    }
    return reason;
}

Reason walkKeyReleased(const ReasonContext& c, size_t k, const KeyPress& press, const Run* prev)
{
    const std::optional<float> before = speedOf(prev);
    const std::optional<float> now = speedOf(&c.runs[k]);
    const std::string& key = press.name;
    Reason reason;
    if (oneTick(c, k) && !speedOf(&c.runs[k + 1])) {
        // The speed before the key went down tells a fast walk switched off
        // from a plain walk.
        const std::optional<float> atPress = speedAtTick(c, press.downTick);
        const bool fastWalk = atPress && inWalkBand(*atPress);
        reason.why = key + " short press: " + (fastWalk ? "fast walk off — " : "") +
                     "a plain walk for one tick, then the game's own speed";
        reason.label = fastWalk ? "fast walk off" : "plain walk";
    } else if (now && inWalkBand(*now)) {
        reason.why = key + " short press: fast walk on at " + speedText(*now);
        reason.label = "fast walk on";
    } else if (now) {
        reason.why = key + " released: speed " + speedText(*now);
    } else if (before && *before < walkBandLow) {
        reason.why = key + " released: slow walk over, the game's own speed";
        reason.label = "slow walk over";
    } else {
        reason.why = key + " released: the game's own speed";
    }
    return reason;
}

Reason sprintKeyHeld(const ReasonContext& c, size_t k, const KeyPress& press, const Run* prev)
{
    const Run& run = c.runs[k];
    const std::optional<float> before = speedOf(prev);
    const std::string& key = press.name;
    Reason reason;
    if (run.imposed.pinned()) {
        reason.why = key + " held: sprint — " + speedText(*run.imposed.cap) +
                     " at first; the custom speed is dropped and does not come back";
        reason.label = "sprint";
    } else if (!speedOf(&run) && prev && prev->imposed.pinned()) {
        reason.why = key + " held: the game's own sprint";
    } else if (!speedOf(&run) && before) {
        reason.why =
            key + " held: sprint — the custom speed " + speedText(*before) + " is dropped and does not come back";
        reason.label = "sprint";
    } else {
        reason.why = key + " held";
    }
    return reason;
}

Reason walkKeyHeld(const ReasonContext& c, size_t k, const KeyPress& press, const Run* prev)
{
    const Run& run = c.runs[k];
    const std::optional<float> before = speedOf(prev);
    const std::optional<float> now = speedOf(&run);
    const TickFacts* at = c.facts.at(run.first);
    std::string heldFor = press.name + " held";
    if (at)
        heldFor.append(" ").append(durationText(at->clockMs - press.downMs));
    Reason reason;
    if (oneTick(c, k) && !speedOf(&c.runs[k + 1])) {
        reason.why = heldFor + ": a walk for one tick, then the custom speed is dropped";
    } else if (now && *now < walkBandLow) {
        reason.why = heldFor + ": slow walk at " + speedText(*now);
        reason.label = "slow walk";
    } else if (!now && before) {
        reason.why =
            press.name + " held: the custom speed " + speedText(*before) + " is dropped and does not come back";
    } else {
        reason.why = heldFor;
    }
    return reason;
}

}  // namespace

Reason releaseReason(const ReasonContext& c, size_t k, int pressIndex, const Run* prev)
{
    const KeyPress& press = c.facts.presses[static_cast<size_t>(pressIndex)];
    Reason reason = isSprintKeyPress(press, keysAt(c.facts, press.downTick)) ? sprintKeyReleased(c, k, press, prev)
                                                                             : walkKeyReleased(c, k, press, prev);
    reason.item = itemOfPress(c, pressIndex, true);
    return reason;
}

Reason heldReason(const ReasonContext& c, size_t k, int pressIndex, const Run* prev)
{
    const KeyPress& press = c.facts.presses[static_cast<size_t>(pressIndex)];
    Reason reason = isSprintKeyPress(press, keysAt(c.facts, press.downTick)) ? sprintKeyHeld(c, k, press, prev)
                                                                             : walkKeyHeld(c, k, press, prev);
    reason.item = itemOfPress(c, pressIndex, false);
    return reason;
}

std::string pulseWhy(const Facts& facts, int tick)
{
    const PluginKeys keys = keysAt(facts, tick);
    std::string sprintKey;
    std::string walkKey;
    for (const KeyPress& press : facts.presses) {
        if (isSprintKeyPress(press, keys) && press.upTick == tick)
            sprintKey = press.name;
        else if (isWalkKeyPress(press, keys) && press.released() &&
                 (press.upTick == tick - 1 || press.upTick == tick - 2))
            walkKey = press.name;
    }
    if (!sprintKey.empty())
        return sprintKey + " let go after a sprint from a custom speed: the sprint control is pulsed for the game; "
                           "the custom speed does not come back";
    if (!walkKey.empty())
        return walkKey + " short press with no custom speed: the sprint control is pulsed for the game";
    return "the sprint control is pulsed";
}

}  // namespace sim::report
