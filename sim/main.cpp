// ambleworks-sim: the substitute host's command line. A table of the
// subcommands (one file each in commands/), the options they all take, and
// the dispatch.
//
//   ambleworks-sim run SCENARIO [--show trace|timeline|both|none] [--trace FILE] [--chart FILE.svg]
//   ambleworks-sim check SCENARIO...
//   ambleworks-sim plot SCENARIO [-o FILE.svg] [--no-png]
//   ambleworks-sim doctor [INI] [--json]
//   ambleworks-sim set FILE KEY=VALUE...
//   ambleworks-sim soak SCENARIO [--cycles N] [--warmup N] [--max-heap-growth B] [--max-mapped-growth B]
//   common options: --plugin PATH, --ini FILE; --version, --help

#include <CLI/CLI.hpp>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "commands/command.h"
#include "commands/output.h"
#include "platform/process.h"
#include "text/nearest_name.h"

namespace {

using namespace sim::commands;

struct CommandEntry {
    const char* name;
    const char* summary;  // one line for ambleworks-sim --help
    std::unique_ptr<Command> (*make)();
};

const CommandEntry commandTable[] = {
    {"run", "Play one scenario and print its trace or its timeline (what changed and why)", makeRunCommand},
    {"plot", "Play one scenario and draw its chart (SVG, and PNG where rsvg-convert is installed)", makePlotCommand},
    {"check", "Play scenarios and test their expectations: PASS or FAIL per file", makeCheckCommand},
    {"doctor", "Explain what the plug-in makes of an Ambleworks.ini, line by line", makeDoctorCommand},
    {"set", "Write settings into an Ambleworks.ini, keeping every other line as it is", makeSetCommand},
    {"soak", "Play one scenario many times in one process: same trace, no leak", makeSoakCommand},
};

// The first word of the command line that is neither an option nor the
// value of one of the common options: the command the user asked for.
std::string commandWord(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--plugin" || word == "--ini") {
            ++i;
            continue;
        }
        if (!word.empty() && word[0] != '-')
            return word;
    }
    return "";
}

// Exit status 2 with the command named when it is none of the table's.
bool knownCommand(const std::string& word)
{
    std::vector<std::string> names;
    for (const CommandEntry& entry : commandTable) {
        if (word == entry.name)
            return true;
        names.emplace_back(entry.name);
    }
    writeErr("ambleworks-sim: '" + word + "' is not a command" + sim::text::didYouMean(word, names) +
             "; the commands are run, plot, check, doctor, set and soak (ambleworks-sim --help)\n");
    return false;
}

void defineApp(CLI::App& app, CommonOptions& common)
{
    app.require_subcommand(1);
    app.fallthrough();
    app.set_version_flag("--version", std::string("ambleworks-sim ") + AMBLEWORKS_VERSION,
                         "Print the version and exit");
    app.add_option("--plugin", common.plugin,
                   "The plug-in to load (default: Ambleworks.so / Ambleworks.asi next to this program)")
        ->type_name("PATH");
    app.add_option("--ini", common.ini,
                   "Start every scenario from this Ambleworks.ini instead of the one the scenario\n"
                   "names (run and plot then do not judge the scenario's expectations); the file\n"
                   "the doctor reads, the file set writes into")
        ->type_name("FILE");
}

// The main help lists each command with its one-line summary; the command's
// own help opens with its whole description.
class SummaryFormatter : public CLI::Formatter {
public:
    std::string make_subcommand(const CLI::App* sub) const override
    {
        std::string summary = sub->get_description();
        for (const CommandEntry& entry : commandTable)
            summary = sub->get_name() == entry.name ? entry.summary : summary;
        std::stringstream out;
        CLI::detail::format_help(out, sub->get_display_name(true), summary, get_column_width());
        return out.str();
    }
};

// The main help's footer: examples of every command.
const char* const examples = "Examples:\n"
                             "  ambleworks-sim run scenarios/demo.scn --show timeline --chart demo.svg\n"
                             "  ambleworks-sim plot scenarios/demo.scn -o demo.svg\n"
                             "  ambleworks-sim run scenarios/basics_ini_change.scn --trace out.trace\n"
                             "  ambleworks-sim check scenarios/*.scn\n"
                             "  ambleworks-sim doctor ~/my/Ambleworks.ini\n"
                             "  ambleworks-sim set ~/my/Ambleworks.ini SPEED_INCREMENT=0.1\n"
                             "  ambleworks-sim soak scenarios/basics_reload.scn --cycles 200\n"
                             "ambleworks-sim COMMAND --help gives every option of one command.";

// Runs the command chosen on the command line; the exit status.
int dispatch(int argc, char** argv)
{
    CLI::App app{"ambleworks-sim: a substitute host for the Ambleworks plug-in.\n"
                 "Loads the real plug-in (Ambleworks.so, or Ambleworks.asi on Windows), plays a\n"
                 "scenario file tick by tick (game state, keyboard, mouse wheel, Ambleworks.ini),\n"
                 "checks every call the plug-in makes against the host's rules and records a trace,\n"
                 "a timeline of what changed and why, and a chart of the speeds.\n"
                 "Guide: docs/simulator.md. Scenario files: docs/scenarios.md.",
                 "ambleworks-sim"};
    CommonOptions common;
    defineApp(app, common);
    std::vector<std::pair<CLI::App*, std::unique_ptr<Command>>> commands;
    for (const CommandEntry& entry : commandTable) {
        CLI::App* sub = app.add_subcommand(entry.name, entry.summary);
        commands.emplace_back(sub, entry.make());
        commands.back().second->define(*sub);
    }
    app.footer(examples);  // after the commands, which would inherit it
    app.formatter(std::make_shared<SummaryFormatter>());
    const std::string word = commandWord(argc, argv);
    if (!word.empty() && !knownCommand(word))
        return exitUnusable;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? exitPassed : exitUnusable;
    }
    for (auto& [sub, command] : commands) {
        if (*sub)
            return command->run(common);
    }
    return exitUnusable;
}

}  // namespace

int main(int argc, char** argv)
{
    sim::platform::setBinaryStdout();
    int status = exitUnusable;
    try {
        status = dispatch(argc, argv);
    } catch (const std::exception& error) {
        // Only running out of memory gets here: say so rather than abort.
        writeErr(std::string("ambleworks-sim: ") + error.what() + "\n");
    }
    std::string reason;
    if (!stdoutWritten(reason)) {
        writeErr("ambleworks-sim: cannot write the output: " + reason + "\n");
        return exitUnusable;
    }
    return status;
}
