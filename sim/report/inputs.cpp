#include "report/inputs.h"

#include <algorithm>

#include "report/key_roles.h"

namespace sim::report {

namespace {

// A press no longer than this that changed nothing while held is one item.
constexpr uint32_t shortPressMs = 1000;

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

using Items = std::vector<InputItem>;

void add(Items& items, int tick, std::string text, int press = -1, bool release = false)
{
    items.push_back(InputItem{tick, std::move(text), press, release, tick});
}

// The controls that went on and off between two ticks.
void addControls(Items& items, const TickFacts& tick, const TickFacts* prev)
{
    const std::set<std::string> noControls;
    const std::set<std::string>& before = prev ? prev->controls : noControls;
    for (const std::string& control : tick.controls) {
        if (!before.contains(control))
            add(items, tick.tick, controlWords(control, true));
    }
    for (const std::string& control : before) {
        if (!tick.controls.contains(control))
            add(items, tick.tick, controlWords(control, false));
    }
}

// What changed in one tick: move input, wheel, controls, foot and camera,
// the game's settings, the host's notes.
void addTickInputs(Items& items, const TickFacts& tick, const TickFacts* prev)
{
    if (!prev)
        add(items, tick.tick, tick.moving() ? "start: walking " + moveDirection(tick.moves) : "start: standing");
    else if (prev->moves != tick.moves)
        add(items, tick.tick, tick.moving() ? "move " + moveDirection(tick.moves) : "stop (no move input)");
    if (tick.wheelUp)
        add(items, tick.tick, "wheel notch up");
    if (tick.wheelDown)
        add(items, tick.tick, "wheel notch down");
    addControls(items, tick, prev);
    if ((prev ? prev->onFoot : true) != tick.onFoot)
        add(items, tick.tick, tick.onFoot ? "on foot again" : "off foot (on a horse or in a vehicle)");
    if ((prev ? prev->firstPerson : false) != tick.firstPerson)
        add(items, tick.tick, std::string("first-person camera ") + (tick.firstPerson ? "on" : "off"));
    if (prev && !(prev->desiredSetting == tick.desiredSetting))
        add(items, tick.tick,
            tick.desiredSetting.automatic ? "game: the ped's speed follows the input again"
                                          : desiredWords(tick.desiredSetting));
    if (prev && !(prev->gaitSetting == tick.gaitSetting))
        add(items, tick.tick, gaitWords(tick.gaitSetting));
    for (const std::string& note : tick.notes) {
        if (!isHostChatter(note))
            add(items, tick.tick, "host: " + note);
    }
}

// A key press as one item (a tap, a short press that changed nothing while
// held, a hotkey) or as its down and its up.
void addPress(Items& items, const Facts& facts, size_t index, const std::set<int>& changes)
{
    const KeyPress& press = facts.presses[index];
    const int i = static_cast<int>(index);
    const auto changedWhileHeld = [&] {
        const auto it = changes.lower_bound(press.downTick + 1);
        return it != changes.end() && *it <= press.upTick;
    };
    const PluginKeys keys = keysAt(facts, press.downTick);
    if (isHotkeyPress(press, keys)) {
        // The hotkey acts while held; when it was let go hardly matters.
        add(items, press.downTick, press.name + " (" + hotkeyMeaning(press, keys) + ")", i, true);
    } else if (press.released() && press.tap()) {
        add(items, press.upTick, press.name + " tapped", i, true);
    } else if (press.released() && press.heldMs() <= shortPressMs && !changedWhileHeld()) {
        add(items, press.upTick, press.name + " pressed for " + durationText(press.heldMs()), i, true);
    } else {
        add(items, press.downTick, press.name + " down", i, false);
        if (press.released())
            add(items, press.upTick, press.name + " up after " + durationText(press.heldMs()), i, true);
    }
}

}  // namespace

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
    auto addFlag = [&](bool on, const char* word) {
        if (!on)
            return;
        if (!flags.empty())
            flags += '+';
        flags += word;
    };
    addFlag(gait.still, "still");
    addFlag(gait.walking, "walking");
    addFlag(gait.running, "running");
    addFlag(gait.sprinting, "sprinting");
    return "game: gait " + (flags.empty() ? std::string("none") : flags);
}

std::vector<InputItem> collectInputs(const Facts& facts, const std::vector<Run>& runs)
{
    Items items;
    for (const TickFacts& tick : facts.ticks)
        addTickInputs(items, tick, facts.at(tick.tick - 1));
    std::set<int> changes;
    for (size_t i = 1; i < runs.size(); ++i)
        changes.insert(runs[i].first);
    for (size_t i = 0; i < facts.presses.size(); ++i)
        addPress(items, facts, i, changes);
    auto rank = [](const InputItem& item) {
        return item.text.rfind("game: ", 0) == 0 || item.text.rfind("host: ", 0) == 0 ? 1 : 0;
    };
    std::stable_sort(items.begin(), items.end(), [&](const InputItem& a, const InputItem& b) {
        return a.tick != b.tick ? a.tick < b.tick : rank(a) < rank(b);
    });
    return items;
}

}  // namespace sim::report
