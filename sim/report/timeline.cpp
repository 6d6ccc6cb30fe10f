// The timeline. Sections: runs of what was imposed · input items · reasons ·
// assembling the lines · text.
//
// What Ambleworks imposed is cut into runs of ticks with the same speed calls;
// a run that starts is a change. A short climb or fall of small steps, one
// per tick, is one run (a ramp). Each change looks for its cause among the
// inputs of the same tick and the two before it (the plug-in acts on a key
// in the tick after its key dispatcher saw it), then among held keys and the
// move input, and names it in a player's words. Nothing else is guessed.

#include "report/timeline.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "trace/format.h"

namespace sim::report {

namespace {

constexpr uint32_t endKey = 0x23;
constexpr uint32_t numpad1Key = 0x61;
constexpr uint32_t numpad2Key = 0x62;
constexpr uint32_t numpad3Key = 0x63;

bool isShiftCode(uint32_t code)
{
    return code == 0x10 || code == 0xA0 || code == 0xA1;
}

bool isShiftPress(const KeyPress& press)
{
    return press.codes.size() == 1 && isShiftCode(press.codes[0]);
}

bool isHotkeyPress(const KeyPress& press)
{
    return press.hasCode(endKey) &&
           (press.hasCode(numpad1Key) || press.hasCode(numpad2Key) || press.hasCode(numpad3Key));
}

// What an End+Numpad combination does, in the words of the INI file.
std::string hotkeyMeaning(const KeyPress& press)
{
    if (press.hasCode(numpad1Key))
        return "switch off";
    if (press.hasCode(numpad2Key))
        return "switch on";
    return "reload Ambleworks.ini";
}

// ---------------------------------------------------------------------------
// Runs of what was imposed

struct Run {
    int first = 0;
    int last = 0;
    bool loaded = true;
    Imposed imposed;
    // A ramp: the speed climbed (or fell) from rampFrom in rampSteps steps
    // of one tick each and arrived at imposed.speed() in tick rampArrive.
    bool ramp = false;
    float rampFrom = 0.0f;
    int rampSteps = 0;
    int rampArrive = 0;

