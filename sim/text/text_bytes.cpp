#include "text/text_bytes.h"

namespace sim::text {

namespace {

bool startsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

// A control byte that no text file holds (TAB, LF, VT, FF and CR do).
bool isStrayControl(unsigned char byte)
{
    return (byte < 0x20 && (byte < 0x09 || byte > 0x0D)) || byte == 0x7F;
}

// How many bytes are no text (stray control bytes, and bytes outside
// well-formed UTF-8), counted up to `enough`.
std::size_t countNonTextBytes(std::string_view bytes, std::size_t enough)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < bytes.size() && count < enough;) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            count += isStrayControl(byte) ? 1 : 0;
            ++at;
            continue;
        }
        const std::size_t length = wellFormedUtf8Length(bytes, at);
        count += length == 0 ? 1 : 0;
        at += length == 0 ? 1 : length;
    }
    return count;
}

}  // namespace

bool startsLikeProgram(std::string_view bytes)
{
    return startsWith(bytes, "MZ") || startsWith(bytes, "\x7F"
                                                        "ELF");
}

bool startsWithUtf16Mark(std::string_view bytes)
{
    return startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF");
}

bool isText(std::string_view bytes)
{
    if (startsLikeProgram(bytes))
        return false;
    if (startsWithUtf16Mark(bytes) || bytes.empty())
        return true;
    constexpr std::size_t bytesPerNonTextByte = 4;  // one in four makes it no text
    return countNonTextBytes(bytes, bytes.size() / bytesPerNonTextByte + 1) * bytesPerNonTextByte < bytes.size();
}

std::size_t wellFormedUtf8Length(std::string_view bytes, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80)
        return 1;
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(bytes[at + k]) & 0xC0) != 0x80)
            return 0;
    }
    // No overlong forms, no UTF-16 surrogates, nothing beyond U+10FFFF.
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

}  // namespace sim::text
