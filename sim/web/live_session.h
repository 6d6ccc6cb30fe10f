#pragma once
// Live play: the player's own keys, wheel and move input drive the real
// plug-in tick by tick. Every input becomes a statement of a scenario that
// grows as the player acts (a key held from tick N is `at N..M key hold`,
// M growing while it stays down), and an ordinary Session plays that
// scenario one tick at a time. So live play is exactly what
// `ambleworks-sim run` makes of the same scenario text (scenarioText), tick
// for tick and call for call.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "scenario/scenario.h"
#include "session/session.h"

namespace sim::web {

class LiveSession {
public:
    LiveSession();
    ~LiveSession();
    LiveSession(const LiveSession&) = delete;
    LiveSession& operator=(const LiveSession&) = delete;

    // Starts play with the Ambleworks.ini at `iniPath` (read as `--ini`
    // reads it). False, with `error`, when the session cannot start.
    bool start(const std::string& iniPath, std::string& error);

    // Inputs for the next tick. A key that is already down, or a release of
    // a key that is not, changes nothing (the browser's own repeats).
    void keyDown(uint32_t code);
    void keyUp(uint32_t code);
    void wheel(bool up);
    // The move input from the next tick on: "up", "up+left", ... or "none".
    void move(const std::string& directions);

    // Plays the next tick with the inputs given since the last one.
    void tick();
    // Unloads the plug-in: the trace then ends as run's does.
    void stop();

    bool running() const { return session_ != nullptr && !stopped_; }
    int ticksPlayed() const { return played_; }
    const Trace& trace() const { return result_.trace; }

    // The scenario played so far, as a file `ambleworks-sim run --ini FILE`
    // plays to the same trace.
    std::string scenarioText() const;

private:
    enum class Kind { key, wheel, move };
    struct Entry {
        Kind kind;
        size_t index;  // into the scenario's keys, wheels or states
    };
    int nextTick() const { return played_ + 1; }
    void appendMove(const std::string& directions);

    Scenario scenario_;
    SessionOptions options_;
    SessionResult result_;
    std::unique_ptr<Session> session_;
    std::map<uint32_t, size_t> held_;  // key code -> its hold in scenario_.keys
    std::vector<Entry> entries_;       // the statements in the order they came
    std::vector<std::string> moves_;   // the text of each move statement
    std::string moving_ = "none";
    int played_ = 0;
    bool stopped_ = false;
};

}  // namespace sim::web
