// The scenario language: good files read as intended, malformed lines are
// reported with file and line, all of them at once.

#include <gtest/gtest.h>

#include <bit>

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

TEST(SimScenarioParser, MalformedLinesAreReportedWithFileLineAndColumn)
{
    const struct {
        const char* text;
        const char* message;  // the start of the first error
    } cases[] = {
        {"\n\nat ten move up\n", "x.scn:3:4: 'ten' is not a tick"},
        {"at 5..3 move up\n", "x.scn:1:4: the range '5..3' ends before it begins"},
        {"at 0 move up\n", "x.scn:1:4: ticks are numbered from 1"},
        {"clock start 0\n", "x.scn:1:13: the clock start must be 1 to 4294967295 ms"},
        {"at 3 move sideways\n", "x.scn:1:11: 'sideways' is not a move direction"},
        {"at 3..5 key press SHIFT\n", "x.scn:1:13: 'key press' happens at one tick"},
        {"at 3 gait jogging\n", "x.scn:1:11: 'jogging' is not a gait"},
        {"key press SHIFT\n", "x.scn:1:1: 'key' needs a tick"},
        {"wheel up\n", "x.scn:1:1: 'wheel' needs a tick"},
        {"plugin reload\n", "x.scn:1:1: 'plugin' needs a tick"},
        {"ini begin\n[General]\n", "x.scn:1:5: 'ini begin' has no matching 'ini end'"},
        {"ini file /no/such/file.ini\n", "x.scn:1:10: the INI file '/no/such/file.ini' does not exist"},
        {"expect at 3 call setPedMaxSpeed(1.38)\n",
         "x.scn:1:33: 'setPedMaxSpeed(1.38)': setPedMaxSpeed takes 2 arguments, the pattern gives 1"},
        {"expect at 3 call setPedMaxSpeed(*, 1.38) -> true\n", "x.scn:1:45: 'setPedMaxSpeed(*, 1.38) -> true': "
                                                               "setPedMaxSpeed has no result"},
        {"expect at 3 count scriptWait about 3\n", "x.scn:1:13: use 'expect at TICKS count PATTERN OP N"},
        {"expect at 3 sequence\nplayerPed()\n", "x.scn:1:13: 'expect ... sequence' has no matching 'end'"},
        {"at 3 key press SHIFT -5\n", "x.scn:1:22: '-5' is not an offset"},
        {"at 2\n", "x.scn:1: 'at' needs a tick and a statement"},
        {"sprint_key\n", "x.scn:1: use 'sprint_key KEY with a key's name or code"},
        {"at 3 sprint_key SHIFT CAPSLOCK\n", "x.scn:1:23: use 'sprint_key KEY"},
    };
    for (const auto& c : cases) {
        sim::Scenario s;
        std::vector<std::string> errors;
        EXPECT_FALSE(parse(c.text, s, errors)) << c.text;
        ASSERT_FALSE(errors.empty()) << c.text;
        EXPECT_EQ(errors[0].rfind(c.message, 0), 0u) << "got: " << errors[0];
    }
}