    int length() const { return last - first + 1; }
};

bool sameShape(const Imposed& a, const Imposed& b)
{
    return a.controllerRan == b.controllerRan && a.wheelTaken == b.wheelTaken && a.sprintHeld == b.sprintHeld &&
           a.floor.has_value() == b.floor.has_value() && a.cap.has_value() == b.cap.has_value() &&
           a.pinned() == b.pinned();
}

// Is b one small step on from a (in the direction `direction`, 0 = any)?
bool rampStep(const Run& a, const Run& b, int& direction, const Facts& facts)
{
    if (!a.imposed.hasSpeed() || !sameShape(a.imposed, b.imposed) || a.loaded != b.loaded)
        return false;
    const TickFacts* at = facts.at(b.first);
    if (at && (at->wheelUp || at->wheelDown))
        return false;  // a wheel notch is a step of its own, with a reason of its own
    const float step = *b.imposed.speed() - *a.imposed.speed();
    if (step == 0.0f || std::fabs(step) > 0.05f)
        return false;
    const int sign = step > 0.0f ? 1 : -1;
    if (direction != 0 && sign != direction)
        return false;
    direction = sign;
    return true;
}

std::vector<Run> buildRuns(const Facts& facts)
{
    std::vector<Run> plain;
    for (const TickFacts& tick : facts.ticks) {
        if (!plain.empty() && plain.back().imposed == tick.imposed && plain.back().loaded == tick.pluginLoaded) {
            plain.back().last = tick.tick;
            continue;
        }
        Run run;
        run.first = run.last = tick.tick;
        run.loaded = tick.pluginLoaded;
        run.imposed = tick.imposed;
        plain.push_back(run);
    }

    // Three or more steps of one tick each make a ramp; the run it arrives
    // at belongs to it.
    std::vector<Run> runs;
    size_t i = 0;
    while (i < plain.size()) {
        int direction = 0;
        if (i >= 1 && plain[i].length() == 1 && rampStep(plain[i - 1], plain[i], direction, facts)) {
            size_t j = i;
            while (j + 1 < plain.size() && plain[j].length() == 1 && rampStep(plain[j], plain[j + 1], direction, facts))
                ++j;
            const int steps = static_cast<int>(j - i + 1);
            if (steps >= 3) {
                Run ramp = plain[j];
                ramp.first = plain[i].first;
                ramp.ramp = true;
                ramp.rampFrom = *plain[i - 1].imposed.speed();
                ramp.rampSteps = steps;
                ramp.rampArrive = plain[j].first;
                runs.push_back(ramp);
                i = j + 1;
                continue;
            }
        }
        runs.push_back(plain[i]);
        ++i;
    }
    return runs;
}

// What a run imposes, in words ("speed capped at 1.06, sprint held").
std::string speedWords(const Imposed& imposed)
{
    std::string text;
    if (imposed.pinned())
        text = "speed pinned at " + speedText(*imposed.cap) + " (floor and cap)";
    else if (imposed.floor && imposed.cap)
        text = "speed held between " + speedText(*imposed.floor) + " and " + speedText(*imposed.cap);
    else if (imposed.cap)
        text = "speed capped at " + speedText(*imposed.cap);
    else if (imposed.floor)
        text = "speed at least " + speedText(*imposed.floor);
    else
        text = "the game's own speed";
    if (imposed.sprintHeld)
        text += ", sprint held";
    return text;
}

// The desired speed the ped settles at while nothing is imposed: the tick
// after the run's first (the game answers from the previous tick's calls).
std::string ownSpeedSuffix(const Run& run, const Facts& facts)
{
    if (run.length() < 2)
        return "";
    const TickFacts* next = facts.at(run.first + 1);
    return next && next->desired > 0.0f ? " (" + speedText(next->desired) + ")" : "";
}

std::string runWords(const Run& run, const Facts& facts)
{
    if (!run.loaded)
        return "no plug-in loaded";
    if (!run.imposed.controllerRan)
        return "nothing: the game's own speed" + ownSpeedSuffix(run, facts);
    if (run.ramp) {
        const uint32_t stepMs = facts.clockStepMs;
        const std::string over = durationText(static_cast<uint32_t>(run.rampSteps) * stepMs);
        const bool rising = *run.imposed.speed() > run.rampFrom;
        std::string text = std::string("speed ") + (rising ? "rising " : "falling ") + speedText(run.rampFrom) + " → " +
                           speedText(*run.imposed.speed()) + " over " + over;
        return text;
    }
    if (!run.imposed.hasSpeed())
        return speedWords(run.imposed) + ownSpeedSuffix(run, facts);
    return speedWords(run.imposed);
}

// ---------------------------------------------------------------------------
// Input items: what the player or the game changed, one phrase each

struct InputItem {
    int tick = 0;
    std::string text;
    int press = -1;        // index into facts.presses for key items
    bool release = false;  // the item marks the press's end (or a whole short press)
    int placedAt = 0;      // the line it ends up on
};

std::string desiredWords(const Desired& desired)
{
    if (!desired.automatic)
        return "game: the ped wants " + speedText(desired.value);
    return "game: the ped wants " + speedText(desired.walk) + " walking, " + speedText(desired.run) +
           " with sprint, within the plug-in's floor and cap";
}

std::string gaitWords(const Gait& gait)
{
    if (gait.automatic)
        return "game: gait from the desired speed";
    std::string flags;
    auto add = [&](bool on, const char* word) {
        if (on)
            flags += (flags.empty() ? "" : "+") + std::string(word);
    };
    add(gait.still, "still");
    add(gait.walking, "walking");
    add(gait.running, "running");
    add(gait.sprinting, "sprinting");
    return "game: gait " + (flags.empty() ? std::string("none") : flags);
}

std::string controlWords(const std::string& control, bool on)
{
    if (control == "INPUT_SPRINT")
        return std::string("sprint control ") + (on ? "on" : "off");
    return control + (on ? " on" : " off");
}

bool isHostChatter(const std::string& note)
{
    // Said in every tick without a plug-in; the change of state is enough.
    return note == "no plug-in loaded" || note == "no script to run";
}

std::vector<InputItem> collectInputs(const Facts& facts, const std::vector<Run>& runs)
{
    std::vector<InputItem> items;
    auto add = [&](int tick, std::string text, int press = -1, bool release = false) {
        items.push_back(InputItem{tick, std::move(text), press, release, tick});
    };

    for (const TickFacts& tick : facts.ticks) {
        const TickFacts* prev = facts.at(tick.tick - 1);
        if (!prev) {
            add(tick.tick, tick.moving() ? "start: walking " + moveDirection(tick.moves) : "start: standing");
        } else if (prev->moves != tick.moves) {
            add(tick.tick, tick.moving() ? "move " + moveDirection(tick.moves) : "stop (no move input)");
        }
        if (tick.wheelUp)
            add(tick.tick, "wheel notch up");
        if (tick.wheelDown)
            add(tick.tick, "wheel notch down");
        const std::set<std::string> noControls;
        const std::set<std::string>& before = prev ? prev->controls : noControls;
        for (const std::string& control : tick.controls) {
            if (!before.count(control))
                add(tick.tick, controlWords(control, true));
        }
        for (const std::string& control : before) {
            if (!tick.controls.count(control))
                add(tick.tick, controlWords(control, false));
        }
        if ((prev ? prev->onFoot : true) != tick.onFoot)
            add(tick.tick, tick.onFoot ? "on foot again" : "off foot (on a horse or in a vehicle)");
        if ((prev ? prev->firstPerson : false) != tick.firstPerson)
            add(tick.tick, std::string("first-person camera ") + (tick.firstPerson ? "on" : "off"));
        if (prev && !(prev->desiredSetting == tick.desiredSetting))
            add(tick.tick, tick.desiredSetting.automatic ? "game: the ped's speed follows the input again"
                                                         : desiredWords(tick.desiredSetting));
        if (prev && !(prev->gaitSetting == tick.gaitSetting))
            add(tick.tick, gaitWords(tick.gaitSetting));
        for (const std::string& note : tick.notes) {
            if (!isHostChatter(note))
                add(tick.tick, "host: " + note);
        }
    }

    std::set<int> changes;
    for (size_t i = 1; i < runs.size(); ++i)
        changes.insert(runs[i].first);
    auto changedDuring = [&](int from, int to) {
        const auto it = changes.lower_bound(from);
        return it != changes.end() && *it <= to;
    };

    for (size_t i = 0; i < facts.presses.size(); ++i) {
        const KeyPress& press = facts.presses[i];
        const int index = static_cast<int>(i);
        if (isHotkeyPress(press)) {
            // The hotkey acts while held; when it was let go hardly matters.
            add(press.downTick, press.name + " (" + hotkeyMeaning(press) + ")", index, true);
        } else if (press.released() && press.tap()) {
            add(press.upTick, press.name + " tapped", index, true);
        } else if (press.released() && press.heldMs() <= 1000 && !changedDuring(press.downTick + 1, press.upTick)) {
            add(press.upTick, press.name + " pressed for " + durationText(press.heldMs()), index, true);
        } else {
            add(press.downTick, press.name + " down", index, false);
            if (press.released())
                add(press.upTick, press.name + " up after " + durationText(press.heldMs()), index, true);
        }
    }
    auto rank = [](const InputItem& item) {
        return item.text.rfind("game: ", 0) == 0 || item.text.rfind("host: ", 0) == 0 ? 1 : 0;
    };
    std::stable_sort(items.begin(), items.end(), [&](const InputItem& a, const InputItem& b) {
        return a.tick != b.tick ? a.tick < b.tick : rank(a) < rank(b);
    });
    return items;
}

// ---------------------------------------------------------------------------
// Reasons

struct Reason {
    std::string why;
    std::string label;
    int item = -1;  // the input item it comes from, when there is one
};

struct Context {
    const Facts& facts;
    const std::vector<Run>& runs;
    const std::vector<InputItem>& items;
    std::vector<std::string> lastWhy;  // per run index: the reason found (for the ramp after a restart)
};

int itemOfPress(const Context& c, int press, bool release)
{
    for (size_t i = 0; i < c.items.size(); ++i) {
        if (c.items[i].press == press && c.items[i].release == release)
            return static_cast<int>(i);
    }
    // A short press is a single item, marked as its release.
    for (size_t i = 0; i < c.items.size(); ++i) {
        if (c.items[i].press == press)
            return static_cast<int>(i);
    }
    return -1;
}

int itemAt(const Context& c, int tick, const std::string& prefix)
{
    for (size_t i = 0; i < c.items.size(); ++i) {
        if (c.items[i].tick == tick && c.items[i].text.rfind(prefix, 0) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

bool keyDownAt(const Facts& facts, int tick, uint32_t code)
{
    const TickFacts* at = facts.at(tick);
    return at && at->keysDown.count(code);
}

// The press of End with Numpad N held in `tick`, or -1.
int hotkeyHeldAt(const Context& c, int tick, uint32_t numpad)
{
    if (!keyDownAt(c.facts, tick, endKey) || !keyDownAt(c.facts, tick, numpad))
        return -1;
    for (size_t i = 0; i < c.facts.presses.size(); ++i) {
        const KeyPress& press = c.facts.presses[i];
        if (press.hasCode(numpad) && press.downTick <= tick && (!press.released() || press.upTick > tick))
            return static_cast<int>(i);
    }
    return -1;
}

// A key (not a hotkey) released one or two ticks before `tick`: the plug-in
// acts on a release in the tick after its dispatcher saw it, and a long hold
// still has one tick of its own after that.
int releasedBefore(const Context& c, int tick)
{
    for (int back = 1; back <= 2; ++back) {
        for (size_t i = 0; i < c.facts.presses.size(); ++i) {
            const KeyPress& press = c.facts.presses[i];
            if (!isHotkeyPress(press) && press.released() && press.upTick == tick - back)
                return static_cast<int>(i);
        }
    }
    return -1;
}

// The latest key (not a hotkey) that was down in the tick before `tick`.
int heldBefore(const Context& c, int tick)
{
    int found = -1;
    for (size_t i = 0; i < c.facts.presses.size(); ++i) {
        const KeyPress& press = c.facts.presses[i];
        if (isHotkeyPress(press) || press.tap())
            continue;
        if (press.downTick <= tick - 1 && (!press.released() || press.upTick > tick - 1))
            found = static_cast<int>(i);
    }
    return found;
}

std::optional<float> speedOf(const Run* run)
{
    if (!run || !run->loaded || !run->imposed.controllerRan)
        return std::nullopt;
    return run->imposed.speed();
}

// The speed imposed in a tick, if any.
std::optional<float> speedAtTick(const Context& c, int tick)
{
    for (const Run& run : c.runs) {
        if (run.first <= tick && tick <= run.last)
            return speedOf(&run);
    }
    return std::nullopt;
}

// A run that lasts one tick and hands over to the next: a temporary speed.
// A wheel notch in the next run's first tick is a step of its own, not the
// end of a temporary speed.
bool oneTick(const Context& c, size_t k)
{
    if (c.runs[k].ramp || c.runs[k].length() != 1 || k + 1 >= c.runs.size() || !c.runs[k].imposed.hasSpeed())
        return false;
    const TickFacts* next = c.facts.at(c.runs[k + 1].first);
    return !(next && (next->wheelUp || next->wheelDown));
}

// The kind of speed a run leaves in place for good: its own when it lasts,
// the next run's after a one-tick temporary speed.
std::optional<float> lastingSpeed(const Context& c, size_t k)
{
    if (oneTick(c, k))
        return speedOf(&c.runs[k + 1]);
    return speedOf(&c.runs[k]);
}

Reason wheelReason(const Context& c, size_t k, const TickFacts& at, const Run* prev)
{
    const Run& run = c.runs[k];
    const std::string notch = at.wheelUp ? "wheel notch up" : "wheel notch down";
    Reason reason;
    reason.item = itemAt(c, at.tick, notch);
    const std::optional<float> before = speedOf(prev);
    // A first step starts from the ped's desired speed, but never below a
    // slow walk of 0.80.
    const std::string from = before               ? speedText(*before)
                             : at.desired <= 0.8f ? "0.80 (the lowest start)"
                                                  : speedText(at.desired);
    const std::optional<float> after = lastingSpeed(c, k);
    const bool sprinting = keyDownAt(c.facts, at.tick - 1, 0x10) && at.moving();
    if (sprinting && run.imposed.pinned()) {
        reason.why = notch + " while sprinting: " + speedText(*run.imposed.cap) + " held, past the game's limits";
        reason.label = "wheel: " + speedText(*run.imposed.cap) + " past limits";
    } else if (after) {
        reason.why = notch + ": " + from + " → " + speedText(*after);
        reason.label = (at.wheelUp ? "▲ " : "▼ ") + speedText(*after);
    } else {
        reason.why = notch + ": back from " + from + " to a plain walk, custom speed released";
        reason.label = at.wheelUp ? "▲ released" : "▼ released";
    }
    return reason;
}

Reason releaseReason(const Context& c, size_t k, int pressIndex, const Run* prev)
{
    const KeyPress& press = c.facts.presses[static_cast<size_t>(pressIndex)];
    const Run& run = c.runs[k];
    Reason reason;
    reason.item = itemOfPress(c, pressIndex, true);
    const std::optional<float> before = speedOf(prev);
    const std::optional<float> now = speedOf(&run);
    const std::string& key = press.name;
    if (isShiftPress(press)) {
        if (oneTick(c, k) && !speedOf(&c.runs[k + 1])) {
            reason.why = "Shift tap: stop running — a walk for one tick, then the game's own pace";
            reason.label = "stop running";
        } else if (now && *now > 1.5f) {
            reason.why = "Shift tap: light run at " + speedText(*now);
            reason.label = "light run";
        } else if (now) {
            reason.why = "Shift tap: stop running — back to the fast walk at " + speedText(*now);
            reason.label = "stop running";
        } else {
            reason.why = "Shift released: the game's own speed";
        }
        return reason;
    }
    if (oneTick(c, k) && !speedOf(&c.runs[k + 1])) {
        // While the key was down a walk-band speed stood aside; what it was
        // shows in the tick the key went down.
        const std::optional<float> atPress = speedAtTick(c, press.downTick);
        if (atPress && *atPress >= 1.0f && *atPress <= 1.5f) {
            reason.why = key + " short press: fast walk off — a plain walk for one tick, then the game's own speed";
            reason.label = "fast walk off";
        } else {
            reason.why = key + " short press: a plain walk for one tick, then the game's own speed";
            reason.label = "plain walk";
        }
    } else if (now && *now >= 1.0f && *now <= 1.5f) {
        reason.why = key + " short press: fast walk on at " + speedText(*now);
        reason.label = "fast walk on";
    } else if (now) {
        reason.why = key + " released: speed " + speedText(*now);
    } else if (before && *before < 1.0f) {
        reason.why = key + " released: slow walk over, the game's own speed";
        reason.label = "slow walk over";
    } else {
        reason.why = key + " released: the game's own speed";
    }
    return reason;
}

Reason heldReason(const Context& c, size_t k, int pressIndex, const Run* prev)
{
    const KeyPress& press = c.facts.presses[static_cast<size_t>(pressIndex)];
    const Run& run = c.runs[k];
    Reason reason;
    reason.item = itemOfPress(c, pressIndex, false);
    const std::optional<float> before = speedOf(prev);
    const std::optional<float> now = speedOf(&run);
    const std::string& key = press.name;
    const TickFacts* at = c.facts.at(run.first);
    const std::string heldFor = at ? " " + durationText(at->clockMs - press.downMs) : "";
    if (isShiftPress(press)) {
        if (run.imposed.pinned()) {
            reason.why = "Shift held: sprint from a custom speed: " + speedText(*run.imposed.cap) + " first";
            reason.label = "sprint";
        } else if (!now && prev && prev->imposed.pinned()) {
            reason.why = "Shift held: the game's own sprint";
        } else if (!now && before) {
            reason.why = "Shift held: sprint — the custom speed steps aside";
            reason.label = "sprint";
        } else {
            reason.why = "Shift held";
        }
        return reason;
    }
    if (oneTick(c, k) && !speedOf(&c.runs[k + 1])) {
        reason.why = key + " held" + heldFor + ": down to a walk for one tick";
    } else if (now && *now < 1.0f) {
        reason.why = key + " held" + heldFor + ": slow walk at " + speedText(*now);
        reason.label = "slow walk";
    } else if (!now && before) {
        reason.why = key + " held: custom speed set aside while it is down";
    } else {
        reason.why = key + " held" + heldFor;
    }
    return reason;
}

// The tick the move input last came back on or before `tick` (within
// `window` ticks), or 0.
int movedOnSince(const Facts& facts, int tick, int window)
{
    for (int t = tick; t >= 2 && t > tick - window; --t) {
        const TickFacts* now = facts.at(t);
        const TickFacts* before = facts.at(t - 1);
        if (now && before && now->moving() && !before->moving())
            return t;
    }
    return 0;
}

Reason stopReason(const Context& c, size_t k, const Run* prev)
{
    Reason reason;
    reason.item = itemAt(c, c.runs[k].first, "stop");
    const std::optional<float> kept = speedOf(prev);
    // Hindsight: does the speed come back once the player moves on?
    int moveOn = 0;
    for (int t = c.runs[k].first + 1; t <= c.facts.tickCount(); ++t) {
        if (c.facts.at(t)->moving()) {
            moveOn = t;
            break;
        }
    }
    if (!moveOn) {
        reason.why = "stopped: nothing imposed while standing";
        return reason;
    }
    // A speed that comes back once moving, with no input of its own, was
    // kept (a run speed may come back at a fast walk and ramp up).
    for (size_t j = k + 1; j < c.runs.size() && c.runs[j].first <= moveOn + 60; ++j) {
        if (!speedOf(&c.runs[j]) || c.runs[j].first < moveOn)
            continue;
        const int first = c.runs[j].first;
        const TickFacts* back = c.facts.at(first);
        const bool ownCause =
            back && (back->wheelUp || back->wheelDown || releasedBefore(c, first) >= 0 || heldBefore(c, first) >= 0);
        if (!ownCause && kept) {
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

Reason movingOnReason(const Context& c, size_t k, int movedAt)
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

Reason findReason(Context& c, size_t k)
{
    const Run& run = c.runs[k];
    const Run* prev = k > 0 ? &c.runs[k - 1] : nullptr;
    const TickFacts& at = *c.facts.at(run.first);
    const int t = run.first;
    Reason reason;
    if (!prev)
        return reason;

    if (prev->loaded != run.loaded) {
        reason.why = run.loaded ? "the plug-in is loaded again" : "the plug-in was unloaded";
        reason.item = itemAt(c, t, "host: plug-in");
        return reason;
    }
    if (prev->imposed.controllerRan != run.imposed.controllerRan) {
        const bool on = run.imposed.controllerRan;
        const int press = on ? hotkeyHeldAt(c, t - 1, numpad2Key) : hotkeyHeldAt(c, t - 1, numpad1Key);
        const int reload = hotkeyHeldAt(c, t - 1, numpad3Key);
        if (press >= 0) {
            reason.why = on ? "End+Numpad2: Ambleworks switched on" : "End+Numpad1: Ambleworks switched off";
            reason.label = on ? "switched on" : "switched off";
            reason.item = itemOfPress(c, press, true);
        } else if (reload >= 0) {
            reason.why = std::string("End+Numpad3: Ambleworks.ini reloaded, Ambleworks ") + (on ? "on" : "off");
            reason.label = on ? "reloaded: on" : "reloaded: off";
            reason.item = itemOfPress(c, reload, true);
        } else {
            reason.why = on ? "Ambleworks at work again" : "Ambleworks is off";
        }
        return reason;
    }
    if (at.wheelUp || at.wheelDown)
        return wheelReason(c, k, at, prev);

    // Letting go of the move input ends a custom speed whatever key is down.
    const TickFacts* before = c.facts.at(t - 1);
    if (before && before->moving() && !at.moving() && speedOf(prev) && !speedOf(&run))
        return stopReason(c, k, prev);

    const int released = releasedBefore(c, t);
    if (released >= 0)
        return releaseReason(c, k, released, prev);
    const int held = heldBefore(c, t);
    if (held >= 0)
        return heldReason(c, k, held, prev);

    if (!at.onFoot && before && before->onFoot) {
        reason.why = "off foot: custom speed released";
        reason.item = itemAt(c, t, "off foot");
        return reason;
    }
    if (at.controls.count("INPUT_SPECIAL_ABILITY") && !speedOf(&run)) {
        reason.why = "special ability held: custom speed released";
        reason.item = itemAt(c, t, "INPUT_SPECIAL_ABILITY");
        return reason;
    }
    if (prev->imposed.wheelTaken != run.imposed.wheelTaken && at.controls.count("INPUT_FRONTEND_SELECT")) {
        reason.why = "INPUT_FRONTEND_SELECT held: the wheel is left to the game";
        return reason;
    }
    if (at.firstPerson && run.imposed.pinned() && *run.imposed.cap == 1.0f) {
        reason.why = "first-person camera: no automatic running, pinned at a walk";
        reason.label = "first person: walk";
        return reason;
    }
    const int movedAt = movedOnSince(c.facts, t, 30);
    if (movedAt && speedOf(&run) && !speedOf(prev) && !run.ramp) {
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
    const std::optional<float> was = speedOf(prev);
    const std::optional<float> now = speedOf(&run);
    if (was && now && *now < *was && at.desired < *was) {
        reason.why = "the ped only wants " + speedText(at.desired) + ": speed lowered to " + speedText(*now);
        reason.label = "lowered to " + speedText(*now);
    }
    return reason;
}

// ---------------------------------------------------------------------------
// Assembling the lines

struct Line {
    int tick = 0;
    std::vector<int> items;
    std::string imposed;
    std::string why;
    std::string label;
    bool effect = false;
};

std::string joinInputs(const std::vector<int>& indexes, const std::vector<InputItem>& items)
{
    std::string text;
    for (int index : indexes) {
        if (!text.empty())
            text += ", ";
        text += items[static_cast<size_t>(index)].text;
    }
    return text;
}

// Why an input that changed nothing is still worth a word.
std::string quietInputWhy(const InputItem& item, const Facts& facts, const std::vector<Run>& runs)
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
    if (item.press >= 0 && item.release) {
        const KeyPress& press = facts.presses[static_cast<size_t>(item.press)];
        if (isHotkeyPress(press) || !press.released())
            return "";
        // A long hold whose speed outlasts the key.
        const TickFacts* after = facts.at(press.upTick + 3);
        const TickFacts* during = facts.at(press.upTick - 1);
        if (after && during && during->imposed.speed() && after->imposed.speed() == during->imposed.speed() &&
            !isShiftPress(press))
            return press.name + " released: the speed stays at " + speedText(*after->imposed.speed());
    }
    (void)runs;
    return "";
}

// Why moving on after a stop with the speed kept changes nothing yet: the
// plug-in lets the game start the movement and brings the speed back once
// the ped is on its way (the "moving again" line that follows).
std::string setOffWhy(const Context& c, const InputItem& item)
{
    if (item.text.rfind("move ", 0) != 0)
        return "";
    for (size_t k = 0; k < c.runs.size(); ++k) {
        if (c.runs[k].first > item.tick && c.lastWhy[k].rfind("moving again", 0) == 0 &&
            movedOnSince(c.facts, c.runs[k].first, 30) == item.tick)
            return "the game sets off at its own pace; the kept speed comes back once the ped is moving";
    }
    return "";
}

}  // namespace

size_t displayWidth(const std::string& text)
{
    size_t width = 0;
    for (unsigned char c : text)
        width += (c & 0xC0) != 0x80 ? 1 : 0;
    return width;
}

Timeline buildTimeline(const Facts& facts)
{
    Timeline timeline;
    std::string title = "Ambleworks timeline: " + facts.scenarioName;
    if (!facts.title.empty())
        title += " — " + facts.title;
    timeline.header.push_back(title);
    if (!facts.ticks.empty()) {
        const uint32_t lastMs = facts.ticks.back().elapsedMs + facts.clockStepMs;
        timeline.header.push_back(decimal(facts.tickCount()) + " ticks of " + decimal(facts.clockStepMs) + " ms (" +
                                  secondsText(lastMs) + " s)");
    }
    for (const std::string& note : facts.loadNotes)
        timeline.header.push_back("At load: " + note + ".");
    if (facts.ticks.empty())
        return timeline;
    const TickFacts& first = facts.ticks.front();
    std::string game = desiredWords(first.desiredSetting) + "; " + gaitWords(first.gaitSetting).substr(6) + ".";
    game[0] = 'G';
    timeline.header.push_back(game);
    timeline.header.push_back(
        "One line per change. \"The game's own speed\": Ambleworks sets no speed, the game decides.");
    timeline.header.push_back(
        "\"Sprint held\": Ambleworks also holds the sprint control so the game lets the ped reach a capped speed.");

    const std::vector<Run> runs = buildRuns(facts);
    std::vector<InputItem> items = collectInputs(facts, runs);
    Context context{facts, runs, items, std::vector<std::string>(runs.size())};
    std::map<int, Line> lines;

    // Effects, in order, each with its reason; the input that caused it
    // moves onto its line when it came a tick or two earlier on a line of
    // its own.
    size_t skipUntil = 0;
    for (size_t k = 0; k < runs.size(); ++k) {
        if (k < skipUntil)
            continue;
        const Run& run = runs[k];
        Line& line = lines[run.first];
        line.tick = run.first;
        line.effect = true;
        if (oneTick(context, k)) {
            Imposed brief = run.imposed;
            brief.sprintHeld = false;
            const Run& next = runs[k + 1];
            line.imposed =
                speedWords(brief) + " for one tick" +
                (speedOf(&next) || !next.imposed.controllerRan ? ", then " + runWords(next, facts) : " only");
            skipUntil = k + 2;
        } else {
            line.imposed = runWords(run, facts);
        }
        const Run* prev = k > 0 ? &runs[k - 1] : nullptr;
        const bool wheelChanged = prev ? prev->imposed.wheelTaken != run.imposed.wheelTaken : run.imposed.wheelTaken;
        if (wheelChanged && run.loaded)
            line.imposed += run.imposed.wheelTaken
                                ? (prev ? "; the wheel steps the speed again" : "; the wheel steps speed, not weapons")
                                : "; the wheel cycles weapons again";
        const Reason reason = findReason(context, k);
        context.lastWhy[k] = reason.why;
        line.why = reason.why;
        line.label = reason.label;
        if (reason.item >= 0) {
            InputItem& item = items[static_cast<size_t>(reason.item)];
            const int gap = run.first - item.tick;
            const auto source = lines.find(item.tick);
            const bool sourceHasEffect = source != lines.end() && source->second.effect;
            if (gap >= 1 && gap <= 2 && !sourceHasEffect && item.placedAt == item.tick)
                item.placedAt = run.first;
        }
    }

    // Sprint pulses are single calls, not runs: a word on their tick.
    for (const TickFacts& tick : facts.ticks) {
        if (!tick.sprintPulse)
            continue;
        Line& line = lines[tick.tick];
        line.tick = tick.tick;
        line.effect = true;
        line.imposed += (line.imposed.empty() ? "" : "; ") + std::string("sprint control pulsed");
        if (line.why.empty()) {
            bool shiftUp = false;
            std::string walkKey;
            for (const KeyPress& press : facts.presses) {
                shiftUp = shiftUp || (isShiftPress(press) && press.upTick == tick.tick);
                if (!isShiftPress(press) && !isHotkeyPress(press) && press.released() &&
                    (press.upTick == tick.tick - 1 || press.upTick == tick.tick - 2))
                    walkKey = press.name;
            }
            if (shiftUp)
                line.why = "Shift let go: the sprint is handed back to the game";
            else if (!walkKey.empty())
                line.why = walkKey + " short press with no custom speed: the sprint control is pulsed for the game";
            else
                line.why = "the sprint control is pulsed";
        }
    }

    for (size_t i = 0; i < items.size(); ++i) {
        Line& line = lines[items[i].placedAt];
        line.tick = items[i].placedAt;
        line.items.push_back(static_cast<int>(i));
    }

    for (auto& [tick, line] : lines) {
        const TickFacts* at = facts.at(tick);
        TimelineEntry entry;
        entry.tick = tick;
        entry.elapsedMs = at ? at->elapsedMs : 0;
        entry.input = joinInputs(line.items, items);
        for (int index : line.items)
            entry.inputs.push_back(items[static_cast<size_t>(index)].text);
        entry.imposed = line.imposed;
        entry.why = line.why;
        entry.label = line.label;
        if (entry.why.empty() && !line.effect) {
            for (int index : line.items) {
                entry.why = quietInputWhy(items[static_cast<size_t>(index)], facts, runs);
                if (entry.why.empty())
                    entry.why = setOffWhy(context, items[static_cast<size_t>(index)]);
                if (!entry.why.empty())
                    break;
            }
        }
        timeline.entries.push_back(entry);
        if (at) {
            for (const std::string& fault : at->faults) {
                TimelineEntry faultEntry;
                faultEntry.tick = tick;
                faultEntry.elapsedMs = at->elapsedMs;
                faultEntry.why = "FAULT: " + fault;
                faultEntry.fault = true;
                timeline.entries.push_back(faultEntry);
            }
        }
    }
    // Faults in ticks with no other line.
    for (const TickFacts& tick : facts.ticks) {
        if (tick.faults.empty() || lines.count(tick.tick))
            continue;
        for (const std::string& fault : tick.faults) {
            TimelineEntry faultEntry;
            faultEntry.tick = tick.tick;
            faultEntry.elapsedMs = tick.elapsedMs;
            faultEntry.why = "FAULT: " + fault;
            faultEntry.fault = true;
            timeline.entries.push_back(faultEntry);
        }
    }
    std::stable_sort(timeline.entries.begin(), timeline.entries.end(),
                     [](const TimelineEntry& a, const TimelineEntry& b) { return a.tick < b.tick; });
    for (const std::string& fault : facts.endFaults) {
        TimelineEntry faultEntry;
        faultEntry.tick = facts.tickCount() + 1;
        faultEntry.elapsedMs = facts.ticks.back().elapsedMs;
        faultEntry.why = "FAULT at the end: " + fault;
        faultEntry.fault = true;
        timeline.entries.push_back(faultEntry);
    }
    return timeline;
}

// ---------------------------------------------------------------------------
// Text

namespace {

std::string padRight(const std::string& text, size_t width)
{
    const size_t shown = displayWidth(text);
    return shown >= width ? text : text + std::string(width - shown, ' ');
}

std::string padLeft(const std::string& text, size_t width)
{
    const size_t shown = displayWidth(text);
    return shown >= width ? text : std::string(width - shown, ' ') + text;
}

// Column widths: the longest text, up to these; longer texts wrap.
constexpr size_t timeWidth = 7;
constexpr size_t tickWidth = 5;
constexpr size_t inputMaxWidth = 24;
constexpr size_t imposedMaxWidth = 38;
constexpr size_t whyMaxWidth = 52;

// Splits a text into lines of at most `width` columns at its spaces; a word
// longer than that stands on a line of its own.
std::vector<std::string> wrapWords(const std::string& text, size_t width)
{
    std::vector<std::string> lines;
    std::string current;
    size_t from = 0;
    while (from < text.size()) {
        size_t to = text.find(' ', from);
        if (to == std::string::npos)
            to = text.size();
        const std::string word = text.substr(from, to - from);
        from = to + 1;
        if (word.empty())
            continue;
        if (!current.empty() && displayWidth(current) + 1 + displayWidth(word) > width) {
            lines.push_back(current);
            current.clear();
        }
        current += (current.empty() ? "" : " ") + word;
    }
    if (!current.empty())
        lines.push_back(current);
    return lines;
}

// The imposed text as lines: its "; " parts each on a line of their own
// when the whole does not fit, each part wrapped.
std::vector<std::string> wrapImposed(const std::string& text, size_t width)
{
    if (displayWidth(text) <= width)
        return text.empty() ? std::vector<std::string>{} : std::vector<std::string>{text};
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t to = text.find("; ", from);
        const bool last = to == std::string::npos;
        const std::string part = text.substr(from, last ? std::string::npos : to - from + 1);
        for (const std::string& piece : wrapWords(part, width))
            lines.push_back(piece);
        from = last ? text.size() : to + 2;
    }
    return lines;
}

std::vector<std::string> wrapInputs(const std::vector<std::string>& inputs, size_t width)
{
    std::vector<std::string> lines;
    for (const std::string& input : inputs) {
        for (const std::string& piece : wrapWords(input, width))
            lines.push_back(piece);
    }
    return lines;
}

}  // namespace

std::string formatTimeline(const Timeline& timeline)
{
    size_t inputWidth = 12;
    size_t imposedWidth = 20;
    for (const TimelineEntry& entry : timeline.entries) {
        for (const std::string& input : entry.inputs)
            inputWidth = std::max(inputWidth, std::min(displayWidth(input), inputMaxWidth));
        imposedWidth = std::max(imposedWidth, std::min(displayWidth(entry.imposed), imposedMaxWidth));
    }

    std::string text;
    for (const std::string& line : timeline.header)
        text += line + "\n";
    text += "\n";
    auto row = [&](const std::string& time, const std::string& tick, const std::string& input,
                   const std::string& imposed, const std::string& why) {
        std::string line = padLeft(time, timeWidth) + "  " + padLeft(tick, tickWidth) + "  " +
                           padRight(input, inputWidth) + "  " + padRight(imposed, imposedWidth) + "  " + why;
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line + "\n";
    };
    row("time", "tick", "input", "Ambleworks imposed", "why");
    for (const TimelineEntry& entry : timeline.entries) {
        const std::vector<std::string> inputs =
            entry.fault ? std::vector<std::string>{} : wrapInputs(entry.inputs, inputWidth);
        const std::vector<std::string> imposed =
            entry.fault ? std::vector<std::string>{} : wrapImposed(entry.imposed, imposedWidth);
        const std::vector<std::string> why = wrapWords(entry.why, whyMaxWidth);
        const size_t height = std::max({inputs.size(), imposed.size(), why.size(), size_t{1}});
        auto cell = [](const std::vector<std::string>& lines, size_t i) { return i < lines.size() ? lines[i] : ""; };
        for (size_t i = 0; i < height; ++i) {
            const bool first = i == 0;
            row(first ? secondsText(entry.elapsedMs) + " s" : "", first ? decimal(entry.tick) : "", cell(inputs, i),
                cell(imposed, i), cell(why, i));
        }
    }
    return text;
}

}  // namespace sim::report
