// The settings an edit may name, found by section and key in any letter
// case, and the value texts that can be written safely.

#include <algorithm>

#include "config/key_names.h"
#include "config/value_conversions.h"
#include "ini_edit/ini_edit_parts.h"
#include "text/nearest_name.h"

namespace sim::ini_edit {

namespace {

bool sameLookupName(std::string_view written, const char* known)
{
    return lookupName(written) == lookupName(known);
}

std::vector<std::string> keyNames(const std::vector<const SettingRow*>& rows)
{
    std::vector<std::string> names;
    names.reserve(rows.size());
    for (const SettingRow* row : rows)
        names.emplace_back(row->key);
    return names;
}

std::vector<std::string> sectionNames(const std::vector<const SettingRow*>& rows)
{
    std::vector<std::string> names;
    for (const SettingRow* row : rows) {
        if (std::find(names.begin(), names.end(), row->section) == names.end())
            names.emplace_back(row->section);
    }
    return names;
}

// "[A]", "[A] and [B]", "[A], [B] and [C]".
std::string sectionList(const std::vector<const SettingRow*>& rows)
{
    std::string list;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        list += i == 0 ? "" : i + 1 == rows.size() ? " and " : ", ";
        list += std::string("[") + rows[i]->section + "]";
    }
    return list;
}

// Why a key found in `matches` (all rows of that key) is not in `section`.
std::string wrongSectionReason(const std::vector<const SettingRow*>& rows,
                               const std::vector<const SettingRow*>& matches, std::string_view section,
                               std::string_view key)
{
    const std::vector<std::string> sections = sectionNames(rows);
    const bool known = std::any_of(sections.begin(), sections.end(),
                                   [&](const std::string& name) { return sameLookupName(section, name.c_str()); });
    if (!known)
        return "there is no section [" + std::string(section) + "] among the settings" +
               text::didYouMean(section, sections);
    return std::string(matches.front()->key) + " is not a setting of [" + std::string(section) + "]: it belongs in " +
           sectionList(matches) + " (" + std::string(key) + " alone, or " + matches.front()->section + "." +
           matches.front()->key + ")";
}

}  // namespace

std::string lookupName(std::string_view name)
{
    std::string looked(name);
    trimBlanks(looked);
    lowerCaseAscii(looked);
    return looked;
}

const std::vector<const SettingRow*>& editableRows()
{
    static const std::vector<const SettingRow*> rows = [] {
        std::vector<const SettingRow*> all;
        for (const SettingRow& row : settingRows)
            all.push_back(&row);
        for (const SettingRow& row : keyRows)
            all.push_back(&row);
        return all;
    }();
    return rows;
}

std::size_t rowOrder(const SettingRow* row)
{
    const std::vector<const SettingRow*>& rows = editableRows();
    return static_cast<std::size_t>(std::find(rows.begin(), rows.end(), row) - rows.begin());
}

const SettingRow* findSetting(const std::vector<const SettingRow*>& rows, std::string_view section,
                              std::string_view key, std::string& reason)
{
    std::vector<const SettingRow*> matches;
    for (const SettingRow* row : rows) {
        if (sameLookupName(key, row->key))
            matches.push_back(row);
    }
    if (matches.empty()) {
        reason = "there is no setting " + std::string(key) + text::didYouMean(key, keyNames(rows));
        return nullptr;
    }
    if (lookupName(section).empty()) {
        if (matches.size() == 1)
            return matches.front();
        reason = std::string(matches.front()->key) + " is a setting of " + sectionList(matches) +
                 ": name the section too (" + matches.front()->section + "." + matches.front()->key + ")";
        return nullptr;
    }
    for (const SettingRow* row : matches) {
        if (sameLookupName(section, row->section))
            return row;
    }
    reason = wrongSectionReason(rows, matches, section, key);
    return nullptr;
}

std::string valueRefusal(std::string_view value)
{
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return "the value holds a line break: the plug-in would read what follows as another line";
    if (value.find('\0') != std::string_view::npos)
        return "the value holds a NUL byte, which the plug-in drops";
    const std::size_t note = value.find_first_of(";#");
    if (note != std::string_view::npos)
        return std::string("the value holds a '") + value[note] +
               "': the plug-in reads everything from there on as a note, not as the value";
    return "";
}

namespace {

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A key written as a code: an optional sign and 0x, then hexadecimal digits
// and nothing else ("0x12", "12", "-1").
bool isKeyCodeText(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    if (text.size() - at > 2 && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X'))
        at += 2;
    return at < text.size() && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(), isHexDigit);
}

std::vector<std::string> allKeyNames()
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < keyNameCount; ++i)
        names.emplace_back(keyNameTable[i].name);
    return names;
}

}  // namespace

std::string readingRefusal(const SettingRow& row, std::string_view value)
{
    if (value.empty())
        return "";  // the setting's built-in default, as the plug-in reads an empty line
    const std::string written = std::string(row.key) + " = " + std::string(value);
    switch (row.rule) {
    case SettingRule::decimalFloat:
    case SettingRule::decimalInteger: {
        const ReadFailure failure = readSetting(row, value).failure;
        if (failure == ReadFailure::none)
            return "";
        return written + " is not a number the plug-in can read (" + readFailureText(failure) +
               "), so it would take its built-in default";
    }
    case SettingRule::flag:
        if (switchWordOf(value) != SwitchWord::unknown)
            return "";
        return written + ": write on or off (or 1 or 0) for a switch";
    case SettingRule::keyCode:
        if (findKeyName(value) || isKeyCodeText(value))
            return "";
        return written + " names no key" + text::didYouMean(value, allKeyNames()) +
               ": write a key's name (Alt, F9, Numpad 1) or its code";
    }
    return "";
}

std::string editRefusal(const SettingRow& row, std::string_view value)
{
    std::string reason = valueRefusal(value);
    return reason.empty() ? readingRefusal(row, value) : reason;
}

std::string editRefusal(const Edit& edit)
{
    std::string reason;
    const SettingRow* row = findSetting(editableRows(), edit.section, edit.key, reason);
    if (!row)
        return reason;
    std::string value = edit.value;
    trimBlanks(value);
    return editRefusal(*row, value);
}

std::string editName(const Edit& edit)
{
    return edit.section.empty() ? edit.key : edit.section + "." + edit.key;
}

}  // namespace sim::ini_edit
