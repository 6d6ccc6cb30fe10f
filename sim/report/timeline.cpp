// The timeline: the header, then one line per change: each run's effect and
// its reason, the sprint pulses, the input items placed on the line of their
// effect.

#include "report/timeline.h"

#include <algorithm>
#include <map>

#include "report/inputs.h"
#include "report/key_roles.h"
#include "report/reasons.h"
#include "report/runs.h"
#include "text/text_table.h"
#include "trace/format.h"

// Index of this file:
// [SECTION] The header
// [SECTION] The lines
// [SECTION] The entries
// [SECTION] The text

namespace sim::report {

namespace {

// ---------------------------------------------------------------------------
// [SECTION] The header

// The keys the plug-in acts on, when Ambleworks.ini chose other keys than
// the built-in ones; "" otherwise.
std::string keysLine(const PluginKeys& keys)
{
    if (keys == builtInPluginKeys())
        return "";
    return "Keys from Ambleworks.ini: walk control " + pluginKeyName(keys.walkControl) + ", sprint " +
           pluginKeyName(keys.sprint) + ", switch off " + hotkeyName(keys, Hotkey::switchOff) + ", switch on " +
           hotkeyName(keys, Hotkey::switchOn) + ", reload " + hotkeyName(keys, Hotkey::reload) + ".";
}

std::vector<std::string> headerLines(const Facts& facts)
{
    std::vector<std::string> header;
    header.push_back("Ambleworks timeline: " + facts.scenarioName + (facts.title.empty() ? "" : " — " + facts.title));
    if (facts.ticks.empty()) {
        for (const std::string& note : facts.loadNotes)
            header.push_back("At load: " + note + ".");
        return header;
    }
    const uint32_t lastMs = facts.ticks.back().elapsedMs + facts.clockStepMs;
    header.push_back(decimal(facts.tickCount()) + " ticks of " + decimal(facts.clockStepMs) + " ms (" +
                     secondsText(lastMs) + " s)");
    for (const std::string& note : facts.loadNotes)
        header.push_back("At load: " + note + ".");
    const TickFacts& first = facts.ticks.front();
    std::string game = desiredWords(first.desiredSetting) + "; " + gaitWords(first.gaitSetting).substr(6) + ".";
    game[0] = 'G';
    header.push_back(game);
    if (const std::string keys = keysLine(first.keys); !keys.empty())
        header.push_back(keys);
    header.emplace_back("One line per change. \"The game's own speed\": Ambleworks sets no speed, the game decides.");
    header.emplace_back(
        "\"Sprint held\": Ambleworks also holds the sprint control so the game lets the ped reach a capped speed.");
    return header;
}

// ---------------------------------------------------------------------------
// [SECTION] The lines

struct Line {
    int tick = 0;
    std::vector<int> items;
    std::string imposed;
    Reason reason;
    bool effect = false;
};

class LineBuilder {
public:
    LineBuilder(const Facts& facts, const std::vector<Run>& runs, std::vector<InputItem>& items)
        : facts_(facts),
          runs_(runs),
          items_(items),
          context_{facts, runs, items, std::vector<ReasonKind>(runs.size(), ReasonKind::none)}
    {
    }

    std::map<int, Line> build();
    const ReasonContext& context() const { return context_; }

private:
    size_t addEffect(size_t k);
    std::string imposedWords(size_t k, size_t& next) const;
    void moveCauseOnto(const Reason& reason, const Run& run, const std::map<int, Line>& lines);
    void addPulses();
    void placeItems();

