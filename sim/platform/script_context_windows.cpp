// The script context on Windows: a fiber, as the real host runs its scripts.
// The host thread becomes a fiber once (ConvertThreadToFiber), every script
// gets a fiber of its own with a 1 MiB stack (CreateFiberEx), and control
// passes both ways with SwitchToFiber: resumeScript switches to the script,
// yieldToHost (inside scriptWait) switches back to the host's fiber.

#include "platform/script_context.h"

#include <windows.h>

#include <cstddef>

namespace sim::platform {

namespace {

constexpr size_t stackReserve = size_t{1024} * 1024;
constexpr size_t stackCommit = size_t{64} * 1024;

}  // namespace

struct ScriptContext {
    void* fiber = nullptr;
    void* hostFiber = nullptr;  // the fiber that resumed the script last
    void (*entry)() = nullptr;
    bool started = false;
    bool finished = false;
    bool running = false;
};

namespace {

// The context being run, for insideScript.
ScriptContext* current = nullptr;

// The fiber running now. MinGW's GetCurrentFiber reads the thread block
// through gs:0x20, which GCC's bounds check (-O2 and up) mistakes for a read
// past a zero-length array; kept out of line so the warning stays silenced.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
__attribute__((noinline)) void* currentFiber()
{
    return GetCurrentFiber();
}
#pragma GCC diagnostic pop

// The host thread's own fiber: the thread is converted once, on first need,
// and stays a fiber for the rest of the process.
void* hostThreadFiber()
{
    if (IsThreadAFiber())
        return currentFiber();
    return ConvertThreadToFiber(nullptr);
}

VOID CALLBACK fiberMain(LPVOID parameter)
{
    auto* context = static_cast<ScriptContext*>(parameter);
    try {
        context->entry();
    } catch (...) {
        // An exception that leaves the plug-in ends its script just as a
        // return would; it must not unwind past the fiber's first frame.
    }
    // The plug-in's entry never returns; if it does, the host is told and the
    // context is never resumed. A fiber function must not return either (that
    // would end the host's thread), so it parks here for good.
    context->finished = true;
    for (;;)
        SwitchToFiber(context->hostFiber);
}

}  // namespace

ScriptContext* createScriptContext(void (*entry)())
{
    if (hostThreadFiber() == nullptr)
        return nullptr;
    auto* context = new ScriptContext;
    context->entry = entry;
    context->fiber = CreateFiberEx(stackCommit, stackReserve, 0, fiberMain, context);
    if (context->fiber == nullptr) {
        delete context;
        return nullptr;
    }
    return context;
}

void resumeScript(ScriptContext* context)
{
    if (!context || context->finished || context->running)
        return;
    context->started = true;
    context->running = true;
    context->hostFiber = currentFiber();
    ScriptContext* previous = current;
    current = context;
    SwitchToFiber(context->fiber);
    current = previous;
    context->running = false;
}

void yieldToHost(ScriptContext* context)
{
    SwitchToFiber(context->hostFiber);
}

bool insideScript()
{
    return current != nullptr;
}

bool scriptFinished(const ScriptContext* context)
{
    return context && context->finished;
}

void destroyScriptContext(ScriptContext* context)
{
    if (!context || context->running)
        return;
    // A parked fiber's frames are simply dropped with its stack, as when the
    // real host unloads a plug-in whose script waits.
    DeleteFiber(context->fiber);
    delete context;
}

}  // namespace sim::platform
