// `ambleworks-sim check SCENARIO...`: plays scenarios and judges their
// expectations; PASS or FAIL per file with the reasons, then a count.

#include "commands/command.h"
#include "commands/output.h"
#include "commands/playing.h"
#include "text/printable.h"

namespace sim::commands {

namespace {

// Ten faults per file say what is wrong; the rest is in its trace.
constexpr size_t faultsShown = 10;

std::string indented(const std::string& lines)
{
    std::string text;
    size_t at = 0;
    while (at < lines.size()) {
        const size_t end = lines.find('\n', at);
        text += "  " + lines.substr(at, end - at + 1);
        at = end == std::string::npos ? lines.size() : end + 1;
    }
    return text;
}

// Plays and judges one file: whether it passed, and what to say under its
// PASS or FAIL line.
bool checkFile(const std::string& path, const SessionOptions& options, std::string& title, std::string& report)
{
    Scenario scenario;
    std::vector<std::string> errors;
    if (!parseScenarioFile(path, scenario, errors)) {
        for (const std::string& error : errors)
            report += "  " + error + "\n";
        return false;
    }
    title = scenario.title;
    for (const std::string& warning : scenario.warnings)
        report += "  " + warning + "\n";
    // A check that cannot fail is no check: a passing line would say
    // nothing about the plug-in.
    if (scenario.expectations.empty()) {
        report += "  " + text::printable(path) +
                  ": nothing to check: the scenario has no 'expect' line (run and plot play it as it is)\n";
        return false;
    }
    SessionResult result;
    if (!playScenario(scenario, options, result)) {
        report += "  " + path + ": " + result.error + "\n";
        return false;
    }
    report += indented(faultLines(result.trace, path, faultsShown));
    for (const std::string& failure : result.failures)
        report += "  " + failure + "\n";
    return result.passed();
}

class CheckCommand : public Command {
public:
    void define(CLI::App& app) override;
    int run(const CommonOptions& common) override;

private:
    std::vector<std::string> paths_;
    bool quiet_ = false;
};

void CheckCommand::define(CLI::App& app)
{
    app.description("Play scenarios and test their expectations. Prints PASS or FAIL per file (with the\n"
                    "reasons), then a last line 'N passed, M failed'. Exit status: 0 when all passed,\n"
                    "1 when one failed (a malformed scenario, or one with no expect line, counts as\n"
                    "failed), 2 when the output cannot be written. With --ini the expectations are\n"
                    "still judged: they are written for the scenario's own settings and may fail with\n"
                    "yours.");
    app.add_option("SCENARIO", paths_, "Scenario files (.scn)")->required()->type_name("FILE");
    app.add_flag("--quiet,-q", quiet_, "Print only the failures and the last line");
    app.footer(std::string("Examples:\n"
                           "  ambleworks-sim check scenarios/*.scn\n"
                           "  ambleworks-sim check -q scenarios/*.scn\n"
                           "  ambleworks-sim check --ini ~/my/Ambleworks.ini scenarios/basics_ini_change.scn\n\n") +
               commonOptionsHelp);
}

int CheckCommand::run(const CommonOptions& common)
{
    const SessionOptions options = sessionOptions(common, true);
    int passed = 0;
    int failed = 0;
    for (const std::string& path : paths_) {
        std::string title;
        std::string report;
        const bool ok = checkFile(path, options, title, report);
        std::string text = ok ? "PASS " : "FAIL ";
        text.append(sim::text::printable(path));
        if (!title.empty())
            text.append(" (").append(title).append(")");
        text.append("\n").append(report);
        (ok ? passed : failed) += 1;
        if (!ok || !quiet_)
            writeOut(text);
    }
    writeOut(std::to_string(passed) + " passed, " + std::to_string(failed) + " failed\n");
    return failed == 0 ? exitPassed : exitFailed;
}

}  // namespace

std::unique_ptr<Command> makeCheckCommand()
{
    return std::make_unique<CheckCommand>();
}

}  // namespace sim::commands
