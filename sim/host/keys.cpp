#include "host/keys.h"

#include <charconv>
#include <iterator>

#include "config/key_names.h"
#include "trace/format.h"

namespace sim {

namespace {

// What a real keyboard message carries beside the code: the scan code of set
// 1, as Windows reports it in the message's lParam, and the extended flag.
struct ScanCode {
    uint32_t code;
    uint8_t scan;
    bool extended;
};

// clang-format off
constexpr ScanCode scanCodes[] = {
    {0x08, 0x0E, false}, {0x09, 0x0F, false}, {0x0D, 0x1C, false}, {0x10, 0x2A, false}, {0x11, 0x1D, false},
    {0x12, 0x38, false}, {0x13, 0x45, false}, {0x14, 0x3A, false}, {0x1B, 0x01, false}, {0x20, 0x39, false},
    {0x21, 0x49, true},  {0x22, 0x51, true},  {0x23, 0x4F, true},  {0x24, 0x47, true},  {0x25, 0x4B, true},
    {0x26, 0x48, true},  {0x27, 0x4D, true},  {0x28, 0x50, true},  {0x2C, 0x37, true},  {0x2D, 0x52, true},
    {0x2E, 0x53, true},
    // Digits 0 to 9.
    {0x30, 0x0B, false}, {0x31, 0x02, false}, {0x32, 0x03, false}, {0x33, 0x04, false}, {0x34, 0x05, false},
    {0x35, 0x06, false}, {0x36, 0x07, false}, {0x37, 0x08, false}, {0x38, 0x09, false}, {0x39, 0x0A, false},
    // Letters A to Z.
    {0x41, 0x1E, false}, {0x42, 0x30, false}, {0x43, 0x2E, false}, {0x44, 0x20, false}, {0x45, 0x12, false},
    {0x46, 0x21, false}, {0x47, 0x22, false}, {0x48, 0x23, false}, {0x49, 0x17, false}, {0x4A, 0x24, false},
    {0x4B, 0x25, false}, {0x4C, 0x26, false}, {0x4D, 0x32, false}, {0x4E, 0x31, false}, {0x4F, 0x18, false},
    {0x50, 0x19, false}, {0x51, 0x10, false}, {0x52, 0x13, false}, {0x53, 0x1F, false}, {0x54, 0x14, false},
    {0x55, 0x16, false}, {0x56, 0x2F, false}, {0x57, 0x11, false}, {0x58, 0x2D, false}, {0x59, 0x15, false},
    {0x5A, 0x2C, false},
    {0x5B, 0x5B, true},  {0x5C, 0x5C, true},  {0x5D, 0x5D, true},
    // Numpad 0 to 9, then its operators.
    {0x60, 0x52, false}, {0x61, 0x4F, false}, {0x62, 0x50, false}, {0x63, 0x51, false}, {0x64, 0x4B, false},
    {0x65, 0x4C, false}, {0x66, 0x4D, false}, {0x67, 0x47, false}, {0x68, 0x48, false}, {0x69, 0x49, false},
    {0x6A, 0x37, false}, {0x6B, 0x4E, false}, {0x6D, 0x4A, false}, {0x6E, 0x53, false}, {0x6F, 0x35, true},
    // F1 to F24.
    {0x70, 0x3B, false}, {0x71, 0x3C, false}, {0x72, 0x3D, false}, {0x73, 0x3E, false}, {0x74, 0x3F, false},
    {0x75, 0x40, false}, {0x76, 0x41, false}, {0x77, 0x42, false}, {0x78, 0x43, false}, {0x79, 0x44, false},
    {0x7A, 0x57, false}, {0x7B, 0x58, false}, {0x7C, 0x64, false}, {0x7D, 0x65, false}, {0x7E, 0x66, false},
    {0x7F, 0x67, false}, {0x80, 0x68, false}, {0x81, 0x69, false}, {0x82, 0x6A, false}, {0x83, 0x6B, false},
    {0x84, 0x6C, false}, {0x85, 0x6D, false}, {0x86, 0x6E, false}, {0x87, 0x76, false},
    {0x90, 0x45, true},  {0x91, 0x46, false},
    {0xA0, 0x2A, false}, {0xA1, 0x36, false}, {0xA2, 0x1D, false}, {0xA3, 0x1D, true},  {0xA4, 0x38, false},
    {0xA5, 0x38, true},
    {0xBA, 0x27, false}, {0xBB, 0x0D, false}, {0xBC, 0x33, false}, {0xBD, 0x0C, false}, {0xBE, 0x34, false},
    {0xBF, 0x35, false}, {0xC0, 0x29, false}, {0xDB, 0x1A, false}, {0xDC, 0x2B, false}, {0xDD, 0x1B, false},
    {0xDE, 0x28, false},
};
// clang-format on

// A key's name as the scenario language and the trace write it: the
// canonical name in capitals, without blanks ("Page Up" is PAGEUP).
std::string scenarioSpelling(std::string_view name)
{
    std::string spelling;
    for (char c : name) {
        if (c == ' ')
            continue;
        spelling += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return spelling;
}

std::optional<KeyInfo> keyOfHexCode(std::string_view text)
{
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return std::nullopt;
    uint64_t code = 0;
    const char* begin = text.data() + 2;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(begin, end, code, 16);
    if (result.ec != std::errc() || result.ptr != end || code > 0xFFFFFFFFull)
        return std::nullopt;
    return keyOfCode(static_cast<uint32_t>(code));
}

}  // namespace

KeyInfo keyOfCode(uint32_t code)
{
    KeyInfo key{code, 0, false, hexShort(code)};
    const std::string_view name = code <= 0xFF ? keyNameOfCode(static_cast<int32_t>(code)) : std::string_view();
    if (!name.empty())
        key.name = scenarioSpelling(name);
    for (const ScanCode& scan : scanCodes) {
        if (scan.code == code) {
            key.scanCode = scan.scan;
            key.extended = scan.extended;
        }
    }
    return key;
}

std::vector<std::string> keyNames()
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < keyNameCount; ++i)
        names.push_back(scenarioSpelling(keyNameTable[i].name));
    return names;
}

std::optional<KeyInfo> findKey(std::string_view text)
{
    // A digit alone is the digit key here, where no key code is written in
    // decimal.
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9')
        return keyOfCode(static_cast<uint32_t>(text[0]));
    if (const std::optional<KeyInfo> coded = keyOfHexCode(text))
        return coded;
    // A name of one side of Shift, Ctrl or Alt is that side's own code: the
    // scenario sends what it names, even codes Windows never sends.
    if (const KeyName* named = findKeyName(text))
        return keyOfCode(static_cast<uint32_t>(named->code));
    return std::nullopt;
}

}  // namespace sim
