#include "config/key_names.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

// clang-format off
const KeyName keyNameTable[] = {
    // Canonical names, in code order. "None" is what no key reads as.
    {"None", 0x00},
    {"Left Mouse Button", 0x01}, {"Right Mouse Button", 0x02}, {"Middle Mouse Button", 0x04},
    {"Mouse Button 4", 0x05}, {"Mouse Button 5", 0x06},
    {"Backspace", 0x08}, {"Tab", 0x09}, {"Enter", 0x0D},
    {"Shift", 0x10}, {"Ctrl", 0x11}, {"Alt", 0x12}, {"Pause", 0x13}, {"Caps Lock", 0x14}, {"Esc", 0x1B},
    {"Space", 0x20}, {"Page Up", 0x21}, {"Page Down", 0x22}, {"End", 0x23}, {"Home", 0x24},
    {"Left", 0x25}, {"Up", 0x26}, {"Right", 0x27}, {"Down", 0x28},
    {"Print Screen", 0x2C}, {"Insert", 0x2D}, {"Delete", 0x2E},
    {"Digit 0", 0x30}, {"Digit 1", 0x31}, {"Digit 2", 0x32}, {"Digit 3", 0x33}, {"Digit 4", 0x34},
    {"Digit 5", 0x35}, {"Digit 6", 0x36}, {"Digit 7", 0x37}, {"Digit 8", 0x38}, {"Digit 9", 0x39},
    {"A", 0x41}, {"B", 0x42}, {"C", 0x43}, {"D", 0x44}, {"E", 0x45}, {"F", 0x46}, {"G", 0x47},
    {"H", 0x48}, {"I", 0x49}, {"J", 0x4A}, {"K", 0x4B}, {"L", 0x4C}, {"M", 0x4D}, {"N", 0x4E},
    {"O", 0x4F}, {"P", 0x50}, {"Q", 0x51}, {"R", 0x52}, {"S", 0x53}, {"T", 0x54}, {"U", 0x55},
    {"V", 0x56}, {"W", 0x57}, {"X", 0x58}, {"Y", 0x59}, {"Z", 0x5A},
    {"Left Windows", 0x5B}, {"Right Windows", 0x5C}, {"Apps", 0x5D},
    {"Numpad 0", 0x60}, {"Numpad 1", 0x61}, {"Numpad 2", 0x62}, {"Numpad 3", 0x63}, {"Numpad 4", 0x64},
    {"Numpad 5", 0x65}, {"Numpad 6", 0x66}, {"Numpad 7", 0x67}, {"Numpad 8", 0x68}, {"Numpad 9", 0x69},
    {"Numpad Multiply", 0x6A}, {"Numpad Add", 0x6B}, {"Numpad Subtract", 0x6D}, {"Numpad Decimal", 0x6E},
    {"Numpad Divide", 0x6F},
    {"F1", 0x70}, {"F2", 0x71}, {"F3", 0x72}, {"F4", 0x73}, {"F5", 0x74}, {"F6", 0x75},
    {"F7", 0x76}, {"F8", 0x77}, {"F9", 0x78}, {"F10", 0x79}, {"F11", 0x7A}, {"F12", 0x7B},
    {"F13", 0x7C}, {"F14", 0x7D}, {"F15", 0x7E}, {"F16", 0x7F}, {"F17", 0x80}, {"F18", 0x81},
    {"F19", 0x82}, {"F20", 0x83}, {"F21", 0x84}, {"F22", 0x85}, {"F23", 0x86}, {"F24", 0x87},
    {"Num Lock", 0x90}, {"Scroll Lock", 0x91},
    {"Left Shift", 0xA0}, {"Right Shift", 0xA1}, {"Left Ctrl", 0xA2}, {"Right Ctrl", 0xA3},
    {"Left Alt", 0xA4}, {"Right Alt", 0xA5},
    // The punctuation keys of a US keyboard, named by their unshifted sign.
    {"Semicolon", 0xBA}, {"Equals", 0xBB}, {"Comma", 0xBC}, {"Minus", 0xBD}, {"Period", 0xBE},
    {"Slash", 0xBF}, {"Backquote", 0xC0}, {"Left Bracket", 0xDB}, {"Backslash", 0xDC},
    {"Right Bracket", 0xDD}, {"Quote", 0xDE},
    // The key beside Left Shift on many European keyboards (\ or < >).
    {"Extra Backslash", 0xE2},

    // Other spellings, among them the browser's names of the keys.
    {"No Key", 0x00}, {"Mouse 4", 0x05}, {"Mouse 5", 0x06},
    {"Return", 0x0D}, {"Numpad Enter", 0x0D},
    {"Control", 0x11}, {"Caps", 0x14}, {"Escape", 0x1B}, {"Spacebar", 0x20},
    {"PgUp", 0x21}, {"PgDn", 0x22},
    {"Left Arrow", 0x25}, {"Up Arrow", 0x26}, {"Right Arrow", 0x27}, {"Down Arrow", 0x28},
    {"Arrow Left", 0x25}, {"Arrow Up", 0x26}, {"Arrow Right", 0x27}, {"Arrow Down", 0x28},
    {"PrtSc", 0x2C}, {"Ins", 0x2D}, {"Del", 0x2E},
    {"Key 0", 0x30}, {"Key 1", 0x31}, {"Key 2", 0x32}, {"Key 3", 0x33}, {"Key 4", 0x34},
    {"Key 5", 0x35}, {"Key 6", 0x36}, {"Key 7", 0x37}, {"Key 8", 0x38}, {"Key 9", 0x39},
    {"LWin", 0x5B}, {"RWin", 0x5C}, {"Menu Key", 0x5D}, {"Context Menu", 0x5D},
    {"Multiply", 0x6A}, {"Add", 0x6B}, {"Subtract", 0x6D}, {"Decimal", 0x6E}, {"Divide", 0x6F},
    {"Numpad Plus", 0x6B}, {"Numpad Minus", 0x6D},
    {"Scroll", 0x91},
    {"LShift", 0xA0}, {"Shift Left", 0xA0}, {"RShift", 0xA1}, {"Shift Right", 0xA1},
    {"LCtrl", 0xA2}, {"Left Control", 0xA2}, {"Control Left", 0xA2},
    {"RCtrl", 0xA3}, {"Right Control", 0xA3}, {"Control Right", 0xA3},
    {"LAlt", 0xA4}, {"Alt Left", 0xA4}, {"RAlt", 0xA5}, {"AltGr", 0xA5}, {"Alt Right", 0xA5},
    {"Equal", 0xBB}, {"Full Stop", 0xBE}, {"Grave", 0xC0}, {"Tilde", 0xC0},
    {"Bracket Left", 0xDB}, {"Bracket Right", 0xDD}, {"Apostrophe", 0xDE},
};
// clang-format on

