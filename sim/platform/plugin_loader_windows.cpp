// Loading Ambleworks.asi the way the game does: our own ScriptHookRDR2.dll is
// loaded first (from the simulator's folder) and given the host's function
// table; then LoadLibrary of the plug-in, whose imports bind to that DLL's
// decorated exports and whose DllMain the OS loader calls, so the
// registrations arrive before LoadLibrary returns. The plug-in reads
// KERNEL32's GetTickCount; hookClock points its import slot at the host's
// clock.

#include "platform/plugin_loader.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/windows_text.h"

namespace sim::platform {

namespace {

using InstallHostFunction = void (*)(const HostApi*);

const HostApi* hostApi = nullptr;
HMODULE scriptHookLibrary = nullptr;  // loaded once, kept for the whole run
InstallHostFunction installIntoScriptHook = nullptr;

// The system's words for an error code, without the trailing line break.
std::string errorText(DWORD code)
{
    char* message = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), reinterpret_cast<char*>(&message), 0, nullptr);
    std::string text = length && message ? std::string(message, length) : std::string();
    if (message)
        LocalFree(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    if (text.empty())
        text = "error " + std::to_string(code);
    return text;
}

// Loads the simulator's ScriptHookRDR2.dll from the executable's folder (once)
// and hands it the host's table. The plug-in's imports then bind to this
// already loaded module, whatever folder the plug-in itself comes from.
bool prepareScriptHook(std::string& error)
{
    if (!scriptHookLibrary) {
        const std::string path = executableDirectory() + "\\ScriptHookRDR2.dll";
        HMODULE library = LoadLibraryExW(widen(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!library) {
            error = "cannot load the simulator's " + path + ": " + errorText(GetLastError());
            return false;
        }
        auto install =
            reinterpret_cast<InstallHostFunction>(reinterpret_cast<void*>(GetProcAddress(library, "simInstallHost")));
        if (!install) {
            error = path + " is not the simulator's own ScriptHookRDR2.dll (no simInstallHost)";
            FreeLibrary(library);
            return false;
        }
        scriptHookLibrary = library;
        installIntoScriptHook = install;
    }
    installIntoScriptHook(hostApi);
    return true;
}

// True for the modules a plug-in may import its GetTickCount from.
bool isClockModule(const char* name)
{
    return _stricmp(name, "KERNEL32.dll") == 0 || _stricmp(name, "KERNELBASE.dll") == 0 ||
           _strnicmp(name, "api-ms-win-core-sysinfo-", 24) == 0;
}

// Points one import address table slot at `target`.
bool patchSlot(ULONGLONG* slot, void* target)
{
    DWORD previous = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous))
        return false;
    *slot = reinterpret_cast<ULONGLONG>(target);
    DWORD ignored = 0;
    VirtualProtect(slot, sizeof *slot, previous, &ignored);
    return true;
}

}  // namespace

void installHostApi(const HostApi* api)
{
    hostApi = api;
    if (installIntoScriptHook)
        installIntoScriptHook(api);
}

bool loadPlugin(const std::string& path, PluginLibrary& library, std::string& error)
{
    library = PluginLibrary{};
    if (!prepareScriptHook(error))
        return false;

    // No dialog boxes from the loader: a run must fail with a message, not
    // wait for a click.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    const std::wstring widePath = widen(path);
    std::vector<wchar_t> full(MAX_PATH);
    DWORD length = GetFullPathNameW(widePath.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length + 1);
        length = GetFullPathNameW(widePath.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    const std::wstring absolute = length ? std::wstring(full.data(), length) : widePath;

    // The OS loader calls DllMain(module, 1, 0) in here.
    HMODULE module = LoadLibraryExW(absolute.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) {
        error = "cannot load the plug-in " + path + ": " + errorText(GetLastError());
        return false;
    }
    library.module = module;
    library.os = module;
    library.path = path;
    return true;
}

namespace {

// Points every GetTickCount slot in the import table of one imported module
// at `clock`, counting them in `patched`; false (with the reason) when a
// slot cannot be written. `systemClock` finds the slot in a table without
// names.
bool patchClockSlots(unsigned char* base, const IMAGE_IMPORT_DESCRIPTOR& descriptor, const void* systemClock,
                     uint32_t (*clock)(), int& patched, std::string& error)
{
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + descriptor.FirstThunk);
    const IMAGE_THUNK_DATA64* name =
        descriptor.OriginalFirstThunk
            ? reinterpret_cast<const IMAGE_THUNK_DATA64*>(base + descriptor.OriginalFirstThunk)
            : nullptr;
    for (; slot->u1.Function != 0; ++slot) {
        bool isClock = false;
        if (name) {
            if (!IMAGE_SNAP_BY_ORDINAL64(name->u1.Ordinal)) {
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
                isClock = std::strcmp(reinterpret_cast<const char*>(byName->Name), "GetTickCount") == 0;
            }
            ++name;
        } else {
            // An import slot holds the bound function's address as a number.
            // NOLINTNEXTLINE(performance-no-int-to-ptr)
            isClock = systemClock && reinterpret_cast<const void*>(slot->u1.Function) == systemClock;
        }
        if (!isClock)
            continue;
        if (!patchSlot(&slot->u1.Function, reinterpret_cast<void*>(clock))) {
            error = "cannot make the plug-in's import table writable: " + errorText(GetLastError());
            return false;
        }
        ++patched;
    }
    return true;
}

}  // namespace

bool hookClock(PluginLibrary& library, uint32_t (*clock)(), std::string& error)
{
    auto* base = static_cast<unsigned char*>(library.os);
    if (!base) {
        error = "no plug-in loaded";
        return false;
    }
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        error = "the plug-in " + library.path + " is not a 64-bit Windows DLL";
        return false;
    }
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];

    // Where the loader bound GetTickCount, for import tables without names.
    const void* systemClock =
        reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount"));

    int patched = 0;
    if (imports.VirtualAddress != 0) {
        for (auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             descriptor->Name != 0; ++descriptor) {
            if (isClockModule(reinterpret_cast<const char*>(base + descriptor->Name)) &&
                !patchClockSlots(base, *descriptor, systemClock, clock, patched, error))
                return false;
        }
    }
    if (patched == 0) {
        error = "the plug-in " + library.path +
                " does not import GetTickCount from KERNEL32.dll, so its clock cannot be simulated";
        return false;
    }
    return true;
}

void unloadPlugin(PluginLibrary& library)
{
    if (!library.os)
        return;
    // The OS loader calls DllMain(module, 0, 0) in here.
    FreeLibrary(static_cast<HMODULE>(library.os));
    library = PluginLibrary{};
}

std::string defaultPluginPath()
{
    return executableDirectory() + "\\Ambleworks.asi";
}

}  // namespace sim::platform
