#include "host/keys.h"

#include <charconv>
#include <vector>

#include "trace/format.h"

namespace sim {

namespace {

struct NamedKey {
    const char* name;
    uint32_t code;
    uint8_t scan;
    bool extended;
};

// Scan codes of set 1, as Windows reports them in the message's lParam.
const std::vector<NamedKey>& namedKeys()
{
    static const std::vector<NamedKey> keys = [] {
        std::vector<NamedKey> k = {
            {"BACKSPACE", 0x08, 0x0E, false}, {"TAB", 0x09, 0x0F, false},   {"ENTER", 0x0D, 0x1C, false},
            {"SHIFT", 0x10, 0x2A, false},     {"CTRL", 0x11, 0x1D, false},  {"CONTROL", 0x11, 0x1D, false},
            {"ALT", 0x12, 0x38, false},       {"MENU", 0x12, 0x38, false},  {"PAUSE", 0x13, 0x45, false},
            {"CAPSLOCK", 0x14, 0x3A, false},  {"ESC", 0x1B, 0x01, false},   {"ESCAPE", 0x1B, 0x01, false},
            {"SPACE", 0x20, 0x39, false},     {"PAGEUP", 0x21, 0x49, true}, {"PAGEDOWN", 0x22, 0x51, true},
            {"END", 0x23, 0x4F, true},        {"HOME", 0x24, 0x47, true},   {"LEFT", 0x25, 0x4B, true},
            {"UP", 0x26, 0x48, true},         {"RIGHT", 0x27, 0x4D, true},  {"DOWN", 0x28, 0x50, true},
            {"INSERT", 0x2D, 0x52, true},     {"DELETE", 0x2E, 0x53, true}, {"LSHIFT", 0xA0, 0x2A, false},
            {"RSHIFT", 0xA1, 0x36, false},    {"LCTRL", 0xA2, 0x1D, false}, {"RCTRL", 0xA3, 0x1D, true},
            {"LALT", 0xA4, 0x38, false},      {"RALT", 0xA5, 0x38, true},
        };
        static const uint8_t digitScan[10] = {0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};
        static const char* digitNames[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
        for (int i = 0; i < 10; ++i)
            k.push_back({digitNames[i], static_cast<uint32_t>(0x30 + i), digitScan[i], false});
        static const uint8_t letterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                               0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                               0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
        static const char* letterNames[26] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                              "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
        for (int i = 0; i < 26; ++i)
            k.push_back({letterNames[i], static_cast<uint32_t>(0x41 + i), letterScan[i], false});
        static const uint8_t numpadScan[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
        static const char* numpadNames[10] = {"NUMPAD0", "NUMPAD1", "NUMPAD2", "NUMPAD3", "NUMPAD4",
                                              "NUMPAD5", "NUMPAD6", "NUMPAD7", "NUMPAD8", "NUMPAD9"};
        for (int i = 0; i < 10; ++i)
            k.push_back({numpadNames[i], static_cast<uint32_t>(0x60 + i), numpadScan[i], false});
        static const uint8_t fScan[12] = {0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58};
        static const char* fNames[12] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"};
        for (int i = 0; i < 12; ++i)
            k.push_back({fNames[i], static_cast<uint32_t>(0x70 + i), fScan[i], false});
        return k;
    }();
    return keys;
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

}  // namespace

KeyInfo keyOfCode(uint32_t code)
{
    for (const NamedKey& key : namedKeys()) {
        if (key.code == code)
            return KeyInfo{key.code, key.scan, key.extended, key.name};
    }
    return KeyInfo{code, 0, false, hexShort(code)};
}

std::optional<KeyInfo> findKey(std::string_view text)
{
    const std::string name = upper(text);
    for (const NamedKey& key : namedKeys()) {
        if (name == key.name)
            return keyOfCode(key.code);  // canonical name (CTRL for CONTROL)
    }
    // Any other key by its hexadecimal code (single digits are the digit keys).
    if (name.size() < 3 || name[0] != '0' || name[1] != 'X')
        return std::nullopt;
    uint64_t code = 0;
    const char* begin = name.data() + 2;
    const char* end = name.data() + name.size();
    const auto result = std::from_chars(begin, end, code, 16);
    if (result.ec != std::errc() || result.ptr != end || code > 0xFFFFFFFFull)
        return std::nullopt;
    return keyOfCode(static_cast<uint32_t>(code));
}

}  // namespace sim
