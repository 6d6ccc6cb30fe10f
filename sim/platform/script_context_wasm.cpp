// The script context in WebAssembly, where there is one call stack and no
// swapcontext. The plug-in is linked into the module and its script entry
// runs as a coroutine made with Asyncify (Binaryen's transform that lets a
// call stack unwind into JavaScript and be rewound later):
//
//   resumeScript  -> simRunScript (JavaScript) -> simScriptTrampoline (an
//   export) -> the entry, on a C stack of the script's own. The script's
//   scriptWait reaches yieldToHost, whose simSwitchScript unwinds the
//   script's frames into this context's buffer; simRunScript stops the
//   unwind and returns to the host. The next resume rewinds those frames,
//   simSwitchScript is called once more in the rewind and stops it, and
//   yieldToHost returns inside the script.
//
// The host's own frames are never unwound: it simply calls into the module
// again. Only the functions on the script's way from the trampoline to
// simSwitchScript are instrumented (sim/web/asyncify-only.txt); a function
// added on that way must be added to that list, or the first wait traps.

#include "platform/script_context.h"

#include <emscripten.h>

#include <cstdint>
#include <memory>

namespace sim::platform {

namespace {

// The script's C stack (locals whose address is taken live there) and the
// buffer its frames are unwound into.
constexpr std::size_t stackSize = std::size_t{256} * 1024;
constexpr std::size_t unwindBufferSize = std::size_t{64} * 1024;

// Where a context is; the numbers are read by the JavaScript below.
enum State : int32_t { fresh = 0, running = 1, parked = 2, rewinding = 3, finished = 4 };

}  // namespace

struct ScriptContext {
    // Asyncify's data record, first: the next free byte of the buffer and
    // its end. JavaScript hands this address to asyncify_start_unwind/rewind.
    uint32_t unwindAt = 0;
    uint32_t unwindEnd = 0;
    int32_t state = fresh;      // offset 8
    uint32_t stackPointer = 0;  // offset 12: the script's stack pointer while parked
    void (*entry)() = nullptr;
    std::unique_ptr<char[]> stack;
    std::unique_ptr<char[]> unwindBuffer;
};

namespace {

// The context running now (nullptr on the host's side).
ScriptContext* current = nullptr;

}  // namespace

}  // namespace sim::platform

// Runs the entry of the context at `context` on its own stack; returns when
// the script parks (its frames unwound) or its entry returns.
extern "C" EMSCRIPTEN_KEEPALIVE void simScriptTrampoline(sim::platform::ScriptContext* context)
{
    context->entry();
    context->state = sim::platform::finished;
}

namespace sim::platform {

namespace {

// Enters the script: first at its entry, later by rewinding its frames.
// Offsets: state at 8, stackPointer at 12.
EM_JS(void, simRunScript, (ScriptContext * context, int stackTop), {
    var hostStack = stackSave();
    var state = HEAP32[(context + 8) >> 2];
    if (state == 2) {
        HEAP32[(context + 8) >> 2] = 3;
        stackRestore(HEAP32[(context + 12) >> 2]);
        Module['_asyncify_start_rewind'](context);
    } else {
        HEAP32[(context + 8) >> 2] = 1;
        stackRestore(stackTop);
    }
    try {
        Module['_simScriptTrampoline'](context);
    } finally {
        if (HEAP32[(context + 8) >> 2] == 2)
            Module['_asyncify_stop_unwind']();
        stackRestore(hostStack);
    }
});

// Called by the script to park, and called again by the rewind that resumes
// it: the second time it ends the rewind and the script goes on.
EM_JS(void, simSwitchScript, (ScriptContext * context), {
    if (HEAP32[(context + 8) >> 2] == 3) {
        Module['_asyncify_stop_rewind']();
        HEAP32[(context + 8) >> 2] = 1;
        return;
    }
    HEAP32[(context + 12) >> 2] = stackSave();
    HEAP32[(context + 8) >> 2] = 2;
    Module['_asyncify_start_unwind'](context);
});

}  // namespace

ScriptContext* createScriptContext(void (*entry)())
{
    auto context = std::make_unique<ScriptContext>();
    context->entry = entry;
    context->stack.reset(new (std::nothrow) char[stackSize]);
    context->unwindBuffer.reset(new (std::nothrow) char[unwindBufferSize]);
    if (!context->stack || !context->unwindBuffer)
        return nullptr;
    // An unwind writes from here on and a rewind reads back down to here.
    const auto buffer = reinterpret_cast<uintptr_t>(context->unwindBuffer.get());
    context->unwindAt = static_cast<uint32_t>(buffer);
    context->unwindEnd = static_cast<uint32_t>(buffer + unwindBufferSize);
    return context.release();
}

void resumeScript(ScriptContext* context)
{
    if (!context || context->state == finished || context->state == running || context->state == rewinding)
        return;
    // The stack grows down from its end, kept 16-byte aligned.
    const auto top = (reinterpret_cast<uintptr_t>(context->stack.get()) + stackSize) & ~uintptr_t{15};
    ScriptContext* previous = current;
    current = context;
    simRunScript(context, static_cast<int>(top));
    current = previous;
}

void yieldToHost(ScriptContext* context)
{
    simSwitchScript(context);
}

bool insideScript()
{
    return current != nullptr;
}

bool scriptFinished(const ScriptContext* context)
{
    return context && context->state == finished;
}

void destroyScriptContext(ScriptContext* context)
{
    // A parked script's frames are only bytes in its buffer: they go with it.
    if (!context || context == current)
        return;
    delete context;
}

}  // namespace sim::platform
