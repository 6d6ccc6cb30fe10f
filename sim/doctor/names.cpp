// The names the doctor knows: the rows and sections of the settings table,
// the nearest known name to a typo, and the keys of a keyboard by code and by
// name. Sections: rows and sections · typos · words · keys.

#include <algorithm>
#include <array>
#include <cstring>

#include "doctor/doctor_parts.h"
#include "text/nearest_name.h"
#include "trace/format.h"

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

// Close enough to be a typo of a name of `length` bytes.
bool isNear(std::size_t distance, std::size_t length)
{
    const std::size_t allowed = std::max<std::size_t>(1, std::min<std::size_t>(3, length / 4));
    return distance > 0 && distance <= allowed;
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
        // Letter case ignored; a swap of neighbours is one edit.
        const std::size_t distance = text::typingDistance(written, name);
        if (isNear(distance, name.size()) && (best.empty() || distance < bestDistance)) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

struct NamedKey {
    int32_t code;
    const char* name;
};

// Every key of a keyboard (and the mouse buttons) with a name a player knows;
// letters, digits, the numpad digits and F1 to F24 are added by keyName.
constexpr NamedKey namedKeys[] = {
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
    {0x2C, "Print Screen"},
    {0x2D, "Insert"},
    {0x2E, "Delete"},
    {0x5B, "left Windows key"},
    {0x5C, "right Windows key"},
    {0x5D, "Menu key"},
    {0x6A, "Numpad *"},
    {0x6B, "Numpad +"},
    {0x6D, "Numpad -"},
    {0x6E, "Numpad ."},
    {0x6F, "Numpad /"},
    {0x90, "Num Lock"},
    {0x91, "Scroll Lock"},
    {0xA0, "left Shift"},
    {0xA1, "right Shift"},
    {0xA2, "left Ctrl"},
    {0xA3, "right Ctrl"},
    {0xA4, "left Alt"},
    {0xA5, "right Alt"},
    {0xBA, "; (semicolon)"},
    {0xBB, "= (equals)"},
    {0xBC, ", (comma)"},
    {0xBD, "- (minus)"},
    {0xBE, ". (full stop)"},
    {0xBF, "/ (slash)"},
    {0xC0, "` (~)"},
    {0xDB, "[ (bracket)"},
    {0xDC, "\\ (backslash)"},
    {0xDD, "] (bracket)"},
    {0xDE, "' (quote)"},
    {0xE2, "\\ beside left Shift"},
};

// Other names players (and Windows) give some keys, written as normalise()
// leaves them; the Windows names lose their "VK_".
constexpr NamedKey otherNames[] = {
    {0x11, "control"},  {0x1B, "escape"}, {0x0D, "return"},   {0x21, "pgup"},  {0x22, "pgdn"},  {0x2E, "del"},
    {0x2D, "ins"},      {0xA0, "lshift"}, {0xA1, "rshift"},   {0xA2, "lctrl"}, {0xA3, "rctrl"}, {0xA2, "lcontrol"},
    {0xA3, "rcontrol"}, {0xA4, "lalt"},   {0xA5, "ralt"},     {0x12, "menu"},  {0xA4, "lmenu"}, {0xA5, "rmenu"},
    {0x14, "capital"},  {0x21, "prior"},  {0x22, "next"},     {0x08, "back"},  {0x25, "left"},  {0x26, "up"},
    {0x27, "right"},    {0x28, "down"},   {0x20, "spacebar"}, {0x2C, "prtsc"},
};

// A key name as compared: ASCII lower case, without blanks, '_', '-' and "vk".
std::string normalise(std::string_view text)
{
    std::string plain;
    for (char c : text) {
        if (c != ' ' && c != '_' && c != '-' && c != '\t')
            plain += lowerAscii(c);
    }
    if (plain.size() > 2 && plain.compare(0, 2, "vk") == 0)
        plain.erase(0, 2);
    return plain;
}

}  // namespace

// ---------------------------------------------------------------------------
// Rows and sections

const SettingRow& loadRow(std::size_t index)
{
    return index < keyRowCount ? keyRows[index] : settingRows[index - keyRowCount];
}

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
// Typos

std::string nearestKey(const std::string& written)
{
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < loadRowCount; ++i)
        keys.emplace_back(loadRow(i).key);
    return nearestName(written, keys);
}

std::string nearestSection(const std::string& written)
{
    return nearestName(written, sectionNames());
}

// ---------------------------------------------------------------------------
// Words

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
// Keys

std::string keyName(int32_t code)
{
    for (const NamedKey& key : namedKeys) {
        if (key.code == code)
            return key.name;
    }
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return std::string(1, static_cast<char>(code));
    // Appended rather than added with +, which GCC 12 warns about wrongly (-Wrestrict).
    std::string name;
    if (code >= 0x60 && code <= 0x69)
        name.append("Numpad ").append(decimal(code - 0x60));
    else if (code >= 0x70 && code <= 0x87)
        name.append("F").append(decimal(code - 0x70 + 1));
    return name;
}

std::string keyWords(int32_t code)
{
    constexpr int32_t firstCodeWithoutSlot = 255;
    if (code < 0)
        return decimal(code) + " (no key)";
    const std::string hex = hexShort(static_cast<uint32_t>(code));
    if (code == 0 || code >= firstCodeWithoutSlot)
        return hex + " (no key)";
    const std::string name = keyName(code);
    return hex + " (" + (name.empty() ? std::string("no key on a keyboard") : name) + ")";
}

int32_t keyCodeNamed(std::string_view text)
{
    // Every key's name as compared, with its code; made once.
    static const std::vector<std::pair<std::string, int32_t>> names = [] {
        std::vector<std::pair<std::string, int32_t>> all;
        for (int32_t code = 1; code < 255; ++code) {
            if (!keyName(code).empty())
                all.emplace_back(normalise(keyName(code)), code);
        }
        for (const NamedKey& key : otherNames)
            all.emplace_back(key.name, key.code);
        return all;
    }();
    const std::string plain = normalise(text);
    if (plain.empty() || plain.size() > 24)
        return -1;
    for (const auto& [name, code] : names) {
        if (plain == name)
            return code;
    }
    return -1;
}

}  // namespace sim::doctor
