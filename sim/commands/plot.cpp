// `ambleworks-sim plot SCENARIO`: plays one scenario and draws its chart.

#include <filesystem>

#include "commands/command.h"
#include "commands/output.h"
#include "commands/playing.h"

namespace sim::commands {

namespace {

class PlotCommand : public Command {
public:
    void define(CLI::App& app) override;
    int run(const CommonOptions& common) override;

private:
    std::string scenarioPath_;
    std::string chartPath_;
    bool noPng_ = false;
};

void PlotCommand::define(CLI::App& app)
{
    app.description("Play one scenario and draw a chart of it: the speed Ambleworks imposed and the\n"
                    "speed the ped wanted, tick by tick, with the keys, wheel notches and move input\n"
                    "below and the reasons from the timeline marked. Writes an SVG, and a PNG beside\n"
                    "it where rsvg-convert is installed, and says where. Exit status as for run.");
    app.add_option("SCENARIO", scenarioPath_, "The scenario file (.scn)")->required()->type_name("FILE");
    app.add_option("-o,--output", chartPath_,
                   "The SVG to write (default: the scenario's name with .svg, in the current\n"
                   "folder); the PNG gets the same name with .png. The folder must exist.")
        ->type_name("FILE.svg");
    app.add_flag("--no-png", noPng_, "Write the SVG only");
    app.footer(std::string("Examples:\n"
                           "  ambleworks-sim plot scenarios/demo.scn                  (demo.svg, demo.png)\n"
                           "  ambleworks-sim plot scenarios/controller_ramp.scn -o charts/ramp.svg\n"
                           "  ambleworks-sim plot --ini my/Ambleworks.ini scenarios/demo.scn -o mine.svg\n\n") +
               commonOptionsHelp);
}

int PlotCommand::run(const CommonOptions& common)
{
    PlayedReport played;
    if (!playForReport(scenarioPath_, common, true, false, played))
        return exitUnusable;
    // The default: the scenario's name with .svg, in the current folder.
    std::filesystem::path path = chartPath_;
    if (chartPath_.empty())
        path = std::filesystem::path(scenarioPath_).filename().replace_extension(".svg");
    std::string where;
    if (!writeChart(played.facts, played.timeline, path.string(), !noPng_, where)) {
        writeErr(where);
        return exitUnusable;
    }
    writeOut(where);
    return verdict(played.result, scenarioPath_);
}

}  // namespace

std::unique_ptr<Command> makePlotCommand()
{
    return std::make_unique<PlotCommand>();
}

}  // namespace sim::commands
