// The movement-state history: which word a tick records, how the six entries
// shift, and that comparisons are exact.

#include <gtest/gtest.h>

#include "controller/movement_history.h"
#include "support/plugin_test.h"

namespace {

using HistoryTest = PluginTest;

TEST_F(HistoryTest, StatusWordFollowsTheFirstStateThatHolds)
{
    struct Case {
        bool walking, running, sprinting, still, moveInput;
        std::string word;
        size_t calls;
    };
    const std::vector<Case> cases = {
        {true, true, true, true, false, "Walking", 2},    // walking wins over running
        {false, true, true, false, false, "Running", 4},  // running wins over sprinting
        {false, false, true, false, false, "Sprinting", 6},
        {false, false, false, true, true, "Still", 8},      // still wins over move input
        {false, false, false, false, false, "Still", 16},   // no state, no input
        {false, false, false, false, true, "Walking", 16},  // no state, pushing a direction
    };
    for (const Case& c : cases) {
        startFreshPlugin();
        fake::game().walking = c.walking;
        fake::game().running = c.running;
        fake::game().sprinting = c.sprinting;
        fake::game().still = c.still;
        fake::setMoveInput(c.moveInput);
        recordMovementStatus();
        EXPECT_EQ(movementStatusAt(0), c.word);
        EXPECT_EQ(fake::host().counts.natives, c.calls) << c.word;
    }
}

TEST_F(HistoryTest, EntriesShiftOneKeyPerRecordedTick)
{
    // Fresh: every key reads empty and matches no word.
    for (int32_t key = -5; key <= 0; ++key)
        EXPECT_TRUE(movementStatusAt(key).empty()) << key;

    auto record = [](bool walking, bool running, bool still) {
        fake::game().walking = walking;
        fake::game().running = running;
        fake::game().still = still;
        recordMovementStatus();
    };
    record(false, false, true);
    record(true, false, false);
    // Two ticks in, entry -2 is still empty.
    EXPECT_FALSE(movementStatusIs(-2, "Still"));
    EXPECT_FALSE(movementStatusIs(-2, "Running"));
    record(false, true, false);
    EXPECT_EQ(movementStatusAt(-2), "Still");
    EXPECT_EQ(movementStatusAt(-1), "Walking");
    EXPECT_EQ(movementStatusAt(0), "Running");
    EXPECT_TRUE(movementStatusIs(-2, "Still"));
    // Exact: case and length both matter.
    EXPECT_FALSE(movementStatusIs(-2, "still"));
    EXPECT_FALSE(movementStatusIs(-2, "Stil"));
    EXPECT_FALSE(movementStatusIs(-2, std::string_view("Still\0", 6)));

    // Three more fill the history; the oldest word is then at -5.
    record(false, false, true);
    record(false, false, true);
    record(true, false, false);
    EXPECT_EQ(movementStatusAt(-5), "Still");
    EXPECT_EQ(movementStatusAt(-4), "Walking");
    EXPECT_EQ(movementStatusAt(-3), "Running");
    EXPECT_EQ(movementStatusAt(0), "Walking");
    record(false, false, true);
    EXPECT_EQ(movementStatusAt(-5), "Walking");

    // Keys outside the six read as nothing.
    EXPECT_TRUE(movementStatusAt(1).empty());
    EXPECT_TRUE(movementStatusAt(-6).empty());
}

}  // namespace
