// The library entry: what each reason registers and unregisters.

#include <gtest/gtest.h>

#include "host/key_state_table.h"
#include "host/plugin_entry.h"
#include "support/plugin_test.h"

namespace {

using PluginEntry = PluginTest;

TEST_F(PluginEntry, AttachRegistersScriptAndKeyboard)
{
    int module = 0;
    EXPECT_EQ(DllMain(&module, 1, nullptr), 1);
    EXPECT_EQ(fake::host().scriptRegistrations, 1);
    EXPECT_EQ(fake::host().keyboardRegistrations, 1);
    EXPECT_EQ(fake::host().module, &module);
    EXPECT_EQ(fake::host().script, &scriptEntry);
    EXPECT_EQ(fake::host().keyboard, &handleKeyboardMessage);
    EXPECT_EQ(fake::host().counts.natives, 0u);
}

TEST_F(PluginEntry, DetachUnregistersBoth)
{
    int module = 0;
    DllMain(&module, 1, nullptr);
    EXPECT_EQ(DllMain(&module, 0, nullptr), 1);
    EXPECT_EQ(fake::host().scriptUnregistrations, 1);
    EXPECT_EQ(fake::host().keyboardUnregistrations, 1);
    // The fixture checks that both named what was registered.
}

TEST_F(PluginEntry, ThreadReasonsDoNothing)
{
    int module = 0;
    for (uint32_t reason : {2u, 3u, 7u}) {
        EXPECT_EQ(DllMain(&module, reason, nullptr), 1);
    }
    EXPECT_EQ(fake::host().scriptRegistrations + fake::host().scriptUnregistrations, 0);
    EXPECT_EQ(fake::host().keyboardRegistrations + fake::host().keyboardUnregistrations, 0);
}

}  // namespace
