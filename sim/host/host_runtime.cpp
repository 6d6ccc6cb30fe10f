#include "host/host_runtime.h"

#include "platform/process.h"
#include "trace/format.h"

// Index of this file:
// [SECTION] Loading and unloading
// [SECTION] Driving
// [SECTION] The nine functions

namespace sim {

namespace {

// The C functions of the table: each forwards to the one runtime.
void apiScriptRegister(void* module, void (*entry)())
{
    HostRuntime::instance().scriptRegister(module, entry);
}
void apiScriptUnregister(void* module)
{
    HostRuntime::instance().scriptUnregister(module);
}
void apiScriptWait(uint32_t ms)
{
    HostRuntime::instance().scriptWait(ms);
}
void apiKeyboardHandlerRegister(SimKeyboardHandler handler)
{
    HostRuntime::instance().keyboardHandlerRegister(handler);
}
void apiKeyboardHandlerUnregister(SimKeyboardHandler handler)
{
    HostRuntime::instance().keyboardHandlerUnregister(handler);
}
void apiNativeInit(uint64_t hash)
{
    HostRuntime::instance().nativeInit(hash);
}
void apiNativePush64(uint64_t value)
{
    HostRuntime::instance().nativePush64(value);
}
uint64_t* apiNativeCall()
{
    return HostRuntime::instance().nativeCall();
}
uint32_t apiGetTickCount()
{
    return HostRuntime::instance().getTickCount();
}

const HostApi table = {
    apiScriptRegister,
    apiScriptUnregister,
    apiScriptWait,
    apiKeyboardHandlerRegister,
    apiKeyboardHandlerUnregister,
    apiNativeInit,
    apiNativePush64,
    apiNativeCall,
    apiGetTickCount,
};

std::string flag(bool value)
{
    return value ? "1" : "0";
}

}  // namespace

HostRuntime& HostRuntime::instance()
{
    static HostRuntime runtime;
    return runtime;
}

const HostApi& HostRuntime::api()
{
    return table;
}

HostRuntime::HostRuntime()
    : checker_([](uint64_t address, std::string& text) { return platform::readTextAt(address, text); },
               [this](uint32_t hash) { return model_ ? model_->controlNameOf(hash) : std::string(); })
{
}

void HostRuntime::begin(Trace& trace, GameModel& model, bool callDetails)
{
    trace_ = &trace;
    model_ = &model;
    callDetails_ = callDetails;
    record_ = nullptr;
    checker_.reset();
    caller_ = Caller::host;
}

void HostRuntime::end()
{
    if (loaded())
        unload();
    trace_ = nullptr;
    model_ = nullptr;
    record_ = nullptr;
}

std::string HostRuntime::callerText() const
{
    switch (caller_) {
    case Caller::host:
        return "the host";
    case Caller::attach:
        return "process attach";
    case Caller::detach:
        return "process detach";
    case Caller::script:
        return "the script";
    case Caller::keyboard:
        return "the keyboard handler";
    }
    return "?";
}

void HostRuntime::addEvent(TraceEvent event)
{
    if (record_)
        record_->events.push_back(std::move(event));
}

void HostRuntime::note(const std::string& text)
{
    TraceEvent event;
    event.kind = EventKind::note;
    event.line = "note: " + text;
    addEvent(std::move(event));
}

void HostRuntime::fault(const std::string& text)
{
    TraceEvent event;
    event.kind = EventKind::fault;
    event.name = text;
    event.line = "FAULT: " + text;
    addEvent(std::move(event));
    if (trace_)
        ++trace_->faultCount;
}

void HostRuntime::addFaults(const std::vector<std::string>& faults)
{
    for (const std::string& text : faults)
        fault(text);
}

void HostRuntime::hostCall(const std::string& name, const std::vector<HostArg>& args)
{
    TraceEvent event;
    event.kind = EventKind::call;
    event.name = name;
    event.line = name + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        DecodedArg arg;
        arg.kind = ArgKind::literal;
        arg.shown = args[i].shown;
        arg.slot = args[i].value;
        // Words (module, handler) match name patterns; numbers match numbers.
        if (!args[i].numeric)
            arg.name = args[i].shown;
        event.args.push_back(arg);
        event.line += (i ? ", " : "") + args[i].shown;
    }
    event.line += ")";
    addEvent(std::move(event));
}

