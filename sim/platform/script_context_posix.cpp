// The script context on POSIX: a ucontext coroutine on a stack of its own
// (1 MiB, with a guard page below it), switched with swapcontext. The
// sanitizers are told of every switch, or they misreport: AddressSanitizer
// through __sanitizer_start/finish_switch_fiber, ThreadSanitizer through its
// fiber interface. Each only in a build with that sanitizer.

#include "platform/script_context.h"

#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define SIM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SIM_ASAN 1
#endif
#endif

#if defined(__SANITIZE_THREAD__)
#define SIM_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SIM_TSAN 1
#endif
#endif

#if defined(SIM_ASAN)
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif
#if defined(SIM_TSAN)
#include <sanitizer/tsan_interface.h>
#endif

namespace sim::platform {

namespace {

constexpr size_t stackSize = size_t{1024} * 1024;

}  // namespace

struct ScriptContext {
    ucontext_t host{};
    ucontext_t script{};
    void (*entry)() = nullptr;
    void* mapping = nullptr;  // guard page + stack
    size_t mappingSize = 0;
    void* stack = nullptr;  // lowest usable byte of the stack
    bool started = false;
    bool finished = false;
    bool running = false;
#if defined(SIM_ASAN)
    void* scriptFakeStack = nullptr;  // the script's fake stack while it is parked
    const void* hostStackBottom = nullptr;
    size_t hostStackSize = 0;
#endif
#if defined(SIM_TSAN)
    void* tsanScript = nullptr;
    void* tsanHost = nullptr;
#endif
};

namespace {

// The context being run; makecontext passes no pointer portably.
ScriptContext* current = nullptr;

// The sanitizer calls around each switch are macros, not helper functions:
// ThreadSanitizer counts function entries and exits per fiber, so the switch
// to another fiber must happen in the frame that then calls swapcontext.

// On the script's side, right after every switch into it.
#if defined(SIM_ASAN)
#define SIM_ARRIVED_IN_SCRIPT(context)                                                                                 \
    __sanitizer_finish_switch_fiber((context)->scriptFakeStack, &(context)->hostStackBottom, &(context)->hostStackSize)
#else
#define SIM_ARRIVED_IN_SCRIPT(context) ((void)(context))
#endif

// On the script's side, right before every switch back to the host; `dying`
// when the script will never run again.
#if defined(SIM_ASAN) && defined(SIM_TSAN)
#define SIM_LEAVING_SCRIPT(context, dying)                                                                             \
    do {                                                                                                               \
        __sanitizer_start_switch_fiber((dying) ? nullptr : &(context)->scriptFakeStack, (context)->hostStackBottom,    \
                                       (context)->hostStackSize);                                                      \
        __tsan_switch_to_fiber((context)->tsanHost, 0);                                                                \
    } while (false)
#elif defined(SIM_ASAN)
#define SIM_LEAVING_SCRIPT(context, dying)                                                                             \
    __sanitizer_start_switch_fiber((dying) ? nullptr : &(context)->scriptFakeStack, (context)->hostStackBottom,        \
                                   (context)->hostStackSize)
#elif defined(SIM_TSAN)
#define SIM_LEAVING_SCRIPT(context, dying) __tsan_switch_to_fiber((context)->tsanHost, 0)
#else
#define SIM_LEAVING_SCRIPT(context, dying) ((void)(context))
#endif

void trampoline()
{
    ScriptContext* context = current;
    SIM_ARRIVED_IN_SCRIPT(context);
    context->entry();
    // The plug-in's entry never returns; if it does, the host is told and the
    // context is never resumed.
    context->finished = true;
    SIM_LEAVING_SCRIPT(context, true);
    swapcontext(&context->script, &context->host);
}

}  // namespace

ScriptContext* createScriptContext(void (*entry)())
{
    const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    auto* context = new ScriptContext;
    context->entry = entry;
    context->mappingSize = stackSize + page;
    context->mapping =
        mmap(nullptr, context->mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (context->mapping == MAP_FAILED) {
        delete context;
        return nullptr;
    }
    mprotect(context->mapping, page, PROT_NONE);  // overflow faults instead of corrupting
    context->stack = static_cast<char*>(context->mapping) + page;

    getcontext(&context->script);
    context->script.uc_stack.ss_sp = context->stack;
    context->script.uc_stack.ss_size = stackSize;
    context->script.uc_link = nullptr;
    makecontext(&context->script, trampoline, 0);
#if defined(SIM_TSAN)
    context->tsanScript = __tsan_create_fiber(0);
#endif
    return context;
}

void resumeScript(ScriptContext* context)
{
    if (!context || context->finished || context->running)
        return;
    context->started = true;
    context->running = true;
    ScriptContext* previous = current;
    current = context;
#if defined(SIM_ASAN)
    void* hostFakeStack = nullptr;
    __sanitizer_start_switch_fiber(&hostFakeStack, context->stack, stackSize);
#endif
#if defined(SIM_TSAN)
    context->tsanHost = __tsan_get_current_fiber();
    __tsan_switch_to_fiber(context->tsanScript, 0);
#endif
    swapcontext(&context->host, &context->script);
#if defined(SIM_ASAN)
    __sanitizer_finish_switch_fiber(hostFakeStack, nullptr, nullptr);
#endif
    current = previous;
    context->running = false;
}

void yieldToHost(ScriptContext* context)
{
    SIM_LEAVING_SCRIPT(context, false);
    swapcontext(&context->script, &context->host);
    SIM_ARRIVED_IN_SCRIPT(context);
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
#if defined(SIM_TSAN)
    __tsan_destroy_fiber(context->tsanScript);
#endif
#if defined(SIM_ASAN)
    // The parked frames poisoned parts of the stack; the memory goes back
    // clean so that a later mapping at the same place is not misreported.
    __asan_unpoison_memory_region(context->stack, stackSize);
#endif
    munmap(context->mapping, context->mappingSize);
    delete context;
}

}  // namespace sim::platform
