#pragma once
// The benchmark's host: the real Ambleworks.so, loaded with the simulator's
// own loader (dlopen, then DllMain) and ticked on the simulator's own script
// context (a ucontext coroutine; one tick is one resume until scriptWait),
// behind the same exported C functions the simulator gives the plug-in. Only
// the host runtime behind those functions differs: instead of tracing and
// modelling each call, the shared fake game host (tests/fake_game/) checks
// its shape and answers from fake::game() at once, so what a tick costs is
// the plug-in's work plus the crossing of the boundary, which the round-trip
// benchmarks measure on their own.

#include <cstdint>
#include <string>

#include "host/host_api.h"
#include "platform/plugin_loader.h"
#include "platform/script_context.h"
#include "situations.h"

namespace bench {

class PluginHost : public Driver {
public:
    PluginHost() = default;
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;
    ~PluginHost() override { unload(); }

    // Loads the plug-in (a fresh copy of its records) facing a fresh game.
    // False, with the reason, when it cannot be loaded or does not register.
    bool load(const std::string& path, std::string& error);
    // Process detach and dlclose, with the script parked in its wait.
    void unload();

    // Resumes the script until its next scriptWait (its first resume loads
    // Ambleworks.ini from the current directory).
    void runTick() override;
    // One keyboard message, as the host's keyboard path delivers it.
    void sendKey(uint32_t key, bool up) override;

    SimKeyboardHandler keyboardHandler() const;
};

// The host's exported functions, as the plug-in reaches them (looked up in
// the executable's dynamic symbols), for the round-trip benchmarks.
struct ExportedHostFunctions {
    void (*nativeInit)(uint64_t) = nullptr;
    void (*nativePush64)(uint64_t) = nullptr;
    uint64_t* (*nativeCall)() = nullptr;
    void (*scriptWait)(uint32_t) = nullptr;
};
// Installs the host's table (if not done yet) and looks the functions up.
bool exportedHostFunctions(ExportedHostFunctions& functions, std::string& error);

// A script context whose entry does nothing but wait, for the scriptWait
// round trip; it is resumed like the plug-in's.
class EmptyScript {
public:
    EmptyScript();
    ~EmptyScript();
    EmptyScript(const EmptyScript&) = delete;
    EmptyScript& operator=(const EmptyScript&) = delete;
    bool ready() const { return context != nullptr; }
    void resume();

private:
    sim::platform::ScriptContext* context = nullptr;
};

}  // namespace bench
