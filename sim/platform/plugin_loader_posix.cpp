// Loading Ambleworks.so: dlopen, then the entry by hand (no OS loader calls it
// on POSIX). The nine host functions are exported by the executable itself
// (host/exports_posix.cpp), so the library's undefined symbols bind to them.

#include "platform/plugin_loader.h"

#include <dlfcn.h>

#include "platform/process.h"

namespace sim::platform {

namespace {

using DllMainFunction = int32_t (*)(void* module, uint32_t reason, void* reserved);

}  // namespace

bool loadPlugin(const std::string& path, PluginLibrary& library, std::string& error)
{
    library = PluginLibrary{};
    dlerror();
    // RTLD_LOCAL: nothing of the plug-in leaks into the global namespace, and
    // dlclose really unloads it (hidden visibility gives no unique symbols).
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* message = dlerror();
        error = "cannot load the plug-in " + path + ": " + (message ? message : "unknown error");
        return false;
    }
    auto dllMain = reinterpret_cast<DllMainFunction>(dlsym(handle, "DllMain"));
    if (!dllMain) {
        error = "the plug-in " + path + " exports no DllMain";
        dlclose(handle);
        return false;
    }
    library.module = handle;
    library.os = reinterpret_cast<void*>(dllMain);
    library.path = path;
    dllMain(library.module, 1, nullptr);
    return true;
}

bool hookClock(PluginLibrary& /*library*/, uint32_t (* /*clock*/)(), std::string& /*error*/)
{
    return true;  // GetTickCount is one of the executable's exports
}

void unloadPlugin(PluginLibrary& library)
{
    if (!library.module)
        return;
    auto dllMain = reinterpret_cast<DllMainFunction>(library.os);
    dllMain(library.module, 0, nullptr);
    dlclose(library.module);
    library = PluginLibrary{};
}

std::string defaultPluginPath()
{
    return executableDirectory() + "/Ambleworks.so";
}

}  // namespace sim::platform
