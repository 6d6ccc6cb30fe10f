// Whole runs through the real Ambleworks.so: registration seen through the
// host, a trace that is the same on every run, a reload that starts the
// plug-in afresh, and expectations that can fail.

#include <gtest/gtest.h>

#include "scenario/scenario.h"
#include "session/session.h"

namespace {

sim::SessionResult play(const std::string& text)
{
    sim::Scenario scenario;
    std::vector<std::string> errors;
    EXPECT_TRUE(sim::parseScenarioText(text, "test.scn", AMBLEWORKS_SOURCE_DIR, scenario, errors))
        << (errors.empty() ? "" : errors[0]);
    sim::SessionOptions options;
    options.pluginPath = AMBLEWORKS_PLUGIN_PATH;
    sim::SessionResult result;
    EXPECT_TRUE(sim::playScenario(scenario, options, result)) << result.error;
    return result;
}

int countCalls(const sim::TickRecord& record, const std::string& name)
{
    int count = 0;
    for (const sim::TraceEvent& event : record.events)
        count += event.kind == sim::EventKind::call && event.name == name ? 1 : 0;
    return count;
}

TEST(SimSession, RegistersOnceWaitsOncePerTickAndUnregisters)
{
    const sim::SessionResult result = play("ticks 10\n");
    EXPECT_EQ(result.trace.faultCount, 0) << sim::formatTrace(result.trace);
    ASSERT_EQ(result.trace.records.size(), 12u);
    const sim::TickRecord& load = result.trace.records.front();
    EXPECT_EQ(load.phase, sim::Phase::load);
    EXPECT_EQ(countCalls(load, "scriptRegister"), 1);
    EXPECT_EQ(countCalls(load, "keyboardHandlerRegister"), 1);
    for (int tick = 1; tick <= 10; ++tick)
        EXPECT_EQ(countCalls(result.trace.records[static_cast<size_t>(tick)], "scriptWait"), 1) << tick;
    const sim::TickRecord& end = result.trace.records.back();
    EXPECT_EQ(end.phase, sim::Phase::end);
    EXPECT_EQ(countCalls(end, "scriptUnregister"), 1);
    EXPECT_EQ(countCalls(end, "keyboardHandlerUnregister"), 1);
}

TEST(SimSession, TheSameScenarioGivesTheSameTraceEveryTime)
{
    const std::string scenario = "ticks 40\nat 2 move up\nat 5 wheel up\nat 10..20 key hold SHIFT\nat 25 key tap ALT\n"
                                 "at 30 plugin reload\n";
    const std::string first = sim::formatTrace(play(scenario).trace);
    const std::string second = sim::formatTrace(play(scenario).trace);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.find('\r'), std::string::npos);
    EXPECT_EQ(first.find("0x7f"), std::string::npos);  // no addresses
}

TEST(SimSession, ReloadDetachesWithTheScriptParkedAndAttachesAgain)
{
    std::string text = "ticks 60\n";
    for (int tick = 3; tick <= 58; tick += 5)
        text += "at " + std::to_string(tick) + " plugin reload\n";
    const sim::SessionResult result = play(text);
    EXPECT_EQ(result.trace.faultCount, 0) << sim::formatTrace(result.trace);
    const sim::TickRecord& reloaded = result.trace.records[3];
    EXPECT_EQ(countCalls(reloaded, "scriptUnregister"), 1);
    EXPECT_EQ(countCalls(reloaded, "scriptRegister"), 1);
    EXPECT_EQ(countCalls(reloaded, "scriptWait"), 1);
}

TEST(SimSession, AFailedExpectationNamesItsLine)
{
    const sim::SessionResult result = play("ticks 3\n\nexpect at 2 count scriptWait == 2\n");
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].rfind("test.scn:3: expected the number of calls scriptWait", 0), 0u)
        << result.failures[0];
    const sim::SessionResult unplayed = play("ticks 3\nexpect at 2..9 no call setPedMinSpeed\n");
    ASSERT_EQ(unplayed.failures.size(), 1u);
    EXPECT_NE(unplayed.failures[0].find("was not played (the run has 3 ticks)"), std::string::npos);
}

