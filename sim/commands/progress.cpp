#include "commands/progress.h"

#include <algorithm>

#include "commands/output.h"
#include "platform/terminal.h"
#include "trace/format.h"

namespace sim::commands {

namespace {

// Nothing is shown for a run shorter than this, nor more often than that.
constexpr std::chrono::milliseconds quietStart(300);
constexpr std::chrono::milliseconds refresh(100);

}  // namespace

Progress::Progress(std::string name) : name_(std::move(name)), enabled_(platform::stderrIsTerminal()) { }

std::function<void(int, int)> Progress::callback()
{
    if (!enabled_)
        return {};
    return [this](int played, int total) { update(played, total); };
}

void Progress::clear()
{
    if (!shown_)
        return;
    // Appended piece by piece: GCC 12 warns falsely on "literal" + string.
    std::string blank(1, '\r');
    blank.append(width_, ' ').append(1, '\r');
    writeErr(blank);
    shown_ = false;
}

void Progress::update(int played, int total)
{
    const Clock::time_point now = Clock::now();
    if (now - start_ < quietStart)
        return;
    if (shown_ && now - last_ < refresh)
        return;
    last_ = now;
    const int64_t percent = total > 0 ? static_cast<int64_t>(played) * 100 / total : 100;
    const std::string line =
        "playing " + name_ + ": tick " + decimal(played) + " of " + decimal(total) + " (" + decimal(percent) + "%)";
    width_ = std::max(width_, line.size());
    writeErr("\r" + line);
    shown_ = true;
}

}  // namespace sim::commands
