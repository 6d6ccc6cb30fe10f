#pragma once
// How much memory the simulator's process holds, and whether a library is
// still mapped into it: what a test of repeated unload/load cycles measures.
// Implementations: memory_posix.cpp, memory_windows.cpp.

#include <cstdint>
#include <string>

namespace sim::platform {

struct MemoryUse {
    // Bytes handed out by the C runtime's allocator and not yet freed, over
    // every heap of the process: the plug-in's allocations and ours alike.
    // Linux: mallinfo2 (or AddressSanitizer's count in such a build);
    // Windows: a walk of every process heap.
    uint64_t heapBytes = 0;
    // Address space the process holds for itself (Linux: VmSize; Windows:
    // committed private memory): a leaked stack or mapping shows here.
    uint64_t mappedBytes = 0;
    // Resident memory (Linux: RSS; Windows: working set). Moves with the
    // system's paging; for information only.
    uint64_t residentBytes = 0;
};

// The process's memory now.
MemoryUse memoryUse();

// True while the library loaded from `path` is mapped into the process
// (Linux: named in /proc/self/maps; Windows: GetModuleHandle finds it).
bool libraryMapped(const std::string& path);

}  // namespace sim::platform
