// The scenario language: good files read as intended, malformed lines are
// reported with file and line, all of them at once.

#include <gtest/gtest.h>

#include "scenario/scenario.h"
#include "session/session.h"

namespace {

bool parse(const std::string& text, sim::Scenario& scenario, std::vector<std::string>& errors)
{
    return sim::parseScenarioText(text, "x.scn", ".", scenario, errors);
}

TEST(SimScenarioParser, ReadsSettingsStateKeysAndExpectations)
{
    sim::Scenario s;
    std::vector<std::string> errors;
    ASSERT_TRUE(parse("title A walk\n"
                      "ticks 50   # comment\n"
                      "clock start 4294960000\n"
                      "clock step 16\n"
                      "repeat 250 30\n"
                      "results true_value 2\n"
                      "ini begin\n"
                      "[General]\n"
                      "ENABLED = 1 # not a comment in the INI\n"
                      "ini end\n"
                      "move up\n"
                      "at 3..5 gait walking+running\n"
                      "at 4 desired 1.6\n"
                      "at 6 desired auto 1.0 2.5\n"
                      "at 7 control input_sprint on\n"
                      "at 8 key hold END+NUMPAD1\n"
                      "at 9 key press SHIFT -5ms\n"
                      "at 10 wheel down\n"
                      "at 11 plugin reload\n"
                      "expect at 1..50 count scriptWait(0) == 1 per tick\n"
                      "expect at 12 call setPedMaxSpeed(*, 1.38)\n"
                      "expect at load call scriptRegister\n"
                      "expect at 2 sequence\n"
                      "  playerPed() -> 0x00012A07\n"
                      "  ...\n"
                      "  scriptWait(0)\n"
                      "end\n",
                      s, errors))
        << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(s.title, "A walk");
    EXPECT_EQ(s.tickCount(), 50);
    EXPECT_EQ(s.clockStart, 4294960000u);
    EXPECT_EQ(s.clockStep, 16u);
    EXPECT_EQ(s.repeatDelayMs, 250u);
    EXPECT_EQ(s.trueValue, 2u);
    EXPECT_EQ(s.initialIni.kind, sim::IniContent::Kind::text);
    EXPECT_EQ(s.initialIni.text, "[General]\nENABLED = 1 # not a comment in the INI\n");
    ASSERT_EQ(s.states.size(), 5u);
    EXPECT_EQ(s.states[0].ticks.first, 1);
    EXPECT_TRUE(s.states[1].value.gait.walking && s.states[1].value.gait.running);
    EXPECT_TRUE(s.states[1].ticks.range);
    EXPECT_EQ(s.states[3].value.desired.run, 2.5f);
    EXPECT_EQ(s.states[4].control, "INPUT_SPRINT");
    ASSERT_EQ(s.keys.size(), 2u);
    ASSERT_EQ(s.keys[0].keys.size(), 2u);
    EXPECT_EQ(s.keys[0].keys[1].code, 0x61u);
    EXPECT_EQ(s.keys[1].offsetMs, 5);
    ASSERT_EQ(s.expectations.size(), 4u);
    EXPECT_TRUE(s.expectations[0].perTick);
    EXPECT_EQ(s.expectations[1].pattern.args[1].number, 1.38f);
    EXPECT_EQ(s.expectations[3].sequence.size(), 3u);
    EXPECT_TRUE(s.expectations[3].sequence[1].gap);
}

TEST(SimScenarioParser, DefaultTicksReachTheLastTickNamedAndAHoldsRelease)
{
    sim::Scenario s;
    std::vector<std::string> errors;
    ASSERT_TRUE(parse("at 10..20 key hold SHIFT\nat 7 wheel up\n", s, errors));
    EXPECT_EQ(s.tickCount(), 21);
}

TEST(SimScenarioParser, MalformedLinesAreReportedWithFileAndLine)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"frobnicate 3\n", "x.scn:1: unknown statement 'frobnicate'"},
        {"\n\nat ten move up\n", "x.scn:3: 'ten' is not a tick"},
        {"at 5..3 move up\n", "x.scn:1: the range '5..3' ends before it begins"},
        {"at 0 move up\n", "x.scn:1: ticks are numbered from 1"},
        {"clock start 0\n", "x.scn:1: the clock start must be 1 to 4294967295 ms"},
        {"at 3 move sideways\n", "x.scn:1: 'sideways' is not a move direction"},
        {"at 3 key press SHIFTY\n", "x.scn:1: 'SHIFTY' is not a key"},
        {"at 3..5 key press SHIFT\n", "x.scn:1: 'key press' happens at one tick"},
        {"at 3 gait jogging\n", "x.scn:1: 'jogging' is not a gait"},
        {"at 3 control SPRINT on\n", "x.scn:1: 'SPRINT' is not a control name"},
        {"key press SHIFT\n", "x.scn:1: 'key' needs a tick"},
        {"ini begin\n[General]\n", "x.scn:1: 'ini begin' has no matching 'ini end'"},
        {"ini file /no/such/file.ini\n", "x.scn:1: the INI file '/no/such/file.ini' does not exist"},
        {"expect at 3 call setPedMaxSped\n", "x.scn:1: 'setPedMaxSped' is neither one of the 21 natives"},
        {"expect at 3 call setPedMaxSpeed(1.38)\n",
         "x.scn:1: 'setPedMaxSpeed(1.38)': setPedMaxSpeed takes 2 arguments, the pattern gives 1"},
        {"expect at 3 call setPedMaxSpeed(*, 1.38) -> true\n", "setPedMaxSpeed has no result"},
        {"expect at 3 count scriptWait about 3\n", "x.scn:1: use 'expect at TICKS count PATTERN OP N"},
        {"expect at 3 sequence\nplayerPed()\n", "x.scn:1: 'expect … sequence' has no matching 'end'"},
        {"expect at 3 sequence\nplayerPod()\nend\n", "x.scn:2: 'playerPod' is neither"},
        {"at 3 key press SHIFT -5\n", "x.scn:1: '-5' is not an offset"},
    };
    for (const auto& c : cases) {
        sim::Scenario s;
        std::vector<std::string> errors;
        EXPECT_FALSE(parse(c.text, s, errors)) << c.text;
        ASSERT_FALSE(errors.empty()) << c.text;
        EXPECT_NE(errors[0].find(c.message), std::string::npos) << "got: " << errors[0];
    }
}

