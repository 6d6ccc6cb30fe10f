// ambleworks-sim: the substitute host's command line.
//
//   ambleworks-sim run SCENARIO [--show trace|timeline|both|none] [--trace FILE] [--chart FILE.svg]
//   ambleworks-sim check SCENARIO...
//   ambleworks-sim plot SCENARIO [-o FILE.svg] [--no-png]
//   ambleworks-sim doctor [INI] [--json]
//   ambleworks-sim soak SCENARIO [--cycles N] [--warmup N] [--max-heap-growth B] [--max-mapped-growth B]
//   common options: --plugin PATH, --ini FILE

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "doctor/doctor.h"
#include "platform/plugin_loader.h"
#include "platform/process.h"
#include "platform/terminal.h"
#include "reload/soak.h"
#include "report/chart.h"
#include "report/facts.h"
#include "report/timeline.h"
#include "scenario/scenario.h"
#include "session/session.h"
#include "trace/format.h"

namespace {

// Exit statuses.
constexpr int exitPassed = 0;
constexpr int exitFailed = 1;    // faults or failed expectations
constexpr int exitUnusable = 2;  // malformed scenario, unloadable plug-in, bad usage

struct CommonOptions {
    std::string plugin;
    std::string ini;
};

sim::SessionOptions sessionOptions(const CommonOptions& common)
{
    sim::SessionOptions options;
    options.pluginPath = common.plugin.empty() ? sim::platform::defaultPluginPath() : common.plugin;
    if (!common.ini.empty())
        options.userIni = common.ini;
    return options;
}

void writeOut(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void writeErr(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// The faults of a trace as "PATH: tick N: FAULT: …" lines (at most `limit`).
std::string faultLines(const sim::Trace& trace, const std::string& path, size_t limit)
{
    std::string text;
    size_t shown = 0;
    for (const sim::TickRecord& record : trace.records) {
        for (const sim::TraceEvent& event : record.events) {
            if (event.kind != sim::EventKind::fault)
                continue;
            if (shown++ < limit)
                text += path + ": " + record.label() + ": " + event.line + "\n";
        }
    }
    if (shown > limit)
        text += path + ": … " + sim::decimal(static_cast<int64_t>(shown - limit)) + " more faults\n";
    return text;
}

// Shows how far a long run has got, on stderr and only when stderr is a
// terminal, so that files, pipes and tests never see it. A run that is over
// within a moment shows nothing.
class Progress {
public:
    explicit Progress(std::string name) : name_(std::move(name)), enabled_(sim::platform::stderrIsTerminal()) { }
    ~Progress() { clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    std::function<void(int, int)> callback()
    {
        if (!enabled_)
            return {};
        return [this](int played, int total) { update(played, total); };
    }

    void clear()
    {
        if (!shown_)
            return;
        writeErr("\r" + std::string(width_, ' ') + "\r");
        shown_ = false;
    }

private:
    using Clock = std::chrono::steady_clock;

    void update(int played, int total)
    {
        const Clock::time_point now = Clock::now();
        if (now - start_ < std::chrono::milliseconds(300))
            return;
        if (shown_ && now - last_ < std::chrono::milliseconds(100))
            return;
        last_ = now;
        const int64_t percent = total > 0 ? static_cast<int64_t>(played) * 100 / total : 100;
        const std::string line = "playing " + name_ + ": tick " + sim::decimal(played) + " of " + sim::decimal(total) +
                                 " (" + sim::decimal(percent) + "%)";
        width_ = std::max(width_, line.size());
        writeErr("\r" + line);
        shown_ = true;
    }

    std::string name_;
    bool enabled_ = false;
    bool shown_ = false;
    size_t width_ = 0;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_;
};

bool writeFile(const std::string& path, const std::string& text)
{
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

// The PNG beside an SVG: "demo.svg" gives "demo.png".
std::string pngPathFor(const std::string& svgPath)
{
    const std::string suffix = ".svg";
    if (svgPath.size() > suffix.size() && svgPath.compare(svgPath.size() - suffix.size(), suffix.size(), suffix) == 0)
        return svgPath.substr(0, svgPath.size() - suffix.size()) + ".png";
    return svgPath + ".png";
}

// Writes the chart (and its PNG when wanted and a converter is installed);
// returns the lines that say where it went, or false when the SVG could not
// be written.
bool writeChart(const sim::report::Facts& facts, const sim::report::Timeline& timeline, const std::string& svgPath,
                bool png, std::string& report)
{
    if (!writeFile(svgPath, sim::report::renderChart(facts, timeline))) {
        report = "ambleworks-sim: cannot write the chart to " + svgPath + "\n";
        return false;
    }
    report = "chart: " + svgPath + "\n";
    if (png) {
        std::string message;
        const sim::platform::PngResult result = sim::platform::convertSvgToPng(svgPath, pngPathFor(svgPath), message);
        report += (result == sim::platform::PngResult::written ? "chart: " : "") + message + "\n";
    }
    return true;
}

// Parses and plays a scenario with progress on the terminal; false (with the
// messages written) when it cannot be played.
bool playFile(const std::string& scenarioPath, const CommonOptions& common, sim::SessionResult& result)
{
    sim::Scenario scenario;
    std::vector<std::string> errors;
    if (!sim::parseScenarioFile(scenarioPath, scenario, errors)) {
        for (const std::string& error : errors)
            writeErr(error + "\n");
        return false;
    }
    Progress progress(scenario.fileName);
    sim::SessionOptions options = sessionOptions(common);
    options.progress = progress.callback();
    const bool played = sim::playScenario(scenario, options, result);
    progress.clear();
    if (!played)
        writeErr("ambleworks-sim: " + result.error + "\n");
    return played;
}

// Faults and failed expectations on stderr; the exit status of the run.
int verdict(const sim::SessionResult& result, const std::string& scenarioPath)
{
    if (result.trace.faultCount > 0)
        writeErr(faultLines(result.trace, scenarioPath, 20));
    for (const std::string& failure : result.failures)
        writeErr(failure + "\n");
    return result.passed() ? exitPassed : exitFailed;
}

struct RunOutputs {
    std::string show;  // trace, timeline, both, none; "" for the default
    std::string tracePath;
    std::string chartPath;
    bool png = true;
};

int runCommand(const std::string& scenarioPath, const RunOutputs& outputs, const CommonOptions& common)
{
    sim::SessionResult result;
    if (!playFile(scenarioPath, common, result))
        return exitUnusable;

    // The trace on stdout unless it went to a file, where the timeline takes
    // its place.
    const bool traceToFile = !outputs.tracePath.empty() && outputs.tracePath != "-";
    const std::string show = !outputs.show.empty() ? outputs.show : traceToFile ? "timeline" : "trace";
    const std::string text = sim::formatTrace(result.trace);
    if (traceToFile && !writeFile(outputs.tracePath, text)) {
        writeErr("ambleworks-sim: cannot write the trace to " + outputs.tracePath + "\n");
        return exitUnusable;
    }
    const bool wantTimeline = show == "timeline" || show == "both" || !outputs.chartPath.empty();
    sim::report::Facts facts;
    sim::report::Timeline timeline;
    if (wantTimeline) {
        facts = sim::report::readFacts(result.trace);
        timeline = sim::report::buildTimeline(facts);
    }
    if (show == "trace" || show == "both")
        writeOut(text);
    if (show == "both")
        writeOut("\n");
    if (show == "timeline" || show == "both")
        writeOut(sim::report::formatTimeline(timeline));
    if (!outputs.chartPath.empty()) {
        std::string report;
        const bool written = writeChart(facts, timeline, outputs.chartPath, outputs.png, report);
        writeErr(report);
        if (!written)
            return exitUnusable;
    }
    return verdict(result, scenarioPath);
}

// The chart's default file: the scenario's name with .svg, in the current folder.
std::string defaultChartPath(const std::string& scenarioPath)
{
    std::filesystem::path name = std::filesystem::path(scenarioPath).filename();
    name.replace_extension(".svg");
    return name.string();
}

int plotCommand(const std::string& scenarioPath, const std::string& chartPath, bool png, const CommonOptions& common)
{
    sim::SessionResult result;
    if (!playFile(scenarioPath, common, result))
        return exitUnusable;
    const sim::report::Facts facts = sim::report::readFacts(result.trace);
    const sim::report::Timeline timeline = sim::report::buildTimeline(facts);
    std::string report;
    const bool written =
        writeChart(facts, timeline, chartPath.empty() ? defaultChartPath(scenarioPath) : chartPath, png, report);
    if (!written) {
        writeErr(report);
        return exitUnusable;
    }
    writeOut(report);
    return verdict(result, scenarioPath);
}

int checkCommand(const std::vector<std::string>& scenarioPaths, bool quiet, const CommonOptions& common)
{
    int passed = 0;
    int failed = 0;
    for (const std::string& path : scenarioPaths) {
        sim::Scenario scenario;
        std::vector<std::string> errors;
        std::string report;
        bool ok = sim::parseScenarioFile(path, scenario, errors);
        if (!ok) {
            for (const std::string& error : errors)
                report += "  " + error + "\n";
        } else {
            sim::SessionResult result;
            if (!sim::playScenario(scenario, sessionOptions(common), result)) {
                ok = false;
                report += "  " + path + ": " + result.error + "\n";
            } else {
                ok = result.passed();
                std::string faults = faultLines(result.trace, path, 10);
                size_t at = 0;
                while (at < faults.size()) {
                    const size_t end = faults.find('\n', at);
                    report += "  " + faults.substr(at, end - at + 1);
                    at = end + 1;
                }
                for (const std::string& failure : result.failures)
                    report += "  " + failure + "\n";
            }
        }
        if (ok) {
            ++passed;
            if (!quiet)
                writeOut("PASS " + path + (scenario.title.empty() ? "" : " (" + scenario.title + ")") + "\n");
        } else {
            ++failed;
            writeOut("FAIL " + path + (scenario.title.empty() ? "" : " (" + scenario.title + ")") + "\n" + report);
        }
    }
    writeOut(sim::decimal(passed) + " passed, " + sim::decimal(failed) + " failed\n");
    return failed == 0 ? exitPassed : exitFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    sim::platform::setBinaryStdout();

    CLI::App app{"ambleworks-sim: a substitute host for the Ambleworks plug-in.\n"
                 "Loads the real plug-in (Ambleworks.so, or Ambleworks.asi on Windows), plays a\n"
                 "scenario file tick by tick (game state, keyboard, mouse wheel, Ambleworks.ini),\n"
                 "checks every call the plug-in makes against the host's rules and records a trace,\n"
                 "a timeline of what changed and why, and a chart of the speeds.\n"
                 "Guide: docs/simulator.md. Scenario files: docs/scenarios.md.",
                 "ambleworks-sim"};
    app.require_subcommand(1);
    app.fallthrough();
    app.footer("Examples:\n"
               "  ambleworks-sim run scenarios/demo.scn --show timeline --chart demo.svg\n"
               "  ambleworks-sim plot scenarios/demo.scn -o demo.svg\n"
               "  ambleworks-sim run scenarios/basics_registration.scn\n"
               "  ambleworks-sim run scenarios/basics_ini_change.scn --trace out.trace\n"
               "  ambleworks-sim check scenarios/*.scn\n"
               "  ambleworks-sim check --ini ~/my/Ambleworks.ini scenarios/basics_ini_change.scn\n"
               "  ambleworks-sim doctor ~/my/Ambleworks.ini");

    CommonOptions common;
    app.add_option("--plugin", common.plugin,
                   "The plug-in to load (default: Ambleworks.so / Ambleworks.asi next to this program)")
        ->type_name("PATH")
        ->check(CLI::ExistingFile);
    app.add_option("--ini", common.ini,
                   "Start every scenario from this Ambleworks.ini instead of the one the scenario names")
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    const std::string commonFooter = "Also: --plugin PATH (the plug-in to load) and --ini FILE (start from your own\n"
                                     "Ambleworks.ini), before or after the subcommand.";

    std::string scenarioPath;
    RunOutputs runOutputs;
    bool runNoPng = false;
    CLI::App* run =
        app.add_subcommand("run", "Play one scenario through the real plug-in and print what happened: the trace\n"
                                  "(every call, tick by tick), the timeline (one line per change: what you pressed,\n"
                                  "what Ambleworks imposed and why) or both. Faults and failed expectations go to\n"
                                  "stderr. Exit status: 0 clean, 1 faults or failed expectations, 2 a malformed\n"
                                  "scenario or a plug-in that cannot be loaded.");
    run->add_option("SCENARIO", scenarioPath, "The scenario file (.scn)")
        ->required()
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    run->add_option("--show", runOutputs.show,
                    "What to print on stdout: trace, timeline, both or none (default: the trace;\n"
                    "the timeline when --trace writes the trace to a file)")
        ->type_name("WHAT")
        ->check(CLI::IsMember({"trace", "timeline", "both", "none"}));
    run->add_option("--trace", runOutputs.tracePath, "Write the trace to FILE (LF line ends, binary)")
        ->type_name("FILE");
    run->add_option("--chart", runOutputs.chartPath,
                    "Also draw the chart of the run into FILE.svg (and FILE.png where rsvg-convert\n"
                    "is installed); where they went is said on stderr")
        ->type_name("FILE.svg");
    run->add_flag("--no-png", runNoPng, "With --chart: write the SVG only");
    run->footer("Examples:\n"
                "  ambleworks-sim run scenarios/demo.scn --show timeline\n"
                "  ambleworks-sim run scenarios/demo.scn --trace demo.trace       (timeline on screen)\n"
                "  ambleworks-sim run scenarios/demo.scn --show timeline --chart demo.svg\n"
                "  ambleworks-sim run scenarios/wheel_steps.scn > wheel.trace\n"
                "  ambleworks-sim run --ini my/Ambleworks.ini scenarios/demo.scn --show timeline\n\n" +
                commonFooter);

    std::string plotScenario;
    std::string plotPath;
    bool plotNoPng = false;
    CLI::App* plot =
        app.add_subcommand("plot", "Play one scenario and draw a chart of it: the speed Ambleworks imposed and the\n"
                                   "speed the ped wanted, tick by tick, with the keys, wheel notches and move input\n"
                                   "below and the reasons from the timeline marked. Writes an SVG, and a PNG beside\n"
                                   "it where rsvg-convert is installed, and says where. Exit status as for run.");
    plot->add_option("SCENARIO", plotScenario, "The scenario file (.scn)")
        ->required()
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    plot->add_option("-o,--output", plotPath,
                     "The SVG to write (default: the scenario's name with .svg,\n"
                     "in the current folder); the PNG gets the same name with .png")
        ->type_name("FILE.svg");
    plot->add_flag("--no-png", plotNoPng, "Write the SVG only");
    plot->footer("Examples:\n"
                 "  ambleworks-sim plot scenarios/demo.scn                  (demo.svg, demo.png)\n"
                 "  ambleworks-sim plot scenarios/controller_ramp.scn -o charts/ramp.svg\n"
                 "  ambleworks-sim plot --ini my/Ambleworks.ini scenarios/demo.scn -o mine.svg\n\n" +
                 commonFooter);

    std::vector<std::string> checkPaths;
    bool quiet = false;
    CLI::App* check = app.add_subcommand(
        "check", "Play scenarios and test their expectations. Prints PASS or FAIL per file (with the\n"
                 "reasons), then a last line 'N passed, M failed'. Exit status: 0 when all passed.");
    check->add_option("SCENARIO", checkPaths, "Scenario files (.scn)")->required()->type_name("FILE");
    check->add_flag("--quiet,-q", quiet, "Print only the failures and the last line");
    check->footer(commonFooter);

    std::string doctorPath = "Ambleworks.ini";
    bool doctorJson = false;
    CLI::App* doctor = app.add_subcommand(
        "doctor", "Read an Ambleworks.ini exactly as the plug-in reads it and explain, line by line,\n"
                  "what the plug-in will do with it: the settings it will use and where each comes\n"
                  "from, where the load stops and why, ignored lines, typos, keys under the wrong\n"
                  "section, flags that read as on, clamped speeds. Exit status: 0 the file loads\n"
                  "whole, 1 the load stops early, 2 the file cannot be read. See docs/doctor.md.");
    doctor->add_option("INI", doctorPath, "The file to check (default: Ambleworks.ini in the current folder)")
        ->type_name("FILE");
    doctor->add_flag("--json", doctorJson, "Print one JSON object for tools instead of the report");

    std::string soakScenario;
    sim::reload::SoakOptions soakOptions;
    CLI::App* soak = app.add_subcommand(
        "soak", "Play one scenario many times in this one process, each play loading and unloading\n"
                "the plug-in (and any reloads the scenario makes): every play must give the trace of\n"
                "the first, pass its checks and leave the plug-in unmapped, and the heap and mapped\n"
                "memory must not grow after the warm-up (in both halves of the measured plays; see\n"
                "docs/reload.md). Exit status: 0 pass, 1 fail, 2 unusable.");
    soak->add_option("SCENARIO", soakScenario, "The scenario file (.scn)")
        ->required()
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    soak->add_option("--cycles", soakOptions.cycles, "How many plays (default 100)")->type_name("N");
    soak->add_option("--warmup", soakOptions.warmup, "Plays before the memory baseline (default 10)")->type_name("N");
    soak->add_option("--max-heap-growth", soakOptions.maxHeapGrowth,
                     "Allowed heap growth per play after the warm-up, in bytes (default 64)")
        ->type_name("BYTES");
    soak->add_option("--max-mapped-growth", soakOptions.maxMappedGrowth,
                     "Allowed growth of mapped memory per play after the warm-up, in bytes (default 4096)")
        ->type_name("BYTES");
    soak->add_flag("--verbose,-v", soakOptions.verbose, "Print the memory after every play");
    soak->footer(commonFooter);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? exitPassed : exitUnusable;
    }

    if (*run) {
        runOutputs.png = !runNoPng;
        return runCommand(scenarioPath, runOutputs, common);
    }
    if (*plot)
        return plotCommand(plotScenario, plotPath, !plotNoPng, common);
    if (*check)
        return checkCommand(checkPaths, quiet, common);
    if (*doctor)
        return sim::doctor::doctorCommand(doctorPath, doctorJson);
    if (*soak)
        return sim::reload::soakCommand(soakScenario, sessionOptions(common), soakOptions);
    return exitUnusable;
}
