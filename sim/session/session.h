#pragma once
// Plays a scenario through the real plug-in: a fresh working directory with
// its Ambleworks.ini, the plug-in loaded, then one tick per step (the game
// state, keyboard messages and plug-in actions of that tick, the plug-in's
// pass), and the plug-in unloaded at the end. The result is the trace
// (structured and as text) and the verdict of the scenario's expectations.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scenario/scenario.h"
#include "trace/trace.h"

namespace sim {

struct SessionOptions {
    std::string pluginPath;              // the plug-in to load
    std::optional<std::string> userIni;  // start from this Ambleworks.ini instead
    bool judge = true;                   // judge the scenario's expectations at the end
    // Keep every native call whole in the trace (its arguments, result and
    // line). Off, a call keeps only its name: the timeline and the chart
    // are the same, but the trace text lacks the calls. Judging keeps them
    // whatever this says.
    bool callDetails = true;
    // Called after every tick with the ticks played and the ticks in all
    // (for a progress display; it must not touch the trace).
    std::function<void(int played, int total)> progress;
};

struct SessionResult {
    Trace trace;
    std::string error;                  // the run could not be made (plug-in, folder)
    std::vector<std::string> failures;  // failed expectations, "PATH:LINE: …"

    bool passed() const { return error.empty() && failures.empty() && trace.faultCount == 0; }
};

// One play of a scenario, a tick per step:
//
//   Session session(scenario, options, result);
//   if (!session.start()) … result.error says why;
//   while (session.step()) { }
//   session.finish();
class Session {
public:
    Session(const Scenario& scenario, const SessionOptions& options, SessionResult& result);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Enters a fresh working folder, writes the first Ambleworks.ini and
    // loads the plug-in. False (with result.error) when that cannot be done.
    bool start();
    // Plays the next tick; false, with nothing played, once every tick has
    // been.
    bool step();
    // Unloads the plug-in and judges the expectations (unless told not to).
    void finish();

    // Takes in what was added to the scenario since start (statements at
    // ticks not yet played, holds and ranges that now end later, a longer
    // run): live play grows its scenario as the player acts. What was
    // played stays as it was: the inputs of the ticks played never change.
    void replan();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Plays the scenario and judges it. False when the run could not be made
// (result.error says why).
bool playScenario(const Scenario& scenario, const SessionOptions& options, SessionResult& result);

// The failed expectations of a played trace, "PATH:LINE: …".
std::vector<std::string> judgeExpectations(const Scenario& scenario, const Trace& trace);

// Does the event match the pattern? (Exposed for tests.)
bool matchesPattern(const CallPattern& pattern, const TraceEvent& event);

// The keyboard messages a scenario makes, with the tick before which each is
// delivered (Exposed for tests.)
struct TimedKeyMessage {
    int tick = 1;
    KeyMessage message;
};
std::vector<TimedKeyMessage> scheduleKeyMessages(const Scenario& scenario);

}  // namespace sim
