// What the doctor says about the value of a setting: what it read where the
// player wrote more than the plain value (words for a switch, a decimal
// comma, text after a number), a line that cannot be read or gives nothing,
// and what the stored value does in play (clamps, an increment of 0 or below,
// a slow walk outside its range, the plug-in starting switched off). Every
// reading here is the plug-in's own (config/value_conversions.h); key
// settings: keys.cpp.

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "config/value_conversions.h"
#include "doctor/doctor_parts.h"
#include "text/nearest_name.h"
#include "trace/format.h"

namespace sim::doctor {

namespace {

// The slow-walk speeds the player's README asks for; the plug-in does not
// clamp this one.
constexpr float slowestSlowWalk = 0.15f;
constexpr float fastestSlowWalk = 1.0f;

// The plain texts of a switch: what needs no word of explanation.
constexpr std::array<std::string_view, 4> plainSwitchTexts = {"0", "1", "on", "off"};

// The words a switch knows, for "did you mean"; off first, so that a word as
// near to on as to off ("of") is taken for off.
const std::vector<std::string> switchWords = {"off", "on", "no", "yes", "false", "true"};

bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (x != b[i])
            return false;
    }
    return true;
}

// (std::any_of, not std::ranges: the libc++ of Debian's Emscripten, which
// builds the settings page, has no ranges algorithms.)
bool isPlainSwitchText(std::string_view value)
{
    return std::any_of(plainSwitchTexts.begin(), plainSwitchTexts.end(),
                       [&](std::string_view plain) { return sameLetters(value, plain); });
}

// A number is never written with a blank inside it, so a blank in a value
// (which the reader trims) means text after the number, which no reading takes.
bool hasTextAfterABlank(std::string_view value)
{
    return value.find_first_of(" \t\v\f\r\n") != std::string_view::npos;
}

// A whole-number setting whose text reads as another number with decimals
// ("2.9", "2,5", "3e2"): only the digits before the point are taken.
bool hasFractionForAWholeNumber(std::string_view value, int32_t read)
{
    const FloatReading real = convertDecimalFloat(value);
    return real.failure == ReadFailure::none && real.value != static_cast<float>(read);
}

// "KEY = value" as the messages quote a line: its value without the note
// after it (the report shows the whole line above the message).
std::string written(const SettingUse& use)
{
    return std::string(use.row->key) + " = " + clipped(withoutNote(use.text));
}

void switchWordFinding(const SettingUse& use, std::string_view value, std::vector<Finding>& findings)
{
    const SwitchWord word = switchWordOf(value);
    if (word != SwitchWord::unknown && isPlainSwitchText(value))
        return;
    Finding finding = findingAbout(use);
    const std::string shown = clipped(value);
    if (word == SwitchWord::unknown) {
        finding.kind = "unknown-switch-word";
        finding.severity = Severity::warning;
        // A long text is no slip of the fingers.
        constexpr std::size_t longestWord = 16;
        if (value.size() <= longestWord)
            finding.suggestion = text::nearestName(value, switchWords);
        finding.message = written(use) + ": " + quoted(shown) + " is not a word the plug-in knows for a switch";
        if (!finding.suggestion.empty())
            finding.message += " (did you mean " + finding.suggestion + "?)";
        finding.message += ", so it reads as on. Write on or off (or 1 or 0).";
    } else {
        finding.kind = "switch-word";
        finding.severity = Severity::note;
        finding.message = written(use) + " reads as " + (word == SwitchWord::off ? "off." : "on.");
    }
    findings.push_back(std::move(finding));
}

void ignoredTextFinding(const SettingUse& use, const std::string& after, std::vector<Finding>& findings)
{
    Finding finding = findingAbout(use);
    finding.kind = "ignored-text";
    finding.severity = Severity::note;
    finding.message = written(use) + " reads as " + valueWords(*use.row, use.loaded) + ": " + after;
    findings.push_back(std::move(finding));
}

void speedTextFindings(const SettingUse& use, std::string_view value, std::vector<Finding>& findings)
{
    if (decimalCommaAt(value) != std::string_view::npos) {
        Finding finding = findingAbout(use);
        finding.kind = "decimal-comma";
        finding.severity = Severity::note;
        finding.message = written(use) + " reads as " + formatFloat(use.loaded.real) +
                          ": a comma between two digits counts as the decimal point.";
        findings.push_back(std::move(finding));
    }
    if (hasTextAfterABlank(value))
        ignoredTextFinding(use, "the text after the number is ignored.", findings);
}

void wholeNumberTextFindings(const SettingUse& use, std::string_view value, std::vector<Finding>& findings)
{
    if (hasFractionForAWholeNumber(value, use.loaded.integer))
        ignoredTextFinding(use, std::string(use.row->key) + " takes a whole number, and the rest is ignored.",
                           findings);
    else if (hasTextAfterABlank(value))
        ignoredTextFinding(use, "the text after the number is ignored.", findings);
}

// A line whose number cannot be read: the setting's built-in default instead.
void unreadableFinding(const SettingUse& use, std::vector<Finding>& findings)
{
    Finding finding = findingAbout(use);
    finding.kind = "unreadable-value";
    finding.severity = Severity::problem;
    const std::string key = use.row->key;
    finding.message = written(use) + " is " + failureWords(use.failure) + ", so " + key +
                      " takes its built-in default, " + defaultWords(*use.row) + ". The other lines still take effect.";
    if (use.failure == ReadFailure::invalidFloat || use.failure == ReadFailure::invalidInteger)
        finding.message += " Write a number such as " + defaultWords(*use.row) + ".";
    const std::string reload = hotkeyWords(Hotkey::reload);
    finding.message += reload.empty() ? " With these keys no key reads the file again: mend it and restart the game."
                                      : " Once it is mended, " + reload + " in the game reads the file again.";
    findings.push_back(std::move(finding));
}

