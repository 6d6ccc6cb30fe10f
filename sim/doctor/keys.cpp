// What the doctor says about the key settings (WALK_CONTROL_KEY and the keys
// of [Keys]): the key a name reads as, a decimal number where a hexadecimal
// code is read, a name the plug-in does not know, codes that name no key or
// never arrive in a key message, hotkeys that need Num Lock, and two roles on
// one key. Names and codes are the plug-in's (config/key_names.h).

#include <cstdlib>
#include <utility>

#include "config/key_names.h"
#include "config/value_conversions.h"
#include "doctor/doctor_parts.h"
#include "trace/format.h"

namespace sim::doctor {

namespace {

constexpr int32_t firstCodeWithoutSlot = 255;

// The roles a key plays, in the order the messages name them.
struct KeyRole {
    int32_t Settings::*field;
    const char* words;   // "the switch-off hotkey"
    const char* effect;  // what the player loses when no key plays it
};

constexpr KeyRole keyRoles[] = {
    {&Settings::hotkeyModifier, "the hotkey modifier", "no hotkey can act"},
    {&Settings::switchOffKey, "the switch-off hotkey", "the switch-off hotkey does nothing"},
    {&Settings::switchOnKey, "the switch-on hotkey", "the switch-on hotkey does nothing"},
    {&Settings::reloadKey, "the reload hotkey", "the reload hotkey does nothing"},
    {&Settings::sprintKey, "the sprint key", "Shift taps do nothing, and the plug-in never sees a sprint end"},
    {&Settings::walkControlKey, "the walk-control key", "no key acts as the walk-control key"},
};

const KeyRole* roleOf(const SettingRow& row)
{
    for (const KeyRole& role : keyRoles) {
        if (row.integerField == role.field)
            return &role;
    }
    return nullptr;
}

bool isHotkey(const KeyRole& role)
{
    return role.field == &Settings::switchOffKey || role.field == &Settings::switchOnKey ||
           role.field == &Settings::reloadKey;
}

bool allDigits(std::string_view text)
{
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return !text.empty();
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A text written as a key code: a sign, 0x and hexadecimal digits, nothing
// else. Only which words the doctor uses depends on this; the code itself is
// always the plug-in's reading.
bool isCodeText(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X'))
        at += 2;
    if (at == text.size())
        return false;
    for (; at < text.size(); ++at) {
        if (!isHexDigit(text[at]))
            return false;
    }
    return true;
}

std::string_view firstWord(std::string_view text)
{
    return text.substr(0, text.find_first_of(" \t\v\f\r\n"));
}

// The longest run of whole words at the start of a text that names a key
// ("F11 key": F11), or nullptr.
const KeyName* namedStart(std::string_view text)
{
    // Longer than any key's name with its blanks.
    constexpr std::size_t longestNamedStart = 32;
    text = text.substr(0, longestNamedStart);
    for (std::size_t end = text.find_last_of(" \t"); end != std::string_view::npos && end > 0;
         end = text.find_last_of(" \t", end - 1)) {
        if (const KeyName* key = findKeyName(text.substr(0, end)))
            return key;
    }
    return nullptr;
}

bool isKeyCode(int32_t code)
{
    return code > 0 && code < firstCodeWithoutSlot;
}

// "the F11 key", "Alt", or a mouse button by its own name.
std::string keyCalled(int32_t code)
{
    const std::string name(keyNameOfCode(code));
    return name.find("Mouse") != std::string::npos ? "the " + name : "the " + name + " key";
}

// A key name: what key and code it reads as.
void keyNameFinding(const SettingUse& use, const KeyName& key, std::vector<Finding>& findings)
{
    const int32_t code = sharedKeyCode(key.code);
    const std::string hex = hexShort(static_cast<uint32_t>(code));
    Finding finding = findingAbout(use);
    finding.kind = "key-name";
    finding.severity = Severity::note;
    const std::string written = std::string(use.row->key) + " = " + clipped(withoutNote(use.text));
    if (code == 0)
        finding.message =
            written + " means no key, " + hex +
            (use.row->integerField == &Settings::hotkeyModifier ? ": the hotkeys need no modifier." : ".");
    else if (code != key.code)
        finding.message = written + " reads as " + std::string(keyNameOfCode(code)) + ", " + hex + ": both " +
                          std::string(keyNameOfCode(code)) + " keys send it, so either side works.";
    else
        finding.message = written + " is " + keyCalled(code) + ", " + hex + ".";
    findings.push_back(std::move(finding));
}

// A key code written in decimal: a warning when the hexadecimal reading is
// no key and the decimal one is, a note when both are keys.
void decimalCodeFinding(const SettingUse& use, std::string_view value, int32_t read, std::vector<Finding>& findings)
{
    const long meant = std::strtol(std::string(value).c_str(), nullptr, 10);
    if (value.size() < 2 || meant <= 0 || meant >= firstCodeWithoutSlot)
        return;
    const auto code = static_cast<int32_t>(meant);
    const std::string_view name = keyNameOfCode(code);
    if (name.empty())
        return;
    const bool readIsKey = isKeyCode(read) && !keyNameOfCode(read).empty();
    Finding finding = findingAbout(use);
    finding.kind = "key-code-decimal";
    finding.suggestion = name;
    const std::string written = std::string(use.row->key) + " = " + std::string(value);
    const std::string hex = hexShort(static_cast<uint32_t>(code));
    if (readIsKey) {
        finding.severity = Severity::note;
        finding.message = written + " is read as a hexadecimal code: " + keyWords(read) + ". If you meant " +
                          std::string(value) + " in decimal, that is " + keyWords(code) + ": write " +
                          std::string(name) + " (or " + hex + ").";
    } else {
        finding.severity = Severity::warning;
        finding.message = written + " reads as " + keyWords(read) +
                          ": a number here is a hexadecimal key code. Did you mean " + std::string(name) + " (" + hex +
                          ", which is " + std::string(value) + " in decimal)? Write " + std::string(name) + ".";
    }
    findings.push_back(std::move(finding));
}

// What the player loses when a key setting names no key; "" when nothing is
// lost (a modifier of 0: the hotkeys need none).
std::string noKeyEffect(const KeyRole& role, int32_t code)
{
    const bool modifier = role.field == &Settings::hotkeyModifier;
    if (isKeyCode(code) || (modifier && code == 0))
        return {};
    return role.effect;
}

// A text that names no key and is no code: read as a hexadecimal code all the same.
void unknownKeyNameFinding(const SettingUse& use, const KeyRole& role, std::string_view value,
                           std::vector<Finding>& findings)
{
    Finding finding = findingAbout(use);
    finding.kind = "unknown-key-name";
    finding.severity = Severity::warning;
    const KeyName* start = namedStart(value);
    finding.suggestion = start ? start->name : nearestKeyName(value);
    finding.message = std::string(use.row->key) + " = " + clipped(value) + " names no key the plug-in knows";
    if (!finding.suggestion.empty())
        finding.message += " (did you mean " + finding.suggestion + "?)";
    finding.message += ", so it is read as a hexadecimal code: " + keyWords(use.used.integer);
    const std::string effect = noKeyEffect(role, use.used.integer);
    if (!effect.empty())
        finding.message += ": " + effect + ".";
    else if (role.field == &Settings::hotkeyModifier && use.used.integer == 0)
        finding.message += ", which means the hotkeys need no modifier.";
    else
        finding.message += ".";
    findings.push_back(std::move(finding));
}

bool isMouseButton(int32_t code)
{
    return code == 0x01 || code == 0x02 || (code >= 0x04 && code <= 0x06);
}

// A key no key message ever carries: the left and right Shift, Ctrl and Alt
// (key messages carry the shared code for either side) and mouse buttons.
bool neverArrives(int32_t code)
{
    return sharedKeyCode(code) != code || isMouseButton(code);
}

void neverArrivesFinding(const SettingUse& use, std::vector<Finding>& findings)
{
    const int32_t code = use.used.integer;
    const int32_t shared = sharedKeyCode(code);
    if (!neverArrives(code))
        return;
    Finding finding = findingAbout(use);
    finding.kind = "key-never-arrives";
    finding.severity = Severity::warning;
    const std::string written = std::string(use.row->key) + " = " + keyWords(code);
    if (shared != code) {
        const std::string name(keyNameOfCode(shared));
        finding.message = written + ": this code never arrives in a key message, because Windows sends " + name +
                          " as " + hexShort(static_cast<uint32_t>(shared)) + " for either side. Write " + name +
                          " (or " + hexShort(static_cast<uint32_t>(shared)) + ").";
    } else {
        finding.message =
            written + ": mouse buttons never arrive in a key message, so this key never acts. Pick a keyboard key.";
    }
    findings.push_back(std::move(finding));
}

void noKeyFinding(const SettingUse& use, const KeyRole& role, std::vector<Finding>& findings)
{
    const int32_t code = use.used.integer;
    const std::string effect = noKeyEffect(role, code);
    if (effect.empty())
        return;
    Finding finding = findingAbout(use);
    finding.kind = "key-none";
    finding.severity = Severity::warning;
    finding.message = std::string(use.row->key) + " = " + clipped(withoutNote(use.text)) + " reads as " +
                      keyWords(code) + ", which is no key: " + effect +
                      ". Write a key's name (such as F9) or its code, 0x01 to 0xFE";
    finding.message += role.field == &Settings::hotkeyModifier ? "; 0 means hotkeys without a modifier." : ".";
    findings.push_back(std::move(finding));
}

bool isNumpadDigit(int32_t code)
{
    return (code >= 0x60 && code <= 0x69) || code == 0x6E;
}

// One note for every hotkey the file puts on the numpad, at the first of them.
void numLockFinding(const std::vector<const SettingUse*>& hotkeys, std::vector<Finding>& findings)
{
    if (hotkeys.empty())
        return;
    Finding finding = findingAbout(*hotkeys.front());
    finding.kind = "num-lock";
    finding.severity = Severity::note;
    std::string keys;
    for (std::size_t i = 0; i < hotkeys.size(); ++i) {
        keys += i == 0 ? "" : i + 1 == hotkeys.size() ? " and " : ", ";
        keys += std::string(hotkeys[i]->row->key) + " = " + keyWords(hotkeys[i]->used.integer);
    }
    finding.message = keys + (hotkeys.size() > 1 ? " act" : " acts") +
                      " only while Num Lock is on: with Num Lock off the numpad sends other keys (Numpad 1 is End, "
                      "Numpad 2 Down arrow, Numpad 3 Page Down).";
    findings.push_back(std::move(finding));
}

// What goes wrong when two roles share a key, `first` before `second` in
// keyRoles.
std::string sharedKeyEffect(const KeyRole& first, const KeyRole& second)
{
    if (first.field == &Settings::hotkeyModifier && isHotkey(second)) {
        // The modifier is down for every hotkey, so this one, checked before
        // those after it, takes all their presses.
        std::string later;
        for (const KeyRole* role = &second + 1; role < std::end(keyRoles) && isHotkey(*role); ++role)
            later += std::string(later.empty() ? "" : " and ") + role->words;
        return std::string("pressing that key alone works ") + second.words +
               (later.empty()
                    ? "."
                    : ", and " + later + (later.find(" and ") != std::string::npos ? " never act" : " never acts") +
                          ": holding the modifier always works " + second.words + " first.");
    }
    if (isHotkey(first) && isHotkey(second))
        return std::string(first.words) + " is checked first, so " + second.words + " never acts.";
    return "the two get in each other's way: each press does both, and one of them misses presses and releases the "
           "other takes. Give each its own key.";
}

void sharedKeyFinding(const SettingUse& first, const KeyRole& firstRole, const SettingUse& second,
                      const KeyRole& secondRole, std::vector<Finding>& findings)
{
    // Told at the later line the file gives; a built-in key has none.
    const bool fromFile = first.source == Source::file;
    const bool secondFromFile = second.source == Source::file;
    Finding finding = findingAbout(secondFromFile && (!fromFile || second.line > first.line) ? second : first);
    finding.kind = "key-shared";
    finding.severity = Severity::warning;
    finding.message = std::string(first.row->key) + " and " + second.row->key + " are both " +
                      keyWords(first.used.integer) + ", so " + firstRole.words + " and " + secondRole.words +
                      " share a key: " + sharedKeyEffect(firstRole, secondRole);
    findings.push_back(std::move(finding));
}

void sharedKeyFindings(const std::vector<const SettingUse*>& uses, std::vector<Finding>& findings)
{
    for (std::size_t i = 0; i < uses.size(); ++i) {
        for (std::size_t j = i + 1; j < uses.size(); ++j) {
            const SettingUse& a = *uses[i];
            const SettingUse& b = *uses[j];
            const bool eitherFromFile = a.source == Source::file || b.source == Source::file;
            if (eitherFromFile && isKeyCode(a.used.integer) && a.used.integer == b.used.integer)
                sharedKeyFinding(a, keyRoles[i], b, keyRoles[j], findings);
        }
    }
}

}  // namespace

std::string hotkeyWords(Hotkey hotkey)
{
    // A key a hotkey acts on by its name, or its code where it has none.
    auto label = [](int32_t code) {
        const std::string_view name = keyNameOfCode(code);
        return name.empty() ? hexShort(static_cast<uint32_t>(code)) : std::string(name);
    };
    const HotkeyPress press = hotkeyPress(pluginKeysOf(settings), hotkey);
    // Keys that never arrive in a key message never work a hotkey either.
    if (neverArrives(press.key) || (press.modifier != 0 && neverArrives(press.modifier)))
        return {};
    return hotkeyPressWords(press, label);
}

KeyText keyTextOf(std::string_view text)
{
    if (findKeyName(text))
        return KeyText::name;
    if (isCodeText(text))
        return KeyText::code;
    const std::string_view head = firstWord(text);
    if (head.size() < text.size() && isCodeText(head) && !findKeyName(head))
        return KeyText::codeThenText;
    return KeyText::unknown;
}

void keyTextFindings(const SettingUse& use, std::vector<Finding>& findings)
{
    const std::string_view value = withoutNote(use.text);
    const int32_t read = use.used.integer;
    switch (keyTextOf(value)) {
    case KeyText::name:
        keyNameFinding(use, *findKeyName(value), findings);
        return;
    case KeyText::code:
        if (allDigits(value))
            decimalCodeFinding(use, value, read, findings);
        return;
    case KeyText::codeThenText: {
        Finding finding = findingAbout(use);
        finding.kind = "ignored-text";
        finding.severity = Severity::note;
        finding.message = std::string(use.row->key) + " = " + clipped(value) + " reads as " + keyWords(read) +
                          ": the text after the code is ignored.";
        findings.push_back(std::move(finding));
        return;
    }
    case KeyText::unknown:
        unknownKeyNameFinding(use, *roleOf(*use.row), value, findings);
        return;
    }
}

void keyEffectFindings(const std::vector<SettingUse>& uses, std::vector<Finding>& findings)
{
    std::vector<const SettingUse*> byRole;
    for (const KeyRole& role : keyRoles) {
        for (const SettingUse& use : uses) {
            if (use.row->integerField == role.field)
                byRole.push_back(&use);
        }
    }
    std::vector<const SettingUse*> numpadHotkeys;
    for (const SettingUse* use : byRole) {
        const KeyRole& role = *roleOf(*use->row);
        if (use->source != Source::file)
            continue;
        // A name the plug-in does not know already says what the code read does.
        if (keyTextOf(withoutNote(use->text)) != KeyText::unknown)
            noKeyFinding(*use, role, findings);
        neverArrivesFinding(*use, findings);
        if (isHotkey(role) && isNumpadDigit(use->used.integer))
            numpadHotkeys.push_back(use);
    }
    numLockFinding(numpadHotkeys, findings);
    sharedKeyFindings(byRole, findings);
}

}  // namespace sim::doctor
