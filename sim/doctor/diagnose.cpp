// The doctor's verdict on one file.
//
// Nothing here parses the file a second way: the lines, their kinds, keys and
// values come from the plug-in's IniReader (through its onLine hook), the
// settings from its storeSettings and sanitiseSettings, and how each line was
// read from its readSetting. The doctor only compares what they did with what
// the player most likely meant.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <utility>

#include "config/ini_reader.h"
#include "doctor/doctor_parts.h"
#include "testing/reset_for_tests.h"

// Index of this file:
// [SECTION] The plug-in's records and its load
// [SECTION] The settings as used
// [SECTION] diagnose

namespace sim::doctor {

namespace {

// ---------------------------------------------------------------------------
// [SECTION] The plug-in's records and its load

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

// Every row's value right after the plug-in's load, in load order.
using LoadedValues = std::array<SettingValue, loadRowCount>;

// The load as the plug-in runs it, then the per-tick clamps.
LoadedValues runLoad(const IniDocument& document)
{
    LoadedValues loaded;
    storeSettings(document);
    for (std::size_t i = 0; i < loadRowCount; ++i)
        loaded[i] = settingValueOf(settings, loadRow(i));
    sanitiseSettings();
    return loaded;
}

// ---------------------------------------------------------------------------
// [SECTION] The settings as used

Source sourceOf(bool readable, bool found, const SettingReading& reading)
{
    if (!readable)
        return Source::noFile;
    if (!found)
        return Source::missing;
    if (reading.failure != ReadFailure::none)
        return Source::unreadable;
    return reading.builtInDefault ? Source::empty : Source::file;
}

std::vector<SettingUse> settingUses(const IniDocument& document, const LineScan& scan, bool readable,
                                    const LoadedValues& loaded)
{
    const Settings defaults;
    std::vector<SettingUse> uses;
    uses.reserve(loadRowCount);
    for (std::size_t i = 0; i < loadRowCount; ++i) {
        const SettingRow& row = loadRow(i);
        SettingUse use;
        use.row = &row;
        const bool found = scan.of(i).count > 0;
        if (found) {
            use.line = scan.of(i).last.number;
            use.text = settingText(document, i);
        }
        // How the load read the line: the same reading storeSettings made.
        const SettingReading reading = readSetting(row, use.text);
        use.source = sourceOf(readable, found, reading);
        use.failure = reading.failure;
        use.loaded = loaded[i];
        use.used = settingValueOf(settings, row);
        use.clamped = !sameValue(row, use.loaded, use.used);
        use.differsFromDefault = !sameValue(row, use.used, settingValueOf(defaults, row));
        use.plainText = isPlainText(use);
        uses.push_back(std::move(use));
    }
    return uses;
}

// ---------------------------------------------------------------------------
// [SECTION] diagnose

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
    all.insert(all.end(), std::make_move_iterator(scan.findings.begin()), std::make_move_iterator(scan.findings.end()));
    for (const SettingUse& use : diagnosis.settings) {
        valueTextFindings(use, all);
        valueEffectFindings(use, all);
    }
    keyEffectFindings(diagnosis.settings, all);
    fillLineTexts(all, scan);
}

Diagnosis unreadableFile(const std::string& path)
{
    resetConfigToLoadState();  // each diagnosis starts from a freshly loaded plug-in
    Diagnosis diagnosis;
    diagnosis.path = path;
    // The plug-in loads all the same, from an empty document.
    IniDocument document;
    const LoadedValues loaded = runLoad(document);
    diagnosis.settings = settingUses(document, LineScan(false), false, loaded);
    Finding finding;
    finding.severity = Severity::problem;
    finding.kind = "file-unreadable";
    finding.message = "Cannot read " + path +
                      " (it is missing, not a regular file, or not readable). Without it the plug-in runs on its "
                      "built-in defaults, when the game starts and after a reload alike. The plug-in looks for "
                      "Ambleworks.ini in the game's folder.";
    diagnosis.findings.push_back(std::move(finding));
    return diagnosis;
}

}  // namespace

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

    const LoadedValues loaded = runLoad(document);
    diagnosis.settings = settingUses(document, scan, true, loaded);
    diagnosis.unreadableLines =
        static_cast<std::size_t>(std::count_if(diagnosis.settings.begin(), diagnosis.settings.end(),
                                               [](const SettingUse& use) { return use.source == Source::unreadable; }));

    std::vector<Finding> all;
    fileFindings(facts, all);
    if (facts.settingsText)
        settingsFindings(diagnosis, scan, all);
    keepFirstFindings(std::move(all), scan.findingsNotKept, diagnosis);
    return diagnosis;
}

}  // namespace sim::doctor