const std::size_t keyNameCount = std::size(keyNameTable);

namespace {

bool isIgnoredInName(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == '_' || c == '-';
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Every row by its folded name, sorted, made at the first lookup: a lookup
// is then a binary search, not a walk over the whole table.
const std::vector<std::pair<std::string, const KeyName*>>& rowsByFoldedName()
{
    static const std::vector<std::pair<std::string, const KeyName*>> rows = [] {
        std::vector<std::pair<std::string, const KeyName*>> all;
        for (const KeyName& key : keyNameTable)
            all.emplace_back(foldKeyName(key.name), &key);
        std::sort(all.begin(), all.end());
        return all;
    }();
    return rows;
}

}  // namespace

std::string foldKeyName(std::string_view text)
{
    std::string folded;
    for (char c : text) {
        if (isIgnoredInName(c))
            continue;
        folded += lowerAscii(c);
    }
    return folded;
}

int32_t sharedKeyCode(int32_t code)
{
    constexpr int32_t firstSided = 0xA0;  // Left Shift; then Right Shift, Left Ctrl, ... Right Alt
    constexpr int32_t lastSided = 0xA5;
    constexpr int32_t shift = 0x10;
    if (code < firstSided || code > lastSided)
        return code;
    return shift + (code - firstSided) / 2;
}

const KeyName* findKeyName(std::string_view text)
{
    const std::string folded = foldKeyName(text);
    const auto& rows = rowsByFoldedName();
    const auto at = std::lower_bound(rows.begin(), rows.end(), folded,
                                     [](const auto& row, const std::string& name) { return row.first < name; });
    if (folded.empty() || at == rows.end() || at->first != folded)
        return nullptr;
    return at->second;
}

std::optional<int32_t> keyCodeOfName(std::string_view text)
{
    const KeyName* key = findKeyName(text);
    if (!key)
        return std::nullopt;
    return sharedKeyCode(key->code);
}

std::string_view keyNameOfCode(int32_t code)
{
    for (const KeyName& key : keyNameTable) {
        if (key.code == code)
            return key.name;
    }
    return {};
}
