#include "web/live_session.h"

#include "trace/format.h"

namespace sim::web {

namespace {

// The name a live scenario has in its trace and its text.
const char* const liveScenarioName = "live.scn";

std::string tickText(const TickSpan& span)
{
    return span.range ? decimal(span.first) + ".." + decimal(span.last) : decimal(span.first);
}

}  // namespace

LiveSession::LiveSession() = default;

LiveSession::~LiveSession()
{
    stop();
}

bool LiveSession::start(const std::string& iniPath, std::string& error)
{
    stop();
    scenario_ = Scenario{};
    scenario_.path = liveScenarioName;
    scenario_.fileName = liveScenarioName;
    scenario_.title = "Live play";
    scenario_.ticks = 1;
    options_ = SessionOptions{};
    options_.pluginPath = "/Ambleworks.so";
    options_.userIni = iniPath;
    options_.judge = false;
    result_ = SessionResult{};
    held_.clear();
    entries_.clear();
    moves_.clear();
    moving_ = "none";
    played_ = 0;
    stopped_ = false;
    session_ = std::make_unique<Session>(scenario_, options_, result_);
    if (!session_->start()) {
        error = result_.error;
        session_.reset();
        return false;
    }
    return true;
}

void LiveSession::keyDown(uint32_t code)
{
    if (!running() || held_.contains(code))
        return;
    KeyStatement hold;
    hold.action = KeyStatement::Action::hold;
    hold.ticks.first = nextTick();
    hold.ticks.last = nextTick();
    hold.ticks.range = true;
    hold.keys.push_back(keyOfCode(code));
    held_[code] = scenario_.keys.size();
    entries_.push_back({Kind::key, scenario_.keys.size()});
    scenario_.keys.push_back(hold);
}

void LiveSession::keyUp(uint32_t code)
{
    const auto it = held_.find(code);
    if (!running() || it == held_.end())
        return;
    KeyStatement& hold = scenario_.keys[it->second];
    if (hold.ticks.first == nextTick()) {
        // Down and up again before the plug-in's next pass: a tap.
        hold.action = KeyStatement::Action::tap;
        hold.ticks.range = false;
    } else {
        hold.ticks.last = nextTick() - 1;
    }
    held_.erase(it);
}

void LiveSession::wheel(bool up)
{
    if (!running())
        return;
    for (const WheelStatement& notch : scenario_.wheels) {
        if (notch.ticks.first == nextTick() && notch.up == up)
            return;  // one notch a tick is all the game reports
    }
    WheelStatement notch;
    notch.ticks.first = nextTick();
    notch.ticks.last = nextTick();
    notch.up = up;
    entries_.push_back({Kind::wheel, scenario_.wheels.size()});
    scenario_.wheels.push_back(notch);
}

void LiveSession::move(const std::string& directions)
{
    if (!running() || directions == moving_)
        return;
    moving_ = directions;
    appendMove(directions);
}

// The move statement goes through the scenario parser, which knows the
// property it sets.
void LiveSession::appendMove(const std::string& directions)
{
    const std::string text = "at " + decimal(nextTick()) + " move " + directions;
    Scenario one;
    std::vector<std::string> errors;
    if (!parseScenarioText(text + "\n", liveScenarioName, "/", one, errors) || one.states.size() != 1)
        return;
    entries_.push_back({Kind::move, scenario_.states.size()});
    scenario_.states.push_back(one.states.front());
    moves_.push_back(text);
}

void LiveSession::tick()
{
    if (!running())
        return;
    const int tick = nextTick();
    scenario_.ticks = tick;
    for (const auto& [code, index] : held_)
        scenario_.keys[index].ticks.last = tick;
    session_->replan();
    if (session_->step())
        ++played_;
}

void LiveSession::stop()
{
    if (!session_ || stopped_)
        return;
    stopped_ = true;
    session_->finish();
}

std::string LiveSession::scenarioText() const
{
    std::string text = "title " + scenario_.title + "\nticks " + decimal(played_ > 0 ? played_ : 1) + "\n";
    size_t move = 0;
    for (const Entry& entry : entries_) {
        if (entry.kind == Kind::move) {
            text += moves_[move++] + "\n";
        } else if (entry.kind == Kind::wheel) {
            const WheelStatement& notch = scenario_.wheels[entry.index];
            text += "at " + decimal(notch.ticks.first) + " wheel " + (notch.up ? "up" : "down") + "\n";
        } else {
            const KeyStatement& key = scenario_.keys[entry.index];
            const bool tap = key.action == KeyStatement::Action::tap;
            text += "at " + tickText(key.ticks) + " key " + (tap ? "tap " : "hold ") + key.keys.front().name + "\n";
        }
    }
    return text;
}

}  // namespace sim::web
