// The library entry: what each reason registers and unregisters.

#include <gtest/gtest.h>

#include "host/key_state_table.h"
#include "host/plugin_entry.h"
#include "support/fake_host.h"

namespace {

TEST(PluginEntry, AttachRegistersScriptAndKeyboard)
{
    fake::reset();
    int module = 0;
    EXPECT_EQ(DllMain(&module, 1, nullptr), 1);
    EXPECT_EQ(fake::host().scriptRegistrations, 1);
    EXPECT_EQ(fake::host().keyboardRegistrations, 1);
    EXPECT_EQ(fake::host().registeredModule, &module);
    EXPECT_EQ(fake::host().registeredScript, &scriptEntry);
    EXPECT_EQ(fake::host().registeredKeyboard, &handleKeyboardMessage);
    EXPECT_TRUE(fake::host().calls.empty());
}

TEST(PluginEntry, DetachUnregistersBoth)
{
    fake::reset();
    int module = 0;
    DllMain(&module, 1, nullptr);
    EXPECT_EQ(DllMain(&module, 0, nullptr), 1);
    EXPECT_EQ(fake::host().scriptUnregistrations, 1);
    EXPECT_EQ(fake::host().keyboardUnregistrations, 1);
    EXPECT_TRUE(fake::host().fault.empty()) << fake::host().fault;
}

TEST(PluginEntry, ThreadReasonsDoNothing)
{
    fake::reset();
    int module = 0;
    for (uint32_t reason : {2u, 3u, 7u}) {
        EXPECT_EQ(DllMain(&module, reason, nullptr), 1);
    }
    EXPECT_EQ(fake::host().scriptRegistrations + fake::host().scriptUnregistrations, 0);
    EXPECT_EQ(fake::host().keyboardRegistrations + fake::host().keyboardUnregistrations, 0);
}

}  // namespace