// ---------------------------------------------------------------------------
// [SECTION] Loading and unloading

bool HostRuntime::load(const std::string& path, std::string& error)
{
    scriptRegistrations_ = 0;
    keyboardRegistrations_ = 0;
    checker_.reset();
    caller_ = Caller::attach;
    const bool ok = platform::loadPlugin(path, library_, error);
    caller_ = Caller::host;
    if (!ok)
        return false;
    std::string clockError;
    if (!platform::hookClock(library_, &apiGetTickCount, clockError))
        fault("cannot give the plug-in the host's clock: " + clockError);

    if (scriptRegistrations_ != 1)
        fault("process attach called scriptRegister " + decimal(scriptRegistrations_) + " times; expected once");
    if (keyboardRegistrations_ != 1)
        fault("process attach called keyboardHandlerRegister " + decimal(keyboardRegistrations_) +
              " times; expected once");
    if (scriptEntry_ && registeredModule_ != library_.module)
        fault("scriptRegister was given a module handle that is not the plug-in's own");
    return true;
}

void HostRuntime::unload()
{
    if (!loaded())
        return;
    if (platform::insideScript()) {
        fault("the plug-in cannot be unloaded from inside its own script");
        return;
    }
    caller_ = Caller::detach;
    platform::unloadPlugin(library_);
    caller_ = Caller::host;
    if (scriptEntry_)
        fault("process detach did not unregister the script (no scriptUnregister with the plug-in's module)");
    if (keyboardHandler_)
        fault("process detach did not unregister the keyboard handler");
    // The library is gone: whatever it left registered can never run again.
    scriptEntry_ = nullptr;
    keyboardHandler_ = nullptr;
    registeredModule_ = nullptr;
    if (script_) {
        platform::destroyScriptContext(script_);
        script_ = nullptr;
    }
    scriptDead_ = false;
    checker_.reset();
}

// ---------------------------------------------------------------------------
// [SECTION] Driving

void HostRuntime::deliverKey(const KeyMessage& message)
{
    TraceEvent event;
    event.kind = EventKind::key;
    event.name = message.key.name;
    event.keyCode = message.key.code;
    event.keyUp = message.up;
    event.clockMs = message.clockMs;
    const std::string args = hexShort(message.key.code) + ", " + decimal(message.repeats) + ", " +
                             hexShort(message.key.scanCode) + ", " + flag(message.key.extended) + ", " +
                             flag(message.altDown) + ", " + flag(message.wasDown) + ", " + flag(message.up);
    event.line = "key " + message.key.name + " " + message.kind + ": " +
                 (keyboardHandler_ ? "handler(" + args + ")" : "no handler registered") + " @ " +
                 decimal(message.clockMs) + " ms";
    addEvent(std::move(event));
    if (!keyboardHandler_)
        return;
    clockMs_ = message.clockMs;
    caller_ = Caller::keyboard;
    keyboardHandler_(message.key.code, message.repeats, message.key.scanCode, message.key.extended ? 1 : 0,
                     message.altDown ? 1 : 0, message.wasDown ? 1 : 0, message.up ? 1 : 0);
    caller_ = Caller::host;
}

void HostRuntime::runTick()
{
    if (!scriptEntry_ || scriptDead_) {
        note(loaded() ? "no script to run" : "no plug-in loaded");
        return;
    }
    if (!script_) {
        script_ = platform::createScriptContext(scriptEntry_);
        if (!script_) {
            fault("no stack for the script context");
            return;
        }
    }
    caller_ = Caller::script;
    platform::resumeScript(script_);
    caller_ = Caller::host;
    if (platform::scriptFinished(script_)) {
        fault("the script entry returned (it must loop for ever)");
        scriptDead_ = true;
    }
}

// ---------------------------------------------------------------------------
// [SECTION] The nine functions

void HostRuntime::scriptRegister(void* module, void (*entry)())
{
    hostCall("scriptRegister",
             {{module == library_.module || !library_.module ? "module" : "other_module"}, {entry ? "entry" : "null"}});
    if (caller_ != Caller::attach) {
        fault("scriptRegister called by " + callerText() + "; only process attach registers");
        return;
    }
    ++scriptRegistrations_;
    if (!entry) {
        fault("scriptRegister with a null script entry");
        return;
    }
    registeredModule_ = module;
    scriptEntry_ = entry;
}

