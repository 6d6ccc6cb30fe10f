#include "report/facts.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "host/keys.h"

namespace sim::report {

namespace {

bool isMoveControl(const std::string& name)
{
    return name == "INPUT_MOVE_UP_ONLY" || name == "INPUT_MOVE_DOWN_ONLY" || name == "INPUT_MOVE_LEFT_ONLY" ||
           name == "INPUT_MOVE_RIGHT_ONLY";
}

// Reads the INPUT_SPRINT values the plug-in set in a tick: a 0.0 followed by
// a 1.0 is a pulse (the sprint handed back to the game); any other 1.0 holds
// the sprint control so the game lets the ped reach a capped run.
void readSprintValues(const ImposedState& imposed, TickFacts& facts)
{
    bool zeroPending = false;
    for (const auto& [name, value] : imposed.controlValues) {
        if (name != "INPUT_SPRINT")
            continue;
        if (value == 0.0f) {
            zeroPending = true;
        } else if (value == 1.0f && zeroPending) {
            facts.sprintPulse = true;
            zeroPending = false;
        } else if (value == 1.0f) {
            facts.imposed.sprintHeld = true;
        }
    }
}

std::string fixed(double value, int decimals)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

// A press being put together while its keys are down.
struct OpenPress {
    uint32_t code = 0;
    int downTick = 0;
    uint32_t downMs = 0;
    size_t order = 0;
};

}  // namespace

bool KeyPress::hasCode(uint32_t code) const
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

const TickFacts* Facts::at(int tick) const
{
    if (tick < 1 || tick > tickCount())
        return nullptr;
    return &ticks[static_cast<size_t>(tick - 1)];
}

std::string keyDisplayName(uint32_t code)
{
    static const std::map<uint32_t, std::string> names = {
        {0x10, "Shift"},     {0x11, "Ctrl"},       {0x12, "Alt"},      {0x23, "End"},        {0x24, "Home"},
        {0x2D, "Insert"},    {0x2E, "Delete"},     {0x21, "PageUp"},   {0x22, "PageDown"},   {0x25, "Left"},
        {0x26, "Up"},        {0x27, "Right"},      {0x28, "Down"},     {0xA0, "Left Shift"}, {0xA1, "Right Shift"},
        {0xA2, "Left Ctrl"}, {0xA3, "Right Ctrl"}, {0xA4, "Left Alt"}, {0xA5, "Right Alt"},  {0x20, "Space"},
        {0x0D, "Enter"},     {0x09, "Tab"},        {0x1B, "Esc"},      {0x08, "Backspace"},  {0x14, "CapsLock"},
    };
    const auto it = names.find(code);
    if (it != names.end())
        return it->second;
    if (code >= 0x60 && code <= 0x69)
        return "Numpad" + std::string(1, static_cast<char>('0' + (code - 0x60)));
    return keyOfCode(code).name;  // letters, digits, F-keys, or the hex code
}

std::string moveDirection(const std::set<std::string>& moves)
{
    std::string text;
    auto add = [&](const char* control, const char* word) {
        if (moves.count(control)) {
            if (!text.empty())
                text += "-";
            text += word;
        }
    };
    add("INPUT_MOVE_UP_ONLY", "forward");
    add("INPUT_MOVE_DOWN_ONLY", "back");
    add("INPUT_MOVE_LEFT_ONLY", "left");
    add("INPUT_MOVE_RIGHT_ONLY", "right");
    return text;
}

std::string speedText(float speed)
{
    return fixed(static_cast<double>(speed), 2);
}

std::string secondsText(uint32_t elapsedMs)
{
    // Tenths, rounded half up, in integers: the same text on every platform.
    const uint64_t tenths = (static_cast<uint64_t>(elapsedMs) + 50) / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string durationText(uint32_t ms)
{
    if (ms >= 10000)
        return secondsText(ms) + " s";
    const uint64_t hundredths = (static_cast<uint64_t>(ms) + 5) / 10;
    const uint64_t rest = hundredths % 100;
    return std::to_string(hundredths / 100) + "." + (rest < 10 ? "0" : "") + std::to_string(rest) + " s";
}

Facts readFacts(const Trace& trace)
{
    Facts facts;
    facts.scenarioName = trace.scenarioName;
    for (const std::string& line : trace.headerLines) {
        if (line.rfind("title: ", 0) == 0)
            facts.title = line.substr(7);
    }

    std::set<uint32_t> down;
    std::map<uint32_t, OpenPress> open;
    std::vector<std::pair<OpenPress, std::pair<int, uint32_t>>> finished;  // press, (up tick, up ms)
    size_t order = 0;
    bool haveStart = false;
    uint32_t startMs = 0;

    for (const TickRecord& record : trace.records) {
        if (record.phase == Phase::load) {
            for (const TraceEvent& event : record.events) {
                if (event.kind == EventKind::note)
                    facts.loadNotes.push_back(event.line.substr(event.line.find(' ') + 1));
                if (event.kind == EventKind::fault)
                    facts.loadNotes.push_back(event.line);
            }
            continue;
        }
        if (record.phase == Phase::end) {
            for (const TraceEvent& event : record.events) {
                if (event.kind == EventKind::fault)
                    facts.endFaults.push_back(event.name);
            }
            continue;
        }
        if (!haveStart) {
            haveStart = true;
            startMs = record.clockMs;
        }

        TickFacts tick;
        tick.tick = record.tick;
        tick.clockMs = record.clockMs;
        tick.elapsedMs = record.clockMs - startMs;
        tick.pluginLoaded = record.pluginLoaded;
        for (const std::string& control : record.state.pressedControls) {
            if (isMoveControl(control))
                tick.moves.insert(control);
            else
                tick.controls.insert(control);
        }
        tick.wheelUp = record.state.wheelUp;
        tick.wheelDown = record.state.wheelDown;
        tick.onFoot = record.state.onFoot;
        tick.firstPerson = record.state.firstPerson;
        tick.desiredSetting = record.state.desired;
        tick.gaitSetting = record.state.gait;
        tick.desired = record.derived.desiredSpeed;

        for (const TraceEvent& event : record.events) {
            switch (event.kind) {
            case EventKind::key:
                if (event.keyUp) {
                    down.erase(event.keyCode);
                    const auto it = open.find(event.keyCode);
                    if (it != open.end()) {
                        finished.push_back({it->second, {record.tick, event.clockMs}});
                        open.erase(it);
                    }
                } else if (!down.count(event.keyCode)) {
                    // A key-down for a key already down is an auto-repeat.
                    down.insert(event.keyCode);
                    open[event.keyCode] = OpenPress{event.keyCode, record.tick, event.clockMs, order++};
                }
                break;
            case EventKind::call:
                if (event.name == "isPedOnFoot")
                    tick.imposed.controllerRan = true;
                break;
            case EventKind::note:
                tick.notes.push_back(event.line.substr(event.line.find(' ') + 1));
                break;
            case EventKind::fault:
                tick.faults.push_back(event.name);
                break;
            }
        }
        tick.keysDown = down;
        tick.imposed.floor = record.imposed.minSpeed;
        tick.imposed.cap = record.imposed.maxSpeed;
        readSprintValues(record.imposed, tick);
        for (const std::string& control : record.imposed.disabledControls) {
            if (control == "INPUT_PREV_WEAPON" || control == "INPUT_NEXT_WEAPON")
                tick.imposed.wheelTaken = true;
        }
        facts.ticks.push_back(std::move(tick));
    }
    if (facts.ticks.size() >= 2)
        facts.clockStepMs = facts.ticks[1].clockMs - facts.ticks[0].clockMs;

    // Keys still down at the end are presses without a release.
    for (const auto& [code, press] : open)
        finished.push_back({press, {0, 0}});
    std::sort(finished.begin(), finished.end(),
              [](const auto& a, const auto& b) { return a.first.order < b.first.order; });

    // Keys that went down and up together (End+Numpad1) make one press.
    for (const auto& [press, up] : finished) {
        KeyPress* joined = nullptr;
        if (!facts.presses.empty()) {
            KeyPress& last = facts.presses.back();
            if (last.downTick == press.downTick && last.downMs == press.downMs && last.upTick == up.first &&
                last.upMs == up.second)
                joined = &last;
        }
        if (!joined) {
            facts.presses.push_back(KeyPress{});
            joined = &facts.presses.back();
            joined->downTick = press.downTick;
            joined->downMs = press.downMs;
            joined->upTick = up.first;
            joined->upMs = up.second;
        }
        joined->codes.push_back(press.code);
        if (!joined->name.empty())
            joined->name += '+';
        joined->name += keyDisplayName(press.code);
    }
    return facts;
}

}  // namespace sim::report
