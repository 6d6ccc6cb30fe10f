// The nine functions the plug-in imports, exported as plain C symbols by the
// simulator's executable (linked with ENABLE_EXPORTS), so that dlopen binds
// Ambleworks.so's undefined symbols to them. Each forwards through the table
// that installHostApi set. They stand in a library of their own, which the
// programs that load the plug-in link whole.

#include "host/host_api.h"
#include "platform/plugin_loader.h"

namespace {

const HostApi& api()
{
    return sim::platform::installedHostApi();
}

}  // namespace

#define SIM_EXPORT extern "C" __attribute__((visibility("default")))

SIM_EXPORT void scriptRegister(void* module, void (*scriptMain)())
{
    api().scriptRegister(module, scriptMain);
}

SIM_EXPORT void scriptUnregister(void* module)
{
    api().scriptUnregister(module);
}

SIM_EXPORT void scriptWait(uint32_t ms)
{
    api().scriptWait(ms);
}

SIM_EXPORT void keyboardHandlerRegister(SimKeyboardHandler handler)
{
    api().keyboardHandlerRegister(handler);
}

SIM_EXPORT void keyboardHandlerUnregister(SimKeyboardHandler handler)
{
    api().keyboardHandlerUnregister(handler);
}

SIM_EXPORT void nativeInit(uint64_t hash)
{
    api().nativeInit(hash);
}

SIM_EXPORT void nativePush64(uint64_t value)
{
    api().nativePush64(value);
}

SIM_EXPORT uint64_t* nativeCall()
{
    return api().nativeCall();
}

SIM_EXPORT uint32_t GetTickCount()
{
    return api().getTickCount();
}