    const Facts& facts_;
    const std::vector<Run>& runs_;
    std::vector<InputItem>& items_;
    ReasonContext context_;
    std::map<int, Line> lines_;
};

// What run k imposes, a one-tick speed together with what follows it; `next`
// is the run after those described.
std::string LineBuilder::imposedWords(size_t k, size_t& next) const
{
    const Run& run = runs_[k];
    next = k + 1;
    std::string text;
    if (oneTick(context_, k)) {
        Imposed brief = run.imposed;
        brief.sprintHeld = false;
        const Run& following = runs_[k + 1];
        text = speedWords(brief) + " for one tick" +
               (speedOf(&following) || !following.imposed.controllerRan ? ", then " + runWords(following, facts_)
                                                                        : " only");
        next = k + 2;
    } else {
        text = runWords(run, facts_);
    }
    const Run* prev = k > 0 ? &runs_[k - 1] : nullptr;
    const bool wheelChanged = prev ? prev->imposed.wheelTaken != run.imposed.wheelTaken : run.imposed.wheelTaken;
    if (wheelChanged && run.loaded)
        text += run.imposed.wheelTaken
                    ? (prev ? "; the wheel steps the speed again" : "; the wheel steps speed, not weapons")
                    : "; the wheel cycles weapons again";
    return text;
}

// The input that caused a change moves onto the change's line when it came
// a tick or two earlier on a line of its own.
void LineBuilder::moveCauseOnto(const Reason& reason, const Run& run, const std::map<int, Line>& lines)
{
    if (reason.item < 0)
        return;
    InputItem& item = items_[static_cast<size_t>(reason.item)];
    const int gap = run.first - item.tick;
    const auto source = lines.find(item.tick);
    const bool sourceHasEffect = source != lines.end() && source->second.effect;
    if (gap >= 1 && gap <= 2 && !sourceHasEffect && item.placedAt == item.tick)
        item.placedAt = run.first;
}

// The line of run k; returns the next run to describe.
size_t LineBuilder::addEffect(size_t k)
{
    const Run& run = runs_[k];
    Line& line = lines_[run.first];
    line.tick = run.first;
    line.effect = true;
    size_t next = k + 1;
    line.imposed = imposedWords(k, next);
    const Reason reason = findReason(context_, k);
    context_.kinds[k] = reason.kind;
    line.reason = reason;
    moveCauseOnto(reason, run, lines_);
    return next;
}

// Sprint pulses are single calls, not runs: a word on their tick.
void LineBuilder::addPulses()
{
    for (const TickFacts& tick : facts_.ticks) {
        if (!tick.sprintPulse)
            continue;
        Line& line = lines_[tick.tick];
        line.tick = tick.tick;
        line.effect = true;
        line.imposed += (line.imposed.empty() ? "" : "; ") + std::string("sprint control pulsed");
        if (line.reason.kind == ReasonKind::none)
            line.reason = pulseReason(facts_, tick.tick);
    }
}

void LineBuilder::placeItems()
{
    for (size_t i = 0; i < items_.size(); ++i) {
        Line& line = lines_[items_[i].placedAt];
        line.tick = items_[i].placedAt;
        line.items.push_back(static_cast<int>(i));
    }
}

std::map<int, Line> LineBuilder::build()
{
    for (size_t k = 0; k < runs_.size();)
        k = addEffect(k);
    addPulses();
    placeItems();
    return std::move(lines_);
}

// ---------------------------------------------------------------------------
// [SECTION] The entries

TimelineEntry faultEntry(int tick, uint32_t elapsedMs, const std::string& why)
{
    TimelineEntry entry;
    entry.tick = tick;
    entry.elapsedMs = elapsedMs;
    entry.why = why;
    entry.fault = true;
    return entry;
}

TimelineEntry lineEntry(const Line& line, const LineBuilder& builder, const std::vector<InputItem>& items,
                        const Facts& facts)
{
    const TickFacts* at = facts.at(line.tick);
    TimelineEntry entry;
    entry.tick = line.tick;
    entry.elapsedMs = at ? at->elapsedMs : 0;
    for (int index : line.items) {
        const std::string& text = items[static_cast<size_t>(index)].text;
        entry.input += (entry.input.empty() ? "" : ", ") + text;
        entry.inputs.push_back(text);
    }
    entry.imposed = line.imposed;
    entry.reason = line.reason;
    for (size_t i = 0; entry.reason.kind == ReasonKind::none && !line.effect && i < line.items.size(); ++i) {
        const InputItem& item = items[static_cast<size_t>(line.items[i])];
        entry.reason = quietInputReason(item, facts);
        if (entry.reason.kind == ReasonKind::none)
            entry.reason = setOffReason(builder.context(), item);
    }
    entry.why = whyText(entry.reason);
    entry.label = labelText(entry.reason);
    return entry;
}

std::vector<TimelineEntry> entriesOf(const std::map<int, Line>& lines, const LineBuilder& builder,
                                     const std::vector<InputItem>& items, const Facts& facts)
{
    std::vector<TimelineEntry> entries;
    for (const auto& [tick, line] : lines) {
        entries.push_back(lineEntry(line, builder, items, facts));
        if (const TickFacts* at = facts.at(tick)) {
            for (const std::string& fault : at->faults)
                entries.push_back(faultEntry(tick, at->elapsedMs, "FAULT: " + fault));
        }
    }
    // Faults in ticks with no other line.
    for (const TickFacts& tick : facts.ticks) {
        if (lines.contains(tick.tick))
            continue;
        for (const std::string& fault : tick.faults)
            entries.push_back(faultEntry(tick.tick, tick.elapsedMs, "FAULT: " + fault));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TimelineEntry& a, const TimelineEntry& b) { return a.tick < b.tick; });
    for (const std::string& fault : facts.endFaults)
        entries.push_back(
            faultEntry(facts.tickCount() + 1, facts.ticks.back().elapsedMs, "FAULT at the end: " + fault));
    return entries;
}

// ---------------------------------------------------------------------------
// [SECTION] The text
// Columns up to these widths; longer texts wrap.

constexpr size_t timeWidth = 7;
constexpr size_t tickWidth = 5;
constexpr size_t inputMinWidth = 12;
constexpr size_t inputMaxWidth = 25;  // "End+Numpad 1 (switch off)" on one line
constexpr size_t imposedMinWidth = 20;
constexpr size_t imposedMaxWidth = 38;
constexpr size_t whyMaxWidth = 52;

}  // namespace

