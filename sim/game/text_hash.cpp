#include "game/text_hash.h"

namespace sim {

uint32_t gameTextHash(std::string_view text)
{
    uint32_t hash = 0;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 'A' && byte <= 'Z')
            byte = static_cast<unsigned char>(byte - 'A' + 'a');
        hash += byte;
        hash += hash << 10;
        hash ^= hash >> 6;
    }
    hash += hash << 3;
    hash ^= hash >> 11;
    hash += hash << 15;
    return hash;
}

}  // namespace sim
