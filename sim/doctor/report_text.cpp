// The doctor's report for a player: the verdict, the findings with their
// lines, and the settings the plug-in will use. Plain ASCII, so it reads the
// same in any console: every byte from the file that is not printable ASCII
// is shown as \xNN, in the messages too.

#include "doctor/doctor_parts.h"
#include "text/text_table.h"
#include "trace/format.h"

namespace sim::doctor {

namespace {

// A setting's value as the player reads it: on/off, a speed, a key code.
std::string valueWords(const SettingRow& row, const SettingValue& value)
{
    switch (row.rule) {
    case SettingRule::flag:
        return value.flag ? "on" : "off";
    case SettingRule::decimalFloat:
        return formatFloat(value.real);
    case SettingRule::hexInteger:
        return keyWords(value.integer);
    case SettingRule::decimalInteger:
        return decimal(value.integer);
    }
    return {};
}

std::string fileSourceWords(const SettingUse& use)
{
    std::string words = "line " + number(use.line);
    if (use.row->rule == SettingRule::hexInteger && use.text.empty())
        return words + ": empty, keeps the value it had";
    if (!use.readWhole)
        words += ": \"" + clipped(use.text) + "\"";
    if (use.clamped)
        words += std::string(", ") + (use.used.real > use.loaded.real ? "raised" : "lowered") + " from " +
                 formatFloat(use.loaded.real) + " every tick";
    return words;
}

// Where a setting's value comes from, in words: one text, or two where the
// second (the line that is not used) reads best on a line of its own.
std::vector<std::string> sourceWords(const SettingUse& use)
{
    const SettingRow& row = *use.row;
    const std::string builtIn = "built-in default";
    switch (use.source) {
    case Source::file:
        return {fileSourceWords(use)};
    case Source::missing:
        if (row.rule == SettingRule::flag)
            return {use.differsFromDefault ? "key missing: reads as on (the built-in default is off)"
                                           : "key missing: reads as on, the " + builtIn};
        return {"key missing: keeps the " + builtIn};
    case Source::stoppedHere:
        return {builtIn + ": this value stops the load" + (use.line ? " (line " + number(use.line) + ")" : "")};
    case Source::notReached:
        if (use.line)
            return {builtIn + ": the load stops before this key", "(line " + number(use.line) + " is not used)"};
        return {builtIn + ": the load stops before this key"};
    case Source::noFile:
        return {builtIn + " (no file read)"};
    }
    return {};
}

std::string verdict(const Diagnosis& diagnosis)
{
    if (!diagnosis.readable)
        return "Cannot read the file. The plug-in then runs on its built-in defaults, listed below.\n";
    if (!diagnosis.settingsText)
        return "This is not a settings file (see below).\n";
    if (!diagnosis.stop) {
        const std::size_t lines = diagnosis.lineCount;
        return "The file loads whole (" + number(lines) + (lines == 1 ? " line).\n" : " lines).\n");
    }
    const LoadStop& stop = *diagnosis.stop;
    const std::string key = settingRows[stop.row].key;
    std::string out = "The load stops ";
    if (stop.line)
        out += "at line " + number(stop.line) + ", " + key + (stop.text.empty() ? " is empty" : "");
    else
        out += "at " + key + ", which is missing from [" + settingRows[stop.row].section + "]";
    out += " (" + failureWords(stop.error) + "): " + key;
    const std::size_t after = settingRowCount - stop.row - 1;
    return out + (after ? " and the " + number(after) + " settings after it keep their built-in defaults.\n"
                        : " keeps its built-in default.\n");
}

std::string findingsText(const Diagnosis& diagnosis)
{
    if (diagnosis.findings.empty())
        return "Nothing to report: every line does what it seems to.\n";
    std::string out = "Findings:\n";
    for (const Finding& finding : diagnosis.findings) {
        if (finding.line == 0)
            out += "  the whole file\n";
        else
            out += "  line " + number(finding.line) + ": " + printable(finding.lineText) + "\n";
        out += std::string("    ") + severityName(finding.severity) + ": " + printable(finding.message) + "\n";
    }
    if (diagnosis.findingsNotShown > 0)
        out += "  ... and " + number(diagnosis.findingsNotShown) +
               " more findings, not shown: mend the ones above and run the doctor again.\n";
    return out;
}

// The settings as a table: the key (indented under its section), the value,
// and where it comes from, wrapped within its column.
std::string settingsText(const Diagnosis& diagnosis)
{
    // The longest key, DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA, with its indent.
    constexpr std::size_t keyWidth = 41;
    // The longest value, a key code with a long name ("0xE2 (\\ beside left Shift)").
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
        std::vector<std::string> source;
        for (const std::string& words : sourceWords(use))
            source.push_back(printable(words));
        table.addRow({{std::string("  ") + use.row->key}, {valueWords(*use.row, use.used)}, source});
    }
    std::string out = "Settings the plug-in will use:\n";
    const std::string rows = table.format();
    for (std::size_t from = 0; from < rows.size();) {
        const std::size_t to = rows.find('\n', from);
        out += "  " + rows.substr(from, to - from + 1);
        from = to + 1;
    }
    return out;
}

}  // namespace

std::string formatText(const Diagnosis& diagnosis)
{
    return "Ambleworks.ini doctor: " + printable(diagnosis.path) + "\n" + verdict(diagnosis) + "\n" +
           findingsText(diagnosis) + "\n" + settingsText(diagnosis);
}

}  // namespace sim::doctor