void HostRuntime::scriptUnregister(void* module)
{
    hostCall("scriptUnregister", {{module == registeredModule_ ? "module" : "other_module"}});
    if (caller_ != Caller::detach)
        fault("scriptUnregister called by " + callerText() + "; only process detach unregisters");
    if (!scriptEntry_) {
        fault("scriptUnregister with no script registered");
        return;
    }
    if (module != registeredModule_) {
        fault("scriptUnregister with another module handle than scriptRegister had");
        return;
    }
    scriptEntry_ = nullptr;
    registeredModule_ = nullptr;
}

void HostRuntime::scriptWait(uint32_t ms)
{
    hostCall("scriptWait", {{decimal(ms), ms, true}});
    if (caller_ != Caller::script || !platform::insideScript()) {
        fault("scriptWait called by " + callerText() + ", outside the script");
        return;
    }
    if (ms != 0)
        fault("scriptWait(" + decimal(ms) + "): the plug-in waits with 0");
    if (checker_.pending())
        fault("scriptWait while a call to " + checker_.pendingName() + " is pending");
    checker_.forgetPrevious();
    platform::yieldToHost(script_);
    // Resumed: the next tick has begun.
}

void HostRuntime::keyboardHandlerRegister(SimKeyboardHandler handler)
{
    hostCall("keyboardHandlerRegister", {{handler ? "handler" : "null"}});
    if (caller_ != Caller::attach) {
        fault("keyboardHandlerRegister called by " + callerText() + "; only process attach registers");
        return;
    }
    ++keyboardRegistrations_;
    if (!handler) {
        fault("keyboardHandlerRegister with a null handler");
        return;
    }
    keyboardHandler_ = handler;
}

void HostRuntime::keyboardHandlerUnregister(SimKeyboardHandler handler)
{
    hostCall("keyboardHandlerUnregister", {{handler == keyboardHandler_ ? "handler" : "other_handler"}});
    if (caller_ != Caller::detach)
        fault("keyboardHandlerUnregister called by " + callerText() + "; only process detach unregisters");
    if (!keyboardHandler_) {
        fault("keyboardHandlerUnregister with no handler registered");
        return;
    }
    if (handler != keyboardHandler_) {
        fault("keyboardHandlerUnregister with another handler than was registered");
        return;
    }
    keyboardHandler_ = nullptr;
}

void HostRuntime::nativeInit(uint64_t hash)
{
    std::vector<std::string> faults;
    if (caller_ != Caller::script)
        faults.push_back("nativeInit called by " + callerText() + "; natives are called from the script only");
    checker_.init(hash, faults);
    addFaults(faults);
}

void HostRuntime::nativePush64(uint64_t value)
{
    std::vector<std::string> faults;
    checker_.push(value, faults);
    addFaults(faults);
}

uint64_t* HostRuntime::nativeCall()
{
    std::vector<std::string> faults;
    CheckedCall call;
    resultSlot_ = 0;
    if (!checker_.call(call, faults)) {
        addFaults(faults);
        return &resultSlot_;
    }
    TraceEvent event;
    event.kind = EventKind::call;
    event.native = true;
    event.name = call.name();
    std::string shown;
    std::string name;
    if (model_)
        resultSlot_ = model_->answer(call, shown, name);
    checker_.completed(call, resultSlot_);
    if (!callDetails_) {
        addEvent(std::move(event));
        addFaults(faults);
        return &resultSlot_;
    }
    event.args = std::move(call.args);
    std::string line = event.name + "(";
    for (size_t i = 0; i < event.args.size(); ++i)
        line += (i ? ", " : "") + event.args[i].shown;
    line += ")";
    if (call.entry && call.entry->result != ResultKind::none) {
        event.hasResult = true;
        event.resultKind = call.entry->result;
        event.resultSlot = resultSlot_;
        event.resultShown = shown;
        event.resultName = name;
        line += " -> " + shown;
    }
    event.line = std::move(line);
    addEvent(std::move(event));
    addFaults(faults);
    return &resultSlot_;
}

}  // namespace sim
