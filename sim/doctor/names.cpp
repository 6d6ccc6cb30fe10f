// The names the doctor knows: the rows and sections of the settings table,
// the nearest known name to a typo, and the words of values and keys (the
// keys' names come from the plug-in's one table, config/key_names.h).

#include <algorithm>
#include <array>
#include <cstring>

#include "config/key_names.h"
#include "doctor/doctor_parts.h"
#include "text/nearest_name.h"
#include "trace/format.h"

// Index of this file:
// [SECTION] Rows and sections
// [SECTION] Typos
// [SECTION] Words
// [SECTION] Keys

namespace sim::doctor {

namespace {

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view trimmed(std::string_view text)
{
    const char* blanks = " \t\n\r\f\v";
    const std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string_view::npos)
        return {};
    return text.substr(start, text.find_last_not_of(blanks) - start + 1);
}

// The sections the plug-in reads, in load order, as the table spells them.
std::vector<std::string> sectionNames()
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < loadRowCount; ++i) {
        const char* section = loadRow(i).section;
        if (std::find(names.begin(), names.end(), section) == names.end())
            names.emplace_back(section);
    }
    return names;
}

// The most edits a typo of a name of `length` bytes may make.
std::size_t typoEdits(std::size_t length)
{
    return std::max<std::size_t>(1, std::min<std::size_t>(3, length / 4));
}

// Close enough to be a typo of a name of `length` bytes.
bool isNear(std::size_t distance, std::size_t length)
{
    return distance > 0 && distance <= typoEdits(length);
}

// The known name closest to `written` (compared without regard to case), or
// "" when none is near enough to be a typo. Long texts are no typo of a name.
std::string nearestName(const std::string& written, const std::vector<std::string>& names)
{
    constexpr std::size_t longestName = 64;
    if (written.size() > longestName)
        return {};
    std::string best;
    std::size_t bestDistance = 0;
    for (const std::string& name : names) {
        // A length that differs by more than a typo's few letters is no typo.
        const std::size_t lengthGap =
            written.size() > name.size() ? written.size() - name.size() : name.size() - written.size();
        if (!isNear(std::max<std::size_t>(lengthGap, 1), name.size()))
            continue;
        // Letter case ignored; a swap of neighbours is one edit. Only a
        // distance within a typo's edits matters, and is counted.
        const std::size_t distance = text::typingDistanceWithin(written, name, typoEdits(name.size()));
        if (isNear(distance, name.size()) && (best.empty() || distance < bestDistance)) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Rows and sections

namespace {

// `written`, already trimmed, is `known` in any letter case.
bool sameTrimmedName(std::string_view written, std::string_view known)
{
    if (written.size() != known.size())
        return false;
    for (std::size_t i = 0; i < known.size(); ++i) {
        if (lowerAscii(written[i]) != lowerAscii(known[i]))
            return false;
    }
    return true;
}

// The rows' keys and sections as views, made once: every line of a file is
// looked up here.
struct RowNames {
    std::string_view key;
    std::string_view section;
};

const std::array<RowNames, loadRowCount>& rowNames()
{
    static const std::array<RowNames, loadRowCount> names = [] {
        std::array<RowNames, loadRowCount> all;
        for (std::size_t i = 0; i < loadRowCount; ++i)
            all[i] = {loadRow(i).key, loadRow(i).section};
        return all;
    }();
    return names;
}

}  // namespace

bool sameName(std::string_view written, std::string_view known)
{
    return sameTrimmedName(trimmed(written), known);
}

std::size_t loadRowOfKey(std::string_view key)
{
    key = trimmed(key);
    for (std::size_t i = 0; i < loadRowCount; ++i) {
        if (sameTrimmedName(key, rowNames()[i].key))
            return i;
    }
    return noIndex;
}

const char* knownSection(std::string_view name)
{
    name = trimmed(name);
    for (std::size_t i = 0; i < loadRowCount; ++i) {
        if (sameTrimmedName(name, rowNames()[i].section))
            return loadRow(i).section;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// [SECTION] Typos

std::string nearestKey(const std::string& written)
{
    // Made once: every unknown key of a file is compared with them.
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all;
        for (std::size_t i = 0; i < loadRowCount; ++i)
            all.emplace_back(loadRow(i).key);
        return all;
    }();
    return nearestName(written, keys);
}

std::string nearestSection(const std::string& written)
{
    static const std::vector<std::string> sections = sectionNames();
    return nearestName(written, sections);
}

// ---------------------------------------------------------------------------
// [SECTION] Words

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string number(std::size_t value)
{
    return decimal(static_cast<int64_t>(value));
}

std::string clipped(std::string_view text)
{
    if (text.size() <= longestLineKept)
        return std::string(text);
    return std::string(text.substr(0, longestLineKept)) + "...";
}

const char* severityName(Severity severity)
{
    switch (severity) {
    case Severity::problem:
        return "problem";
    case Severity::warning:
        return "warning";
    case Severity::note:
        return "note";
    }
    return "note";
}

// ---------------------------------------------------------------------------
// [SECTION] Keys

std::string keyWords(int32_t code)
{
    constexpr int32_t firstCodeWithoutSlot = 255;
    if (code < 0)
        return decimal(code) + " (no key)";
    const std::string hex = hexShort(static_cast<uint32_t>(code));
    if (code == 0 || code >= firstCodeWithoutSlot)
        return hex + " (no key)";
    const std::string_view name = keyNameOfCode(code);
    return hex + " (" + (name.empty() ? std::string("no named key") : std::string(name)) + ")";
}

std::string valueWords(const SettingRow& row, const SettingValue& value)
{
    switch (row.rule) {
    case SettingRule::flag:
        return value.flag ? "on" : "off";
    case SettingRule::decimalFloat:
        return formatFloat(value.real);
    case SettingRule::keyCode:
        return keyWords(value.integer);
    case SettingRule::decimalInteger:
        return decimal(value.integer);
    }
    return {};
}

std::string defaultWords(const SettingRow& row)
{
    static const Settings builtIn;
    return valueWords(row, settingValueOf(builtIn, row));
}

std::string nearestKeyName(std::string_view written)
{
    // Longer than any name of the table: no typo of one.
    constexpr std::size_t longestName = 24;
    // The most letters a typo of a name may add or drop.
    constexpr std::size_t mostEdits = 3;
    const std::string folded = foldKeyName(written);
    if (folded.empty() || folded.size() > longestName)
        return {};
    // A Windows name ("VK_F9") is the key's name after its "VK_".
    if (folded.size() > 2 && folded.compare(0, 2, "vk") == 0) {
        if (const KeyName* key = findKeyName(std::string_view(folded).substr(2)))
            return key->name;
    }
    // Every spelling of the table, compared as the table compares them; made once.
    static const std::vector<std::string> foldedNames = [] {
        std::vector<std::string> all;
        for (std::size_t i = 0; i < keyNameCount; ++i)
            all.push_back(foldKeyName(keyNameTable[i].name));
        return all;
    }();
    std::vector<std::string> near;
    std::vector<const char*> shown;
    for (std::size_t i = 0; i < keyNameCount; ++i) {
        const std::size_t size = foldedNames[i].size();
        const std::size_t gap = size > folded.size() ? size - folded.size() : folded.size() - size;
        if (gap <= mostEdits) {
            near.push_back(foldedNames[i]);
            shown.push_back(keyNameTable[i].name);
        }
    }
    const std::string best = text::nearestName(folded, near);
    for (std::size_t i = 0; i < near.size() && !best.empty(); ++i) {
        if (near[i] == best)
            return shown[i];
    }
    return {};
}

}  // namespace sim::doctor
