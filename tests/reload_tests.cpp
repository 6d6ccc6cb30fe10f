// The soak's verdict on memory and traces: a steady leak grows both halves
// of the measured plays, a one-off step only one, and the first differing
// line of two traces is named.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reload/soak.h"

namespace {

// Heap samples from per-play growths (the first sample is 1000 bytes).
std::vector<sim::platform::MemoryUse> samplesOf(const std::vector<int64_t>& growth)
{
    std::vector<sim::platform::MemoryUse> samples;
    uint64_t heap = 1000;
    for (int64_t step : growth) {
        heap = static_cast<uint64_t>(static_cast<int64_t>(heap) + step);
        sim::platform::MemoryUse use;
        use.heapBytes = heap;
        use.mappedBytes = heap * 2;
        samples.push_back(use);
    }
    return samples;
}

TEST(ReloadSoak, SteadyGrowthShowsInBothHalvesAOneOffStepInOne)
{
    struct Case {
        const char* name;
        std::vector<int64_t> growth;  // after each play; the first entry is play 1
        int warmup;
        double perCycle;
        double steady;
    };
    const std::vector<Case> cases = {
        {"flat", {0, 0, 0, 0, 0, 0, 0, 0, 0}, 1, 0.0, 0.0},
        {"a leak every play", {0, 100, 100, 100, 100, 100, 100, 100, 100}, 1, 100.0, 100.0},
        {"growth only in the warm-up", {0, 5000, 3000, 0, 0, 0, 0, 0, 0}, 3, 0.0, 0.0},
        {"one step in the first half", {0, 0, 800, 0, 0, 0, 0, 0, 0}, 1, 100.0, 0.0},
        {"one step in the second half", {0, 0, 0, 0, 0, 0, 0, 0, 800}, 1, 100.0, 0.0},
        {"one measured play", {0, 64}, 1, 64.0, 64.0},
        {"memory given back", {0, 0, 0, 0, -400, 0, 0, 0, 0}, 1, -50.0, -100.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const sim::reload::Growth growth = sim::reload::growthAfterWarmup(samplesOf(c.growth), c.warmup);
        EXPECT_DOUBLE_EQ(growth.heapPerCycle, c.perCycle);
        EXPECT_DOUBLE_EQ(growth.steadyHeap(), c.steady);
        EXPECT_DOUBLE_EQ(growth.mappedPerCycle, 2 * c.perCycle);
        EXPECT_DOUBLE_EQ(growth.steadyMapped(), 2 * c.steady);
    }
}

TEST(ReloadSoak, NamesTheFirstLineWhereTwoTracesDiffer)
{
    EXPECT_EQ(sim::reload::firstDifference("a\nb\nc\n", "a\nb\nc\n"), "");
    EXPECT_EQ(sim::reload::firstDifference("a\nb\nc\n", "a\nB\nc\n"), "line 2: b | B");
    EXPECT_EQ(sim::reload::firstDifference("a\nb\n", "a\nb\nc\n"), "line 3: (end of trace) | c");
    EXPECT_EQ(sim::reload::firstDifference("a\nb\n", "a\r\nb\n"), "line 1: a | a\r");
}

}  // namespace
