// Heap allocations per tick: once warmed up, a tick of the plug-in allocates
// nothing in any of the typical situations, and neither does the keyboard
// callback. The plug-in runs in the game's frame loop and on its keyboard
// path; an allocation there would cost every frame and could fail at any time.
//
// The plug-in's code is linked in and faces the shared fake game host, whose
// natives answer without allocating; this program replaces the global
// operator new (bench/heap_counter.cpp), so every allocation in the process
// is counted. The situations are the benchmark's (bench/situations.h),
// so the test and the benchmark measure the same ticks.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>

#include "config/settings.h"
#include "controller/controller_tick.h"
#include "game.h"
#include "heap_counter.h"
#include "host.h"
#include "host/key_dispatcher.h"
#include "host/key_state_table.h"
#include "host/plugin_entry.h"
#include "situations.h"
#include "testing/reset_for_tests.h"

namespace {

int moduleHandle = 0;

// The script loop's body, one pass per tick, as scriptEntry runs it; keyboard
// messages go to the handler the plug-in registered.
class LinkedPlugin : public bench::Driver {
public:
    // A freshly loaded plug-in that has read the shipped Ambleworks.ini.
    LinkedPlugin()
    {
        resetPluginToLoadState();
        fake::startGame();
        DllMain(&moduleHandle, 1, nullptr);
        loadSettingsFrom(AMBLEWORKS_SOURCE_DIR "/Ambleworks.ini");
    }
    ~LinkedPlugin() override { DllMain(&moduleHandle, 0, nullptr); }

    void runTick() override
    {
        controllerTick();
        dispatchKeys();
        scriptWait(0);
    }
    void sendKey(uint32_t key, bool up) override { fake::host().keyboard(key, 1, 0, 0, 0, up ? 1 : 0, up ? 1 : 0); }
};

// Ten sprint cycles: long enough to pass through every phase of each situation.
constexpr uint64_t measuredTicks = 10 * bench::sprintCycleTicks;

class AllocationsPerTick : public testing::TestWithParam<bench::Situation> { };

TEST_P(AllocationsPerTick, SteadyTicksAllocateNothing)
{
    LinkedPlugin plugin;
    ASSERT_NE(fake::host().keyboard, nullptr);
    bench::enterSituation(GetParam(), plugin);

    const fake::Counts before = fake::host().counts;
    const uint64_t heapBefore = bench::heapAllocations();
    for (uint64_t n = 0; n < measuredTicks; ++n)
        bench::playTick(GetParam(), n, plugin);
    const uint64_t allocations = bench::heapAllocations() - heapBefore;
    const fake::Counts asked = fake::countsBetween(before, fake::host().counts);

    // The ticks were the situation they stand for, or the count means nothing.
    if (const char* fault = bench::situationFault(GetParam(), asked, measuredTicks))
        ADD_FAILURE() << fault;
    EXPECT_GT(asked.natives, measuredTicks);
    EXPECT_EQ(allocations, 0u) << allocations << " heap allocations in " << measuredTicks << " ticks";
}

INSTANTIATE_TEST_SUITE_P(Situations, AllocationsPerTick, testing::ValuesIn(bench::allSituations),
                         [](const testing::TestParamInfo<bench::Situation>& info) {
                             return std::string(bench::situationName(info.param));
                         });

// Every kind of message: presses and releases, Alt, repeats, the hotkey
// keys, codes without a slot.
TEST(AllocationsPerKeyboardMessage, TheCallbackAllocatesNothing)
{
    LinkedPlugin plugin;
    ASSERT_NE(fake::host().keyboard, nullptr);
    constexpr uint32_t keys[] = {0x00, 0x10, 0x12, 0x23, 0x41, 0x61, 0x62, 0x63, 0xFE, 0xFF, 0x100, 0xFFFFFFFFu};
    const uint64_t heapBefore = bench::heapAllocations();
    for (int round = 0; round < 100; ++round) {
        for (uint32_t key : keys) {
            const int32_t up = round & 1;
            fake::host().keyboard(key, static_cast<uint16_t>(round), 0x2A, round & 2 ? 1 : 0, round & 4 ? 1 : 0, up,
                                  up);
            fake::host().clockMs += 3;
        }
    }
    EXPECT_EQ(bench::heapAllocations() - heapBefore, 0u);
}

// The counter sees the plug-in's own allocations: holding End+Numpad3 reloads
// Ambleworks.ini (the shipped one, from the current directory) in every
// tick, and reading a file allocates.
TEST(AllocationsPerTick, TheCounterSeesAReloadInATick)
{
    ASSERT_EQ(chdir(AMBLEWORKS_SOURCE_DIR), 0);
    LinkedPlugin plugin;
    bench::enterSituation(bench::Situation::walking, plugin);
    plugin.sendKey(0x23, false);
    plugin.sendKey(0x63, false);
    const uint64_t heapBefore = bench::heapAllocations();
    plugin.runTick();
    EXPECT_GT(bench::heapAllocations() - heapBefore, 0u);
}

}  // namespace
