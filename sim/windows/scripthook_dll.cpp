// The simulator's stand-in for the host's ScriptHookRDR2.dll. The real
// Ambleworks.asi imports the eight hook functions from a DLL of that name
// under their decorated names (see windows/ScriptHookRDR2-exports.def); this
// DLL exports them and forwards every call to the host runtime of the
// simulator, which installs itself with simInstallHost before it loads the
// plug-in. The DLL keeps no state of its own beyond that one table.

#include "host/host_api.h"

#include <cstdio>
#include <cstdlib>

namespace {

const HostApi* installedHost = nullptr;

// The host runtime every forwarder calls. A plug-in loaded without the
// simulator installing its runtime first has nobody to answer it: stop with a
// message rather than jump through a null pointer.
const HostApi& host()
{
    if (installedHost == nullptr) {
        std::fputs("ScriptHookRDR2.dll (simulator): called before the simulator installed its host\n", stderr);
        std::abort();
    }
    return *installedHost;
}

}  // namespace

extern "C" {

// Called by the simulator after it loaded this DLL and before it loads the
// plug-in (whose DllMain registers through us inside LoadLibrary). A null
// table uninstalls the host again.
void simInstallHost(const HostApi* api)
{
    installedHost = api;
}

void simScriptRegister(void* module, void (*scriptMain)())
{
    host().scriptRegister(module, scriptMain);
}

void simScriptUnregister(void* module)
{
    host().scriptUnregister(module);
}

void simScriptWait(uint32_t ms)
{
    host().scriptWait(ms);
}

void simKeyboardHandlerRegister(SimKeyboardHandler handler)
{
    host().keyboardHandlerRegister(handler);
}

void simKeyboardHandlerUnregister(SimKeyboardHandler handler)
{
    host().keyboardHandlerUnregister(handler);
}

void simNativeInit(uint64_t hash)
{
    host().nativeInit(hash);
}

void simNativePush64(uint64_t value)
{
    host().nativePush64(value);
}

uint64_t* simNativeCall()
{
    return host().nativeCall();
}

}  // extern "C"
