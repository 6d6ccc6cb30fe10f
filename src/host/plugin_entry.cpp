#include "host/plugin_entry.h"

#include "config/settings.h"
#include "controller/controller_tick.h"
#include "host/host_interface.h"
#include "host/key_dispatcher.h"
#include "host/key_state_table.h"

#if defined(_WIN32)
// The statically linked C++ runtime's own clean-up: frees the emergency
// exception pool it allocates at every load and would otherwise leave behind
// at every unload (about 73 KB each time the host reloads its scripts).
// The names are the runtime's own.
// NOLINTNEXTLINE(bugprone-reserved-identifier,readability-identifier-naming)
namespace __gnu_cxx {
// NOLINTNEXTLINE(bugprone-reserved-identifier,readability-identifier-naming)
void __freeres() noexcept;
}  // namespace __gnu_cxx
#endif

namespace {

constexpr uint32_t processDetach = 0;
constexpr uint32_t processAttach = 1;

}  // namespace

void scriptEntry()
{
    loadSettingsGuarded();
    for (;;) {
        controllerTick();
        dispatchKeys();
        scriptWait(0);
    }
}

#if defined(_WIN32)
extern "C" int __stdcall DllMain(void* module, unsigned long reason, void* /*reserved*/)
#else
extern "C" int32_t DllMain(void* module, uint32_t reason, void* /*reserved*/)
#endif
{
    if (reason == processAttach) {
        scriptRegister(module, scriptEntry);
        keyboardHandlerRegister(handleKeyboardMessage);
    } else if (reason == processDetach) {
        scriptUnregister(module);
        keyboardHandlerUnregister(handleKeyboardMessage);
#if defined(_WIN32)
        // Nothing of ours runs after detach, so nothing throws any more.
        __gnu_cxx::__freeres();
#endif
    }
    return 1;
}
