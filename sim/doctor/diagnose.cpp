// The doctor's verdict on one file. Sections: the plug-in's records and its
// load · the settings as used · the load's stop · diagnose.
//
// Nothing here parses the file a second way: the lines, their kinds, keys and
// values come from the plug-in's IniReader (through its onLine hook), the
// settings from its storeSettings and sanitiseSettings. The doctor only
// compares what they did with what the player most likely meant.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <exception>
#include <utility>

#include "config/ini_reader.h"
#include "controller/controller_state.h"
#include "doctor/doctor_parts.h"
#include "testing/reset_for_tests.h"

namespace sim::doctor {

namespace {

// ---------------------------------------------------------------------------
// The plug-in's records and its load

bool sameValue(const SettingRow& row, const SettingValue& a, const SettingValue& b)
{
    switch (row.rule) {
    case SettingRule::flag:
        return a.flag == b.flag;
    case SettingRule::decimalFloat:
        return std::bit_cast<uint32_t>(a.real) == std::bit_cast<uint32_t>(b.real);  // -0.0 is not 0.0
    case SettingRule::keyCode:
    case SettingRule::decimalInteger:
        return a.integer == b.integer;
    }
    return true;
}

// What the plug-in's load made of a document.
struct LoadResult {
    std::size_t rowsStored = 0;        // of the 19 settings
    std::string error;                 // the failure text, "" when it loaded whole
    std::vector<SettingValue> loaded;  // every row in load order, before the clamps
};

// The load as the plug-in runs it, then the per-tick clamps.
LoadResult runLoad(IniDocument& document)
{
    LoadResult result;
    storeSettings(document);
    result.rowsStored = settingRowCount;
    for (std::size_t i = 0; i < loadRowCount; ++i)
        result.loaded.push_back(settingValueOf(settings, loadRow(i)));
    sanitiseSettings();
    return result;
}

// ---------------------------------------------------------------------------
// The settings as used

Source sourceOf(std::size_t index, bool found, bool readable, const LoadResult& load)
{
    if (!readable)
        return Source::noFile;
    const std::size_t setting = index - keyRowCount;  // the keys of [Keys] never stop the load
    if (index < keyRowCount || load.error.empty() || setting < load.rowsStored)
        return found ? Source::file : Source::missing;
    return setting == load.rowsStored ? Source::stoppedHere : Source::notReached;
}

std::vector<SettingUse> settingUses(IniDocument& document, const LineScan& scan, bool readable, const LoadResult& load)
{
    const Settings defaults;
    std::vector<SettingUse> uses;
    for (std::size_t i = 0; i < loadRowCount; ++i) {
        const SettingRow& row = loadRow(i);
        SettingUse use;
        use.row = &row;
        const bool found = scan.of(i).count > 0;
        if (found) {
            use.line = scan.of(i).last.number;
            use.text = document.section(row.section).value(row.key);
            use.readWhole = row.rule == SettingRule::flag ? (use.text == "0" || use.text == "1")
                                                          : numberExtent(row, use.text) == use.text.size();
        }
        use.source = sourceOf(i, found, readable, load);
        use.loaded = load.loaded[i];
        use.used = settingValueOf(settings, row);
        use.clamped = !sameValue(row, use.loaded, use.used);
        use.differsFromDefault = !sameValue(row, use.used, settingValueOf(defaults, row));
        uses.push_back(use);
    }
    return uses;
}

// ---------------------------------------------------------------------------
// The load's stop

// Where a misspelt or misplaced copy of a missing key stands, as sentences.
std::string copiesOf(const SettingRow& row, const std::vector<Finding>& findings)
{
    std::string words;
    for (const Finding& other : findings) {
        if (other.line != 0 && (other.suggestion == row.key || sameName(other.key, row.key)))
            words += " Line " + number(other.line) + " has " + other.key +
                     (other.kind == "wrong-section" ? " under [" + other.section + "]" : std::string()) +
                     " (see there).";
    }
    return words;
}

// The finding that says where the load stops, what stays as it was, and (when
// the key is missing) where a misplaced or misspelt copy of it stands.
Finding stopFinding(const LoadStop& stop, const std::vector<Finding>& findings)
{
    const SettingRow& row = settingRows[stop.row];
    Finding finding;
    finding.line = stop.line;
    finding.severity = Severity::problem;
    finding.kind = "load-stops";
    finding.section = row.section;
    finding.key = row.key;
    finding.text = clipped(stop.text);
    const std::string key = row.key;
    if (stop.text.empty()) {
        finding.message = key + (stop.line == 0 ? " is missing from [" : " is empty in [") + row.section +
                          "], and the plug-in cannot read a number from nothing: the load stops " +
                          (stop.line == 0 ? "there." : "here.") + copiesOf(row, findings);
    } else {
        finding.message = key + " = " + finding.text + " is " + failureWords(stop.error) + ": the load stops here.";
    }
    const std::size_t after = settingRowCount - stop.row - 1;
    const std::string reload = hotkeyWords(Hotkey::reload);
    // After a reload a setting the load does not reach keeps the value it had.
    const std::string afterReload =
        reload.empty() ? "with these keys, no key reloads the file"
                       : "after a reload with " + reload + ": the value" + (after > 0 ? "s they" : " it") + " had";
    if (after > 0)
        finding.message += " " + key + " and the " + number(after) +
                           " settings after it keep their built-in defaults when the game starts (" + afterReload +
                           ").";
    else
        finding.message += " " + key + " keeps its built-in default when the game starts (" + afterReload + ").";
    return finding;
}

// ---------------------------------------------------------------------------
// diagnose

// Gives the findings about a setting's value the line they are about.
void fillLineTexts(std::vector<Finding>& findings, const LineScan& scan)
{
    for (Finding& finding : findings) {
        for (std::size_t row = 0; row < loadRowCount && finding.lineText.empty() && finding.line != 0; ++row) {
            if (scan.of(row).count > 0 && scan.of(row).last.number == finding.line)
                finding.lineText = scan.of(row).last.text;
        }
    }
}

// Every finding, in file order, the first findingLimit kept.
void keepFirstFindings(std::vector<Finding> all, std::size_t notKeptBefore, Diagnosis& diagnosis)
{
    std::stable_sort(all.begin(), all.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    diagnosis.findingsNotShown = notKeptBefore;
    if (all.size() > findingLimit) {
        diagnosis.findingsNotShown += all.size() - findingLimit;
        all.resize(findingLimit);
    }
    diagnosis.findings = std::move(all);
}

// The findings of a readable file that is text, beyond the file-wide ones.
void settingsFindings(Diagnosis& diagnosis, LineScan& scan, std::vector<Finding>& all)
{
    scan.finish();
    all.insert(all.end(), scan.findings.begin(), scan.findings.end());
    for (const SettingUse& use : diagnosis.settings) {
        if (use.line != 0)
            valueTextFindings(use, use.source == Source::stoppedHere, all);
        if (use.source == Source::file || use.source == Source::missing)
            valueEffectFindings(use, all);
    }
    keyEffectFindings(diagnosis.settings, all);
    if (diagnosis.stop)
        all.push_back(stopFinding(*diagnosis.stop, all));
    fillLineTexts(all, scan);
}

Diagnosis unreadableFile(const std::string& path)
{
    resetConfigToLoadState();  // each diagnosis starts from a freshly loaded plug-in
    Diagnosis diagnosis;
    diagnosis.path = path;
    // The plug-in loads all the same, from an empty document.
    IniDocument document;
    const LoadResult load = runLoad(document);
    diagnosis.settings = settingUses(document, LineScan(false), false, load);
    Finding finding;
    finding.severity = Severity::problem;
    finding.kind = "file-unreadable";
    finding.message = "Cannot read " + path +
                      " (it is missing, not a regular file, or not readable). When the game starts without it, the "
                      "plug-in runs on its built-in defaults; a reload then switches the plug-in and the mouse "
                      "wheel on and keeps every other setting as it was. The plug-in looks for Ambleworks.ini in "
                      "the game's folder.";
    diagnosis.findings.push_back(finding);
    return diagnosis;
}

}  // namespace

std::string failureWords(const std::string& error)
{
    if (error == "invalid stof argument")
        return "not a number";
    if (error == "stof argument out of range")
        return "a number too large or too small for a speed";
    if (error == "invalid stoi argument")
        return "not a whole number";
    if (error == "stoi argument out of range")
        return "a whole number too large or too small for the plug-in";
    return "not readable";
}

Diagnosis diagnose(const std::string& path)
{
    std::string bytes;
    if (!IniReader(path).readFileBytes(bytes))
        return unreadableFile(path);
    return diagnoseBytes(path, std::move(bytes));
}

Diagnosis diagnoseBytes(const std::string& path, std::string bytes)
{
    resetConfigToLoadState();  // each diagnosis starts from a freshly loaded plug-in
    Diagnosis diagnosis;
    diagnosis.path = path;
    diagnosis.readable = true;
    const FileFacts facts = inspectBytes(bytes);
    diagnosis.settingsText = facts.settingsText;

    // A file that is no text gets no line-by-line findings, only its settings.
    LineScan scan(facts.settingsText);
    IniDocument document;
    IniReader reader(path);
    reader.onLine = [&scan](const IniLine& line) { scan.see(line); };
    reader.readBytes(std::move(bytes), document);
    diagnosis.lineCount = scan.lineCount();

    const LoadResult load = runLoad(document);
    diagnosis.settings = settingUses(document, scan, true, load);
    if (!load.error.empty()) {
        const SettingUse& failing = diagnosis.settings[keyRowCount + load.rowsStored];
        diagnosis.stop = LoadStop{load.rowsStored, failing.line, failing.text, load.error};
    }

    std::vector<Finding> all;
    fileFindings(facts, all);
    if (facts.settingsText)
        settingsFindings(diagnosis, scan, all);
    keepFirstFindings(std::move(all), scan.findingsNotKept, diagnosis);
    return diagnosis;
}

}  // namespace sim::doctor
