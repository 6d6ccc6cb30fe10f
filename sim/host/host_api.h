#pragma once
// The nine functions a host gives the plug-in, as one table. The simulator's
// host runtime fills it; each platform hands it to the plug-in its own way:
// on Linux the simulator exports them as plain C symbols, on Windows our
// ScriptHookRDR2.dll exports them under the host's decorated names and
// forwards each call through this table.

#include <cstdint>

extern "C" {

using SimKeyboardHandler = void (*)(uint32_t key, uint16_t repeats, uint8_t scanCode, int32_t isExtended,
                                    int32_t isWithAlt, int32_t wasDownBefore, int32_t isUpNow);

struct HostApi {
    void (*scriptRegister)(void* module, void (*scriptMain)());
    void (*scriptUnregister)(void* module);
    void (*scriptWait)(uint32_t ms);
    void (*keyboardHandlerRegister)(SimKeyboardHandler handler);
    void (*keyboardHandlerUnregister)(SimKeyboardHandler handler);
    void (*nativeInit)(uint64_t hash);
    void (*nativePush64)(uint64_t value);
    uint64_t* (*nativeCall)();
    uint32_t (*getTickCount)();
};

}  // extern "C"
