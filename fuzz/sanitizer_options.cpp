// AddressSanitizer's defaults for every fuzz target, linked into each of
// them; ASAN_OPTIONS overrides any of them (docs/sanitizers-and-fuzzing.md).
//
// quarantine_size_mb=16 instead of 256: freed memory still waits there for
// far more than one input frees (half a megabyte at most, measured on inputs
// of 8 KB; a fuzz_plugin session frees about 150 KB), so a use after free
// within an input, or in the inputs that follow, is still caught, and the
// memory an input reuses stays in the processor's caches. This alone made an
// input about half as dear.
//
// malloc_context_size=5 instead of 30: every allocation and every free walks
// and stores the stack that made it, for the report of a use after free or a
// leak, and an input makes thousands of them (at 30 frames, walking and
// storing those stacks took about 7% of fuzz_doctor's time in a profile).
// What is caught stays the same, and a report still shows the whole stack of
// the bad access; the stacks of where the memory was taken and given back
// show their five innermost frames. Replay the input with
// ASAN_OPTIONS=malloc_context_size=30 to see them whole.
//
// clear_shadow_mmap_threshold=262144 instead of 65536: at every switch into
// the script context (fuzz_plugin, every tick) AddressSanitizer clears the
// shadow of the script's whole 1 MB stack, 128 KB, twice. Above the default
// threshold it does so by mapping fresh pages over the shadow, which the
// script then faults in again a tick later; below it, by a memset. The
// shadow is cleared either way; the memset made fuzz_plugin three times as
// fast.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=16:malloc_context_size=5:clear_shadow_mmap_threshold=262144";
}
