// The doctor's verdict on one file. Sections: names and words · the raw
// bytes · the lines · the values · diagnose.
//
// Nothing here parses the file a second way: the lines, their kinds, keys and
// values come from the plug-in's IniReader (through its onLine hook), the
// settings from its storeSettings and sanitiseSettings. The doctor only
// compares what they did with what the player most likely meant.

#include "doctor/doctor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

#include "config/ini_reader.h"
#include "controller/controller_state.h"
#include "testing/reset_for_tests.h"
#include "trace/format.h"

namespace sim::doctor {

namespace {

// ---------------------------------------------------------------------------
// Names and words

std::string lowered(std::string text)
{
    lowerCaseAscii(text);
    return text;
}

std::string uppered(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// The six sections the plug-in reads, as the table spells them.
std::vector<std::string> knownSections()
{
    std::vector<std::string> names;
    for (const SettingRow& row : settingRows) {
        if (std::find(names.begin(), names.end(), row.section) == names.end())
            names.push_back(row.section);
    }
    return names;
}

// The table's spelling of a section named (in any case) in the file, or "".
std::string canonicalSection(const std::string& lowerName)
{
    for (const std::string& name : knownSections()) {
        if (lowered(name) == lowerName)
            return name;
    }
    return {};
}

const SettingRow* rowOfKey(const std::string& lowerKey)
{
    for (const SettingRow& row : settingRows) {
        if (lowered(row.key) == lowerKey)
            return &row;
    }
    return nullptr;
}

// Close enough to be a typo of a name of `length` bytes.
bool isNear(std::size_t distance, std::size_t length)
{
    const std::size_t allowed = std::max<std::size_t>(1, std::min<std::size_t>(3, length / 4));
    return distance > 0 && distance <= allowed;
}

// The known name closest to `written` (compared without regard to case), or
// "" when none is near enough to be a typo.
std::string nearestName(const std::string& written, const std::vector<std::string>& names)
{
    std::string best;
    std::size_t bestDistance = 0;
    for (const std::string& name : names) {
        const std::size_t distance = editDistance(uppered(written), uppered(name));
        if (isNear(distance, name.size()) && (best.empty() || distance < bestDistance)) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<std::string> knownKeys()
{
    std::vector<std::string> keys;
    for (const SettingRow& row : settingRows)
        keys.push_back(row.key);
    return keys;
}

// The loader's failure text in a player's words.
std::string failureWords(const std::string& error)
{
    if (error == "invalid stof argument")
        return "is not a number";
    if (error == "stof argument out of range")
        return "is a number too large or too small for the plug-in (or infinite)";
    if (error == "invalid stoi argument")
        return "is not a whole number";
    if (error == "stoi argument out of range")
        return "is a whole number beyond what the plug-in can hold (32 bits)";
    return "cannot be read";
}

// Texts a player writes for "off" that the plug-in reads as on.
bool meansOff(const std::string& text)
{
    const std::string word = lowered(text);
    if (!word.empty() && word[0] == '0')
        return true;
    for (const char* off : {"false", "no", "off", "n", "f", "disabled", "disable", "none"}) {
        if (word == off)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// The raw bytes: what the reader does without a word

// File-wide findings the reader's lines cannot show: a UTF-16 file (its
// byte-order mark is taken as text, its zero bytes dropped) and CR-only line
// ends (CR never ends a line, so the whole file is one line).
void inspectBytes(const std::string& path, std::vector<Finding>& findings)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string raw = bytes.str();
    if (raw.size() >= 2 && ((raw[0] == '\xFF' && raw[1] == '\xFE') || (raw[0] == '\xFE' && raw[1] == '\xFF'))) {
        Finding finding;
        finding.severity = Severity::warning;
        finding.kind = "utf16-file";
        finding.message =
            "The file is saved as UTF-16 (\"Unicode\"). The plug-in reads plain bytes: the mark at the start "
            "spoils the first line. Save it as UTF-8 or ANSI.";
        findings.push_back(finding);
    }
    const bool hasCr = raw.find('\r') != std::string::npos;
    const bool hasLf = raw.find('\n') != std::string::npos;
    if (hasCr && !hasLf) {
        Finding finding;
        finding.severity = Severity::warning;
        finding.kind = "cr-line-ends";
        finding.message =
            "The lines end in CR alone (old Mac style). The plug-in only ends a line at LF, so it reads the whole "
            "file as one line. Save it with Windows (CR LF) or Unix (LF) line ends.";
        findings.push_back(finding);
    }
}

// ---------------------------------------------------------------------------
// The lines

// One line as the reader reported it.
struct SeenLine {
    std::size_t number = 0;
    std::string text;
    IniLineKind kind = IniLineKind::blank;
    std::string name;
    std::string value;
    bool stored = false;
    std::string section;  // the section it stands in, as written ("" before the first)
};

using SectionKey = std::pair<std::string, std::string>;  // lower-cased section and key

SectionKey placeOf(const SeenLine& line)
{
    return {lowered(line.section), lowered(line.name)};
}

// The findings of one line that the line alone decides (where it stands and
// whether it is read at all), given where each key's value really comes from.
void inspectLine(const SeenLine& line, const std::map<SectionKey, std::size_t>& lastLine,
                 std::vector<Finding>& findings)
{
    Finding finding;
    finding.line = line.number;
    finding.severity = Severity::warning;

    std::string trimmed = line.text;
    trimBlanks(trimmed);
    if (line.kind == IniLineKind::unrecognised) {
        finding.kind = "ignored-line";
        const std::string firstWord = trimmed.substr(0, trimmed.find_first_of(" \t"));
        if (trimmed.front() == '[') {
            finding.kind = "broken-section-header";
            finding.message =
                "This looks like a section header but the plug-in cannot read it: it needs a closing ']', and a ';' "
                "inside the brackets cuts the line there. The line is ignored, so the keys below it stay in the "
                "section before it.";
        } else if (const SettingRow* row = rowOfKey(lowered(firstWord))) {
            finding.key = row->key;
            finding.message = std::string(row->key) + " has no '=': write it as " + row->key +
                              " = value. The plug-in ignores this line.";
        } else if (trimmed.front() == '#') {
            finding.severity = Severity::note;
            finding.message =
                "Ignored (it has no '='). Note that '#' does not start a comment in Ambleworks.ini; only a ';' at "
                "the start of a line does.";
        } else {
            finding.message =
                "The plug-in ignores this line: it is not a [section] header, a ';' comment or a KEY = value line.";
        }
        findings.push_back(finding);
        return;
    }

    if (line.kind == IniLineKind::section) {
        const std::string known = canonicalSection(lowered(line.name));
        if (!known.empty())
            return;
        finding.kind = "unknown-section";
        finding.section = line.name;
        finding.suggestion = nearestName(line.name, knownSections());
        finding.message = "[" + line.name + "] is not a section the plug-in reads";
        if (!finding.suggestion.empty())
            finding.message += " (did you mean [" + finding.suggestion + "]?)";
        finding.message += ": the keys under it are not used.";
        findings.push_back(finding);
        return;
    }

    if (line.kind != IniLineKind::keyValue)
        return;

    finding.key = line.name;
    finding.text = line.value;
    finding.section = line.section;
    const SettingRow* row = rowOfKey(lowered(line.name));

    if (!line.stored) {
        finding.kind = "key-before-section";
        finding.message = line.name + " comes before the first [section] header: the plug-in drops it.";
        if (row)
            finding.message += std::string(" Put it under [") + row->section + "].";
        findings.push_back(finding);
        return;
    }

    const SectionKey place = placeOf(line);
    if (row && lowered(row->section) == place.first) {
        const std::size_t last = lastLine.at(place);
        if (last != line.number) {
            finding.kind = "duplicate-key";
            finding.severity = Severity::note;
            finding.message = line.name + " is given again on line " + decimal(static_cast<int64_t>(last)) +
                              ", and the last value wins: this line has no effect.";
            findings.push_back(finding);
        }
        return;
    }

    if (row) {
        finding.kind = "wrong-section";
        finding.suggestion = row->section;
        finding.message = std::string(row->key) + " belongs under [" + row->section + "], not [" + line.section +
                          "]: the plug-in does not look for it here, so this line has no effect.";
        const auto proper = lastLine.find({lowered(row->section), lowered(row->key)});
        if (proper != lastLine.end())
            finding.message += " (It uses the one on line " + decimal(static_cast<int64_t>(proper->second)) + ".)";
        findings.push_back(finding);
        return;
    }

    finding.kind = "unknown-key";
    if (!line.name.empty() && line.name.front() == '#') {
        finding.message = "'#' does not start a comment in Ambleworks.ini (only a ';' at the start of a line "
                          "does). This line is read as a key named " +
                          quoted(line.name) + ", which the plug-in does not know, so it has no effect.";
        findings.push_back(finding);
        return;
    }
    finding.suggestion = nearestName(line.name, knownKeys());
    finding.message = line.name + " is not a key the plug-in knows";
    if (!finding.suggestion.empty()) {
        const SettingRow* meant = rowOfKey(lowered(finding.suggestion));
        finding.message += " (did you mean " + finding.suggestion;
        if (lowered(meant->section) != place.first)
            finding.message += std::string(", under [") + meant->section + "]";
        finding.message += "?)";
    }
    finding.message += ": this line has no effect.";
    findings.push_back(finding);
}

// ---------------------------------------------------------------------------
// The values

// The row's field in a settings record.
SettingValue valueOf(const Settings& record, const SettingRow& row)
{
    SettingValue value;
    switch (row.rule) {
    case SettingRule::flag:
        value.flag = record.*row.flagField;
        break;
    case SettingRule::decimalFloat:
        value.real = record.*row.floatField;
        break;
    case SettingRule::hexInteger:
    case SettingRule::decimalInteger:
        value.integer = record.*row.integerField;
        break;
    }
    return value;
}

bool sameValue(const SettingRow& row, const SettingValue& a, const SettingValue& b)
{
    switch (row.rule) {
    case SettingRule::flag:
        return a.flag == b.flag;
    case SettingRule::decimalFloat:
        return std::memcmp(&a.real, &b.real, sizeof a.real) == 0;
    case SettingRule::hexInteger:
    case SettingRule::decimalInteger:
        return a.integer == b.integer;
    }
    return true;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// How many leading bytes of a value text the row's conversion reads; the
// rest it ignores. Only for telling the player: the stored value itself is
// always the loader's.
std::size_t numberExtent(const SettingRow& row, const std::string& text)
{
    std::size_t at = 0;
    if (row.rule == SettingRule::decimalFloat) {
        char* end = nullptr;
        std::strtod(text.c_str(), &end);
        return static_cast<std::size_t>(end - text.c_str());
    }
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    if (row.rule == SettingRule::hexInteger) {
        if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X'))
            at += 2;
        while (at < text.size() && isHexDigit(text[at]))
            ++at;
        return at;
    }
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    return at;
}

// The findings about a value the plug-in reads (or would read, once the load
// gets that far): flags that are not plainly 0 or 1, remarks and text after a
// number, hexadecimal key codes written like decimals.
void inspectValue(const SettingUse& use, bool stopsHere, std::vector<Finding>& findings)
{
    const SettingRow& row = *use.row;
    Finding finding;
    finding.line = use.line;
    finding.section = row.section;
    finding.key = row.key;
    finding.text = use.text;
    const std::string& text = use.text;
    const bool remark = text.find_first_of(";#") != std::string::npos;

    if (row.rule == SettingRule::flag) {
        if (text == "0" || text == "1")
            return;
        finding.kind = "flag-not-0-or-1";
        // An empty flag may have been meant as "off" or as "unset"; either
        // way it is on, which deserves more than a note.
        finding.severity = text.empty() || meansOff(text) ? Severity::warning : Severity::note;
        if (text.empty())
            finding.message = std::string(row.key) + " is empty, which reads as on.";
        else
            finding.message = std::string(row.key) + " = " + text + " reads as on.";
        finding.message += " Only the text 0 switches it off; write 0 for off and 1 for on.";
        if (remark)
            finding.message += " A ';' after a value does not start a remark: it is part of the value.";
        findings.push_back(finding);
        return;
    }
    if (stopsHere || text.empty())
        return;

    const std::size_t extent = numberExtent(row, text);
    if (extent < text.size()) {
        std::string rest = text.substr(extent);
        trimBlanks(rest);
        finding.severity = Severity::note;
        if (remark && (rest.front() == ';' || rest.front() == '#')) {
            finding.kind = "trailing-remark";
            finding.message = "The remark " + quoted(rest) + " is part of the value, not a comment. The plug-in " +
                              "reads the number at the start and ignores the rest, so this works, but a remark is " +
                              "safest on a line of its own, starting with ';'.";
        } else {
            finding.kind = "ignored-text";
            finding.message = std::string("Only ") + quoted(text.substr(0, extent)) + " is read; " + quoted(rest) +
                              " after it is ignored.";
            if (row.rule == SettingRule::decimalInteger)
                finding.message += std::string(" ") + row.key + " takes a whole number.";
        }
        findings.push_back(finding);
    }

    if (row.rule == SettingRule::hexInteger) {
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
            ++digits;
        // A player who looked up a key code in decimal gets another key.
        if (digits == text.size() && digits >= 2 && text != "12") {
            const int32_t code = static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 16));
            const std::string name = keyName(code);
            Finding hex = finding;
            hex.kind = "walk-key-hexadecimal";
            hex.severity = Severity::note;
            hex.message = std::string(row.key) + " is read as a hexadecimal number: " + text + " is 0x" + text +
                          (name.empty() ? std::string() : " (" + name + ")") + ", not decimal " + text +
                          ". For Alt, the usual key, write 12.";
            findings.push_back(hex);
        }
    }
}

// What else the plug-in does with a key code chosen as the walk-control key,
// as words after "already uses", or "" when it does nothing else with it. The
// walk-control key's release wipes the key's state, so the other use then
// misses the release (a Shift release ends the sprint press).
std::string sharedKeyUse(int32_t code)
{
    if (code == 0x10)
        return "for its Shift taps and sprint presses (while SHIFT_TAP_ENABLED is on)";
    if (code == 0x23)
        return "as the first key of its End+Numpad hotkeys";
    if (code >= 0x61 && code <= 0x63)
        return "in its End+Numpad hotkeys";
    return {};
}

// The findings about what a stored value ends up as: the clamps, a walk-control
// key that names no key, a missing flag, the plug-in starting switched off.
void inspectResult(const SettingUse& use, std::vector<Finding>& findings)
{
    const SettingRow& row = *use.row;
    Finding finding;
    finding.line = use.line;
    finding.section = row.section;
    finding.key = row.key;
    finding.text = use.text;

    if (use.clamped) {
        finding.kind = "clamped";
        finding.severity = Severity::warning;
        const bool raised = use.used.real > use.loaded.real;
        finding.message = std::string(row.key) + " = " + formatFloat(use.loaded.real) + " is " +
                          (raised ? "below the lowest" : "above the highest") + " value the plug-in allows: it " +
                          (raised ? "raises" : "lowers") + " it to " + formatFloat(use.used.real) + " every tick.";
        findings.push_back(finding);
    }
    if (row.rule == SettingRule::hexInteger && use.source == Source::file && !use.text.empty()) {
        const int32_t code = use.used.integer;
        if (code < 1 || code >= 255) {
            finding.kind = "walk-key-none";
            finding.severity = Severity::warning;
            finding.message = std::string(row.key) + " = " + use.text + " reads as " +
                              (code < 0 ? decimal(code) : hexShort(static_cast<uint32_t>(code))) +
                              ", which is no key: no key acts as the walk-control key (key codes run from 0x01 "
                              "to 0xFE; Alt is 12).";
            findings.push_back(finding);
        }
    }
    if (row.rule == SettingRule::hexInteger && use.source == Source::file) {
        const std::string clash = sharedKeyUse(use.used.integer);
        if (!clash.empty()) {
            finding.kind = "walk-key-shared";
            finding.severity = Severity::warning;
            finding.message = std::string(row.key) + " = " + use.text + " is " + keyName(use.used.integer) +
                              ", which the plug-in already uses " + clash +
                              ": the two uses get in each other's way. Pick a key of its own (Alt is 12).";
            findings.push_back(finding);
        }
    }
    if (row.rule == SettingRule::flag && use.source == Source::missing && use.differsFromDefault) {
        finding.kind = "missing-flag";
        finding.severity = Severity::warning;
        finding.message = std::string(row.key) + " is missing from [" + row.section +
                          "]. A missing flag reads as on, although the plug-in's built-in default is off. Add " +
                          row.key + " = 0 to keep it off.";
        findings.push_back(finding);
    }
    if (row.flagField == &Settings::enabled && use.source == Source::file && !use.used.flag) {
        finding.kind = "switched-off";
        finding.severity = Severity::note;
        finding.message = "ENABLED = 0: the plug-in starts switched off and changes no speed until End+Numpad2 "
                          "switches it on.";
        findings.push_back(finding);
    }
}

// The finding that says where the load stops, what stays as it was, and (when
// the key is missing) where a misplaced or misspelt copy of it stands.
Finding stopFinding(const LoadStop& stop, const std::vector<Finding>& lineFindings)
{
    const SettingRow& row = settingRows[stop.row];
    Finding finding;
    finding.line = stop.line;
    finding.severity = Severity::problem;
    finding.kind = "load-stops";
    finding.section = row.section;
    finding.key = row.key;
    finding.text = stop.text;
    const std::size_t after = settingRowCount - stop.row - 1;
    if (stop.text.empty()) {
        finding.message = std::string(row.key) + (stop.line == 0 ? " is missing from [" : " is empty in [") +
                          row.section + "], and the plug-in cannot load a number from nothing (" + stop.error +
                          "): the load stops " + (stop.line == 0 ? "there." : "here.");
        // A copy of the key that the plug-in does not take: misspelt, under
        // another section, before the first section, or without its '='.
        for (const Finding& other : lineFindings) {
            if (other.line != 0 && (other.suggestion == row.key || lowered(other.key) == lowered(row.key)))
                finding.message += " Line " + decimal(static_cast<int64_t>(other.line)) + " has " + other.key +
                                   (other.kind == "wrong-section" ? " under [" + other.section + "]" : std::string()) +
                                   " (see there).";
        }
    } else {
        finding.message = std::string(row.key) + " = " + stop.text + " " + failureWords(stop.error) + " (" +
                          stop.error + "): the load stops here.";
    }
    if (after > 0)
        finding.message += std::string(" ") + row.key + " and the " + decimal(static_cast<int64_t>(after)) +
                           " settings after it keep their built-in defaults (after End+Numpad3 in the game: the "
                           "values they had).";
    else
        finding.message += std::string(" ") + row.key +
                           " keeps its built-in default (after End+Numpad3 in the game: the value it had).";
    return finding;
}

}  // namespace

// ---------------------------------------------------------------------------
// diagnose

Diagnosis diagnose(const std::string& path)
{
    Diagnosis diagnosis;
    diagnosis.path = path;

    // The linked plug-in code works on its own process-wide records: start
    // them as a freshly loaded plug-in has them.
    resetConfigToLoadState();
    const Settings defaults;

    std::vector<SeenLine> seen;
    std::string section;
    IniDocument document;
    IniReader reader(path);
    reader.onLine = [&](const IniLine& line) {
        SeenLine copy;
        copy.number = line.number;
        copy.text = std::string(line.text);
        copy.kind = line.kind;
        copy.name = std::string(line.name);
        copy.value = std::string(line.value);
        copy.stored = line.stored;
        if (line.kind == IniLineKind::section)
            section = copy.name;
        copy.section = section;
        seen.push_back(std::move(copy));
    };
    diagnosis.readable = reader.read(document);
    diagnosis.lineCount = seen.size();
    for (const SeenLine& line : seen)
        diagnosis.lines.push_back(line.text);

    std::size_t rowsStored = 0;
    std::string error;
    try {
        storeSettings(document, &rowsStored);
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    std::vector<SettingValue> loaded;
    for (const SettingRow& row : settingRows)
        loaded.push_back(valueOf(settings, row));
    sanitiseSettings();

    // Where each key's value comes from: its last line in its own section.
    std::map<SectionKey, std::size_t> lastLine;
    for (const SeenLine& line : seen) {
        if (line.kind == IniLineKind::keyValue && line.stored)
            lastLine[placeOf(line)] = line.number;
    }

    for (std::size_t i = 0; i < settingRowCount; ++i) {
        const SettingRow& row = settingRows[i];
        SettingUse use;
        use.row = &row;
        const auto found = lastLine.find({lowered(row.section), lowered(row.key)});
        if (found != lastLine.end()) {
            use.line = found->second;
            use.text = document.section(row.section).value(row.key);
            use.readWhole = row.rule == SettingRule::flag ? (use.text == "0" || use.text == "1")
                                                          : numberExtent(row, use.text) == use.text.size();
        }
        if (!diagnosis.readable)
            use.source = Source::noFile;
        else if (error.empty() || i < rowsStored)
            use.source = found != lastLine.end() ? Source::file : Source::missing;
        else
            use.source = i == rowsStored ? Source::stoppedHere : Source::notReached;
        use.loaded = loaded[i];
        use.used = valueOf(settings, row);
        use.clamped = !sameValue(row, use.loaded, use.used);
        use.differsFromDefault = !sameValue(row, use.used, valueOf(defaults, row));
        diagnosis.settings.push_back(use);
    }

    std::vector<Finding> findings;
    if (!diagnosis.readable) {
        Finding finding;
        finding.severity = Severity::problem;
        finding.kind = "file-unreadable";
        finding.message = "Cannot read " + path +
                          " (it is missing, not a regular file, or not readable). The plug-in then runs on its "
                          "built-in defaults. It looks for Ambleworks.ini in the game's folder.";
        diagnosis.findings.push_back(finding);
        return diagnosis;
    }
    inspectBytes(path, findings);
    std::vector<Finding> lineFindings;
    for (const SeenLine& line : seen)
        inspectLine(line, lastLine, lineFindings);
    for (const SettingUse& use : diagnosis.settings) {
        if (use.line != 0)
            inspectValue(use, use.source == Source::stoppedHere, lineFindings);
        if (use.source == Source::file || use.source == Source::missing)
            inspectResult(use, lineFindings);
    }
    if (!error.empty()) {
        LoadStop stop;
        stop.row = rowsStored;
        stop.line = diagnosis.settings[rowsStored].line;
        stop.text = diagnosis.settings[rowsStored].text;
        stop.error = error;
        lineFindings.push_back(stopFinding(stop, lineFindings));
        diagnosis.stop = stop;
    }
    // By line; the file-wide ones (line 0) first; in the order found within a line.
    std::stable_sort(lineFindings.begin(), lineFindings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    findings.insert(findings.end(), lineFindings.begin(), lineFindings.end());
    diagnosis.findings = std::move(findings);
    return diagnosis;
}

std::size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t replace = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, replace});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

std::string keyName(int32_t code)
{
    static const std::map<int32_t, const char*> names = {
        {0x01, "left mouse button"},
        {0x02, "right mouse button"},
        {0x04, "middle mouse button"},
        {0x05, "mouse button 4"},
        {0x06, "mouse button 5"},
        {0x08, "Backspace"},
        {0x09, "Tab"},
        {0x0D, "Enter"},
        {0x10, "Shift"},
        {0x11, "Ctrl"},
        {0x12, "Alt"},
        {0x13, "Pause"},
        {0x14, "Caps Lock"},
        {0x1B, "Esc"},
        {0x20, "Space"},
        {0x21, "Page Up"},
        {0x22, "Page Down"},
        {0x23, "End"},
        {0x24, "Home"},
        {0x25, "Left arrow"},
        {0x26, "Up arrow"},
        {0x27, "Right arrow"},
        {0x28, "Down arrow"},
        {0x2D, "Insert"},
        {0x2E, "Delete"},
        {0xA0, "left Shift"},
        {0xA1, "right Shift"},
        {0xA2, "left Ctrl"},
        {0xA3, "right Ctrl"},
        {0xA4, "left Alt"},
        {0xA5, "right Alt"},
        {0xC0, "` (~)"},
    };
    const auto found = names.find(code);
    if (found != names.end())
        return found->second;
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return std::string(1, static_cast<char>(code));
    if (code >= 0x60 && code <= 0x69)
        return "Numpad " + decimal(code - 0x60);
    if (code >= 0x70 && code <= 0x87)
        return "F" + decimal(code - 0x70 + 1);
    return {};
}

}  // namespace sim::doctor
