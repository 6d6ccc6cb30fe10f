#pragma once
// The timeline of a played scenario: one line per change, not per tick.
// Each line says when (seconds and tick), what the player or the game did,
// what Ambleworks imposed from then on (read from its speed calls of the
// tick; no call means the game's own speed) and, as far as the inputs and
// the calls show it, why, in a player's words.

#include <cstdint>
#include <string>
#include <vector>

#include "report/facts.h"
#include "report/reason.h"

namespace sim::report {

struct TimelineEntry {
    int tick = 0;
    uint32_t elapsedMs = 0;
    std::string input;                // what changed in the inputs ("Alt up after 0.23 s"), "" none
    std::vector<std::string> inputs;  // the same, one item each
    std::string imposed;              // what Ambleworks imposed from this tick on, "" unchanged
    Reason reason;                    // why, as data (kind none when the trace does not show it)
    std::string why;                  // the reason in words (or the fault), "" none
    std::string label;                // a few words for the chart ("fast walk on"), "" none
    bool fault = false;               // a broken host rule (why holds the fault)
};

struct Timeline {
    std::vector<std::string> header;  // title, length of the run, the INI
    std::vector<TimelineEntry> entries;
};

// Builds the timeline of a played trace from its facts.
Timeline buildTimeline(const Facts& facts);

// The timeline as text: the header, a column heading, one row per entry,
// columns aligned; a text too long for its column goes on onto continuation
// lines of the same row. LF line ends, the same bytes on every platform.
std::string formatTimeline(const Timeline& timeline);

// The number of terminal columns a UTF-8 text takes (one per code point).
size_t displayWidth(const std::string& text);

}  // namespace sim::report
