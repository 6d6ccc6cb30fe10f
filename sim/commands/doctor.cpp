// `ambleworks-sim doctor [INI]`: what the plug-in makes of an Ambleworks.ini
// (the doctor itself lives in sim/doctor/).

#include "doctor/doctor.h"
#include "commands/command.h"
#include "commands/output.h"

namespace sim::commands {

namespace {

class DoctorCommand : public Command {
public:
    void define(CLI::App& app) override;
    int run(const CommonOptions& common) override;

private:
    std::string path_;
    bool json_ = false;
};

void DoctorCommand::define(CLI::App& app)
{
    app.description("Read an Ambleworks.ini exactly as the plug-in reads it and explain, line by line,\n"
                    "what the plug-in will do with it: the settings it will use and where each comes\n"
                    "from, what it read for words, key names and decimal commas, lines that cannot be\n"
                    "read, ignored lines, typos, keys under the wrong section, clamped speeds. Exit\n"
                    "status: 0 every line reads as written, 1 a line cannot be read or the file is no\n"
                    "settings file, 2 the file cannot be read. See docs/doctor.md.");
    app.add_option("INI", path_, "The file to check (default: --ini FILE, else Ambleworks.ini in the current folder)")
        ->type_name("FILE");
    app.add_flag("--json", json_, "Print one JSON object for tools instead of the report");
    app.footer("Examples:\n"
               "  ambleworks-sim doctor                          (Ambleworks.ini in this folder)\n"
               "  ambleworks-sim doctor ~/my/Ambleworks.ini\n"
               "  ambleworks-sim doctor --ini ~/my/Ambleworks.ini\n"
               "  ambleworks-sim doctor ~/my/Ambleworks.ini --json > report.json");
}

int DoctorCommand::run(const CommonOptions& common)
{
    if (!path_.empty() && !common.ini.empty() && path_ != common.ini) {
        writeErr("ambleworks-sim doctor: two files given (" + path_ + " and --ini " + common.ini +
                 "); the doctor reads one\n");
        return exitUnusable;
    }
    const std::string path = !path_.empty() ? path_ : !common.ini.empty() ? common.ini : "Ambleworks.ini";
    return doctor::doctorCommand(path, json_);
}

}  // namespace

std::unique_ptr<Command> makeDoctorCommand()
{
    return std::make_unique<DoctorCommand>();
}

}  // namespace sim::commands
