#pragma once
// Loading the plug-in library the way the game would, and handing it the
// host's functions. Implementations: plugin_loader_posix.cpp (dlopen of
// Ambleworks.so, the nine functions exported by the executable itself) and
// plugin_loader_windows.cpp (LoadLibrary of Ambleworks.asi beside our own
// ScriptHookRDR2.dll, which forwards the host's decorated exports to the
// table; GetTickCount patched in the plug-in's import table).

#include <cstdint>
#include <string>

#include "host/host_api.h"

namespace sim::platform {

// A loaded plug-in. `module` is the handle its DllMain receives (and must
// pass to scriptRegister / scriptUnregister); `os` is whatever the platform
// needs to unload it.
struct PluginLibrary {
    void* module = nullptr;
    void* os = nullptr;
    std::string path;
};

// Makes `api` the table behind the functions the plug-in imports. Called once
// before the first load; the table must outlive every loaded plug-in.
void installHostApi(const HostApi* api);

// The table installHostApi set (POSIX and WebAssembly: the exported host
// functions forward through it; both keep it in host_api_table_posix.cpp).
// Ends the program with a message when none is set.
const HostApi& installedHostApi();

// Loads the library at `path` and delivers process attach (POSIX: dlopen,
// then DllMain(module, 1, 0); Windows: LoadLibrary, whose loader calls
// DllMain). The registration calls arrive while this runs. On failure returns
// false with a message and nothing loaded.
bool loadPlugin(const std::string& path, PluginLibrary& library, std::string& error);

// Makes the plug-in read the host's clock (`clock`). POSIX: nothing to do (the
// executable exports GetTickCount). Windows: patches the plug-in's import
// address table entry for KERNEL32's GetTickCount. Called right after
// loadPlugin, before the first tick.
bool hookClock(PluginLibrary& library, uint32_t (*clock)(), std::string& error);

// Delivers process detach (POSIX: DllMain(module, 0, 0), then dlclose;
// Windows: FreeLibrary) and forgets the library. The unregistration calls
// arrive while this runs.
void unloadPlugin(PluginLibrary& library);

// The plug-in's default place: next to the running executable
// (".../Ambleworks.so" or ".../Ambleworks.asi").
std::string defaultPluginPath();

}  // namespace sim::platform
