#include "plugin_host.h"

#include <dlfcn.h>

#include "bench_game.h"

namespace bench {

namespace {

// What the plug-in registered, and the context its script runs on.
void* registeredModule = nullptr;
void (*registeredScript)() = nullptr;
SimKeyboardHandler registeredKeyboard = nullptr;
sim::platform::PluginLibrary library;
sim::platform::ScriptContext* pluginScript = nullptr;

// The context that is running now; scriptWait parks it.
sim::platform::ScriptContext* runningScript = nullptr;

// When a benchmark is timing, the empty script's entry must wait through the
// same exported function the plug-in calls.
void (*exportedScriptWait)(uint32_t) = nullptr;

void hostScriptRegister(void* module, void (*entry)())
{
    registeredModule = module;
    registeredScript = entry;
}

void hostScriptUnregister(void* module)
{
    if (module == registeredModule) {
        registeredModule = nullptr;
        registeredScript = nullptr;
    }
}

void hostScriptWait(uint32_t /*ms*/)
{
    ++counts().waits;
    if (runningScript)
        sim::platform::yieldToHost(runningScript);
}

void hostKeyboardHandlerRegister(SimKeyboardHandler handler)
{
    registeredKeyboard = handler;
}

void hostKeyboardHandlerUnregister(SimKeyboardHandler handler)
{
    if (handler == registeredKeyboard)
        registeredKeyboard = nullptr;
}

const HostApi hostTable = {
    hostScriptRegister,
    hostScriptUnregister,
    hostScriptWait,
    hostKeyboardHandlerRegister,
    hostKeyboardHandlerUnregister,
    nativeInitAnswer,
    nativePushAnswer,
    nativeCallAnswer,
    clockAnswer,
};

bool tableInstalled = false;

void installTable()
{
    if (!tableInstalled) {
        sim::platform::installHostApi(&hostTable);
        tableInstalled = true;
    }
}

void resumeOn(sim::platform::ScriptContext* context)
{
    sim::platform::ScriptContext* previous = runningScript;
    runningScript = context;
    sim::platform::resumeScript(context);
    runningScript = previous;
}

void waitForever()
{
    for (;;)
        exportedScriptWait(0);
}

}  // namespace

bool PluginHost::load(const std::string& path, std::string& error)
{
    unload();
    installTable();
    resetGame();
    if (!sim::platform::loadPlugin(path, library, error))
        return false;
    if (!registeredScript || !registeredKeyboard) {
        error = "the plug-in did not register its script and keyboard handler";
        unload();
        return false;
    }
    pluginScript = sim::platform::createScriptContext(registeredScript);
    if (!pluginScript) {
        error = "no stack for the script context";
        unload();
        return false;
    }
    return true;
}

void PluginHost::unload()
{
    if (library.module)
        sim::platform::unloadPlugin(library);
    if (pluginScript) {
        sim::platform::destroyScriptContext(pluginScript);
        pluginScript = nullptr;
    }
    registeredModule = nullptr;
    registeredScript = nullptr;
    registeredKeyboard = nullptr;
}

void PluginHost::runTick()
{
    resumeOn(pluginScript);
}

void PluginHost::sendKey(uint32_t key, bool up)
{
    if (registeredKeyboard)
        registeredKeyboard(key, 1, 0, 0, 0, up ? 1 : 0, up ? 1 : 0);
}

SimKeyboardHandler PluginHost::keyboardHandler() const
{
    return registeredKeyboard;
}

bool exportedHostFunctions(ExportedHostFunctions& functions, std::string& error)
{
    installTable();
    functions.nativeInit = reinterpret_cast<void (*)(uint64_t)>(dlsym(RTLD_DEFAULT, "nativeInit"));
    functions.nativePush64 = reinterpret_cast<void (*)(uint64_t)>(dlsym(RTLD_DEFAULT, "nativePush64"));
    functions.nativeCall = reinterpret_cast<uint64_t* (*)()>(dlsym(RTLD_DEFAULT, "nativeCall"));
    functions.scriptWait = reinterpret_cast<void (*)(uint32_t)>(dlsym(RTLD_DEFAULT, "scriptWait"));
    if (!functions.nativeInit || !functions.nativePush64 || !functions.nativeCall || !functions.scriptWait) {
        error = "the executable does not export the host functions";
        return false;
    }
    exportedScriptWait = functions.scriptWait;
    return true;
}

EmptyScript::EmptyScript()
{
    ExportedHostFunctions functions;
    std::string error;
    if (exportedHostFunctions(functions, error))
        context = sim::platform::createScriptContext(waitForever);
}

EmptyScript::~EmptyScript()
{
    if (context)
        sim::platform::destroyScriptContext(context);
}

void EmptyScript::resume()
{
    resumeOn(context);
}

}  // namespace bench
