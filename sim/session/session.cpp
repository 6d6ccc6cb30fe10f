// Playing a scenario, one tick per step.

#include "session/session.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "game/game_model.h"
#include "host/host_runtime.h"
#include "host/plugin_keys.h"
#include "platform/plugin_loader.h"
#include "scenario/properties.h"
#include "session/working_folder.h"
#include "trace/format.h"

// Index of this file:
// [SECTION] The plan of the run
// [SECTION] Starting
// [SECTION] One tick
// [SECTION] Finishing

namespace sim {

namespace {

// ---------------------------------------------------------------------------
// [SECTION] The plan of the run

// A key reads as down in the plug-in's key table for this long after its
// last message.
constexpr uint32_t keyDownWindowMs = 5000;

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

uint32_t tickClock(const Scenario& scenario, int tick)
{
    return static_cast<uint32_t>(static_cast<int64_t>(scenario.clockStart) +
                                 static_cast<int64_t>(tick - 1) * scenario.clockStep);
}

// The plug-in's key table as the host can tell it from the messages it
// delivered: which keys read as down, for following the hotkey that makes
// the plug-in read Ambleworks.ini again.
struct KeyTable {
    struct Slot {
        bool down = false;
        uint32_t lastMs = 0;
    };
    std::map<int32_t, Slot> slots;

    void record(const KeyMessage& message)
    {
        slots[static_cast<int32_t>(message.key.code)] = {!message.up, message.clockMs};
    }
    bool held(int32_t code, uint32_t nowMs) const
    {
        const auto it = slots.find(code);
        return isKeySlot(code) && it != slots.end() && it->second.down && nowMs - it->second.lastMs < keyDownWindowMs;
    }
};

}  // namespace

// Everything one play holds between its steps.
struct Session::State {
    State(const Scenario& s, const SessionOptions& o, SessionResult& r) : scenario(s), options(o), result(r) { }

    const Scenario& scenario;
    const SessionOptions& options;
    SessionResult& result;
    int ticks = 0;
    int played = 0;
    std::string pluginPath;
    WorkingFolder folder;
    GameModel model;
    HostRuntime* runtime = nullptr;
    bool finished = false;

    std::vector<StateAction> stateActions;
    std::vector<TimedKeyMessage> keyMessages;
    std::vector<PropertyValue> saved;  // per state statement: the value before its range
    size_t nextState = 0;
    size_t nextKey = 0;
    GameState game;
    std::set<uint32_t> keysDown;  // every key down, for the game's own sprint key
    KeyTable keyTable;            // what the plug-in's key table holds
    PluginKeys keys;              // the keys the plug-in acts on
    bool readsIniNext = false;    // a fresh plug-in reads Ambleworks.ini when its script starts

