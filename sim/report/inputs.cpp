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

void add(Items& items, int tick, InputKind kind, std::string text)
{
    items.push_back(InputItem{tick, kind, std::move(text), "", -1, false, tick});
}

void addKey(Items& items, int tick, std::string text, int press, bool release)
{
    items.push_back(InputItem{tick, InputKind::key, std::move(text), "", press, release, tick});
}

// The host's own events about the plug-in (the others concern the INI file).
bool isPluginNote(const std::string& note)
{
    return note == "plug-in loaded" || note == "plug-in unloaded";
}

// The controls that went on and off between two ticks.
void addControls(Items& items, const TickFacts& tick, const TickFacts* prev)
{
    const std::set<std::string> noControls;
    const std::set<std::string>& before = prev ? prev->controls : noControls;
    for (const std::string& control : tick.controls) {
        if (!before.contains(control))
            items.push_back(
                InputItem{tick.tick, InputKind::control, controlWords(control, true), control, -1, false, tick.tick});
    }
    for (const std::string& control : before) {
        if (!tick.controls.contains(control))
            items.push_back(
                InputItem{tick.tick, InputKind::control, controlWords(control, false), control, -1, false, tick.tick});
    }
}

// What changed in one tick: move input, wheel, controls, foot and camera,
// the game's settings, the host's notes.
void addTickInputs(Items& items, const TickFacts& tick, const TickFacts* prev)
{
    const int t = tick.tick;
    if (!prev)
        add(items, t, InputKind::start,
            tick.moving() ? "start: walking " + moveDirection(tick.moves) : "start: standing");
    else if (prev->moves != tick.moves)
        add(items, t, tick.moving() ? InputKind::move : InputKind::stop,
            tick.moving() ? "move " + moveDirection(tick.moves) : "stop (no move input)");
    if (tick.wheelUp)
        add(items, t, InputKind::wheelUp, "wheel notch up");
    if (tick.wheelDown)
        add(items, t, InputKind::wheelDown, "wheel notch down");
    addControls(items, tick, prev);
    if ((prev ? prev->onFoot : true) != tick.onFoot)
        add(items, t, tick.onFoot ? InputKind::onFoot : InputKind::offFoot,
            tick.onFoot ? "on foot again" : "off foot (on a horse or in a vehicle)");
    if ((prev ? prev->firstPerson : false) != tick.firstPerson)
        add(items, t, InputKind::camera, std::string("first-person camera ") + (tick.firstPerson ? "on" : "off"));
    if (prev && !(prev->desiredSetting == tick.desiredSetting))
        add(items, t, InputKind::gameSetting,
            tick.desiredSetting.automatic ? "game: the ped's speed follows the input again"
                                          : desiredWords(tick.desiredSetting));
    if (prev && !(prev->gaitSetting == tick.gaitSetting))
        add(items, t, InputKind::gameSetting, gaitWords(tick.gaitSetting));
    for (const std::string& note : tick.notes) {
        if (!isHostChatter(note))
            add(items, t, isPluginNote(note) ? InputKind::hostPlugin : InputKind::hostNote, "host: " + note);
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
        addKey(items, press.downTick, press.name + " (" + hotkeyMeaning(press, keys) + ")", i, true);
    } else if (press.released() && press.tap()) {
        addKey(items, press.upTick, press.name + " tapped", i, true);
    } else if (press.released() && press.heldMs() <= shortPressMs && !changedWhileHeld()) {
        addKey(items, press.upTick, press.name + " pressed for " + durationText(press.heldMs()), i, true);
    } else {
        addKey(items, press.downTick, press.name + " down", i, false);
        if (press.released())
            addKey(items, press.upTick, press.name + " up after " + durationText(press.heldMs()), i, true);
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
        const bool gameOrHost = item.kind == InputKind::gameSetting || item.kind == InputKind::hostPlugin ||
                                item.kind == InputKind::hostNote;
        return gameOrHost ? 1 : 0;
    };
    std::stable_sort(items.begin(), items.end(), [&](const InputItem& a, const InputItem& b) {
        return a.tick != b.tick ? a.tick < b.tick : rank(a) < rank(b);
    });
    return items;
}

}  // namespace sim::report
