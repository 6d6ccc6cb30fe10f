// Plug-ins that do not survive an unload, for the tests that show a reload
// soak catches them. Built twice:
//   RELOAD_LEAK: each attach allocates a block it never frees, as a runtime
//     that keeps a pool per load would.
//   RELOAD_KEEP: linked so that the system never unmaps it; it counts its
//     loads in a static and waits that many milliseconds each tick, so every
//     load after the first plays another trace.
// Both register and unregister as the host requires, so that nothing but the
// fault under test can fail the soak.

#include <cstdint>
#include <cstdlib>

#include "host/host_interface.h"

namespace {

int loads = 0;

void scriptMain()
{
    for (;;)
        scriptWait(static_cast<uint32_t>(loads > 1 ? loads - 1 : 0));
}

void onKey(uint32_t, uint16_t, uint8_t, int32_t, int32_t, int32_t, int32_t) { }

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t DllMain(void* module, uint32_t reason, void*)
{
    if (reason == 1) {
#if defined(RELOAD_LEAK)
        // Touched so that the allocation cannot be left out.
        static_cast<volatile char*>(std::malloc(4096))[0] = 1;
#else
        ++loads;
#endif
        scriptRegister(module, scriptMain);
        keyboardHandlerRegister(onKey);
    } else if (reason == 0) {
        scriptUnregister(module);
        keyboardHandlerUnregister(onKey);
    }
    return 1;
}
