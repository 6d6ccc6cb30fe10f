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
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=16:malloc_context_size=5";
}
