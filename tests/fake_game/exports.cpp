// The fake host as the plain C functions the plug-in imports, for programs
// that link the plug-in's code (unit tests, the keyboard stress test, the
// allocation test).

#include "host.h"

extern "C" {

void scriptRegister(void* module, void (*scriptMain)())
{
    fake::scriptRegister(module, scriptMain);
}

void scriptUnregister(void* module)
{
    fake::scriptUnregister(module);
}

void scriptWait(uint32_t ms)
{
    fake::scriptWait(ms);
}

void keyboardHandlerRegister(KeyboardHandler handler)
{
    fake::keyboardHandlerRegister(handler);
}

void keyboardHandlerUnregister(KeyboardHandler handler)
{
    fake::keyboardHandlerUnregister(handler);
}

void nativeInit(uint64_t hash)
{
    fake::nativeInit(hash);
}

void nativePush64(uint64_t value)
{
    fake::nativePush64(value);
}

uint64_t* nativeCall()
{
    return fake::nativeCall();
}

uint32_t GetTickCount()
{
    return fake::getTickCount();
}

}  // extern "C"
