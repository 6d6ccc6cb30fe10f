#pragma once
// Shows how far a long run has got, on stderr and only when stderr is a
// terminal, so that files, pipes and tests never see it. A run that is over
// within a moment shows nothing.

#include <chrono>
#include <functional>
#include <string>

namespace sim::commands {

class Progress {
public:
    explicit Progress(std::string name);
    ~Progress() { clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // What the session calls after every tick (nothing off a terminal).
    std::function<void(int, int)> callback();
    // Wipes the progress line, if one is shown.
    void clear();

private:
    using Clock = std::chrono::steady_clock;
    void update(int played, int total);

    std::string name_;
    bool enabled_ = false;
    bool shown_ = false;
    size_t width_ = 0;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_;
};

}  // namespace sim::commands
