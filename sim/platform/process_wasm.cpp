// The process in WebAssembly: one linear memory that every address below
// its size may be read from, no stdout mode, and no executable folder.

#include "platform/process.h"

namespace sim::platform {

bool readTextAt(uint64_t address, std::string& text, size_t maxLength)
{
    text.clear();
    if (address == 0)
        return false;  // as on every other platform, the null page is never read
    constexpr uint64_t pageSize = 65536;
    const uint64_t memoryEnd = static_cast<uint64_t>(__builtin_wasm_memory_size(0)) * pageSize;
    for (uint64_t at = address; at < memoryEnd && text.size() < maxLength; ++at) {
        // The address comes from the plug-in as a number; within the memory
        // every byte can be read.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        const char byte = *reinterpret_cast<const char*>(static_cast<uintptr_t>(at));
        if (byte == '\0')
            return true;
        text += byte;
    }
    return false;
}

void setBinaryStdout() { }

std::string executableDirectory()
{
    return "/";
}

}  // namespace sim::platform