TEST(SimSession, PlaysOneTickPerStepAndJudgesOnlyWhenAsked)
{
    sim::Scenario scenario;
    std::vector<std::string> errors;
    ASSERT_TRUE(sim::parseScenarioText("ticks 3\nat 2 move up\nexpect at 2 call setPedMaxSpeed\n", "test.scn",
                                       AMBLEWORKS_SOURCE_DIR, scenario, errors));
    sim::SessionOptions options;
    options.pluginPath = AMBLEWORKS_PLUGIN_PATH;
    options.judge = false;  // as run and plot play with the player's own settings
    sim::SessionResult result;
    sim::Session session(scenario, options, result);
    ASSERT_TRUE(session.start()) << result.error;
    ASSERT_EQ(result.trace.records.size(), 1u);  // the load
    for (int tick = 1; tick <= 3; ++tick) {
        ASSERT_TRUE(session.step());
        ASSERT_EQ(result.trace.records.size(), static_cast<size_t>(tick) + 1);
        EXPECT_EQ(result.trace.records.back().tick, tick);
        EXPECT_EQ(countCalls(result.trace.records.back(), "scriptWait"), 1);
    }
    EXPECT_FALSE(session.step());
    EXPECT_EQ(result.trace.records.size(), 4u);
    session.finish();
    EXPECT_EQ(result.trace.records.back().phase, sim::Phase::end);
    EXPECT_TRUE(result.failures.empty());
    // Judged, the same run fails its expectation (no speed is set at a walk).
    EXPECT_EQ(play("ticks 3\nat 2 move up\nexpect at 2 call setPedMaxSpeed\n").failures.size(), 1u);
}

TEST(SimSession, TheGameAnswersWhatTheScenarioSets)
{
    const sim::SessionResult result = play("ticks 3\nped 0x80000001\nat 2 on_foot no\nresults high_bits 0xA5A5A5A5\n"
                                           "expect at 1 call playerPed() -> 0x80000001\n"
                                           "expect at 2 call isPedOnFoot(0x80000001) -> false\n"
                                           "expect at 3 call isPedOnFoot(0x80000001) -> false\n");
    EXPECT_EQ(result.trace.faultCount, 0) << sim::formatTrace(result.trace);
    EXPECT_TRUE(result.failures.empty()) << result.failures[0];
}

// The game sprints while the key its sprint control is bound to is down:
// Shift (either side) unless the scenario binds another, none with `none`.
TEST(SimSession, TheGameSprintsOnItsOwnSprintKey)
{
    const struct {
        const char* binding;  // the sprint_key statement, or ""
        const char* held;
        bool sprints;
    } cases[] = {
        {"", "SHIFT", true},
        {"", "LSHIFT", true},
        {"", "RSHIFT", true},
        {"", "CAPSLOCK", false},
        {"sprint_key CAPSLOCK\n", "CAPSLOCK", true},
        {"sprint_key CAPSLOCK\n", "SHIFT", false},
        {"sprint_key 0x11\n", "RCTRL", true},
        {"sprint_key CTRL\n", "LALT", false},
        {"sprint_key LSHIFT\n", "RSHIFT", false},
        {"sprint_key none\n", "SHIFT", false},
    };
    for (const auto& c : cases) {
        const std::string scenario =
            std::string("ticks 5\nmove up\n") + c.binding + "at 3..4 key hold " + c.held + "\n";
        const sim::SessionResult result = play(scenario);
        bool sprinted = false;
        bool sprintedBefore = false;
        for (const sim::TickRecord& record : result.trace.records) {
            if (record.phase == sim::Phase::tick && record.tick == 4)
                sprinted = record.derived.sprintControl;
            if (record.phase == sim::Phase::tick && record.tick == 2)
                sprintedBefore = record.derived.sprintControl;
        }
        EXPECT_EQ(sprinted, c.sprints) << scenario;
        EXPECT_FALSE(sprintedBefore) << scenario;
    }
}

}  // namespace
