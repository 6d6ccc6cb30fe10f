// Process services on Windows: reading a text the plug-in points at without
// ever faulting, binary standard streams, and the executable's own folder.

#include "platform/process.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace sim::platform {

namespace {

// True when the committed memory of this region may be read.
bool readableRegion(const MEMORY_BASIC_INFORMATION& region)
{
    if (region.State != MEM_COMMIT)
        return false;
    if (region.Protect & (PAGE_GUARD | PAGE_NOACCESS))
        return false;
    constexpr DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                               PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return (region.Protect & readable) != 0;
}

std::string toUtf8(const wchar_t* text, size_t length)
{
    if (length == 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), result.data(), size, nullptr, nullptr);
    return result;
}

}  // namespace

bool readTextAt(uint64_t address, std::string& text, size_t maxLength)
{
    // Ask the memory manager about each region before touching it, so a wild
    // pointer from the plug-in is reported, never followed into a fault.
    text.clear();
    uint64_t at = address;
    while (text.size() < maxLength) {
        MEMORY_BASIC_INFORMATION region{};
        // The plug-in hands the address over as a number; VirtualQuery vets it
        // before a single byte is read through it.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        const void* where = reinterpret_cast<const void*>(static_cast<uintptr_t>(at));
        if (VirtualQuery(where, &region, sizeof region) == 0 || !readableRegion(region))
            return false;
        const uint64_t regionEnd =
            reinterpret_cast<uint64_t>(region.BaseAddress) + static_cast<uint64_t>(region.RegionSize);
        const char* bytes = static_cast<const char*>(where);
        for (uint64_t i = 0; at + i < regionEnd; ++i) {
            if (bytes[i] == '\0')
                return true;
            text.push_back(bytes[i]);
            if (text.size() >= maxLength)
                return false;
        }
        at = regionEnd;
    }
    return false;
}

void setBinaryStdout()
{
    // The C runtime would turn every LF into CR LF; traces and messages must
    // be byte for byte those of the Linux build.
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

std::string executableDirectory()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return ".";
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            const size_t slash = path.find_last_of(L"\\/");
            if (slash == std::wstring::npos)
                return ".";
            return toUtf8(path.data(), slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace sim::platform
