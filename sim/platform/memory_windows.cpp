// Memory of the process on Windows: the busy blocks of every process heap
// (the C runtime's malloc heap among them, whichever it is), and the private
// bytes and working set the system counts.

#define PSAPI_VERSION 2  // GetProcessMemoryInfo from kernel32: no psapi.dll needed
// windows.h first: psapi.h needs its types.
#include <windows.h>

#include <psapi.h>

#include <string>
#include <vector>

#include "platform/memory.h"
#include "platform/windows_text.h"

namespace sim::platform {

namespace {

// The bytes of the busy blocks of one heap.
uint64_t busyBytes(HANDLE heap)
{
    uint64_t total = 0;
    if (!HeapLock(heap))
        return 0;
    PROCESS_HEAP_ENTRY entry{};
    entry.lpData = nullptr;
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            total += entry.cbData;
    }
    HeapUnlock(heap);
    return total;
}

// The committed private memory of the process, region by region: heaps,
// stacks, VirtualAlloc blocks (but no mapped image or file). Walked rather
// than asked for, because Wine leaves the system's private-bytes count at 0.
uint64_t committedPrivateBytes()
{
    uint64_t total = 0;
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const auto* at = static_cast<const char*>(system.lpMinimumApplicationAddress);
    const auto* const end = static_cast<const char*>(system.lpMaximumApplicationAddress);
    MEMORY_BASIC_INFORMATION region{};
    while (at < end && VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        at = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    }
    return total;
}

}  // namespace

MemoryUse memoryUse()
{
    MemoryUse use;
    // The list is taken first and sized with room to spare, so that walking
    // it allocates nothing on the heaps being counted.
    std::vector<HANDLE> heaps(256);
    DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (count > heaps.size()) {
        heaps.resize(count + 16);
        count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    }
    for (DWORD i = 0; i < count && i < heaps.size(); ++i)
        use.heapBytes += busyBytes(heaps[i]);

    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        use.residentBytes = counters.WorkingSetSize;
    }
    use.mappedBytes = committedPrivateBytes();
    return use;
}

bool libraryMapped(const std::string& path)
{
    std::vector<wchar_t> full(MAX_PATH);
    const std::wstring wide = widen(path);
    DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length + 1);
        length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    const std::wstring absolute = length ? std::wstring(full.data(), length) : wide;
    return GetModuleHandleW(absolute.c_str()) != nullptr;
}

}  // namespace sim::platform
