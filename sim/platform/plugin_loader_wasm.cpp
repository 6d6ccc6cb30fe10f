// "Loading" the plug-in in WebAssembly: the plug-in's sources are linked into
// the module, so there is no library to open. A load puts every process-wide
// record of the plug-in back to its load-time value (what a fresh dlopen
// gives) and then calls its DllMain with process attach, exactly as the POSIX
// loader does after dlopen; an unload calls DllMain with process detach. The
// nine host functions are the module's own (host/exports_posix.cpp, plain C
// functions that forward through the installed table), and so is the clock.

#include "platform/plugin_loader.h"

#include "testing/reset_for_tests.h"

extern "C" int32_t DllMain(void* module, uint32_t reason, void* reserved);

namespace sim::platform {

namespace {

// The plug-in's module handle: any address that stays the same.
char moduleHandle = 0;

constexpr uint32_t processDetach = 0;
constexpr uint32_t processAttach = 1;

}  // namespace

bool loadPlugin(const std::string& path, PluginLibrary& library, std::string& /*error*/)
{
    library = PluginLibrary{};
    resetPluginToLoadState();
    library.module = &moduleHandle;
    library.path = path;
    DllMain(library.module, processAttach, nullptr);
    return true;
}

bool hookClock(PluginLibrary& /*library*/, uint32_t (* /*clock*/)(), std::string& /*error*/)
{
    return true;  // GetTickCount is one of the module's own functions
}

void unloadPlugin(PluginLibrary& library)
{
    if (!library.module)
        return;
    DllMain(library.module, processDetach, nullptr);
    library = PluginLibrary{};
}

std::string defaultPluginPath()
{
    return "/Ambleworks.so";
}

}  // namespace sim::platform
