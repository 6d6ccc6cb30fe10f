// `ambleworks-sim set FILE KEY=VALUE...`: writes settings into an
// Ambleworks.ini for mod managers and scripts, keeping every other byte of
// the file (the editing itself lives in sim/ini_edit/), and replaces the file
// only once the new one is whole.

#include <filesystem>

#include "commands/command.h"
#include "commands/output.h"
#include "doctor/doctor.h"
#include "ini_edit/ini_edit.h"

namespace sim::commands {

namespace {

class SetCommand : public Command {
public:
    void define(CLI::App& app) override;
    int run(const CommonOptions& common) override;

private:
    std::string path_;
    std::vector<std::string> words_;
};

void SetCommand::define(CLI::App& app)
{
    app.description("Write settings into an Ambleworks.ini and change nothing else: every other line,\n"
                    "comment, blank line, line end and the order stay byte for byte; of an edited line\n"
                    "only the value changes (a note after it stays). A setting the file lacks is added\n"
                    "after the last setting of its section, a section it lacks at the end of the file.\n"
                    "The key is SECTION.KEY or KEY alone, in any letter case. A missing FILE is created\n"
                    "with just the settings given. The new file is read back with the plug-in's own\n"
                    "reader before it replaces the old one, through a temporary file in the same\n"
                    "folder, so a failed write loses nothing. Exit status: 0 written (or nothing to\n"
                    "change), 1 edits refused (nothing written), 2 the file cannot be read or written,\n"
                    "or bad arguments. See docs/simulator.md.");
    app.add_option("FILE", path_, "The Ambleworks.ini to write into (or --ini FILE)")->type_name("");
    app.add_option("KEY=VALUE", words_, "The settings to write: SECTION.KEY=VALUE or KEY=VALUE")->type_name("");
    app.footer(
        std::string("Examples:\n"
                    "  ambleworks-sim set Ambleworks.ini SPEED_INCREMENT=0.1\n"
                    "  ambleworks-sim set Ambleworks.ini MouseWheel.SPEED_INCREMENT=0.1 fast_walk_custom_speed=1.45\n"
                    "  ambleworks-sim set \"C:/Games/RDR2/Ambleworks.ini\" WALK_CONTROL_KEY=0x12 ENABLED=1\n"
                    "  ambleworks-sim set --ini ~/Ambleworks.ini \"Keys.RELOAD_KEY=0x7A\"\n\n") +
        commonOptionsHelp);
}

// The file and the settings from the command line; false with a message
// when they cannot be told apart.
bool splitArguments(std::string path, std::vector<std::string> words, const CommonOptions& common, std::string& file,
                    std::vector<std::string>& edits)
{
    if (!common.ini.empty() && !path.empty() && path != common.ini) {
        if (path.find('=') == std::string::npos) {
            writeErr("ambleworks-sim set: two files given (" + path + " and --ini " + common.ini +
                     "); set writes into one\n");
            return false;
        }
        words.insert(words.begin(), path);  // with --ini FILE every word is a setting
        path.clear();
    }
    file = !common.ini.empty() ? common.ini : path;
    edits = std::move(words);
    if (file.empty() || edits.empty()) {
        writeErr("ambleworks-sim set: give the file and at least one KEY=VALUE (ambleworks-sim set --help)\n");
        return false;
    }
    return true;
}

// "Section.KEY=value" or "KEY=value" as an edit; false with a message when
// the word is neither.
bool parseEdit(const std::string& word, ini_edit::Edit& edit)
{
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    if (equals == std::string::npos || name.empty()) {
        writeErr("ambleworks-sim set: '" + word + "' is not KEY=VALUE (for example SPEED_INCREMENT=0.1)\n");
        return false;
    }
    const std::size_t dot = name.find('.');
    edit.section = dot == std::string::npos ? "" : name.substr(0, dot);
    edit.key = dot == std::string::npos ? name : name.substr(dot + 1);
    edit.value = word.substr(equals + 1);
    return true;
}

// The file's bytes, empty when it does not exist yet; false with a message
// when it cannot be read.
bool readExisting(const std::string& path, std::string& bytes, bool& exists)
{
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    exists = std::filesystem::exists(status);
    std::string reason;
    if (!exists)
        return true;
    if (!std::filesystem::is_regular_file(status))
        reason = "it is not a file";
    else if (readFile(path, bytes, reason))
        return true;
    writeErr("ambleworks-sim set: cannot read " + path + ": " + reason + "\n");
    return false;
}

// One line of the report on a setting written into a file that `existed`.
std::string changeWords(const ini_edit::Change& change, bool existed)
{
    using ini_edit::ChangeKind;
    const std::string section = std::string("[") + change.row->section + "]";
    const std::string line = "  line " + std::to_string(change.line) + ": " + section + " " + change.row->key + " = " +
                             doctor::printable(change.after);
    if (!existed)
        return line + "\n";
    switch (change.kind) {
    case ChangeKind::changed:
        return line + " (was " + doctor::printable(change.before) + ")\n";
    case ChangeKind::unchanged:
        return line + " (already so)\n";
    case ChangeKind::added:
        return line + " (a new line at the end of " + section + ")\n";
    case ChangeKind::newSection:
        return line + " (a new line in a new section " + section + " at the end of the file)\n";
    }
    return line + "\n";
}

void reportRefusals(const std::string& path, const std::vector<ini_edit::Refusal>& refusals)
{
    std::string text = "ambleworks-sim set: nothing written to " + path + ":\n";
    for (const ini_edit::Refusal& refusal : refusals)
        text += "  " + (refusal.what.empty() ? path : refusal.what) + ": " + refusal.reason + "\n";
    writeErr(text);
}

int SetCommand::run(const CommonOptions& common)
{
    std::string path;
    std::vector<std::string> words;
    if (!splitArguments(path_, words_, common, path, words))
        return exitUnusable;
    std::vector<ini_edit::Edit> edits(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (!parseEdit(words[i], edits[i]))
            return exitUnusable;
    }
    std::string bytes;
    bool exists = false;
    if (!readExisting(path, bytes, exists))
        return exitUnusable;
    const ini_edit::EditResult result = ini_edit::editIni(bytes, edits);
    if (!result.written) {
        reportRefusals(path, result.refusals);
        return exitFailed;
    }
    std::string reason;
    const bool write = !exists || result.changesBytes();
    if (write && !replaceFile(path, result.bytes, reason)) {
        writeErr("ambleworks-sim set: cannot write " + path + ": " + reason +
                 (exists ? "; the file is as it was\n" : "; no file was made\n"));
        return exitUnusable;
    }
    std::string text = !exists ? "created " + path + "\n"
                       : write ? "wrote " + path + "\n"
                               : path + ": nothing to change\n";
    for (const ini_edit::Change& change : result.changes)
        text += changeWords(change, exists);
    writeOut(text);
    return exitPassed;
}

}  // namespace

std::unique_ptr<Command> makeSetCommand()
{
    return std::make_unique<SetCommand>();
}

}  // namespace sim::commands
