#pragma once
// The preview: a bundled scenario played with the page's Ambleworks.ini, by
// the same code as `ambleworks-sim run SCENARIO --ini Ambleworks.ini` and
// `plot`: its trace, its timeline and its chart.

#include <optional>
#include <string>

namespace sim::web {

struct Preview {
    bool played = false;
    std::string error;     // why it could not be played
    std::string trace;     // as `run --show trace`
    std::string timeline;  // as `run --show timeline`
    std::string chart;     // as `plot`, SVG
    int faults = 0;
};

// Plays `scenarioText` (named `scenarioName`, e.g. "demo.scn") with
// `iniBytes` as the player's Ambleworks.ini (`run --ini Ambleworks.ini`), or
// with the scenario's own when there are none. The files are written into
// `folder` first, which becomes the current folder, so that every path the
// reports name is the one a player's command line in that folder would give.
// The trace text (megabytes for a minute) is made only `withTrace`.
Preview playPreview(const std::string& folder, const std::string& scenarioName, const std::string& scenarioText,
                    const std::optional<std::string>& iniBytes, bool withTrace);

}  // namespace sim::web
