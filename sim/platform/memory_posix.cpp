// Memory of the process on Linux: the allocator's own count (mallinfo2, or
// AddressSanitizer's in a build with it, whose allocator mallinfo2 cannot
// see), and /proc/self/statm and /proc/self/maps for the mappings.

#include "platform/memory.h"

#include <malloc.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define SIM_MEMORY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SIM_MEMORY_ASAN 1
#endif
#endif

#if defined(SIM_MEMORY_ASAN)
#include <sanitizer/allocator_interface.h>
#endif

namespace sim::platform {

MemoryUse memoryUse()
{
    MemoryUse use;
#if defined(SIM_MEMORY_ASAN)
    use.heapBytes = __sanitizer_get_current_allocated_bytes();
#else
    // In-use chunks of every arena plus the blocks served by mmap.
    const struct mallinfo2 info = mallinfo2();
    use.heapBytes = info.uordblks + info.hblkhd;
#endif
    std::ifstream statm("/proc/self/statm");
    uint64_t sizePages = 0;
    uint64_t residentPages = 0;
    if (statm >> sizePages >> residentPages) {
        const auto page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
        use.mappedBytes = sizePages * page;
        use.residentBytes = residentPages * page;
    }
    return use;
}

bool libraryMapped(const std::string& path)
{
    // The maps name files by their resolved path.
    char resolved[PATH_MAX];
    const std::string name = realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const size_t at = line.find('/');
        if (at != std::string::npos && line.compare(at, std::string::npos, name) == 0)
            return true;
    }
    return false;
}

}  // namespace sim::platform
