#include "host/keys.h"

#include <charconv>
#include <iterator>
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

// Scan codes of set 1, as Windows reports them in the message's lParam. The
// keys with a name of their own come first, in code order; the series
// (digits, letters, numpad, F-keys) follow; other spellings of the same keys
// come last, so that a code always prints under its first name and a new
// spelling never changes a trace.
constexpr NamedKey singleKeys[] = {
    {"BACKSPACE", 0x08, 0x0E, false},
    {"TAB", 0x09, 0x0F, false},
    {"ENTER", 0x0D, 0x1C, false},
    {"SHIFT", 0x10, 0x2A, false},
    {"CTRL", 0x11, 0x1D, false},
    {"CONTROL", 0x11, 0x1D, false},
    {"ALT", 0x12, 0x38, false},
    {"MENU", 0x12, 0x38, false},
    {"PAUSE", 0x13, 0x45, false},
    {"CAPSLOCK", 0x14, 0x3A, false},
    {"ESC", 0x1B, 0x01, false},
    {"ESCAPE", 0x1B, 0x01, false},
    {"SPACE", 0x20, 0x39, false},
    {"PAGEUP", 0x21, 0x49, true},
    {"PAGEDOWN", 0x22, 0x51, true},
    {"END", 0x23, 0x4F, true},
    {"HOME", 0x24, 0x47, true},
    {"LEFT", 0x25, 0x4B, true},
    {"UP", 0x26, 0x48, true},
    {"RIGHT", 0x27, 0x4D, true},
    {"DOWN", 0x28, 0x50, true},
    {"PRINTSCREEN", 0x2C, 0x37, true},
    {"INSERT", 0x2D, 0x52, true},
    {"DELETE", 0x2E, 0x53, true},
    {"LWIN", 0x5B, 0x5B, true},
    {"RWIN", 0x5C, 0x5C, true},
    {"APPS", 0x5D, 0x5D, true},
    {"MULTIPLY", 0x6A, 0x37, false},
    {"ADD", 0x6B, 0x4E, false},
    {"SUBTRACT", 0x6D, 0x4A, false},
    {"DECIMAL", 0x6E, 0x53, false},
    {"DIVIDE", 0x6F, 0x35, true},
    {"NUMLOCK", 0x90, 0x45, true},
    {"SCROLLLOCK", 0x91, 0x46, false},
    {"LSHIFT", 0xA0, 0x2A, false},
    {"RSHIFT", 0xA1, 0x36, false},
    {"LCTRL", 0xA2, 0x1D, false},
    {"RCTRL", 0xA3, 0x1D, true},
    {"LALT", 0xA4, 0x38, false},
    {"RALT", 0xA5, 0x38, true},
    // The punctuation keys of a US layout, named by their unshifted sign.
    {"SEMICOLON", 0xBA, 0x27, false},
    {"EQUALS", 0xBB, 0x0D, false},
    {"COMMA", 0xBC, 0x33, false},
    {"MINUS", 0xBD, 0x0C, false},
    {"PERIOD", 0xBE, 0x34, false},
    {"SLASH", 0xBF, 0x35, false},
    {"BACKQUOTE", 0xC0, 0x29, false},
    {"LBRACKET", 0xDB, 0x1A, false},
    {"BACKSLASH", 0xDC, 0x2B, false},
    {"RBRACKET", 0xDD, 0x1B, false},
    {"QUOTE", 0xDE, 0x28, false},
};

constexpr NamedKey otherSpellings[] = {
    {"RETURN", 0x0D, 0x1C, false},
    {"CAPS", 0x14, 0x3A, false},
    {"PGUP", 0x21, 0x49, true},
    {"PGDN", 0x22, 0x51, true},
    {"INS", 0x2D, 0x52, true},
    {"DEL", 0x2E, 0x53, true},
    {"NUMPADMULTIPLY", 0x6A, 0x37, false},
    {"NUMPADADD", 0x6B, 0x4E, false},
    {"NUMPADSUBTRACT", 0x6D, 0x4A, false},
    {"NUMPADDECIMAL", 0x6E, 0x53, false},
    {"NUMPADDIVIDE", 0x6F, 0x35, true},
    {"TILDE", 0xC0, 0x29, false},
    {"GRAVE", 0xC0, 0x29, false},
};

// A series of keys with consecutive codes, named in order.
struct KeySeries {
    uint32_t firstCode;
    const char* const* names;
    const uint8_t* scans;
    size_t count;
};

constexpr uint8_t digitScan[] = {0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};
constexpr const char* digitNames[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
constexpr uint8_t letterScan[] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                  0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
constexpr const char* letterNames[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                       "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
constexpr uint8_t numpadScan[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
constexpr const char* numpadNames[] = {"NUMPAD0", "NUMPAD1", "NUMPAD2", "NUMPAD3", "NUMPAD4",
                                       "NUMPAD5", "NUMPAD6", "NUMPAD7", "NUMPAD8", "NUMPAD9"};
constexpr uint8_t fScan[] = {0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58,
                             0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x76};
constexpr const char* fNames[] = {"F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",  "F9",  "F10", "F11", "F12",
                                  "F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"};

constexpr KeySeries keySeries[] = {
    {0x30, digitNames, digitScan, std::size(digitNames)},
    {0x41, letterNames, letterScan, std::size(letterNames)},
    {0x60, numpadNames, numpadScan, std::size(numpadNames)},
    {0x70, fNames, fScan, std::size(fNames)},
};

// Every key by name, in the order above; made once.
const std::vector<NamedKey>& namedKeys()
{
    static const std::vector<NamedKey> keys = [] {
        std::vector<NamedKey> all(std::begin(singleKeys), std::end(singleKeys));
        for (const KeySeries& series : keySeries) {
            for (size_t i = 0; i < series.count; ++i)
                all.push_back({series.names[i], series.firstCode + static_cast<uint32_t>(i), series.scans[i], false});
        }
        all.insert(all.end(), std::begin(otherSpellings), std::end(otherSpellings));
        return all;
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

std::vector<std::string> keyNames()
{
    std::vector<std::string> names;
    for (uint32_t code = 0; code < 0x100; ++code) {
        const KeyInfo key = keyOfCode(code);
        if (key.name.rfind("0x", 0) != 0)
            names.push_back(key.name);
    }
    return names;
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