TEST(SimScenarioParser, UnknownNamesGetTheNearestKnownOne)
{
    // Keywords, natives, controls, keys and the words inside a statement:
    // a typo names what was most likely meant, at the column of the typo.
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"tiks 40\n", "x.scn:1:1: unknown statement 'tiks' (did you mean ticks?)"},
        {"whele up\n", "x.scn:1:1: unknown statement 'whele' (did you mean wheel?)"},
        {"expct at 3 no call\n", "x.scn:1:1: unknown statement 'expct' (did you mean expect?)"},
        {"frobnicate 3\n", "x.scn:1:1: unknown statement 'frobnicate'\n"},
        {"on_fot no\n", "x.scn:1:1: unknown statement 'on_fot' (did you mean on_foot?)"},
        {"at 3 wheal up\n", "x.scn:1:6: unknown statement 'wheal' after 'at' (did you mean wheel?)"},
        {"at 3 wheel upp\n", "x.scn:1:12: use 'wheel up' or 'wheel down' (did you mean up?)"},
        {"at 3 key presss SHIFT\n", "x.scn:1:10: 'presss' is not a key action (press, release, tap, hold) (did you "
                                    "mean press?)"},
        {"at 3 key press SHIFTY\n", "x.scn:1:16: 'SHIFTY' is not a key (a name such as SHIFT, END, NUMPAD1, A, or a "
                                    "hex code such as 0x10) (did you mean SHIFT?)"},
        {"at 3 key hold END+NUMPAD11\n", "x.scn:1:19: 'NUMPAD11' is not a key"},
        {"sprint_key CAPSLOK\n", "x.scn:1:12: 'CAPSLOK' is not a key (a name such as SHIFT, CAPSLOCK, A, a hex code "
                                 "such as 0x14, or none) (did you mean CAPSLOCK?)"},
        {"sprint_keys SHIFT\n", "x.scn:1:1: unknown statement 'sprint_keys' (did you mean sprint_key?)"},
        {"at 3 plugin relaod\n", "x.scn:1:13: use 'plugin reload', 'plugin unload' or 'plugin load' (did you mean "
                                 "reload?)"},
        {"at 3 control INPUT_SPRNT on\n", "x.scn:1:14: 'INPUT_SPRNT' is not a control the plug-in asks about (did "
                                          "you mean INPUT_SPRINT?)"},
        {"at 3 control SPRINT on\n", "x.scn:1:14: 'SPRINT' is not a control the plug-in asks about (did you mean "
                                     "INPUT_SPRINT?)"},
        {"expect at 3 call setPedMaxSped\n", "x.scn:1:18: 'setPedMaxSped' is neither a native the plug-in calls nor a "
                                             "host function (did you mean setPedMaxSpeed?)"},
        {"expect at 3 sequence\nplayerPod()\nend\n",
         "x.scn:2:1: 'playerPod' is neither a native the plug-in calls nor a "
         "host function (did you mean playerPed?)"},
        {"expect at 3 no call isControlPressed(0, INPUT_SPRNT)\n", "x.scn:1:41: 'INPUT_SPRNT' is not a control name "
                                                                   "or a word of the trace (did you mean "
                                                                   "INPUT_SPRINT?)"},
        {"expect at 3 count hashOfText(\"INPUT_SPRNIT\") >= 1\n", "x.scn:1:30: '\"INPUT_SPRNIT\"' is not a text the "
                                                                  "plug-in passes (one of its control names) (did "
                                                                  "you mean INPUT_SPRINT?)"},
        {"expect at 3 call isPedOnFoot(*) -> ture\n", "x.scn:1:36: 'ture' is not a control name or a word of the "
                                                      "trace (did you mean TRUE?)"},
        {"expect at 3 cal scriptWait\n", "x.scn:1:13: 'cal' is not an expectation (call, no call, count, sequence) "
                                         "(did you mean call?)"},
    };
    for (const auto& c : cases) {
        sim::Scenario s;
        std::vector<std::string> errors;
        EXPECT_FALSE(parse(c.text, s, errors)) << c.text;
        ASSERT_FALSE(errors.empty()) << c.text;
        EXPECT_EQ((errors[0] + "\n").rfind(c.message, 0), 0u) << "got: " << errors[0];
    }
}

