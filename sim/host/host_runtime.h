#pragma once
// The substitute host: the nine functions the plug-in imports, the rules they
// are checked against, and the driving of the plug-in (load, ticks, keyboard
// messages, unload). One process-wide instance, because the functions the
// plug-in calls are plain C functions with no context argument.
//
// Everything it sees goes into the current TickRecord of a Trace; the native
// calls are answered by a GameModel. The session (session/) decides what
// happens when; this runtime only carries it out and watches.

#include <cstdint>
#include <string>

#include "game/game_model.h"
#include "host/call_checker.h"
#include "host/host_api.h"
#include "host/keys.h"
#include "platform/plugin_loader.h"
#include "platform/script_context.h"
#include "trace/trace.h"

namespace sim {

class HostRuntime {
public:
    static HostRuntime& instance();

    // The table of the nine functions, for platform::installHostApi.
    static const HostApi& api();

    // Starts a session: events go to `record` (see setRecord), natives are
    // answered by `model`, the fault count goes to `trace`. Without
    // `callDetails` a native call is kept as its name alone (what the
    // timeline and the chart read), not its arguments, result and line.
    void begin(Trace& trace, GameModel& model, bool callDetails);
    // Ends a session; the plug-in must have been unloaded.
    void end();

    // Where the next events go.
    void setRecord(TickRecord* record) { record_ = record; }

    // Loads the plug-in and checks the registrations of its attach. False
    // (with the reason) when the library cannot be loaded.
    bool load(const std::string& path, std::string& error);
    // Detaches and unloads the plug-in, with its script parked; checks the
    // unregistrations; destroys the script's context.
    void unload();
    bool loaded() const { return library_.module != nullptr; }

    void setClock(uint32_t ms) { clockMs_ = ms; }
    uint32_t clock() const { return clockMs_; }

    // Hands one keyboard message to the registered handler (if any).
    void deliverKey(const KeyMessage& message);

    // Runs one tick: resumes the script until its scriptWait.
    void runTick();

    // Adds a note or a fault line to the current record.
    void note(const std::string& text);
    void fault(const std::string& text);

    // The nine functions.
    void scriptRegister(void* module, void (*entry)());
    void scriptUnregister(void* module);
    void scriptWait(uint32_t ms);
    void keyboardHandlerRegister(SimKeyboardHandler handler);
    void keyboardHandlerUnregister(SimKeyboardHandler handler);
    void nativeInit(uint64_t hash);
    void nativePush64(uint64_t value);
    uint64_t* nativeCall();
    uint32_t getTickCount() const { return clockMs_; }

private:
    HostRuntime();

    // Who is calling the host right now.
    enum class Caller { host, attach, detach, script, keyboard };

    void addEvent(TraceEvent event);
    void addFaults(const std::vector<std::string>& faults);
    struct HostArg {
        std::string shown;
        uint64_t value = 0;
        bool numeric = false;
    };
    void hostCall(const std::string& name, const std::vector<HostArg>& args);
    std::string callerText() const;

    Trace* trace_ = nullptr;
    GameModel* model_ = nullptr;
    TickRecord* record_ = nullptr;
    CallChecker checker_;
    uint64_t resultSlot_ = 0;
    uint32_t clockMs_ = 0;
    Caller caller_ = Caller::host;
    bool callDetails_ = true;

    platform::PluginLibrary library_;
    void* registeredModule_ = nullptr;
    void (*scriptEntry_)() = nullptr;
    SimKeyboardHandler keyboardHandler_ = nullptr;
    int scriptRegistrations_ = 0;  // during the current attach
    int keyboardRegistrations_ = 0;
    platform::ScriptContext* script_ = nullptr;
    bool scriptDead_ = false;  // its entry returned
};

}  // namespace sim
