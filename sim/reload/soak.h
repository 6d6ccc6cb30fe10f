#pragma once
// `ambleworks-sim soak`: plays one scenario many times in one process, each
// play a whole session (load, ticks with whatever unloads and loads the
// scenario makes, final unload), as a player who reloads scripts again and
// again. Every play must give the same trace as the first, leave the plug-in
// unmapped, and leave the process's memory where the earlier plays left it.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory.h"
#include "session/session.h"

namespace sim::reload {

struct SoakOptions {
    int cycles = 100;
    int warmup = 10;                  // plays before the memory baseline
    double maxHeapGrowth = 64.0;      // bytes per play after the warm-up
    double maxMappedGrowth = 4096.0;  // bytes of address space per play after the warm-up
    bool verbose = false;             // one line per play
};

// Average growth per play from the last warm-up play to the last play, and
// in each half of those plays. A leak grows the memory in both halves; a
// one-off step (a cache filled once, a container that doubles) in only one,
// so the verdict goes by the smaller half, the steady growth.
struct Growth {
    double heapPerCycle = 0.0;
    double mappedPerCycle = 0.0;
    double heapHalves[2] = {0.0, 0.0};
    double mappedHalves[2] = {0.0, 0.0};

    double steadyHeap() const { return heapHalves[0] < heapHalves[1] ? heapHalves[0] : heapHalves[1]; }
    double steadyMapped() const { return mappedHalves[0] < mappedHalves[1] ? mappedHalves[0] : mappedHalves[1]; }
};

// `samples[i]` is the memory after play i + 1. Needs more samples than
// `warmup` (and a warm-up of at least one).
Growth growthAfterWarmup(const std::vector<platform::MemoryUse>& samples, int warmup);

// The first line where two traces differ, as "line N: A | B" ("" when equal).
std::string firstDifference(const std::string& expected, const std::string& actual);

// Plays the scenario `options.cycles` times and prints the verdict on stdout.
// Returns 0 when every play passed its checks, 1 when one did not, 2 when
// the scenario or the plug-in cannot be used.
int soakCommand(const std::string& scenarioPath, const SessionOptions& session, const SoakOptions& options);

}  // namespace sim::reload
