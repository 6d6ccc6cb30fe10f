#pragma once
// What the plug-in imports from its host: the eight functions of the game's
// script-hook library and the millisecond clock. On Linux they are plain C
// symbols that the loading process provides; on Windows they come from
// ScriptHookRDR2.dll (through our own import library, which binds these C
// names to the host's decorated export names) and from KERNEL32.

#include <cstdint>

#if defined(_WIN32)
#define AMBLEWORKS_HOST_IMPORT __declspec(dllimport)
#else
#define AMBLEWORKS_HOST_IMPORT
#endif

extern "C" {

// The host calls this for every keyboard message: virtual-key code, repeat
// count, scan code, then the message's flags: extended key, Alt held, key
// already down before the message, key released by this message.
using KeyboardHandler = void (*)(uint32_t key, uint16_t repeats, uint8_t scanCode, int32_t isExtended,
                                 int32_t isWithAlt, int32_t wasDownBefore, int32_t isUpNow);

AMBLEWORKS_HOST_IMPORT void scriptRegister(void* module, void (*scriptMain)());
AMBLEWORKS_HOST_IMPORT void scriptUnregister(void* module);
AMBLEWORKS_HOST_IMPORT void scriptWait(uint32_t ms);
AMBLEWORKS_HOST_IMPORT void keyboardHandlerRegister(KeyboardHandler handler);
AMBLEWORKS_HOST_IMPORT void keyboardHandlerUnregister(KeyboardHandler handler);
AMBLEWORKS_HOST_IMPORT void nativeInit(uint64_t hash);
AMBLEWORKS_HOST_IMPORT void nativePush64(uint64_t value);
AMBLEWORKS_HOST_IMPORT uint64_t* nativeCall();

#if defined(_WIN32)
// kernel32's clock; DWORD is a 32-bit unsigned long on Windows.
__declspec(dllimport) unsigned long __stdcall GetTickCount();
#else
uint32_t GetTickCount();
#endif

}  // extern "C"

// The clock as the plug-in reads it: milliseconds, 32 bits, wrapping.
inline uint32_t tickCountMs()
{
    return static_cast<uint32_t>(GetTickCount());
}
