#pragma once
// The context the plug-in's script entry runs on: a coroutine of the host's
// one thread (ucontext on POSIX, a fiber on Windows). The host resumes it once
// per tick; the script hands control back from inside scriptWait. A context
// can be destroyed while it is parked in its wait (the plug-in is unloaded
// with its script suspended, as the real host does), and is never resumed
// after its entry returned.
//
// Implementations: script_context_posix.cpp, script_context_windows.cpp.

namespace sim::platform {

struct ScriptContext;

// Makes a context that will run `entry` on its own stack at the first resume.
// Nothing runs yet. Returns nullptr when no stack can be had.
ScriptContext* createScriptContext(void (*entry)());

// Runs the script until it yields (yieldToHost) or its entry returns. Called
// on the host's own context only.
void resumeScript(ScriptContext* context);

// Called from inside the script (from scriptWait): parks it and returns to the
// host's resumeScript; returns when the host resumes it again.
void yieldToHost(ScriptContext* context);

// True while the calling code runs on a script context (inside resumeScript).
bool insideScript();

// True once the entry has returned; such a context is never resumed again.
bool scriptFinished(const ScriptContext* context);

// Frees a context that is parked, finished or was never started. Never call
// it from inside the script.
void destroyScriptContext(ScriptContext* context);

}  // namespace sim::platform