Timeline buildTimeline(const Facts& facts)
{
    Timeline timeline;
    timeline.header = headerLines(facts);
    if (facts.ticks.empty())
        return timeline;
    const std::vector<Run> runs = buildRuns(facts);
    std::vector<InputItem> items = collectInputs(facts, runs);
    LineBuilder builder(facts, runs, items);
    const std::map<int, Line> lines = builder.build();
    timeline.entries = entriesOf(lines, builder, items, facts);
    return timeline;
}

std::string formatTimeline(const Timeline& timeline)
{
    text::TextTable table({
        {"time", true, timeWidth, timeWidth, false, false},
        {"tick", true, tickWidth, tickWidth, false, false},
        {"input", false, inputMinWidth, inputMaxWidth, true, false},
        {"Ambleworks imposed", false, imposedMinWidth, imposedMaxWidth, true, true},
        {"why", false, 0, whyMaxWidth, true, false},
    });
    for (const TimelineEntry& entry : timeline.entries) {
        const auto one = [](const std::string& text) { return std::vector<std::string>{text}; };
        table.addRow({one(secondsText(entry.elapsedMs) + " s"), one(decimal(entry.tick)),
                      entry.fault ? std::vector<std::string>{} : entry.inputs,
                      entry.fault ? std::vector<std::string>{} : one(entry.imposed), one(entry.why)});
    }
    std::string text;
    for (const std::string& line : timeline.header)
        text += line + "\n";
    return text + "\n" + table.format();
}

size_t displayWidth(const std::string& text)
{
    return text::displayWidth(text);
}

}  // namespace sim::report
