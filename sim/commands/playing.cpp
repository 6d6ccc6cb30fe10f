#include "commands/playing.h"

#include "commands/output.h"
#include "commands/progress.h"
#include "platform/plugin_loader.h"
#include "platform/terminal.h"
#include "report/chart.h"
#include "trace/format.h"

namespace sim::commands {

namespace {

// The PNG beside an SVG: "demo.svg" gives "demo.png".
std::string pngPathFor(const std::string& svgPath)
{
    const std::string suffix = ".svg";
    if (svgPath.size() > suffix.size() && svgPath.compare(svgPath.size() - suffix.size(), suffix.size(), suffix) == 0)
        return svgPath.substr(0, svgPath.size() - suffix.size()) + ".png";
    return svgPath + ".png";
}

}  // namespace

SessionOptions sessionOptions(const CommonOptions& common, bool judgeWithOwnIni)
{
    SessionOptions options;
    options.pluginPath = common.plugin.empty() ? platform::defaultPluginPath() : common.plugin;
    if (!common.ini.empty()) {
        options.userIni = common.ini;
        options.judge = judgeWithOwnIni;
    }
    return options;
}

bool playFile(const std::string& scenarioPath, const SessionOptions& options, SessionResult& result)
{
    Scenario scenario;
    std::vector<std::string> errors;
    if (!parseScenarioFile(scenarioPath, scenario, errors)) {
        for (const std::string& error : errors)
            writeErr(error + "\n");
        return false;
    }
    for (const std::string& warning : scenario.warnings)
        writeErr(warning + "\n");
    Progress progress(scenario.fileName);
    SessionOptions withProgress = options;
    withProgress.progress = progress.callback();
    const bool played = playScenario(scenario, withProgress, result);
    progress.clear();
    if (!played)
        writeErr("ambleworks-sim: " + result.error + "\n");
    return played;
}

std::string faultLines(const Trace& trace, const std::string& path, size_t limit)
{
    std::string text;
    size_t shown = 0;
    for (const TickRecord& record : trace.records) {
        for (const TraceEvent& event : record.events) {
            if (event.kind == EventKind::fault && shown++ < limit)
                text += path + ": " + record.label() + ": " + event.line + "\n";
        }
    }
    if (shown > limit)
        text += path + ": … " + decimal(static_cast<int64_t>(shown - limit)) + " more faults\n";
    return text;
}

int verdict(const SessionResult& result, const std::string& scenarioPath)
{
    // Twenty faults say what is wrong; the rest is in the trace.
    constexpr size_t faultsShown = 20;
    if (result.trace.faultCount > 0)
        writeErr(faultLines(result.trace, scenarioPath, faultsShown));
    for (const std::string& failure : result.failures)
        writeErr(failure + "\n");
    return result.passed() ? exitPassed : exitFailed;
}

bool playForReport(const std::string& scenarioPath, const CommonOptions& common, bool withReport, bool callDetails,
                   PlayedReport& played)
{
    SessionOptions options = sessionOptions(common, false);
    options.callDetails = callDetails;
    if (!playFile(scenarioPath, options, played.result))
        return false;
    const std::string note = common.ini.empty() ? std::string()
                                                : "Played with your settings from " + common.ini +
                                                      ": the scenario's expectations are not checked (check "
                                                      "judges them).";
    if (!note.empty())
        writeErr("ambleworks-sim: note: " + note + "\n");
    if (!withReport)
        return true;
    played.facts = report::readFacts(played.result.trace);
    played.timeline = report::buildTimeline(played.facts);
    if (!note.empty())
        played.timeline.header.push_back(note);
    return true;
}

bool writeChart(const report::Facts& facts, const report::Timeline& timeline, const std::string& svgPath, bool png,
                std::string& report)
{
    std::string reason;
    if (!writeFile(svgPath, report::renderChart(facts, timeline), reason)) {
        report = "ambleworks-sim: cannot write the chart to " + svgPath + ": " + reason + "\n";
        return false;
    }
    report = "chart: " + svgPath + "\n";
    if (png) {
        std::string message;
        const platform::PngResult result = platform::convertSvgToPng(svgPath, pngPathFor(svgPath), message);
        report += (result == platform::PngResult::written ? "chart: " : "") + message + "\n";
    }
    return true;
}

}  // namespace sim::commands
