// What the doctor says about the value of a setting: what its text means
// beyond the value the loader read (flags that are not 0 or 1, decimal
// commas, remarks, text after a number), and what the stored value does in
// play (clamps, an increment of 0 or below, a slow walk outside its range, a
// missing flag, the plug-in starting switched off). Key codes: keys.cpp.

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "config/value_conversions.h"

#include "doctor/doctor_parts.h"
#include "trace/format.h"

namespace sim::doctor {

namespace {

// The slow-walk speeds the player's README asks for; the plug-in does not
// clamp this one.
constexpr float slowestSlowWalk = 0.15f;
constexpr float fastestSlowWalk = 1.0f;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Texts a player writes for "off" that the plug-in reads as on.
bool meansOff(const std::string& text)
{
    std::string word = text;
    for (char& c : word)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (!word.empty() && word[0] == '0')
        return true;
    const auto words = {"false", "no", "off", "n", "f", "disabled", "disable", "none"};
    return std::any_of(words.begin(), words.end(), [&](const char* off) { return word == off; });
}

}  // namespace

// Only for telling the player: the stored value itself is always the loader's.
std::size_t numberExtent(const SettingRow& row, const std::string& text)
{
    if (row.rule == SettingRule::decimalFloat) {
        char* end = nullptr;
        std::strtod(text.c_str(), &end);
        return static_cast<std::size_t>(end - text.c_str());
    }
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    if (row.rule == SettingRule::keyCode) {
        if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X'))
            at += 2;
        while (at < text.size() && isHexDigit(text[at]))
            ++at;
        return at;
    }
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

namespace {

// "0,1" read as far as the comma: the same number with a dot, or "".
std::string withDecimalPoint(const std::string& text, std::size_t extent)
{
    std::size_t digits = text[0] == '-' || text[0] == '+' ? 1 : 0;
    while (digits < extent && isDigit(text[digits]))
        ++digits;
    if (digits != extent || extent == 0 || !isDigit(text[extent - 1]) || extent + 1 >= text.size() ||
        text[extent] != ',' || !isDigit(text[extent + 1]))
        return {};
    if (convertDecimalFloat(text).failure != ReadFailure::none)
        return {};
    std::size_t end = extent + 1;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    return text.substr(0, extent) + "." + text.substr(extent + 1, end - extent - 1);
}

void flagTextFinding(const SettingUse& use, std::vector<Finding>& findings)
{
    const std::string& text = use.text;
    if (text == "0" || text == "1")
        return;
    Finding finding = findingAbout(use);
    finding.kind = "flag-not-0-or-1";
    // An empty flag may have been meant as "off" or as "unset"; either way it
    // is on, which deserves more than a note.
    finding.severity = text.empty() || meansOff(text) ? Severity::warning : Severity::note;
    if (text.empty())
        finding.message = std::string(use.row->key) + " is empty, which reads as on.";
    else
        finding.message = std::string(use.row->key) + " = " + clipped(text) + " reads as on.";
    finding.message += " Only the text 0 switches it off; write 0 for off and 1 for on.";
    if (text.find_first_of(";#") != std::string::npos)
        finding.message += " A ';' after a value does not start a remark: it is part of the value.";
    findings.push_back(finding);
}

// Text after the number that the loader ignores: a decimal comma changes the
// number (a warning), a remark or other text does not (a note).
void trailingTextFinding(const SettingUse& use, std::size_t extent, std::vector<Finding>& findings)
{
    const SettingRow& row = *use.row;
    const std::string& text = use.text;
    Finding finding = findingAbout(use);
    const std::string meant = row.rule == SettingRule::decimalFloat ? withDecimalPoint(text, extent) : "";
    std::string rest = text.substr(extent);
    trimBlanks(rest);
    if (!meant.empty()) {
        finding.kind = "decimal-comma";
        finding.severity = Severity::warning;
        // What the loader reads from it, also where the load never gets that far.
        finding.message = std::string(row.key) + " = " + clipped(text) + " reads as " +
                          formatFloat(convertDecimalFloat(text).value) +
                          ": the plug-in needs a dot for decimals and stops at the comma. Write " + meant + ".";
    } else if (rest.front() == ';' || rest.front() == '#') {
        finding.kind = "trailing-remark";
        finding.severity = Severity::note;
        finding.message = "The remark " + quoted(clipped(rest)) +
                          " is part of the value, not a comment. The plug-in reads the number at the start and "
                          "ignores the rest, so this works, but a remark is safest on a line of its own, starting "
                          "with ';'.";
    } else {
        finding.kind = "ignored-text";
        finding.severity = Severity::note;
        finding.message =
            "Only " + quoted(text.substr(0, extent)) + " is read; " + quoted(clipped(rest)) + " after it is ignored.";
        if (row.rule == SettingRule::decimalInteger)
            finding.message += std::string(" ") + row.key + " takes a whole number.";
    }
    findings.push_back(finding);
}

void clampFinding(const SettingUse& use, std::vector<Finding>& findings)
{
    Finding finding = findingAbout(use);
    finding.kind = "clamped";
    finding.severity = Severity::warning;
    const bool raised = use.used.real > use.loaded.real;
    finding.message = std::string(use.row->key) + " = " + formatFloat(use.loaded.real) + " is " +
                      (raised ? "below the lowest" : "above the highest") + " value the plug-in allows: it " +
                      (raised ? "raises" : "lowers") + " it to " + formatFloat(use.used.real) + " every tick.";
    findings.push_back(finding);
}

// Speeds the plug-in takes as they are although they defeat their feature.
void speedEffectFinding(const SettingUse& use, std::vector<Finding>& findings)
{
    const float value = use.used.real;
    const std::string written = std::string(use.row->key) + " = " + formatFloat(value);
    Finding finding = findingAbout(use);
    finding.severity = Severity::warning;
    if (use.row->floatField == &Settings::speedIncrement && value == 0.0f) {
        finding.kind = "increment-zero";
        finding.message = written + ": each notch of the mouse wheel changes the speed by 0, so the wheel does "
                                    "nothing. Write a step such as 0.06.";
    } else if (use.row->floatField == &Settings::speedIncrement && value < 0.0f) {
        finding.kind = "increment-negative";
        finding.message = written + " is below 0: the mouse wheel runs backwards (up slows you down, down speeds "
                                    "you up). Write a step above 0, such as 0.06.";
    } else if (use.row->floatField == &Settings::slowWalkCustomSpeed &&
               (value < slowestSlowWalk || value > fastestSlowWalk)) {
        finding.kind = "slow-walk-out-of-range";
        finding.message =
            written +
            (value < slowestSlowWalk ? " is below 0.15: holding the walk-control key slows you to a crawl or stops you."
                                     : " is above 1.0: the slow walk is then no slower than a plain walk.") +
            " The plug-in uses it as it is (it does not clamp this speed); pick 0.15 to 1.0.";
    } else {
        return;
    }
    findings.push_back(finding);
}

}  // namespace

Finding findingAbout(const SettingUse& use)
{
    Finding finding;
    finding.line = use.line;
    finding.section = use.row->section;
    finding.key = use.row->key;
    finding.text = clipped(use.text);
    return finding;
}

void valueTextFindings(const SettingUse& use, bool stopsHere, std::vector<Finding>& findings)
{
    const SettingRow& row = *use.row;
    if (row.rule == SettingRule::flag) {
        flagTextFinding(use, findings);
        return;
    }
    if (stopsHere || use.text.empty())
        return;
    const std::size_t before = findings.size();
    if (row.rule == SettingRule::keyCode)
        keyTextFindings(use, findings);
    const std::size_t extent = numberExtent(row, use.text);
    // A key name's first letters read as a number say nothing more.
    if (findings.size() == before && extent < use.text.size())
        trailingTextFinding(use, extent, findings);
}

void valueEffectFindings(const SettingUse& use, std::vector<Finding>& findings)
{
    const SettingRow& row = *use.row;
    if (use.clamped)
        clampFinding(use, findings);
    if (row.rule == SettingRule::decimalFloat && use.source == Source::file)
        speedEffectFinding(use, findings);
    if (row.rule == SettingRule::flag && use.source == Source::missing && use.differsFromDefault) {
        Finding finding = findingAbout(use);
        finding.kind = "missing-flag";
        finding.severity = Severity::warning;
        finding.message = std::string(row.key) + " is missing from [" + row.section +
                          "]. A missing flag reads as on, although the plug-in's built-in default is off. Add " +
                          row.key + " = 0 to keep it off.";
        findings.push_back(finding);
    }
    if (row.flagField == &Settings::enabled && use.source == Source::file && !use.used.flag) {
        Finding finding = findingAbout(use);
        finding.kind = "switched-off";
        finding.severity = Severity::note;
        const std::string switchOn = hotkeyWords(Hotkey::switchOn);
        finding.message = switchOn.empty()
                              ? "ENABLED = 0: the plug-in starts switched off, and with these keys no "
                                "key switches it on: it changes no speed until the file says ENABLED = 1 "
                                "and is read again."
                              : "ENABLED = 0: the plug-in starts switched off and changes no speed until " + switchOn +
                                    " switches it on.";
        findings.push_back(finding);
    }
}

}  // namespace sim::doctor