    void header();
    bool load(TickRecord& load);
    void hostActions(TickRecord& record, int tick);
    void gameState(int tick);
    void keyboard(int tick);
    void followKeys(TickRecord& record, int tick);
};

// ---------------------------------------------------------------------------
// [SECTION] Starting

Session::Session(const Scenario& scenario, const SessionOptions& options, SessionResult& result)
    : state_(std::make_unique<State>(scenario, options, result))
{
}

Session::~Session()
{
    if (state_->runtime && !state_->finished)
        finish();
}

void Session::State::header()
{
    Trace& trace = result.trace;
    trace.scenarioName = scenario.fileName;
    trace.headerLines.push_back("ambleworks-sim trace: " + scenario.fileName);
    if (!scenario.title.empty())
        trace.headerLines.push_back("title: " + scenario.title);
    trace.headerLines.push_back("clock start " + decimal(scenario.clockStart) + " ms, step " +
                                decimal(scenario.clockStep) + " ms, " + decimal(ticks) + " ticks");
}

bool Session::start()
{
    State& s = *state_;
    s.result = SessionResult{};
    s.ticks = s.scenario.tickCount();
    s.header();
    // Paths are taken before the working folder becomes current.
    std::error_code ec;
    s.pluginPath = std::filesystem::absolute(s.options.pluginPath, ec).string();
    IniContent initialIni = s.scenario.initialIni;
    if (s.options.userIni) {
        initialIni.kind = IniContent::Kind::text;
        if (!readWholeFile(*s.options.userIni, initialIni.text)) {
            s.result.error = "cannot read the INI file " + *s.options.userIni;
            return false;
        }
    }
    if (!s.folder.enter(s.result.error))
        return false;

    s.model.trueValue = s.scenario.trueValue;
    s.model.resultHighBits = s.scenario.resultHighBits;
    s.runtime = &HostRuntime::instance();
    platform::installHostApi(&HostRuntime::api());
    // Expectations are judged on the calls in full.
    s.runtime->begin(s.result.trace, s.model, s.options.callDetails || s.options.judge);

    // The load, every tick and the end.
    s.result.trace.records.reserve(static_cast<size_t>(s.ticks) + 2);
    TickRecord load;
    load.phase = Phase::load;
    load.tick = 0;
    load.clockMs = tickClock(s.scenario, 1);
    s.runtime->setRecord(&load);
    s.runtime->setClock(load.clockMs);
    applyIni(initialIni, *s.runtime);
    return s.load(load);
}

// Loads the plug-in for the first time (the load record goes into the trace).
bool Session::State::load(TickRecord& load)
{
    std::string error;
    if (!runtime->load(pluginPath, error)) {
        runtime->setRecord(nullptr);
        runtime->end();
        runtime = nullptr;
        result.error = error;
        return false;
    }
    load.pluginLoaded = true;
    result.trace.records.push_back(load);
    runtime->setRecord(nullptr);
    stateActions = scheduleStateActions(scenario);
    keyMessages = scheduleKeyMessages(scenario);
    saved.resize(scenario.states.size());
    keys = builtInPluginKeys();
    readsIniNext = true;
    return true;
}

// ---------------------------------------------------------------------------
// [SECTION] One tick

// Ambleworks.ini changes and plug-in reloads due before this tick.
void Session::State::hostActions(TickRecord& record, int tick)
{
    for (const IniStatement& ini : scenario.inis) {
        if (ini.tick == tick)
            applyIni(ini.content, *runtime);
    }
    for (const PluginStatement& plugin : scenario.plugins) {
        if (plugin.tick != tick)
            continue;
        if (plugin.action != PluginStatement::Action::load && runtime->loaded()) {
            runtime->note("plug-in unloaded");
            runtime->unload();
        }
        if (plugin.action != PluginStatement::Action::unload && !runtime->loaded()) {
            runtime->note("plug-in loaded");
            std::string error;
            if (!runtime->load(pluginPath, error))
                runtime->fault("the plug-in could not be loaded again: " + error);
            // A fresh plug-in: a fresh key table, the built-in keys until its
            // script reads the file.
            keyTable = KeyTable{};
            keys = builtInPluginKeys();
            readsIniNext = true;
        }
        runtime->setClock(record.clockMs);
    }
}

// The scenario's game state for this tick: statements due, ranges that end,
// wheel notches of this tick only.
void Session::State::gameState(int tick)
{
    while (nextState < stateActions.size() && stateActions[nextState].tick <= tick) {
        const StateAction& action = stateActions[nextState++];
        const StateStatement& statement = scenario.states[action.statement];
        if (action.restore) {
            setPropertyValue(game, statement, saved[action.statement]);
        } else {
            saved[action.statement] = propertyValueIn(game, statement);
            setPropertyValue(game, statement, statement.value);
        }
    }
    game.wheelUp = false;
    game.wheelDown = false;
    for (const WheelStatement& wheel : scenario.wheels) {
        if (tick >= wheel.ticks.first && tick <= wheel.ticks.last)
            (wheel.up ? game.wheelUp : game.wheelDown) = true;
    }
}

// The keyboard messages due before this tick.
void Session::State::keyboard(int tick)
{
    while (nextKey < keyMessages.size() && keyMessages[nextKey].tick <= tick) {
        const KeyMessage& message = keyMessages[nextKey++].message;
        if (message.up)
            keysDown.erase(message.key.code);
        else
            keysDown.insert(message.key.code);
        if (runtime->loaded())
            keyTable.record(message);
        runtime->deliverKey(message);
    }
}

// The keys the plug-in acts on in this tick, and whether it reads the file
// again at the end of it (the reload hotkey: modifier held, neither switch
// key, the reload key held).
void Session::State::followKeys(TickRecord& record, int tick)
{
    if (readsIniNext && runtime->loaded()) {
        keys = readPluginKeys(iniFileName);
        readsIniNext = false;
    }
    record.keys = keys;
    const uint32_t now = tickClock(scenario, tick);
    const bool modifier = keys.hotkeyModifier == 0 || keyTable.held(keys.hotkeyModifier, now);
    if (runtime->loaded() && modifier && !keyTable.held(keys.switchOff, now) && !keyTable.held(keys.switchOn, now) &&
        keyTable.held(keys.reload, now))
        keys = readPluginKeys(iniFileName);
}

bool Session::step()
{
    State& s = *state_;
    if (!s.runtime || s.played >= s.ticks)
        return false;
    const int tick = ++s.played;
    TickRecord record;
    record.phase = Phase::tick;
    record.tick = tick;
    // A tick makes about as many calls as the one before: room for them at
    // once, rather than growing (and moving) the list call by call.
    const std::vector<TickRecord>& records = s.result.trace.records;
    if (!records.empty())
        record.events.reserve(records.back().events.size());
    record.clockMs = tickClock(s.scenario, tick);
    s.runtime->setRecord(&record);
    s.runtime->setClock(record.clockMs);
    s.hostActions(record, tick);
    s.gameState(tick);
    s.keyboard(tick);

    s.model.state = s.game;
    s.model.keysDown = s.keysDown;
    s.model.beginTick();
    s.runtime->setClock(record.clockMs);
    s.followKeys(record, tick);
    s.runtime->runTick();
    s.model.endTick();

    record.pluginLoaded = s.runtime->loaded();
    record.state = s.game;
    record.derived = s.model.derived();
    record.imposed = s.model.imposed();
    s.runtime->setRecord(nullptr);
    s.result.trace.records.push_back(std::move(record));
    if (s.options.progress)
        s.options.progress(tick, s.ticks);
    return true;
}

void Session::replan()
{
    State& s = *state_;
    if (!s.runtime)
        return;
    s.ticks = s.scenario.tickCount();
    s.result.trace.headerLines.clear();
    s.header();
    // The plan of the ticks played is a prefix of the new one, so the
    // positions reached in it stay where they are.
    s.stateActions = scheduleStateActions(s.scenario);
    s.keyMessages = scheduleKeyMessages(s.scenario);
    s.saved.resize(s.scenario.states.size());
}

// ---------------------------------------------------------------------------
// [SECTION] Finishing

void Session::finish()
{
    State& s = *state_;
    if (!s.runtime || s.finished)
        return;
    s.finished = true;
    TickRecord end;
    end.phase = Phase::end;
    end.tick = s.ticks + 1;
    end.clockMs = tickClock(s.scenario, s.ticks);
    s.runtime->setRecord(&end);
    s.runtime->unload();
    s.runtime->setRecord(nullptr);
    s.runtime->end();
    s.result.trace.records.push_back(std::move(end));
    if (s.options.judge)
        s.result.failures = judgeExpectations(s.scenario, s.result.trace);
}

bool playScenario(const Scenario& scenario, const SessionOptions& options, SessionResult& result)
{
    Session session(scenario, options, result);
    if (!session.start())
        return false;
    while (session.step()) { }
    session.finish();
    return true;
}

}  // namespace sim
