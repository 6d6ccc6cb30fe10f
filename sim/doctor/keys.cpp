// What the doctor says about the key settings (WALK_CONTROL_KEY and the keys
// of [Keys]): a key name or a decimal number where a hexadecimal code is
// read, codes that name no key or never arrive in a key message, hotkeys
// that need Num Lock, and two roles on one key.

#include <cstdlib>

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

bool allDigits(const std::string& text)
{
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return !text.empty();
}

bool isKeyCode(int32_t code)
{
    return code > 0 && code < firstCodeWithoutSlot;
}

// A key code written in decimal: a warning when the hexadecimal reading is
// no key and the decimal one is, a note when both are keys.
void decimalCodeFinding(const SettingUse& use, int32_t read, std::vector<Finding>& findings)
{
    const long meant = std::strtol(use.text.c_str(), nullptr, 10);
    if (use.text.size() < 2 || meant <= 0 || meant >= firstCodeWithoutSlot)
        return;
    const auto code = static_cast<int32_t>(meant);
    const bool readIsKey = isKeyCode(read) && !keyName(read).empty();
    if (keyName(code).empty())
        return;
    Finding finding = findingAbout(use);
    finding.kind = "key-code-decimal";
    const std::string written = std::string(use.row->key) + " = " + use.text;
    if (readIsKey) {
        finding.severity = Severity::note;
        finding.message = written + " is read as a hexadecimal code: " + keyWords(read) + ". If you meant " + use.text +
                          " in decimal, that is " + keyWords(code) + ": write " +
                          hexShort(static_cast<uint32_t>(code)) + ".";
    } else {
        finding.severity = Severity::warning;
        finding.message = written + " reads as " + keyWords(read) + ": key codes here are hexadecimal. Did you mean " +
                          hexShort(static_cast<uint32_t>(code)) + ", which is " + use.text + " in decimal (" +
                          keyName(code) + ")?";
    }
    findings.push_back(finding);
}

void keyNameFinding(const SettingUse& use, int32_t read, int32_t named, std::vector<Finding>& findings)
{
    Finding finding = findingAbout(use);
    finding.kind = "key-name";
    finding.severity = Severity::warning;
    finding.message = std::string(use.row->key) + " = " + clipped(use.text) +
                      " names a key, but the plug-in reads a hexadecimal key code here: it reads this as " +
                      keyWords(read) + ". Write " + hexShort(static_cast<uint32_t>(named)) + " for " + keyName(named) +
                      ".";
    findings.push_back(finding);
}

// A key no key message ever carries: the left and right Shift, Ctrl and Alt
// (key messages carry the generic code for either side) and mouse buttons.
void neverArrivesFinding(const SettingUse& use, std::vector<Finding>& findings)
{
    const int32_t code = use.used.integer;
    const bool leftOrRight = code >= 0xA0 && code <= 0xA5;
    const bool mouse = code == 0x01 || code == 0x02 || (code >= 0x04 && code <= 0x06);
    if (!leftOrRight && !mouse)
        return;
    Finding finding = findingAbout(use);
    finding.kind = "key-never-arrives";
    finding.severity = Severity::warning;
    const std::string written = std::string(use.row->key) + " = " + keyWords(code);
    if (leftOrRight) {
        const int32_t generic = 0x10 + (code - 0xA0) / 2;  // Shift, Ctrl, Alt
        finding.message = written + ": this code never arrives in a key message, because Windows sends " +
                          keyName(generic) + " as " + hexShort(static_cast<uint32_t>(generic)) +
                          " for either side. Write " + hexShort(static_cast<uint32_t>(generic)) + " for " +
                          keyName(generic) + ".";
    } else {
        finding.message =
            written + ": mouse buttons never arrive in a key message, so this key never acts. Pick a keyboard key.";
    }
    findings.push_back(finding);
}

void noKeyFinding(const SettingUse& use, const KeyRole& role, std::vector<Finding>& findings)
{
    const int32_t code = use.used.integer;
    const bool modifier = role.field == &Settings::hotkeyModifier;
    if (isKeyCode(code) || (modifier && code == 0))
        return;
    Finding finding = findingAbout(use);
    finding.kind = "key-none";
    finding.severity = Severity::warning;
    finding.message = std::string(use.row->key) + " = " + clipped(use.text) + " reads as " + keyWords(code) +
                      ", which is no key: " + role.effect + ". Key codes run from 0x01 to 0xFE";
    finding.message += modifier ? "; write 0 for hotkeys without a modifier." : " (0x12 is Alt).";
    findings.push_back(finding);
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
    findings.push_back(finding);
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
    const bool fromFile = first.source == Source::file && !first.text.empty();
    const bool secondFromFile = second.source == Source::file && !second.text.empty();
    Finding finding = findingAbout(secondFromFile && (!fromFile || second.line > first.line) ? second : first);
    finding.kind = "key-shared";
    finding.severity = Severity::warning;
    finding.message = std::string(first.row->key) + " and " + second.row->key + " are both " +
                      keyWords(first.used.integer) + ", so " + firstRole.words + " and " + secondRole.words +
                      " share a key: " + sharedKeyEffect(firstRole, secondRole);
    findings.push_back(finding);
}

void sharedKeyFindings(const std::vector<const SettingUse*>& uses, std::vector<Finding>& findings)
{
    for (std::size_t i = 0; i < uses.size(); ++i) {
        for (std::size_t j = i + 1; j < uses.size(); ++j) {
            const SettingUse& a = *uses[i];
            const SettingUse& b = *uses[j];
            const bool eitherFromFile =
                (a.source == Source::file && !a.text.empty()) || (b.source == Source::file && !b.text.empty());
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
        const std::string name = keyName(code);
        return name.empty() ? hexShort(static_cast<uint32_t>(code)) : name;
    };
    return hotkeyPressWords(hotkeyPress(pluginKeysOf(settings), hotkey), label);
}

void keyTextFindings(const SettingUse& use, std::vector<Finding>& findings)
{
    const int32_t read = convertHexInteger(use.text);
    if (allDigits(use.text)) {
        decimalCodeFinding(use, read, findings);
        return;
    }
    const int32_t named = keyCodeNamed(use.text);
    if (named > 0 && named != read)
        keyNameFinding(use, read, named, findings);
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
        if (use->source != Source::file || use->text.empty())
            continue;
        noKeyFinding(*use, role, findings);
        neverArrivesFinding(*use, findings);
        if (isHotkey(role) && isNumpadDigit(use->used.integer))
            numpadHotkeys.push_back(use);
    }
    numLockFinding(numpadHotkeys, findings);
    sharedKeyFindings(byRole, findings);
}

}  // namespace sim::doctor
