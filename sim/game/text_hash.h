#pragma once
// The game's hash of a text (Jenkins one-at-a-time over the lower-cased
// bytes), so control hashes look like the real ones: "INPUT_SPRINT" is
// 0x8FFC75D6. Many have the top bit set, which tests zero-extension.

#include <cstdint>
#include <string_view>

namespace sim {

uint32_t gameTextHash(std::string_view text);

}  // namespace sim
