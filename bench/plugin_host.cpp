#include "plugin_host.h"

#include <dlfcn.h>

#include "host.h"

namespace bench {

namespace {

sim::platform::PluginLibrary library;
sim::platform::ScriptContext* pluginScript = nullptr;

// The context that is running now; scriptWait parks it.
sim::platform::ScriptContext* runningScript = nullptr;

// When a benchmark is timing, the empty script's entry must wait through the
// same exported function the plug-in calls.
void (*exportedScriptWait)(uint32_t) = nullptr;

void parkRunningScript()
{
    if (runningScript)
        sim::platform::yieldToHost(runningScript);
}

const HostApi hostTable = {
    fake::scriptRegister,
    fake::scriptUnregister,
    fake::scriptWait,
    fake::keyboardHandlerRegister,
    fake::keyboardHandlerUnregister,
    fake::nativeInit,
    fake::nativePush64,
    fake::nativeCall,
    fake::getTickCount,
};

bool tableInstalled = false;

// The simulator's exports answer through the fake host, whose scriptWait
// parks the script that called it.
void installTable()
{
    if (!tableInstalled) {
        sim::platform::installHostApi(&hostTable);
        tableInstalled = true;
    }
    fake::host().onWait = parkRunningScript;
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
    fake::startGame();
    installTable();
    if (!sim::platform::loadPlugin(path, library, error))
        return false;
    if (!fake::host().script || !fake::host().keyboard) {
        error = "the plug-in did not register its script and keyboard handler";
        unload();
        return false;
    }
    pluginScript = sim::platform::createScriptContext(fake::host().script);
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
}

void PluginHost::runTick()
{
    resumeOn(pluginScript);
}

void PluginHost::sendKey(uint32_t key, bool up)
{
    if (fake::host().keyboard)
        fake::host().keyboard(key, 1, 0, 0, 0, up ? 1 : 0, up ? 1 : 0);
}

SimKeyboardHandler PluginHost::keyboardHandler() const
{
    return fake::host().keyboard;
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
