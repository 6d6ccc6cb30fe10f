// `ambleworks-sim run SCENARIO`: plays one scenario through the real plug-in
// and prints the trace, the timeline or both; draws the chart on request.

#include "commands/command.h"
#include "commands/output.h"
#include "commands/playing.h"
#include "report/facts.h"
#include "report/timeline.h"
#include "trace/format.h"

namespace sim::commands {

namespace {

class RunCommand : public Command {
public:
    void define(CLI::App& app) override;
    int run(const CommonOptions& common) override;

private:
    // The trace on stdout unless it went to a file, where the timeline takes
    // its place.
    std::string shown() const;
    bool writeTraceFile(const std::string& text) const;

    std::string scenarioPath_;
    std::string show_;  // trace, timeline, both, none; "" for the default
    std::string tracePath_;
    std::string chartPath_;
    bool noPng_ = false;
};

void RunCommand::define(CLI::App& app)
{
    app.description("Play one scenario through the real plug-in and print what happened: the trace\n"
                    "(every call, tick by tick), the timeline (one line per change: what you pressed,\n"
                    "what Ambleworks imposed and why) or both. Faults and failed expectations go to\n"
                    "stderr. With --ini (your own Ambleworks.ini) the scenario's expectations are not\n"
                    "checked. Exit status: 0 clean, 1 faults or failed expectations, 2 a malformed\n"
                    "scenario, a file that cannot be read or written, or a plug-in that cannot be loaded.");
    app.add_option("SCENARIO", scenarioPath_, "The scenario file (.scn)")->required()->type_name("FILE");
    app.add_option("--show", show_,
                   "What to print on stdout: trace, timeline, both or none (default: the trace;\n"
                   "the timeline when --trace writes the trace to a file)")
        ->type_name("WHAT")
        ->check(CLI::IsMember({"trace", "timeline", "both", "none"}).description(""));
    app.add_option("--trace", tracePath_, "Write the trace to FILE (LF line ends, binary)")->type_name("FILE");
    app.add_option("--chart", chartPath_,
                   "Also draw the chart of the run into FILE.svg (and FILE.png where rsvg-convert\n"
                   "is installed); where they went is said on stderr. The folder must exist.")
        ->type_name("FILE.svg");
    app.add_flag("--no-png", noPng_, "With --chart: write the SVG only");
    app.footer(std::string("Examples:\n"
                           "  ambleworks-sim run scenarios/demo.scn --show timeline\n"
                           "  ambleworks-sim run scenarios/demo.scn --trace demo.trace       (timeline on screen)\n"
                           "  ambleworks-sim run scenarios/demo.scn --show timeline --chart demo.svg\n"
                           "  ambleworks-sim run scenarios/wheel_steps.scn > wheel.trace\n"
                           "  ambleworks-sim run --ini my/Ambleworks.ini scenarios/demo.scn --show timeline\n\n") +
               commonOptionsHelp);
}

std::string RunCommand::shown() const
{
    if (!show_.empty())
        return show_;
    return !tracePath_.empty() && tracePath_ != "-" ? "timeline" : "trace";
}

bool RunCommand::writeTraceFile(const std::string& text) const
{
    if (tracePath_.empty() || tracePath_ == "-")
        return true;
    std::string reason;
    if (writeFile(tracePath_, text, reason))
        return true;
    writeErr("ambleworks-sim: cannot write the trace to " + tracePath_ + ": " + reason + "\n");
    return false;
}

int RunCommand::run(const CommonOptions& common)
{
    const std::string show = shown();
    const bool timeline = show == "timeline" || show == "both";
    PlayedReport played;
    if (!playForReport(scenarioPath_, common, timeline || !chartPath_.empty(), true, played))
        return exitUnusable;
    const std::string text = formatTrace(played.result.trace);
    if (!writeTraceFile(text))
        return exitUnusable;
    if (show == "trace" || show == "both")
        writeOut(text);
    if (show == "both")
        writeOut("\n");
    if (timeline)
        writeOut(report::formatTimeline(played.timeline));
    if (!chartPath_.empty()) {
        std::string where;
        const bool written = writeChart(played.facts, played.timeline, chartPath_, !noPng_, where);
        writeErr(where);
        if (!written)
            return exitUnusable;
    }
    return verdict(played.result, scenarioPath_);
}

}  // namespace

std::unique_ptr<Command> makeRunCommand()
{
    return std::make_unique<RunCommand>();
}

}  // namespace sim::commands
