// The doctor's report for a player: the verdict, the findings with their
// lines, and the settings the plug-in will use. Plain ASCII, so it reads the
// same in any console: every byte from the file that is not printable ASCII
// is shown as \xNN, in the messages too.

#include <algorithm>
#include <utility>

#include "doctor/doctor_parts.h"
#include "text/text_table.h"
#include "trace/format.h"

namespace sim::doctor {

namespace {

std::string fileSourceWords(const SettingUse& use)
{
    std::string words = "line " + number(use.line);
    if (!use.plainText)
        words += ": \"" + clipped(use.text) + "\"";
    if (use.clamped)
        words += std::string(", ") + (use.used.real > use.loaded.real ? "raised" : "lowered") + " from " +
                 formatFloat(use.loaded.real) + " every tick";
    return words;
}

// Where a setting's value comes from, in words.
std::string sourceWords(const SettingUse& use)
{
    const std::string builtIn = "built-in default";
    switch (use.source) {
    case Source::file:
        return fileSourceWords(use);
    case Source::missing:
        return "no line: " + builtIn;
    case Source::empty:
        return "line " + number(use.line) + (use.text.empty() ? " is empty: " : " holds only a note: ") + builtIn;
    case Source::unreadable:
        return "line " + number(use.line) + " cannot be read (" + failureWords(use.failure) + "): " + builtIn;
    case Source::noFile:
        return builtIn + " (no file read)";
    }
    return {};
}

// "lines 4, 9 and 12"
std::string lineList(const std::vector<std::size_t>& lines)
{
    std::string words = lines.size() == 1 ? "line " : "lines ";
    for (std::size_t i = 0; i < lines.size(); ++i)
        words += (i == 0 ? "" : i + 1 == lines.size() ? " and " : ", ") + number(lines[i]);
    return words;
}

std::string verdict(const Diagnosis& diagnosis)
{
    if (!diagnosis.readable)
        return "Cannot read the file. The plug-in then runs on its built-in defaults, listed below.\n";
    if (!diagnosis.settingsText)
        return "This is not a settings file (see below).\n";
    std::size_t fromFile = 0;
    std::vector<std::size_t> unreadable;
    for (const SettingUse& use : diagnosis.settings) {
        fromFile += use.source == Source::file ? 1 : 0;
        if (use.source == Source::unreadable)
            unreadable.push_back(use.line);
    }
    std::sort(unreadable.begin(), unreadable.end());
    const std::size_t lines = diagnosis.lineCount;
    const std::string counts = number(fromFile) + " of the " + number(diagnosis.settings.size()) +
                               " settings from the file, the others their built-in defaults";
    if (unreadable.empty())
        return "The file loads whole (" + number(lines) + (lines == 1 ? " line): " : " lines): ") + counts + ".\n";
    return "The file loads, but " + lineList(unreadable) +
           " cannot be read: " + (unreadable.size() == 1 ? "that setting takes its" : "those settings take their") +
           " built-in default, every other line takes effect (" + counts + ").\n";
}

// The findings, each written straight into `out`: a file's findings are
// many, and every temporary text costs an allocation.
void appendFindings(std::string& out, const Diagnosis& diagnosis)
{
    if (diagnosis.findings.empty()) {
        out += "Nothing to report: every line does what it seems to.\n";
        return;
    }
    out += "Findings:\n";
    for (const Finding& finding : diagnosis.findings) {
        if (finding.line == 0) {
            out += "  the whole file\n";
        } else {
            out += "  line ";
            out += number(finding.line);
            out += ": ";
            text::appendPrintable(out, finding.lineText);
            out += '\n';
        }
        out += "    ";
        out += severityName(finding.severity);
        out += ": ";
        text::appendPrintable(out, finding.message);
        out += '\n';
    }
    if (diagnosis.findingsNotShown > 0)
        out += "  ... and " + number(diagnosis.findingsNotShown) +
               " more findings, not shown: mend the ones above and run the doctor again.\n";
}

// A setting's row of the table, its three texts moved in: a braced list of
// texts would copy each of them.
text::TextRow settingRow(std::string key, std::string value, std::string source)
{
    text::TextRow row(3);
    row[0].push_back(std::move(key));
    row[1].push_back(std::move(value));
    row[2].push_back(std::move(source));
    return row;
}

// The settings as a table: the key (indented under its section), the value,
// and where it comes from, wrapped within its column.
void appendSettings(std::string& out, const Diagnosis& diagnosis)
{
    // The longest key, DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA, with its indent.
    constexpr std::size_t keyWidth = 41;
    // The longest value, a key code with a long name ("0x04 (Middle Mouse Button)").
    constexpr std::size_t valueWidth = 28;
    // Keeps a row of the shipped file within a console of 120 columns.
    constexpr std::size_t sourceWidth = 60;
    text::TextTable table({
        {"", false, keyWidth, keyWidth, false, false},
        {"", false, 0, valueWidth, false, false},
        {"", false, 0, sourceWidth, true, false},
    });
    std::string section;
    for (const SettingUse& use : diagnosis.settings) {
        if (section != use.row->section) {
            section = use.row->section;
            table.addRow({{"[" + section + "]"}});
        }
        table.addRow(
            settingRow(std::string("  ") + use.row->key, valueWords(*use.row, use.used), printable(sourceWords(use))));
    }
    out += "Settings the plug-in will use:\n";
    const std::string rows = table.format();
    for (std::size_t from = 0; from < rows.size();) {
        const std::size_t to = rows.find('\n', from);
        out += "  ";
        out.append(rows, from, to - from + 1);
        from = to + 1;
    }
}

}  // namespace

std::string formatText(const Diagnosis& diagnosis)
{
    // Room for the whole report at once: a file's report is a few kilobytes.
    constexpr std::size_t usualLength = 8192;
    std::string out;
    out.reserve(usualLength);
    out += "Ambleworks.ini doctor: ";
    text::appendPrintable(out, diagnosis.path);
    out += '\n';
    out += verdict(diagnosis);
    out += '\n';
    appendFindings(out, diagnosis);
    out += '\n';
    appendSettings(out, diagnosis);
    return out;
}

}  // namespace sim::doctor
