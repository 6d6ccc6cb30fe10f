#pragma once
// What the commands that play scenarios share: the session's options from
// the command line, reading and playing one file with progress, the faults
// and the verdict of a run, and the chart files.

#include <string>

#include "commands/command.h"
#include "report/facts.h"
#include "report/timeline.h"
#include "session/session.h"

namespace sim::commands {

// The session's options for the common options. With the player's own
// Ambleworks.ini, `judge` says whether the scenario's expectations still
// count (check judges them, run and plot only show what the settings do).
SessionOptions sessionOptions(const CommonOptions& common, bool judgeWithOwnIni);

// Reads and plays one scenario, showing progress on a terminal; its parse
// errors and warnings go to stderr. False when it cannot be played (the
// messages written).
bool playFile(const std::string& scenarioPath, const SessionOptions& options, SessionResult& result);

// The faults of a trace as "PATH: tick N: FAULT: …" lines (at most `limit`).
std::string faultLines(const Trace& trace, const std::string& path, size_t limit);

// Faults and failed expectations on stderr; the exit status of the run.
int verdict(const SessionResult& result, const std::string& scenarioPath);

// A scenario played for run and plot, with its report when wanted.
struct PlayedReport {
    SessionResult result;
    report::Facts facts;
    report::Timeline timeline;
};

// Plays a scenario for run and plot. With the player's own Ambleworks.ini
// (--ini) the expectations are not judged, and the timeline and a note on
// stderr say so. Without `callDetails` the trace keeps only what the report
// reads (SessionOptions::callDetails). False when it cannot be played (the
// messages written).
bool playForReport(const std::string& scenarioPath, const CommonOptions& common, bool withReport, bool callDetails,
                   PlayedReport& played);

// Writes the chart (and its PNG when wanted and a converter is installed).
// `report` says where it went, or why it could not be written (false).
bool writeChart(const report::Facts& facts, const report::Timeline& timeline, const std::string& svgPath, bool png,
                std::string& report);

}  // namespace sim::commands
