#pragma once
// What the timeline's reasons look at: the facts, the runs of what was
// imposed, the input items, and questions about them (which key was let go
// just before a change, which hotkey was held, what speed a run leaves in
// place). reasons.cpp and key_reasons.cpp build the reasons on these.

#include <optional>
#include <string>
#include <vector>

#include "host/plugin_keys.h"
#include "report/facts.h"
#include "report/inputs.h"
#include "report/reason.h"
#include "report/runs.h"

namespace sim::report {

struct ReasonContext {
    const Facts& facts;
    const std::vector<Run>& runs;
    const std::vector<InputItem>& items;
    std::vector<ReasonKind> kinds;  // per run index: the kind of reason found (for the ramp after a restart)
};

// The input item of a press (its release, or its down), or -1.
int itemOfPress(const ReasonContext& c, int press, bool release);

// The first input item of `tick` of that kind (and about `control`, for a
// control's items), or -1.
int itemAt(const ReasonContext& c, int tick, InputKind kind, const std::string& control = "");

// Was the key down in `tick` (after that tick's keyboard messages)?
bool keyDownAt(const Facts& facts, int tick, int32_t code);

// The press of the hotkey ending in `key` (with the modifier) held in
// `tick`, or -1.
int hotkeyHeldAt(const ReasonContext& c, int tick, int32_t key);

// The sprint-key or walk-control-key press released one or two ticks before
// `tick`, or -1: the plug-in acts on a release in the tick after its
// dispatcher saw it, and a long hold still has one tick of its own after that.
int releasedBefore(const ReasonContext& c, int tick);

// The latest sprint-key or walk-control-key press down in the tick before
// `tick`, or -1.
int heldBefore(const ReasonContext& c, int tick);

// The speed imposed in a tick, if any.
std::optional<float> speedAtTick(const ReasonContext& c, int tick);

// A run that lasts one tick and hands over to the next: a temporary speed.
// A wheel notch in the next run's first tick is a step of its own, not the
// end of a temporary speed.
bool oneTick(const ReasonContext& c, size_t k);

// The speed a run leaves in place for good: its own when it lasts, the next
// run's after a one-tick temporary speed.
std::optional<float> lastingSpeed(const ReasonContext& c, size_t k);

// The tick the move input last came back on or before `tick` (within
// `window` ticks), or 0.
int movedOnSince(const Facts& facts, int tick, int window);

}  // namespace sim::report