void emptyFinding(const SettingUse& use, std::vector<Finding>& findings)
{
    Finding finding = findingAbout(use);
    finding.kind = "empty-value";
    finding.severity = Severity::note;
    const std::string key = use.row->key;
    finding.message = (use.text.empty() ? key + " is empty" : key + " = " + clipped(use.text) + " holds only a note") +
                      ", so it takes its built-in default, " + defaultWords(*use.row) + ".";
    findings.push_back(std::move(finding));
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
    findings.push_back(std::move(finding));
}

// Speeds the plug-in takes as they are although they defeat their feature.
void speedEffectFinding(const SettingUse& use, std::vector<Finding>& findings)
{
    const float value = use.used.real;
    const std::string words = std::string(use.row->key) + " = " + formatFloat(value);
    Finding finding = findingAbout(use);
    finding.severity = Severity::warning;
    if (use.row->floatField == &Settings::speedIncrement && value == 0.0f) {
        finding.kind = "increment-zero";
        finding.message = words + ": each notch of the mouse wheel changes the speed by 0, so the wheel does "
                                  "nothing. Write a step such as 0.06.";
    } else if (use.row->floatField == &Settings::speedIncrement && value < 0.0f) {
        finding.kind = "increment-negative";
        finding.message = words + " is below 0: the mouse wheel runs backwards (up slows you down, down speeds "
                                  "you up). Write a step above 0, such as 0.06.";
    } else if (use.row->floatField == &Settings::slowWalkCustomSpeed &&
               (value < slowestSlowWalk || value > fastestSlowWalk)) {
        finding.kind = "slow-walk-out-of-range";
        finding.message =
            words +
            (value < slowestSlowWalk ? " is below 0.15: holding the walk-control key slows you to a crawl or stops you."
                                     : " is above 1.0: the slow walk is then no slower than a plain walk.") +
            " The plug-in uses it as it is (it does not clamp this speed); pick 0.15 to 1.0.";
    } else {
        return;
    }
    findings.push_back(std::move(finding));
}

void switchedOffFinding(const SettingUse& use, std::vector<Finding>& findings)
{
    Finding finding = findingAbout(use);
    finding.kind = "switched-off";
    finding.severity = Severity::note;
    const std::string switchOn = hotkeyWords(Hotkey::switchOn);
    finding.message = switchOn.empty()
                          ? written(use) + ": the plug-in starts switched off, and with these keys no key switches "
                                           "it on: it changes no speed until the file says ENABLED = on and is "
                                           "read again."
                          : written(use) + ": the plug-in starts switched off and changes no speed until " + switchOn +
                                " switches it on.";
    findings.push_back(std::move(finding));
}

}  // namespace

std::string failureWords(ReadFailure failure)
{
    switch (failure) {
    case ReadFailure::invalidFloat:
        return "not a number";
    case ReadFailure::floatOutOfRange:
        return "a number too large or too small for a speed";
    case ReadFailure::invalidInteger:
        return "not a whole number";
    case ReadFailure::integerOutOfRange:
        return "a whole number too large or too small for the plug-in";
    case ReadFailure::none:
        break;
    }
    return "readable";
}

Finding findingAbout(const SettingUse& use)
{
    Finding finding;
    finding.line = use.line;
    finding.section = use.row->section;
    finding.key = use.row->key;
    finding.text = clipped(use.text);
    return finding;
}

bool isPlainText(const SettingUse& use)
{
    if (use.source != Source::file)
        return true;
    const std::string_view value = withoutNote(use.text);
    switch (use.row->rule) {
    case SettingRule::flag:
        return isPlainSwitchText(value);
    case SettingRule::decimalFloat:
        return decimalCommaAt(value) == std::string_view::npos && !hasTextAfterABlank(value);
    case SettingRule::keyCode:
        return keyTextOf(value) == KeyText::code;
    case SettingRule::decimalInteger:
        return !hasFractionForAWholeNumber(value, use.loaded.integer) && !hasTextAfterABlank(value);
    }
    return true;
}

void valueTextFindings(const SettingUse& use, std::vector<Finding>& findings)
{
    if (use.source == Source::unreadable) {
        unreadableFinding(use, findings);
        return;
    }
    if (use.source == Source::empty) {
        emptyFinding(use, findings);
        return;
    }
    if (use.source != Source::file)
        return;
    const std::string_view value = withoutNote(use.text);
    switch (use.row->rule) {
    case SettingRule::flag:
        switchWordFinding(use, value, findings);
        break;
    case SettingRule::decimalFloat:
        speedTextFindings(use, value, findings);
        break;
    case SettingRule::keyCode:
        keyTextFindings(use, findings);
        break;
    case SettingRule::decimalInteger:
        wholeNumberTextFindings(use, value, findings);
        break;
    }
}

void valueEffectFindings(const SettingUse& use, std::vector<Finding>& findings)
{
    if (use.clamped)
        clampFinding(use, findings);
    if (use.source != Source::file)
        return;
    if (use.row->rule == SettingRule::decimalFloat)
        speedEffectFinding(use, findings);
    if (use.row->flagField == &Settings::enabled && !use.used.flag)
        switchedOffFinding(use, findings);
}

}  // namespace sim::doctor
