#include "support/fake_host.h"

namespace fake {

namespace {

Host theHost;
bool pending = false;
NativeCall current;
uint64_t resultSlot = 0;

}  // namespace

Host& host()
{
    return theHost;
}

void reset()
{
    theHost = Host{};
    pending = false;
    current = NativeCall{};
    resultSlot = 0;
}

std::string textOfSlot(uint64_t slot)
{
    return std::string(reinterpret_cast<const char*>(static_cast<uintptr_t>(slot)));
}

}  // namespace fake

using fake::theHost;

extern "C" {

void scriptRegister(void* module, void (*scriptMain)(void))
{
    ++theHost.scriptRegistrations;
    theHost.registeredModule = module;
    theHost.registeredScript = scriptMain;
}

void scriptUnregister(void* module)
{
    ++theHost.scriptUnregistrations;
    if (module != theHost.registeredModule)
        theHost.fault = "scriptUnregister with another module";
}

void scriptWait(uint32_t)
{
    ++theHost.waits;
}

void keyboardHandlerRegister(KeyboardHandler handler)
{
    ++theHost.keyboardRegistrations;
    theHost.registeredKeyboard = handler;
}

void keyboardHandlerUnregister(KeyboardHandler handler)
{
    ++theHost.keyboardUnregistrations;
    if (handler != theHost.registeredKeyboard)
        theHost.fault = "keyboardHandlerUnregister with another handler";
}

void nativeInit(uint64_t hash)
{
    if (fake::pending)
        theHost.fault = "nativeInit while a call is pending";
    fake::pending = true;
    fake::current = fake::NativeCall{};
    fake::current.hash = hash;
}

void nativePush64(uint64_t value)
{
    if (!fake::pending)
        theHost.fault = "nativePush64 without nativeInit";
    fake::current.args.push_back(value);
}

uint64_t* nativeCall(void)
{
    if (!fake::pending)
        theHost.fault = "nativeCall without nativeInit";
    fake::pending = false;
    fake::current.result = theHost.answer ? theHost.answer(fake::current.hash, fake::current.args) : 0;
    theHost.calls.push_back(fake::current);
    fake::resultSlot = fake::current.result;
    return &fake::resultSlot;
}

uint32_t GetTickCount(void)
{
    return theHost.clockMs;
}

}  // extern "C"
