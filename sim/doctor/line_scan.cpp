// The doctor's look at each line as the plug-in's reader sorts it (through
// the reader's onLine hook): lines the reader ignores, sections and keys it
// does not know, keys under another section or above the first one, and keys
// given twice. What a line's value does is decided later, from the load.

#include <cstring>

#include "doctor/doctor_parts.h"

namespace sim::doctor {

namespace {

std::string_view firstWord(std::string_view text)
{
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return {};
    text = text.substr(start);
    return text.substr(0, text.find_first_of(" \t"));
}

Finding lineFinding(const IniLine& line, const char* kind)
{
    Finding finding;
    finding.line = line.number;
    finding.severity = Severity::warning;
    finding.kind = kind;
    finding.lineText = clipped(line.text);
    return finding;
}

}  // namespace

Finding unrecognisedLineFinding(const IniLine& line)
{
    Finding finding = lineFinding(line, "ignored-line");
    const std::string_view word = firstWord(line.text);
    const std::size_t row = loadRowOfKey(word);
    if (!word.empty() && word.front() == '[') {
        finding.kind = "broken-section-header";
        finding.message =
            "This looks like a section header but the plug-in cannot read it: it needs a closing ']', and a ';' "
            "inside the brackets cuts the line there. The line is ignored, so the keys below it stay in the "
            "section before it.";
    } else if (row != noIndex) {
        const std::string key = loadRow(row).key;
        finding.key = key;
        finding.message = key + " has no '=': write it as " + key + " = value. The plug-in ignores this line.";
    } else if (!word.empty() && word.front() == '#') {
        finding.severity = Severity::note;
        finding.message = "Ignored (it has no '='). Note that a line starting with '#' is no comment in "
                          "Ambleworks.ini; only a ';' at the start of a line makes one (after a value, ';' and '#' "
                          "both start a note).";
    } else {
        finding.message =
            "The plug-in ignores this line: it is not a [section] header, a ';' comment or a KEY = value line.";
    }
    return finding;
}

Finding unknownSectionFinding(const IniLine& line)
{
    Finding finding = lineFinding(line, "unknown-section");
    finding.section = clipped(line.name);
    finding.suggestion = nearestSection(std::string(line.name));
    finding.message = "[" + finding.section + "] is not a section the plug-in reads";
    if (!finding.suggestion.empty())
        finding.message += " (did you mean [" + finding.suggestion + "]?)";
    finding.message += ": the keys under it are not used.";
    return finding;
}

void LineScan::see(const IniLine& line)
{
    ++lines;
    lastLineEmpty = line.text.empty();
    if (line.kind == IniLineKind::section)
        section.assign(line.name);
    switch (line.kind) {
    case IniLineKind::blank:
    case IniLineKind::comment:
        return;
    case IniLineKind::unrecognised:
        if (findLines && room())
            keep(unrecognisedLineFinding(line));
        return;
    case IniLineKind::section:
        if (findLines && !knownSection(line.name) && room())
            keep(unknownSectionFinding(line));
        return;
    case IniLineKind::keyValue:
        seeKeyValue(line, loadRowOfKey(line.name));
        return;
    }
}

// Whether another finding of the lines is kept; past the limit they are only
// counted. Lines come in order, so the kept ones are the first.
bool LineScan::room()
{
    if (findings.size() < findingLimit)
        return true;
    ++findingsNotKept;
    return false;
}

void LineScan::keep(Finding finding, std::size_t row)
{
    findings.push_back(std::move(finding));
    meantRows.push_back(row);
}

void LineScan::seeKeyValue(const IniLine& line, std::size_t row)
{
    const bool ownSection = row != noIndex && line.stored && sameName(section, loadRow(row).section);
    if (ownSection) {
        Occurrences& seen = occurrences[row];
        ++seen.count;
        seen.last.number = line.number;
        seen.last.text.assign(line.text.substr(0, longestLineKept));  // reuses the text's room
        if (line.text.size() > longestLineKept)
            seen.last.text += "...";
        if (seen.first.size() <= findingLimit)
            seen.first.push_back(LineRef{line.number, clipped(line.text)});
        return;
    }
    if (!findLines || !room())
        return;
    Finding finding = lineFinding(line, "key-before-section");
    finding.key = clipped(line.name);
    finding.text = clipped(line.value);
    finding.section = clipped(section);
    if (!line.stored) {
        finding.message = finding.key + " comes before the first [section] header: the plug-in drops it.";
        if (row != noIndex)
            finding.message += std::string(" Put it under [") + loadRow(row).section + "].";
        keep(std::move(finding));
    } else if (row != noIndex) {
        const SettingRow& known = loadRow(row);
        finding.kind = "wrong-section";
        finding.suggestion = known.section;
        finding.message = std::string(known.key) + " belongs under [" + known.section + "], not [" + finding.section +
                          "]: the plug-in does not look for it here, so this line has no effect.";
        keep(std::move(finding), row);
    } else {
        seeUnknownKey(line);
    }
}

void LineScan::seeUnknownKey(const IniLine& line)
{
    Finding finding = lineFinding(line, "unknown-key");
    finding.key = clipped(line.name);
    finding.text = clipped(line.value);
    finding.section = clipped(section);
    if (finding.key.front() == '#') {
        finding.message = "A line starting with '#' is no comment in Ambleworks.ini (only a ';' at the start of a "
                          "line makes one). This line is read as a key named " +
                          quoted(finding.key) + ", which the plug-in does not know, so it has no effect.";
        keep(std::move(finding));
        return;
    }
    finding.suggestion = nearestKey(std::string(line.name));
    finding.message = finding.key + " is not a key the plug-in knows";
    const std::size_t meantRow = finding.suggestion.empty() ? noIndex : loadRowOfKey(finding.suggestion);
    if (meantRow != noIndex) {
        const SettingRow& meant = loadRow(meantRow);
        finding.message += " (did you mean " + finding.suggestion;
        if (!sameName(section, meant.section))
            finding.message += std::string(", under [") + meant.section + "]";
        finding.message += "?)";
    }
    finding.message += ": this line has no effect.";
    keep(std::move(finding), meantRow);
}

void LineScan::finish()
{
    // A misplaced or misspelt key: which line the plug-in takes instead, or
    // the built-in default when the key has no line of its own.
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const std::size_t row = meantRows[i];
        if (row == noIndex)
            continue;
        const SettingRow& meant = loadRow(row);
        if (occurrences[row].count == 0)
            findings[i].message += std::string(" ") + meant.key + " has no line under [" + meant.section +
                                   "], so it takes its built-in default, " + defaultWords(meant) + ".";
        else if (findings[i].kind == "wrong-section")
            findings[i].message += " (It uses the one on line " + number(occurrences[row].last.number) + ".)";
    }
    if (!findLines)
        return;
    // Every line of a key but its last is overruled by the last.
    for (std::size_t row = 0; row < loadRowCount; ++row) {
        const Occurrences& seen = occurrences[row];
        std::size_t kept = 0;
        for (const LineRef& earlier : seen.first) {
            if (earlier.number == seen.last.number)
                continue;
            Finding finding;
            finding.line = earlier.number;
            finding.lineText = earlier.text;
            finding.severity = Severity::note;
            finding.kind = "duplicate-key";
            finding.section = loadRow(row).section;
            finding.key = loadRow(row).key;
            finding.message = finding.key + " is given again on line " + number(seen.last.number) +
                              ", and the last value wins: this line has no effect.";
            findings.push_back(std::move(finding));
            ++kept;
        }
        if (seen.count > 0)
            findingsNotKept += seen.count - 1 - kept;
    }
}

}  // namespace sim::doctor