TEST(SimScenarioParser, EveryErrorOfAFileIsListed)
{
    sim::Scenario s;
    std::vector<std::string> errors;
    EXPECT_FALSE(parse("at 1 move up\nbogus\nat 2 wheel sideways\nticks -3\n", s, errors));
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].rfind("x.scn:2:", 0), 0u);
    EXPECT_EQ(errors[1].rfind("x.scn:3:", 0), 0u);
    EXPECT_EQ(errors[2].rfind("x.scn:4:", 0), 0u);
}

TEST(SimScenarioParser, KeyHoldRepeatsLikeWindowsAndReleasesBeforeTheNextTick)
{
    sim::Scenario s;
    std::vector<std::string> errors;
    ASSERT_TRUE(parse("clock step 100\nat 2..10 key hold END+NUMPAD3\n", s, errors));
    const std::vector<sim::TimedKeyMessage> messages = sim::scheduleKeyMessages(s);
    ASSERT_GE(messages.size(), 4u);
    // End then Numpad 3 down just before tick 2 (clock 100100).
    EXPECT_EQ(messages[0].message.key.code, 0x23u);
    EXPECT_EQ(messages[1].message.key.code, 0x63u);
    EXPECT_EQ(messages[0].tick, 2);
    EXPECT_EQ(messages[0].message.clockMs, 100100u);
    EXPECT_FALSE(messages[1].message.wasDown);
    // Only the last key pressed repeats: first after 500 ms, then every 33.
    EXPECT_EQ(messages[2].message.key.code, 0x63u);
    EXPECT_STREQ(messages[2].message.kind, "repeat");
    EXPECT_TRUE(messages[2].message.wasDown);
    EXPECT_EQ(messages[2].message.clockMs, 100600u);
    EXPECT_EQ(messages[3].message.clockMs, 100633u);
    // Released in reverse order just before tick 11 (clock 101000).
    const auto& last = messages.back().message;
    const auto& beforeLast = messages[messages.size() - 2].message;
    EXPECT_EQ(beforeLast.key.code, 0x63u);
    EXPECT_EQ(last.key.code, 0x23u);
    EXPECT_TRUE(last.up);
    EXPECT_EQ(last.clockMs, 101000u);
    EXPECT_EQ(messages.back().tick, 11);
    for (const auto& m : messages) {
        if (!m.message.up && std::string(m.message.kind) == "repeat") {
            EXPECT_LT(m.message.clockMs, 101000u);
        }
    }
}

TEST(SimScenarioParser, TapAndOffsetsLandBetweenTicks)
{
    sim::Scenario s;
    std::vector<std::string> errors;
    ASSERT_TRUE(parse("clock step 40\nat 3 key tap SHIFT\nat 5 key press ALT -10ms\nat 6 key press A\n", s, errors));
    const std::vector<sim::TimedKeyMessage> m = sim::scheduleKeyMessages(s);
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].message.clockMs, 100060u);  // half a tick before tick 3 (100080)
    EXPECT_EQ(m[0].tick, 3);
    EXPECT_TRUE(m[1].message.up);
    EXPECT_EQ(m[1].message.clockMs, 100080u);
    EXPECT_EQ(m[2].message.clockMs, 100150u);
    EXPECT_EQ(m[2].tick, 5);
    EXPECT_TRUE(m[2].message.altDown);  // Alt's own press carries the Alt flag
    EXPECT_TRUE(m[3].message.altDown);  // Alt is still down
    // A press with no release is not repeated.
}

}  // namespace
