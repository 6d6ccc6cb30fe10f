// `ambleworks-sim soak SCENARIO`: one scenario played many times in one
// process (the soak itself lives in sim/reload/).

#include "reload/soak.h"
#include "commands/command.h"
#include "commands/playing.h"

namespace sim::commands {

namespace {

class SoakCommand : public Command {
public:
    void define(CLI::App& app) override;
    int run(const CommonOptions& common) override;

private:
    std::string scenarioPath_;
    reload::SoakOptions options_;
};

void SoakCommand::define(CLI::App& app)
{
    app.description("Play one scenario many times in this one process, each play loading and unloading\n"
                    "the plug-in (and any reloads the scenario makes): every play must give the trace of\n"
                    "the first, pass its checks and leave the plug-in unmapped, and the heap and mapped\n"
                    "memory must not grow after the warm-up (in both halves of the measured plays; see\n"
                    "docs/reload.md). Exit status: 0 pass, 1 fail, 2 unusable.");
    app.add_option("SCENARIO", scenarioPath_, "The scenario file (.scn)")->required()->type_name("FILE");
    app.add_option("--cycles", options_.cycles, "How many plays (default 100)")->type_name("N");
    app.add_option("--warmup", options_.warmup, "Plays before the memory baseline (default 10)")->type_name("N");
    app.add_option("--max-heap-growth", options_.maxHeapGrowth,
                   "Allowed heap growth per play after the warm-up, in bytes (default 64)")
        ->type_name("BYTES");
    app.add_option("--max-mapped-growth", options_.maxMappedGrowth,
                   "Allowed growth of mapped memory per play after the warm-up, in bytes (default 4096)")
        ->type_name("BYTES");
    app.add_flag("--verbose,-v", options_.verbose, "Print the memory after every play");
    app.footer(std::string("Examples:\n"
                           "  ambleworks-sim soak scenarios/basics_reload.scn --cycles 200\n"
                           "  ambleworks-sim soak scenarios/reload_soak.scn --cycles 50 --warmup 5 -v\n\n") +
               commonOptionsHelp);
}

int SoakCommand::run(const CommonOptions& common)
{
    return reload::soakCommand(scenarioPath_, sessionOptions(common, true), options_);
}

}  // namespace

std::unique_ptr<Command> makeSoakCommand()
{
    return std::make_unique<SoakCommand>();
}

}  // namespace sim::commands
