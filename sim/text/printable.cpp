#include "text/printable.h"

namespace sim::text {

std::string printable(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 0xF];
        }
    }
    return shown;
}

}  // namespace sim::text
