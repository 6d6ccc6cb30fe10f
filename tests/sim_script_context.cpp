// The script context: resumed per tick, parked in its wait, destroyable while
// parked (the plug-in is unloaded with its script suspended), and an entry
// that returns is noticed.

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/script_context.h"

namespace {

sim::platform::ScriptContext* context = nullptr;
int passes = 0;

void loopingEntry()
{
    for (;;) {
        ++passes;
        // An exception thrown and caught on the script's own stack (the
        // plug-in's settings load does this) must not upset the switches.
        try {
            throw std::runtime_error("caught inside the script");
        } catch (const std::exception&) {
        }
        sim::platform::yieldToHost(context);
    }
}

void returningEntry()
{
    ++passes;
}

TEST(SimScriptContext, RunsOnePassPerResumeAndIsDestroyedWhileParked)
{
    passes = 0;
    context = sim::platform::createScriptContext(loopingEntry);
    ASSERT_NE(context, nullptr);
    EXPECT_FALSE(sim::platform::insideScript());
    for (int tick = 1; tick <= 5; ++tick) {
        sim::platform::resumeScript(context);
        EXPECT_EQ(passes, tick);
        EXPECT_FALSE(sim::platform::scriptFinished(context));
    }
    sim::platform::destroyScriptContext(context);
    context = nullptr;
}

TEST(SimScriptContext, ManyContextsComeAndGo)
{
    for (int cycle = 0; cycle < 200; ++cycle) {
        passes = 0;
        context = sim::platform::createScriptContext(loopingEntry);
        ASSERT_NE(context, nullptr);
        sim::platform::resumeScript(context);
        sim::platform::resumeScript(context);
        EXPECT_EQ(passes, 2);
        sim::platform::destroyScriptContext(context);
    }
    context = nullptr;
}

TEST(SimScriptContext, AnEntryThatReturnsIsFinishedAndNeverResumed)
{
    passes = 0;
    sim::platform::ScriptContext* c = sim::platform::createScriptContext(returningEntry);
    ASSERT_NE(c, nullptr);
    sim::platform::resumeScript(c);
    EXPECT_TRUE(sim::platform::scriptFinished(c));
    sim::platform::resumeScript(c);
    EXPECT_EQ(passes, 1);
    sim::platform::destroyScriptContext(c);
}

TEST(SimScriptContext, NeverStartedContextCanBeDestroyed)
{
    sim::platform::ScriptContext* c = sim::platform::createScriptContext(returningEntry);
    ASSERT_NE(c, nullptr);
    sim::platform::destroyScriptContext(c);
}

}  // namespace
