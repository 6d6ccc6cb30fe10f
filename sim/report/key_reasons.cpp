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
    reason.key = press.name;
    reason.from = before;
    if (!now) {
        reason.kind = ReasonKind::overrideGameSpeed;
        return reason;
    }
    reason.speed = *now;
    reason.kind = before && *before == *now ? ReasonKind::overrideWheelSpeedStays : ReasonKind::overrideSpeedInPlace;
    return reason;
}

Reason sprintKeyReleased(const ReasonContext& c, size_t k, const KeyPress& press, const Run* prev)
{
    const std::optional<float> now = speedOf(&c.runs[k]);
    if (overrideDuring(c, press))
        return afterOverride(press, speedOf(prev), now);
    Reason reason;
    reason.key = press.name;
    reason.speed = now.value_or(0.0f);
    if (oneTick(c, k) && !speedOf(&c.runs[k + 1]))
        reason.kind = ReasonKind::sprintTapStopRunningPace;
    else if (now && !isTap(press))
        reason.kind = ReasonKind::keyReleasedAtSpeed;
    else if (now && *now > walkBandHigh)
        reason.kind = ReasonKind::sprintTapLightRun;
    else if (now)
        reason.kind = ReasonKind::sprintTapBackToFastWalk;
    else
        reason.kind = ReasonKind::keyReleasedGameSpeed;
    return reason;
}

Reason walkKeyReleased(const ReasonContext& c, size_t k, const KeyPress& press, const Run* prev)
{
    const std::optional<float> before = speedOf(prev);
    const std::optional<float> now = speedOf(&c.runs[k]);
    Reason reason;
    reason.key = press.name;
    reason.speed = now.value_or(0.0f);
    if (oneTick(c, k) && !speedOf(&c.runs[k + 1])) {
        // The speed before the key went down tells a fast walk switched off
        // from a plain walk.
        const std::optional<float> atPress = speedAtTick(c, press.downTick);
        const bool fastWalk = atPress && inWalkBand(*atPress);
        reason.kind = fastWalk ? ReasonKind::walkShortPressFastWalkOff : ReasonKind::walkShortPressPlainWalk;
    } else if (now && inWalkBand(*now)) {
        reason.kind = ReasonKind::walkShortPressFastWalkOn;
    } else if (now) {
        reason.kind = ReasonKind::keyReleasedAtSpeed;
    } else if (before && *before < walkBandLow) {
        reason.kind = ReasonKind::walkReleasedSlowWalkOver;
    } else {
        reason.kind = ReasonKind::keyReleasedGameSpeed;
    }
    return reason;
}

Reason sprintKeyHeld(const ReasonContext& c, size_t k, const KeyPress& press, const Run* prev)
{
    const Run& run = c.runs[k];
    const std::optional<float> before = speedOf(prev);
    Reason reason;
    reason.key = press.name;
    reason.from = before;
    if (run.imposed.pinned()) {
        reason.kind = ReasonKind::sprintHeldPinned;
        reason.speed = *run.imposed.cap;
    } else if (!speedOf(&run) && prev && prev->imposed.pinned()) {
        reason.kind = ReasonKind::sprintHeldGameSprint;
    } else if (!speedOf(&run) && before) {
        reason.kind = ReasonKind::sprintHeldDropped;
    } else {
        reason.kind = ReasonKind::sprintHeld;
    }
    return reason;
}

Reason walkKeyHeld(const ReasonContext& c, size_t k, const KeyPress& press, const Run* prev)
{
    const Run& run = c.runs[k];
    const std::optional<float> before = speedOf(prev);
    const std::optional<float> now = speedOf(&run);
    const TickFacts* at = c.facts.at(run.first);
    Reason reason;
    reason.key = press.name;
    reason.from = before;
    reason.speed = now.value_or(0.0f);
    if (at)
        reason.heldMs = at->clockMs - press.downMs;
    if (oneTick(c, k) && !speedOf(&c.runs[k + 1])) {
        reason.kind = ReasonKind::walkHeldOneTickWalk;
    } else if (now && *now < walkBandLow) {
        reason.kind = ReasonKind::walkHeldSlowWalk;
    } else if (!now && before) {
        // Said without how long: the drop, not the hold, is the news.
        reason.kind = ReasonKind::walkHeldDropped;
        reason.heldMs.reset();
    } else {
        reason.kind = ReasonKind::walkHeld;
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

Reason pulseReason(const Facts& facts, int tick)
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
    Reason reason;
    reason.kind = !sprintKey.empty() ? ReasonKind::pulseAfterSprint
                  : !walkKey.empty() ? ReasonKind::pulseAfterWalkShortPress
                                     : ReasonKind::pulse;
    reason.key = !sprintKey.empty() ? sprintKey : walkKey;
    return reason;
}

}  // namespace sim::report
