#include "text/printable.h"

namespace sim::text {

std::string printable(std::string_view bytes)
{
    std::string shown;
    shown.reserve(bytes.size());
    appendPrintable(shown, bytes);
    return shown;
}

void appendPrintable(std::string& out, std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += digits[byte >> 4];
            out += digits[byte & 0xF];
        }
    }
}

}  // namespace sim::text
