#pragma once
// The subcommands of ambleworks-sim, one file each: run.cpp, check.cpp,
// plot.cpp, doctor.cpp, set.cpp, soak.cpp. main.cpp holds the table of them and
// dispatches; each command defines its own options, help and examples and
// runs once the command line is parsed.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

namespace sim::commands {

// Exit statuses, the same for every command.
constexpr int exitPassed = 0;
constexpr int exitFailed = 1;    // faults, failed expectations, a load that stops early, refused edits
constexpr int exitUnusable = 2;  // a malformed scenario, a file that cannot be read or written, bad usage

// The options every command takes, before or after its name.
struct CommonOptions {
    std::string plugin;  // --plugin PATH: another build of the plug-in
    std::string ini;     // --ini FILE: the player's own Ambleworks.ini
};

class Command {
public:
    virtual ~Command() = default;
    // Adds the command's options, help text and examples to its subcommand.
    virtual void define(CLI::App& subcommand) = 0;
    // Runs the command once the command line is parsed; returns the exit status.
    virtual int run(const CommonOptions& common) = 0;
};

std::unique_ptr<Command> makeRunCommand();
std::unique_ptr<Command> makeCheckCommand();
std::unique_ptr<Command> makePlotCommand();
std::unique_ptr<Command> makeDoctorCommand();
std::unique_ptr<Command> makeSetCommand();
std::unique_ptr<Command> makeSoakCommand();

// The line every command's help ends with.
inline constexpr const char* commonOptionsHelp =
    "Also: --plugin PATH (the plug-in to load) and --ini FILE (your own Ambleworks.ini),\n"
    "before or after the command.";

}  // namespace sim::commands
