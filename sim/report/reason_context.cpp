#include "report/reason_context.h"

#include "report/key_roles.h"

namespace sim::report {

namespace {

// A press of one of the keys the plug-in acts on by itself (not a hotkey).
bool isPluginKeyPress(const Facts& facts, const KeyPress& press)
{
    const PluginKeys keys = keysAt(facts, press.downTick);
    return !isHotkeyPress(press, keys) && (isSprintKeyPress(press, keys) || isWalkKeyPress(press, keys));
}

}  // namespace

int itemOfPress(const ReasonContext& c, int press, bool release)
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

int itemAt(const ReasonContext& c, int tick, InputKind kind, const std::string& control)
{
    for (size_t i = 0; i < c.items.size(); ++i) {
        const InputItem& item = c.items[i];
        if (item.tick == tick && item.kind == kind && item.control == control)
            return static_cast<int>(i);
    }
    return -1;
}

bool keyDownAt(const Facts& facts, int tick, int32_t code)
{
    const TickFacts* at = facts.at(tick);
    return at && isKeySlot(code) && at->keysDown.contains(static_cast<uint32_t>(code));
}

int hotkeyHeldAt(const ReasonContext& c, int tick, int32_t key)
{
    const PluginKeys keys = keysAt(c.facts, tick);
    const bool modifier = keys.hotkeyModifier == 0 || keyDownAt(c.facts, tick, keys.hotkeyModifier);
    if (!modifier || !keyDownAt(c.facts, tick, key))
        return -1;
    for (size_t i = 0; i < c.facts.presses.size(); ++i) {
        const KeyPress& press = c.facts.presses[i];
        if (press.hasCode(static_cast<uint32_t>(key)) && press.downTick <= tick &&
            (!press.released() || press.upTick > tick))
            return static_cast<int>(i);
    }
    return -1;
}

int releasedBefore(const ReasonContext& c, int tick)
{
    for (int back = 1; back <= 2; ++back) {
        for (size_t i = 0; i < c.facts.presses.size(); ++i) {
            const KeyPress& press = c.facts.presses[i];
            if (press.released() && press.upTick == tick - back && isPluginKeyPress(c.facts, press))
                return static_cast<int>(i);
        }
    }
    return -1;
}

int heldBefore(const ReasonContext& c, int tick)
{
    int found = -1;
    for (size_t i = 0; i < c.facts.presses.size(); ++i) {
        const KeyPress& press = c.facts.presses[i];
        if (press.tap() || !isPluginKeyPress(c.facts, press))
            continue;
        if (press.downTick <= tick - 1 && (!press.released() || press.upTick > tick - 1))
            found = static_cast<int>(i);
    }
    return found;
}

std::optional<float> speedAtTick(const ReasonContext& c, int tick)
{
    for (const Run& run : c.runs) {
        if (run.first <= tick && tick <= run.last)
            return speedOf(&run);
    }
    return std::nullopt;
}

bool oneTick(const ReasonContext& c, size_t k)
{
    if (c.runs[k].ramp || c.runs[k].length() != 1 || k + 1 >= c.runs.size() || !c.runs[k].imposed.hasSpeed())
        return false;
    const TickFacts* next = c.facts.at(c.runs[k + 1].first);
    return !(next && (next->wheelUp || next->wheelDown));
}

std::optional<float> lastingSpeed(const ReasonContext& c, size_t k)
{
    if (oneTick(c, k))
        return speedOf(&c.runs[k + 1]);
    return speedOf(&c.runs[k]);
}

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

}  // namespace sim::report