// Whatever a file holds, the parser's words are safe to print and few: every
// byte that is not printable ASCII is escaped, a file that is no text gets
// one error, and after 20 errors the rest of the file is not read.
TEST(SimScenarioParser, AnyFileGivesFewPrintableErrors)
{
    using namespace std::string_literals;
    std::string manyBadLines;
    for (int i = 0; i < 100; ++i)
        manyBadLines += "\x1B[2Jjump\n";
    std::string randomBytes;
    uint32_t state = 12345;
    for (int i = 0; i < 4000; ++i) {
        state = state * 1664525u + 1013904223u;
        randomBytes += static_cast<char>(state >> 24);
    }
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> errors;  // all of them, in order
    };
    const std::vector<Case> cases = {
        {"a control byte in a statement", "ju\x1Bmp 3\n", {"x.scn:1:1: unknown statement 'ju\\x1Bmp'"}},
        {"a byte beyond ASCII in a word",
         "at 3 key press \xC3\xA9\n",
         {"x.scn:1:16: '\\xC3\\xA9' is not a key (a name such as SHIFT, END, NUMPAD1, A, or a hex code such as "
          "0x10)"}},
        {"a title with a control byte",
         "title walk\x07 on\nticks 3\n",
         {"x.scn:1:7: the title holds a byte that is no printable text (\\x07): the title is shown in the "
          "timeline, the chart and by check"}},
        {"a title cut inside a UTF-8 letter",
         "title caf\xC3\n",
         {"x.scn:1:7: the title holds a byte that is no printable text (\\xC3): the title is shown in the "
          "timeline, the chart and by check"}},
        {"random bytes",
         randomBytes,
         {"x.scn: this is not a scenario file: it holds binary data (zero bytes, control bytes or bytes that are "
          "no text), not lines of text"}},
        {"a program", "MZ\x90\0\x03\0\0\0ticks 3\n"s, {"x.scn: this is not a scenario file: it is a program file"}},
    };
    for (const Case& c : cases) {
        sim::Scenario scenario;
        std::vector<std::string> errors;
        EXPECT_FALSE(parse(c.text, scenario, errors)) << c.name;
        EXPECT_EQ(errors, c.errors) << c.name;
    }

    sim::Scenario scenario;
    std::vector<std::string> errors;
    EXPECT_FALSE(parse(manyBadLines, scenario, errors));
    ASSERT_EQ(errors.size(), 21u);
    EXPECT_EQ(errors[0], "x.scn:1:1: unknown statement '\\x1B[2Jjump'");
    EXPECT_EQ(errors[19].rfind("x.scn:20:1: ", 0), 0u) << errors[19];
    EXPECT_EQ(errors[20], "x.scn: stopped after 20 errors; 80 more lines were not read");
    // A block's lines count one by one: a sequence of bad patterns stops at
    // the limit too (found by fuzz_scenario).
    std::string badSequence = "expect at 2 sequence\n";
    for (int i = 0; i < 30; ++i)
        badSequence += "bad pattern\n";
    errors.clear();
    EXPECT_FALSE(parse(badSequence + "end\n", scenario, errors));
    ASSERT_EQ(errors.size(), 21u);
    EXPECT_EQ(errors[19].rfind("x.scn:21:1: ", 0), 0u) << errors[19];
    EXPECT_EQ(errors[20], "x.scn: stopped after 20 errors; 11 more lines were not read");
    // A UTF-8 title, and a text with a few stray bytes, are scenarios.
    EXPECT_TRUE(parse("title Gehweg \xC3\xBC\x62\x65rquert\nticks 3\n# \x01\n", scenario, errors));
    EXPECT_EQ(scenario.title, "Gehweg \xC3\xBC\x62\x65rquert");
}

TEST(SimScenarioParser, StatementsAfterTheLastTickAreWarnedOf)
{
    sim::Scenario s;
    std::vector<std::string> errors;
    ASSERT_TRUE(
        parse("ticks 40\nat 10 wheel up\nat 40..60 move none\nat 41 key tap ALT\nat 50 plugin reload\n", s, errors));
    ASSERT_EQ(s.warnings.size(), 2u);
    EXPECT_EQ(s.warnings[0], "x.scn:4:4: warning: tick 41 comes after the last tick (ticks 40): this statement never "
                             "happens");
    EXPECT_EQ(s.warnings[1].rfind("x.scn:5:4: warning: tick 50", 0), 0u);
    // Without `ticks` the run reaches the last tick named: nothing to warn of.
    ASSERT_TRUE(parse("at 10 wheel up\nat 50 plugin reload\n", s, errors));
    EXPECT_TRUE(s.warnings.empty());
}

TEST(SimScenarioParser, SpeedsMatchAtThePrecisionWritten)
{
    // Two notches of 0.06 from 1.0 give 1.1199999 in single precision; the
    // timeline prints 1.12, and a pattern written 1.12 matches it.
    const float twoNotches = (1.0f + 0.06f) + 0.06f;
    ASSERT_NE(twoNotches, 1.12f);
    const struct {
        const char* written;
        float value;
        bool matches;
    } cases[] = {
        {"1.12", twoNotches, true},  {"1.1199999", twoNotches, true},  {"1.12", 1.12f, true},
        {"1.12", 1.126f, false},     {"1.12", 1.13f, false},           {"1.1", twoNotches, true},
        {"1.120", twoNotches, true}, {"1.1200000", twoNotches, false}, {"2.0", 2.0f, true},
        {"2", 2.0f, true},           {"2", 2.0000002f, false},         {"1e-40", 1e-40f, true},
        {"0.70", 0.7f, true},        {"0.70", 0.69f, false},
    };
    for (const auto& c : cases) {
        sim::CallPattern pattern;
        std::string error;
        ASSERT_TRUE(sim::parseCallPattern(std::string("setPedMaxSpeed(*, ") + c.written + ")", pattern, error))
            << error;
        sim::TraceEvent call;
        call.kind = sim::EventKind::call;
        call.name = "setPedMaxSpeed";
        call.args.resize(2);
        call.args[1].kind = sim::ArgKind::number;
        call.args[1].slot = std::bit_cast<uint32_t>(c.value);
        const bool matches = sim::matchesPattern(pattern, call);
        EXPECT_EQ(matches, c.matches) << c.written << " against " << c.value;
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
