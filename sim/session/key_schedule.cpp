// The keyboard messages of a scenario, timed as Windows would send them:
// presses and releases where the scenario puts them, and the auto-repeats of
// the key pressed last while it stays down.

#include <algorithm>
#include <set>

#include "session/session.h"

namespace sim {

namespace {

// A press or release the scenario asks for, before repeats are added.
struct KeyEdge {
    int64_t time = 0;
    int order = 0;  // file order, for edges at the same millisecond
    KeyInfo key;
    bool up = false;
    bool repeating = false;  // a hold's last key: Windows repeats it
};

int64_t tickTime(const Scenario& scenario, int tick)
{
    return static_cast<int64_t>(scenario.clockStart) + static_cast<int64_t>(tick - 1) * scenario.clockStep;
}

bool isAltCode(uint32_t code)
{
    return code == 0x12 || code == 0xA4 || code == 0xA5;
}

// The edges of one key statement (a combination is pressed left to right and
// released right to left).
void addEdges(const Scenario& scenario, const KeyStatement& s, int& order, std::vector<KeyEdge>& edges)
{
    const int64_t at = tickTime(scenario, s.ticks.first);
    const auto press = [&](int64_t time, bool repeatLast) {
        for (size_t i = 0; i < s.keys.size(); ++i)
            edges.push_back({time, order++, s.keys[i], false, repeatLast && i + 1 == s.keys.size()});
    };
    const auto release = [&](int64_t time) {
        for (auto it = s.keys.rbegin(); it != s.keys.rend(); ++it)
            edges.push_back({time, order++, *it, true, false});
    };
    switch (s.action) {
    case KeyStatement::Action::press:
        press(at - s.offsetMs, false);
        break;
    case KeyStatement::Action::release:
        release(at - s.offsetMs);
        break;
    case KeyStatement::Action::tap:
        press(at - static_cast<int64_t>(scenario.clockStep) / 2, false);
        release(at);
        break;
    case KeyStatement::Action::hold:
        press(at, true);
        release(tickTime(scenario, s.ticks.last + 1));
        break;
    }
}

// Turns the edges into messages in time order, with the repeats between.
class KeyboardSchedule {
public:
    explicit KeyboardSchedule(const Scenario& scenario)
        : scenario_(scenario),
          lastTime_(tickTime(scenario, scenario.tickCount()))
    {
    }

    void add(const KeyEdge& edge)
    {
        repeatUntil(edge.time);
        if (edge.up) {
            down_.erase(edge.key.code);
            if (repeating_ && repeatKey_.code == edge.key.code)
                repeating_ = false;
            emit(edge.time, edge.key, "up", true, true);
            return;
        }
        const bool wasDown = down_.contains(edge.key.code);
        down_.insert(edge.key.code);
        emit(edge.time, edge.key, wasDown ? "repeat" : "down", wasDown, false);
        repeating_ = edge.repeating && scenario_.repeatKeys;
        if (repeating_) {
            repeatKey_ = edge.key;
            nextRepeat_ = edge.time + scenario_.repeatDelayMs;
        }
    }

    std::vector<TimedKeyMessage> finish()
    {
        repeatUntil(lastTime_ + 1);
        return std::move(messages_);
    }

private:
    // Windows repeats the last key pressed, while it stays down.
    void repeatUntil(int64_t time)
    {
        while (repeating_ && nextRepeat_ < time && nextRepeat_ <= lastTime_) {
            emit(nextRepeat_, repeatKey_, "repeat", true, false);
            nextRepeat_ += scenario_.repeatRateMs;
        }
    }

    void emit(int64_t time, const KeyInfo& key, const char* kind, bool wasDown, bool up)
    {
        if (time > lastTime_)
            return;
        const int64_t step = scenario_.clockStep;
        TimedKeyMessage timed;
        timed.tick =
            time <= scenario_.clockStart ? 1 : static_cast<int>((time - scenario_.clockStart + step - 1) / step) + 1;
        timed.message.key = key;
        timed.message.kind = kind;
        timed.message.wasDown = wasDown;
        timed.message.up = up;
        timed.message.altDown = std::any_of(down_.begin(), down_.end(), isAltCode);
        timed.message.clockMs = static_cast<uint32_t>(time);
        messages_.push_back(timed);
    }

    const Scenario& scenario_;
    const int64_t lastTime_;
    std::vector<TimedKeyMessage> messages_;
    std::set<uint32_t> down_;
    bool repeating_ = false;
    KeyInfo repeatKey_;
    int64_t nextRepeat_ = 0;
};

}  // namespace

std::vector<TimedKeyMessage> scheduleKeyMessages(const Scenario& scenario)
{
    std::vector<KeyEdge> edges;
    int order = 0;
    for (const KeyStatement& s : scenario.keys)
        addEdges(scenario, s, order, edges);
    std::stable_sort(edges.begin(), edges.end(), [](const KeyEdge& a, const KeyEdge& b) {
        return a.time != b.time ? a.time < b.time : a.order < b.order;
    });
    KeyboardSchedule schedule(scenario);
    for (const KeyEdge& edge : edges)
        schedule.add(edge);
    return schedule.finish();
}

}  // namespace sim
