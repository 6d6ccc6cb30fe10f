// The key state table: what a query answers after which messages, and when.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host.h"
#include "host/key_state_table.h"
#include "testing/reset_for_tests.h"

namespace {

constexpr uint32_t keyA = 0x41;

struct Message {
    uint32_t atMs;
    uint32_t key;
    int32_t released;
};

// A freshly loaded plug-in (an empty key table) before a fresh host.
void start()
{
    resetPluginToLoadState();
    fake::startGame();
}

void send(const Message& message)
{
    fake::host().clockMs = message.atMs;
    handleKeyboardMessage(message.key, 1, 0x1e, 0, 0, message.released ? 1 : 0, message.released);
}

struct WindowCase {
    const char* name;
    std::vector<Message> messages;
    uint32_t queryKey;
    uint32_t queryAtMs;
    bool held;
    bool justReleased;
};

TEST(KeyStateTable, WindowsByElapsedTime)
{
    const std::vector<WindowCase> cases = {
        {"press, at once", {{100000, keyA, 0}}, keyA, 100000, true, false},
        {"press, 4999 ms later", {{100000, keyA, 0}}, keyA, 104999, true, false},
        {"press, 5000 ms later, no release came", {{100000, keyA, 0}}, keyA, 105000, false, false},
        {"release, at once", {{100000, keyA, 1}}, keyA, 100000, false, true},
        {"release, 99 ms later", {{100000, keyA, 1}}, keyA, 100099, false, true},
        {"release, 100 ms later", {{100000, keyA, 1}}, keyA, 100100, false, false},
        {"released passed as 2 counts as a release", {{100000, keyA, 2}}, keyA, 100050, false, true},
        {"press and release between two ticks: the release wins",
         {{100000, keyA, 0}, {100016, keyA, 1}},
         keyA,
         100033,
         false,
         true},
        {"release then press again: down", {{100000, keyA, 1}, {100010, keyA, 0}}, keyA, 100020, true, false},
        {"other keys are untouched", {{100000, keyA, 0}}, keyA + 1, 100000, false, false},
        {"code 254, the highest key, has a slot", {{100000, 254, 0}}, 254, 100000, true, false},
        {"code 255 has no slot", {{100000, 255, 0}}, 255, 100000, false, false},
        {"code 0x100 has no slot and does not alias code 0", {{100000, 0x100, 0}}, 0, 100000, false, false},
        {"never written, clock below 5000: empty, not down", {}, keyA, 1000, false, false},
        {"press before the clock wraps, asked after it", {{0xFFFFFF00u, keyA, 0}}, keyA, 0x00000100u, true, false},
        {"press before the wrap, 5000 ms later", {{0xFFFFF000u, keyA, 0}}, keyA, 0xFFFFF000u + 5000u, false, false},
        {"release just before the wrap, asked just after", {{0xFFFFFFF0u, keyA, 1}}, keyA, 0x00000010u, false, true},
    };
    for (const WindowCase& c : cases) {
        start();
        for (const Message& message : c.messages)
            send(message);
        fake::host().clockMs = c.queryAtMs;
        EXPECT_EQ(isKeyHeld(c.queryKey), c.held) << c.name;
        EXPECT_EQ(isKeyJustReleased(c.queryKey), c.justReleased) << c.name;
        EXPECT_EQ(fake::host().counts.natives, 0u) << c.name << ": the table calls no native";
    }
}

TEST(KeyStateTable, ReleaseIsNotConsumedByAskingButByClearing)
{
    start();
    send({100000, keyA, 1});
    fake::host().clockMs = 100040;
    EXPECT_TRUE(isKeyJustReleased(keyA));
    EXPECT_TRUE(isKeyJustReleased(keyA));
    clearKeySlot(keyA);
    EXPECT_FALSE(isKeyJustReleased(keyA));
    EXPECT_FALSE(isKeyHeld(keyA));
}

TEST(KeyStateTable, MessageStoresItsFlagsAsPassedAndClearEmptiesTheSlot)
{
    start();
    fake::host().clockMs = 123456;
    handleKeyboardMessage(keyA, 3, 0x1e, 1, 5, 7, 0);
    const KeyState& slot = keyStateTable[keyA];
    EXPECT_EQ(slot.stampMs.load(), 123456u);
    EXPECT_EQ(slot.altDown.load(), 5u);
    EXPECT_EQ(slot.wasDown.load(), 7u);
    EXPECT_EQ(slot.released.load(), 0u);

    clearKeySlot(keyA);
    EXPECT_EQ(slot.stampMs.load() | slot.altDown.load() | slot.wasDown.load() | slot.released.load(), 0u);

    // Out of range: ignored, and nothing else in the table changes.
    handleKeyboardMessage(keyA, 1, 0, 0, 0, 0, 0);
    clearKeySlot(255);
    clearKeySlot(0xFFFFFFFFu);
    EXPECT_TRUE(isKeyHeld(keyA));
}

}  // namespace
