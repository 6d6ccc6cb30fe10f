// ambleworks-sim: the substitute host's command line.
//
//   ambleworks-sim run SCENARIO [--trace FILE]
//   ambleworks-sim check SCENARIO...
//   ambleworks-sim doctor [INI] [--json]
//   common options: --plugin PATH, --ini FILE

#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "doctor/doctor.h"
#include "platform/plugin_loader.h"
#include "platform/process.h"
#include "scenario/scenario.h"
#include "session/session.h"
#include "trace/format.h"

namespace {

// Exit statuses.
constexpr int exitPassed = 0;
constexpr int exitFailed = 1;      // faults or failed expectations
constexpr int exitUnusable = 2;    // malformed scenario, unloadable plug-in, bad usage

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

int runCommand(const std::string& scenarioPath, const std::string& tracePath, const CommonOptions& common)
{
    sim::Scenario scenario;
    std::vector<std::string> errors;
    if (!sim::parseScenarioFile(scenarioPath, scenario, errors)) {
        for (const std::string& error : errors)
            writeErr(error + "\n");
        return exitUnusable;
    }
    sim::SessionResult result;
    if (!sim::playScenario(scenario, sessionOptions(common), result)) {
        writeErr("ambleworks-sim: " + result.error + "\n");
        return exitUnusable;
    }
    const std::string text = sim::formatTrace(result.trace);
    if (tracePath.empty() || tracePath == "-") {
        writeOut(text);
    } else {
        std::ofstream out(tracePath, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!out) {
            writeErr("ambleworks-sim: cannot write the trace to " + tracePath + "\n");
            return exitUnusable;
        }
    }
    if (result.trace.faultCount > 0)
        writeErr(faultLines(result.trace, scenarioPath, 20));
    for (const std::string& failure : result.failures)
        writeErr(failure + "\n");
    return result.passed() ? exitPassed : exitFailed;
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

    CLI::App app{
        "ambleworks-sim: a substitute host for the Ambleworks plug-in.\n"
        "Loads the real plug-in (Ambleworks.so, or Ambleworks.asi on Windows), plays a\n"
        "scenario file tick by tick (game state, keyboard, mouse wheel, Ambleworks.ini),\n"
        "checks every call the plug-in makes against the host's rules and records a trace.\n"
        "Scenario files: docs/scenarios.md.",
        "ambleworks-sim"};
    app.require_subcommand(1);
    app.fallthrough();
    app.footer(
        "Examples:\n"
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
    const std::string commonFooter =
        "Also: --plugin PATH (the plug-in to load) and --ini FILE (start from your own\n"
        "Ambleworks.ini), before or after the subcommand.";

    std::string scenarioPath;
    std::string tracePath;
    CLI::App* run = app.add_subcommand(
        "run", "Play one scenario and print its trace (stdout, or --trace FILE). Faults and failed\n"
               "expectations go to stderr. Exit status: 0 clean, 1 faults or failed expectations,\n"
               "2 a malformed scenario or a plug-in that cannot be loaded.");
    run->add_option("SCENARIO", scenarioPath, "The scenario file (.scn)")
        ->required()
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    run->add_option("--trace", tracePath, "Write the trace to FILE instead of stdout (LF line ends, binary)")
        ->type_name("FILE");
    run->footer(commonFooter);

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

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? exitPassed : exitUnusable;
    }

    if (*run)
        return runCommand(scenarioPath, tracePath, common);
    if (*check)
        return checkCommand(checkPaths, quiet, common);
    if (*doctor)
        return sim::doctor::doctorCommand(doctorPath, doctorJson);
    return exitUnusable;
}
