// Playing a scenario. Sections: the working folder · the game state over time
// · keyboard messages · the run.

#include "session/session.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "game/game_model.h"
#include "host/host_runtime.h"
#include "platform/plugin_loader.h"
#include "trace/format.h"

namespace sim {

namespace {

// ---------------------------------------------------------------------------
// The working folder: a fresh temporary directory, made current for the run
// (the plug-in reads Ambleworks.ini from the current directory), removed
// afterwards.

class WorkingFolder {
public:
    bool enter(std::string& error)
    {
        std::error_code ec;
        previous_ = std::filesystem::current_path(ec);
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        if (ec) {
            error = "no temporary folder: " + ec.message();
            return false;
        }
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path candidate =
                base / ("ambleworks-sim-" + hex32(static_cast<uint32_t>(random())).substr(2));
            if (std::filesystem::create_directory(candidate, ec)) {
                folder_ = candidate;
                std::filesystem::current_path(folder_, ec);
                if (ec) {
                    error = "cannot enter " + folder_.string() + ": " + ec.message();
                    return false;
                }
                return true;
            }
        }
        error = "cannot make a working folder under " + base.string();
        return false;
    }

    ~WorkingFolder()
    {
        std::error_code ec;
        if (!previous_.empty())
            std::filesystem::current_path(previous_, ec);
        if (!folder_.empty())
            std::filesystem::remove_all(folder_, ec);
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path folder_;
};

bool readFile(const std::string& path, std::string& content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    content = out.str();
    return true;
}

// Writes (or removes) Ambleworks.ini in the current folder and says so.
void applyIni(const IniContent& content, HostRuntime& runtime)
{
    std::error_code ec;
    if (content.kind == IniContent::Kind::none) {
        const bool existed = std::filesystem::remove("Ambleworks.ini", ec);
        runtime.note(existed ? "Ambleworks.ini removed" : "no Ambleworks.ini");
        return;
    }
    std::string bytes = content.text;
    if (content.kind == IniContent::Kind::file && !readFile(content.text, bytes)) {
        runtime.note("cannot read the INI file to copy; no Ambleworks.ini");
        std::filesystem::remove("Ambleworks.ini", ec);
        return;
    }
    std::ofstream out("Ambleworks.ini", std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    const auto lines = std::count(bytes.begin(), bytes.end(), '\n');
    runtime.note("Ambleworks.ini written (" + decimal(lines) + " lines, " +
                 decimal(static_cast<int64_t>(bytes.size())) + " bytes)");
}

// ---------------------------------------------------------------------------
// The game state over time

PropertyValue getProperty(const GameState& state, const StateStatement& statement)
{
    PropertyValue value;
    switch (statement.property) {
    case Property::onFoot:
        value.flag = state.onFoot;
        break;
    case Property::gait:
        value.gait = state.gait;
        break;
    case Property::desired:
        value.desired = state.desired;
        break;
    case Property::move:
        for (const char* name :
             {"INPUT_MOVE_UP_ONLY", "INPUT_MOVE_LEFT_ONLY", "INPUT_MOVE_DOWN_ONLY", "INPUT_MOVE_RIGHT_ONLY"}) {
            if (state.pressedControls.contains(name))
                value.moves.insert(name);
        }
        break;
    case Property::control:
        value.flag = state.pressedControls.contains(statement.control);
        break;
    case Property::controlEnabled: {
        const auto it = state.controlEnabled.find(statement.control);
        value.flag = it == state.controlEnabled.end() || it->second;
        break;
    }
    case Property::holdBlocked:
        value.flag = state.holdBlocked;
        break;
    case Property::firstPerson:
        value.flag = state.firstPerson;
        break;
    case Property::pedMoveFree:
        value.flag = state.pedMoveFree;
        break;
    case Property::globalMoveRestricted:
        value.flag = state.globalMoveRestricted;
        break;
    case Property::pedMoveRestricted:
        value.flag = state.pedMoveRestricted;
        break;
    case Property::runDropAllowed:
        value.flag = state.runDropAllowed;
        break;
    case Property::ped:
        value.ped = state.ped;
        break;
    }
    return value;
}

void setProperty(GameState& state, const StateStatement& statement, const PropertyValue& value)
{
    switch (statement.property) {
    case Property::onFoot:
        state.onFoot = value.flag;
        break;
    case Property::gait:
        state.gait = value.gait;
        break;
    case Property::desired:
        state.desired = value.desired;
        break;
    case Property::move:
        for (const char* name :
             {"INPUT_MOVE_UP_ONLY", "INPUT_MOVE_LEFT_ONLY", "INPUT_MOVE_DOWN_ONLY", "INPUT_MOVE_RIGHT_ONLY"})
            state.pressedControls.erase(name);
        state.pressedControls.insert(value.moves.begin(), value.moves.end());
        break;
    case Property::control:
        if (value.flag)
            state.pressedControls.insert(statement.control);
        else
            state.pressedControls.erase(statement.control);
        break;
    case Property::controlEnabled:
        state.controlEnabled[statement.control] = value.flag;
        break;
    case Property::holdBlocked:
        state.holdBlocked = value.flag;
        break;
    case Property::firstPerson:
        state.firstPerson = value.flag;
        break;
    case Property::pedMoveFree:
        state.pedMoveFree = value.flag;
        break;
    case Property::globalMoveRestricted:
        state.globalMoveRestricted = value.flag;
        break;
    case Property::pedMoveRestricted:
        state.pedMoveRestricted = value.flag;
        break;
    case Property::runDropAllowed:
        state.runDropAllowed = value.flag;
        break;
    case Property::ped:
        state.ped = value.ped;
        break;
    }
}

// One change of the state at a tick: a statement's value applied, or the
// value from before a range restored after it.
struct StateAction {
    int tick = 0;
    bool restore = false;
    size_t statement = 0;
};

std::vector<StateAction> scheduleStateActions(const Scenario& scenario)
{
    std::vector<StateAction> actions;
    for (size_t i = 0; i < scenario.states.size(); ++i) {
        const StateStatement& s = scenario.states[i];
        actions.push_back({s.ticks.first, false, i});
        if (s.ticks.range)
            actions.push_back({s.ticks.last + 1, true, i});
    }
    // Within a tick, ranges that end give back their values before new
    // statements apply; otherwise file order.
    std::stable_sort(actions.begin(), actions.end(), [](const StateAction& a, const StateAction& b) {
        if (a.tick != b.tick)
            return a.tick < b.tick;
        return a.restore && !b.restore;
    });
    return actions;
}

int64_t tickTime(const Scenario& scenario, int tick)
{
    return static_cast<int64_t>(scenario.clockStart) + static_cast<int64_t>(tick - 1) * scenario.clockStep;
}

bool isAlt(uint32_t code)
{
    return code == 0x12 || code == 0xA4 || code == 0xA5;
}

bool isShift(uint32_t code)
{
    return code == 0x10 || code == 0xA0 || code == 0xA1;
}

}  // namespace

// ---------------------------------------------------------------------------
// Keyboard messages

std::vector<TimedKeyMessage> scheduleKeyMessages(const Scenario& scenario)
{
    struct Raw {
        int64_t time = 0;
        int order = 0;
        KeyInfo key;
        bool up = false;
        bool repeating = false;
    };
    std::vector<Raw> raws;
    int order = 0;
    const int64_t step = scenario.clockStep;
    for (const KeyStatement& s : scenario.keys) {
        const int64_t at = tickTime(scenario, s.ticks.first);
        switch (s.action) {
        case KeyStatement::Action::press:
            for (const KeyInfo& key : s.keys)
                raws.push_back({at - s.offsetMs, order++, key, false, false});
            break;
        case KeyStatement::Action::release:
            for (auto it = s.keys.rbegin(); it != s.keys.rend(); ++it)
                raws.push_back({at - s.offsetMs, order++, *it, true, false});
            break;
        case KeyStatement::Action::tap:
            for (const KeyInfo& key : s.keys)
                raws.push_back({at - step / 2, order++, key, false, false});
            for (auto it = s.keys.rbegin(); it != s.keys.rend(); ++it)
                raws.push_back({at, order++, *it, true, false});
            break;
        case KeyStatement::Action::hold: {
            for (size_t i = 0; i < s.keys.size(); ++i)
                raws.push_back({at, order++, s.keys[i], false, i + 1 == s.keys.size()});
            const int64_t end = tickTime(scenario, s.ticks.last + 1);
            for (auto it = s.keys.rbegin(); it != s.keys.rend(); ++it)
                raws.push_back({end, order++, *it, true, false});
            break;
        }
        }
    }
    std::stable_sort(raws.begin(), raws.end(),
                     [](const Raw& a, const Raw& b) { return a.time != b.time ? a.time < b.time : a.order < b.order; });

    const int ticks = scenario.tickCount();
    const int64_t lastTime = tickTime(scenario, ticks);
    std::vector<TimedKeyMessage> out;
    std::set<uint32_t> down;
    bool repeatActive = false;
    KeyInfo repeatKey;
    int64_t nextRepeat = 0;

    auto altDown = [&] { return std::any_of(down.begin(), down.end(), [](uint32_t code) { return isAlt(code); }); };
    auto emit = [&](int64_t time, const KeyInfo& key, const char* kind, bool wasDown, bool up) {
        if (time > lastTime)
            return;
        TimedKeyMessage timed;
        timed.tick =
            time <= scenario.clockStart ? 1 : static_cast<int>((time - scenario.clockStart + step - 1) / step) + 1;
        timed.message.key = key;
        timed.message.kind = kind;
        timed.message.wasDown = wasDown;
        timed.message.up = up;
        timed.message.altDown = altDown();
        timed.message.clockMs = static_cast<uint32_t>(time);
        out.push_back(timed);
    };
    auto repeatUntil = [&](int64_t time) {
        // Windows repeats the last key pressed, while it stays down.
        while (repeatActive && nextRepeat < time && nextRepeat <= lastTime) {
            emit(nextRepeat, repeatKey, "repeat", true, false);
            nextRepeat += scenario.repeatRateMs;
        }
    };

    for (const Raw& raw : raws) {
        repeatUntil(raw.time);
        if (raw.up) {
            down.erase(raw.key.code);
            if (repeatActive && repeatKey.code == raw.key.code)
                repeatActive = false;
            emit(raw.time, raw.key, "up", true, true);
        } else {
            const bool wasDown = down.contains(raw.key.code);
            down.insert(raw.key.code);
            emit(raw.time, raw.key, wasDown ? "repeat" : "down", wasDown, false);
            repeatActive = raw.repeating && scenario.repeatKeys;
            if (repeatActive) {
                repeatKey = raw.key;
                nextRepeat = raw.time + scenario.repeatDelayMs;
            }
        }
    }
    repeatUntil(lastTime + 1);
    return out;
}

// ---------------------------------------------------------------------------
// The run

bool playScenario(const Scenario& scenario, const SessionOptions& options, SessionResult& result)
{
    result = SessionResult{};
    Trace& trace = result.trace;
    trace.scenarioName = scenario.fileName;
    const int ticks = scenario.tickCount();
    trace.headerLines.push_back("ambleworks-sim trace: " + scenario.fileName);
    if (!scenario.title.empty())
        trace.headerLines.push_back("title: " + scenario.title);
    trace.headerLines.push_back("clock start " + decimal(scenario.clockStart) + " ms, step " +
                                decimal(scenario.clockStep) + " ms, " + decimal(ticks) + " ticks");

    // Paths are taken before the working folder becomes current.
    std::error_code ec;
    const std::string pluginPath = std::filesystem::absolute(options.pluginPath, ec).string();
    IniContent initialIni = scenario.initialIni;
    if (options.userIni) {
        std::string bytes;
        if (!readFile(*options.userIni, bytes)) {
            result.error = "cannot read the INI file " + *options.userIni;
            return false;
        }
        initialIni.kind = IniContent::Kind::text;
        initialIni.text = bytes;
    }

    WorkingFolder folder;
    if (!folder.enter(result.error))
        return false;

    GameModel model;
    model.trueValue = scenario.trueValue;
    model.resultHighBits = scenario.resultHighBits;
    HostRuntime& runtime = HostRuntime::instance();
    platform::installHostApi(&HostRuntime::api());
    runtime.begin(trace, model);

    // Load: the initial INI, then the plug-in and its attach.
    TickRecord load;
    load.phase = Phase::load;
    load.tick = 0;
    load.clockMs = static_cast<uint32_t>(tickTime(scenario, 1));
    runtime.setRecord(&load);
    runtime.setClock(load.clockMs);
    applyIni(initialIni, runtime);
    std::string error;
    if (!runtime.load(pluginPath, error)) {
        runtime.setRecord(nullptr);
        runtime.end();
        result.error = error;
        return false;
    }
    load.pluginLoaded = true;
    trace.records.push_back(load);

    const std::vector<StateAction> stateActions = scheduleStateActions(scenario);
    const std::vector<TimedKeyMessage> keyMessages = scheduleKeyMessages(scenario);
    std::vector<PropertyValue> saved(scenario.states.size());
    size_t nextState = 0;
    size_t nextKey = 0;
    GameState state;
    std::set<uint32_t> keysDown;

    for (int tick = 1; tick <= ticks; ++tick) {
        TickRecord record;
        record.phase = Phase::tick;
        record.tick = tick;
        record.clockMs = static_cast<uint32_t>(tickTime(scenario, tick));
        runtime.setRecord(&record);
        runtime.setClock(record.clockMs);

        for (const IniStatement& ini : scenario.inis) {
            if (ini.tick == tick)
                applyIni(ini.content, runtime);
        }
        for (const PluginStatement& plugin : scenario.plugins) {
            if (plugin.tick != tick)
                continue;
            if (plugin.action != PluginStatement::Action::load && runtime.loaded()) {
                runtime.note("plug-in unloaded");
                runtime.unload();
            }
            if (plugin.action != PluginStatement::Action::unload && !runtime.loaded()) {
                runtime.note("plug-in loaded");
                if (!runtime.load(pluginPath, error))
                    runtime.fault("the plug-in could not be loaded again: " + error);
            }
            runtime.setClock(record.clockMs);
        }

        while (nextState < stateActions.size() && stateActions[nextState].tick <= tick) {
            const StateAction& action = stateActions[nextState++];
            const StateStatement& statement = scenario.states[action.statement];
            if (action.restore) {
                setProperty(state, statement, saved[action.statement]);
            } else {
                saved[action.statement] = getProperty(state, statement);
                setProperty(state, statement, statement.value);
            }
        }
        state.wheelUp = false;
        state.wheelDown = false;
        for (const WheelStatement& wheel : scenario.wheels) {
            if (tick >= wheel.ticks.first && tick <= wheel.ticks.last)
                (wheel.up ? state.wheelUp : state.wheelDown) = true;
        }

        while (nextKey < keyMessages.size() && keyMessages[nextKey].tick <= tick) {
            const KeyMessage& message = keyMessages[nextKey++].message;
            if (message.up)
                keysDown.erase(message.key.code);
            else
                keysDown.insert(message.key.code);
            runtime.deliverKey(message);
        }

        model.state = state;
        model.shiftKeyDown = std::any_of(keysDown.begin(), keysDown.end(), isShift);
        model.beginTick();
        runtime.setClock(record.clockMs);
        runtime.runTick();
        model.endTick();

        record.pluginLoaded = runtime.loaded();
        record.state = state;
        record.derived = model.derived();
        record.imposed = model.imposed();
        runtime.setRecord(nullptr);
        trace.records.push_back(std::move(record));
        if (options.progress)
            options.progress(tick, ticks);
    }

    TickRecord end;
    end.phase = Phase::end;
    end.tick = ticks + 1;
    end.clockMs = static_cast<uint32_t>(tickTime(scenario, ticks));
    runtime.setRecord(&end);
    runtime.unload();
    runtime.setRecord(nullptr);
    runtime.end();
    trace.records.push_back(std::move(end));

    result.failures = judgeExpectations(scenario, trace);
    return true;
}

}  // namespace sim
