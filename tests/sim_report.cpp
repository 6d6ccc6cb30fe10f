// The timeline and the chart of played scenarios, through the real
// Ambleworks.so: the line and the reason each key behaviour gets, one line
// per change rather than per tick, columns that stay aligned when a text is
// long, and a chart that is well-formed SVG with both speeds and the inputs.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "report/chart.h"
#include "report/facts.h"
#include "report/reason.h"
#include "report/timeline.h"
#include "scenario/scenario.h"
#include "session/session.h"

namespace {

using sim::report::Timeline;
using sim::report::TimelineEntry;
using K = sim::report::ReasonKind;

struct Played {
    sim::report::Facts facts;
    Timeline timeline;
    std::string text;  // the formatted timeline
};

Played play(const std::string& scenarioText)
{
    sim::Scenario scenario;
    std::vector<std::string> errors;
    EXPECT_TRUE(sim::parseScenarioText(scenarioText, "report.scn", AMBLEWORKS_SOURCE_DIR, scenario, errors))
        << (errors.empty() ? "" : errors[0]);
    sim::SessionOptions options;
    options.pluginPath = AMBLEWORKS_PLUGIN_PATH;
    sim::SessionResult result;
    EXPECT_TRUE(sim::playScenario(scenario, options, result)) << result.error;
    EXPECT_EQ(result.trace.faultCount, 0);
    Played played;
    played.facts = sim::report::readFacts(result.trace);
    played.timeline = sim::report::buildTimeline(played.facts);
    played.text = sim::report::formatTimeline(played.timeline);
    return played;
}

// The first entry whose reason contains `why`, or nullptr.
const TimelineEntry* entryWithWhy(const Timeline& timeline, const std::string& why)
{
    for (const TimelineEntry& entry : timeline.entries) {
        if (entry.why.find(why) != std::string::npos)
            return &entry;
    }
    return nullptr;
}

int entriesWith(const Timeline& timeline, const std::string& imposed)
{
    int count = 0;
    for (const TimelineEntry& entry : timeline.entries)
        count += entry.imposed.find(imposed) != std::string::npos ? 1 : 0;
    return count;
}

// A walking ped with the shipped defaults, and the game's sprint at 3.0.
const std::string walking = "ini none\ndesired auto 1.0 3.0\nat 2 move up\n";

struct Behaviour {
    const char* name;
    std::string scenario;
    int tick;             // the tick of the line
    const char* input;    // a piece of its input text
    const char* imposed;  // a piece of what it says was imposed
    const char* why;      // a piece of its reason
    sim::report::ReasonKind kind;
};

void PrintTo(const Behaviour& behaviour, std::ostream* out)
{
    *out << behaviour.name;
}

class TimelineBehaviour : public testing::TestWithParam<Behaviour> { };

TEST_P(TimelineBehaviour, GetsItsLineAndReason)
{
    const Behaviour& b = GetParam();
    const Played played = play(b.scenario);
    const TimelineEntry* entry = entryWithWhy(played.timeline, b.why);
    ASSERT_NE(entry, nullptr) << "no reason \"" << b.why << "\" in\n" << played.text;
    EXPECT_EQ(entry->tick, b.tick) << played.text;
    EXPECT_NE(entry->input.find(b.input), std::string::npos) << entry->input << "\n" << played.text;
    EXPECT_NE(entry->imposed.find(b.imposed), std::string::npos) << entry->imposed << "\n" << played.text;
    EXPECT_EQ(entry->reason.kind, b.kind) << played.text;
}

INSTANTIATE_TEST_SUITE_P(
    KeyBehaviours, TimelineBehaviour,
    testing::Values(
        Behaviour{"WheelNotchUp", walking + "ticks 30\nat 10 wheel up\n", 10, "wheel notch up",
                  "speed capped at 1.06, sprint held", "wheel notch up: 1.00 → 1.06", K::wheelStep},
        // A first notch from a ped that wants less than 0.8 starts from 0.8.
        Behaviour{"WheelFirstStepFromTheLowestStart", walking + "ticks 20\nat 2 desired 0.5\nat 10 wheel down\n", 10,
                  "wheel notch down", "speed capped at 0.74", "wheel notch down: 0.80 (the lowest start) → 0.74",
                  K::wheelStep},
        Behaviour{"AltShortPressFastWalkOn", walking + "ticks 40\nat 10..16 key hold ALT\n", 18,
                  "Alt pressed for 0.23 s", "speed capped at 1.38", "Alt short press: fast walk on at 1.38",
                  K::walkShortPressFastWalkOn},
        Behaviour{"AltShortPressFastWalkOff", walking + "ticks 60\nat 10..16 key hold ALT\nat 30..36 key hold ALT\n",
                  38, "Alt up after 0.23 s", "speed capped at 1.20 for one tick only", "fast walk off",
                  K::walkShortPressFastWalkOff},
        Behaviour{"AltLongHoldSlowWalk", walking + "ticks 100\nat 10..80 key hold ALT\n", 36, "",
                  "speed capped at 0.70", "Alt held 0.86 s: slow walk at 0.70", K::walkHeldSlowWalk},
        Behaviour{"AltLetGoAfterTheSlowWalk", walking + "ticks 100\nat 10..80 key hold ALT\n", 83, "",
                  "the game's own speed", "slow walk over", K::walkReleasedSlowWalkOver},
        Behaviour{"ShiftTapLightRun", walking + "ticks 40\nat 10..17 key hold SHIFT\n", 19, "Shift pressed for 0.26 s",
                  "speed capped at 1.78", "Shift tap: light run at 1.78", K::sprintTapLightRun},
        Behaviour{"ShiftTapStopsRunning",
                  walking + "ticks 50\nat 2 desired 2.0\nat 2 gait running\nat 20..27 key hold SHIFT\n", 29,
                  "Shift pressed for 0.26 s", "speed capped at 1.20 for one tick only", "Shift tap: stop running",
                  K::sprintTapStopRunningPace},
        Behaviour{"StopKeepsTheSpeed", walking + "ticks 200\nat 10..17 key hold SHIFT\nat 40..99 move none\n", 40,
                  "stop (no move input)", "the game's own speed", "stopped: speed kept for when you move on",
                  K::stoppedSpeedKept},
        Behaviour{"MovingAgainAfterTheStop", walking + "ticks 200\nat 10..17 key hold SHIFT\nat 40..99 move none\n",
                  114, "", "speed capped at 1.38", "moving again: 1.38 at first, then back up to 1.78",
                  K::movingOnThenBackUp},
        Behaviour{"RampBackUp", walking + "ticks 200\nat 10..17 key hold SHIFT\nat 40..99 move none\n", 164, "",
                  "speed rising 1.38 → 1.78", "ramping back up to 1.78", K::rampingBackUp},
        Behaviour{"SprintFromTheLightRun", walking + "ticks 120\nat 10..17 key hold SHIFT\nat 40..90 key hold SHIFT\n",
                  41, "Shift down", "speed pinned at 2.00 (floor and cap)",
                  "Shift held: sprint — 2.00 at first; the custom speed is dropped and does not come back",
                  K::sprintHeldPinned},
        // A custom speed is dropped for good by a sprint press and by a walk-key hold.
        Behaviour{"SprintDropsTheCustomSpeed",
                  walking + "ticks 60\nat 2 desired auto 1.0 1.2\nat 5 wheel up\nat 20..40 key hold SHIFT\n", 21,
                  "Shift down", "the game's own speed",
                  "Shift held: sprint — the custom speed 1.06 is dropped and does not come back", K::sprintHeldDropped},
        Behaviour{"WalkKeyHoldDropsTheCustomSpeed", walking + "ticks 60\nat 5 wheel up\nat 20..45 key hold ALT\n", 21,
                  "Alt down", "the game's own speed (1.00)",
                  "Alt held: the custom speed 1.06 is dropped and does not come back", K::walkHeldDropped},
        // A notch into the game's own walking pace drops the custom speed.
        Behaviour{"WheelIntoTheGamesWalk", walking + "ticks 30\nat 5 wheel up\nat 10 wheel down\n", 10,
                  "wheel notch down", "the game's own speed",
                  "wheel notch down: 1.06 → the game's own walk, so the custom speed is dropped", K::wheelDropped},
        // A sprint with a wheel override ends in no tap action, however short.
        Behaviour{"ReleaseAfterAWheelOverride",
                  walking + "ticks 60\nat 5 wheel up\nat 20..30 key hold SHIFT\nat 26 wheel up\n", 32,
                  "Shift up after 0.36 s", "speed pinned at 2.00",
                  "Shift let go after a wheel override: the game "
                  "still wants more, so 2.00 stays in place of the wheel's",
                  K::overrideSpeedInPlace},
        Behaviour{"SprintHandedToTheGame", walking + "ticks 120\nat 10..17 key hold SHIFT\nat 40..90 key hold SHIFT\n",
                  53, "", "the game's own speed (3.00)", "Shift held: the game's own sprint", K::sprintHeldGameSprint},
        // Letting go of the move input ends the sprint's pinned speed, whatever key is down.
        Behaviour{"StopWhileSprinting",
                  walking + "ticks 80\nat 10..17 key hold SHIFT\nat 30..60 key hold SHIFT\nat 34 move none\n", 34,
                  "stop (no move input)", "the game's own speed", "stopped: nothing imposed while standing",
                  K::stoppedNothingImposed},
        // The kept run speed comes back at a fast walk, and an Alt tap ends the ramp before it starts.
        Behaviour{"StopKeptWhenTheRampIsCutShort",
                  walking + "ticks 100\nat 10..17 key hold SHIFT\nat 30..39 move none\nat 70 key tap ALT\n", 30,
                  "stop (no move input)", "the game's own speed", "stopped: speed kept for when you move on",
                  K::stoppedSpeedKept},
        Behaviour{"WalkKeyPulseWithNoCustomSpeed",
                  "ini none\nticks 20\nat 1 move up\nat 1 desired 1.5\nat 10 key tap ALT\n", 11, "",
                  "sprint control pulsed", "Alt short press with no custom speed: the sprint control is pulsed",
                  K::pulseAfterWalkShortPress},
        Behaviour{"SwitchedOff", walking + "ticks 60\nat 10 wheel up\nat 20..22 key hold END+NUMPAD1\n", 21,
                  "End+Numpad 1 (switch off)", "nothing: the game's own speed", "End+Numpad 1: Ambleworks switched off",
                  K::switchedOff},
        Behaviour{"WheelIgnoredWhileOff",
                  walking + "ticks 60\nat 10 wheel up\nat 20..22 key hold END+NUMPAD1\nat 30 wheel up\n", 30,
                  "wheel notch up", "", "ignored: Ambleworks is off", K::wheelIgnoredOff},
        Behaviour{
            "SwitchedOnWithTheSpeedItHad",
            walking + "ticks 60\nat 10 wheel up\nat 20..22 key hold END+NUMPAD1\nat 40..42 key hold END+NUMPAD2\n", 41,
            "End+Numpad 2 (switch on)", "speed capped at 1.06", "End+Numpad 2: Ambleworks switched on", K::switchedOn}),
    [](const testing::TestParamInfo<Behaviour>& info) { return std::string(info.param.name); });

// An Ambleworks.ini that chooses other keys: Home as the hotkey modifier, F1
// to F3 for off, on and reload, Caps Lock to sprint, Q as the walk-control key.
const std::string ownKeys = "ini begin\n[Keys]\nHOTKEY_MODIFIER = 24\nSWITCH_OFF_KEY = 70\nSWITCH_ON_KEY = 71\n"
                            "RELOAD_KEY = 72\nSPRINT_KEY = 14\n[MouseWheel]\nSPEED_INCREMENT = 0.06\n"
                            "[Shift]\nSHIFT_TAP_CUSTOM_SPEED = 1.78\n[WalkControl]\nFAST_WALK_CUSTOM_SPEED = 1.38\n"
                            "SLOW_WALK_CUSTOM_SPEED = 0.7\nWALK_CONTROL_KEY = 51\nini end\n"
                            "desired auto 1.0 3.0\nat 2 move up\n";

TEST(Timeline, NamesTheKeysTheScenariosIniConfigures)
{
    // The game sprints on its own sprint control; the plug-in's sprint key is Caps Lock.
    const Played played = play(ownKeys + "ticks 120\nat 10..17 key hold CAPSLOCK\nat 10..18 control INPUT_SPRINT on\n"
                                         "at 30..36 key hold Q\n"
                                         "at 50..52 key hold HOME+F1\nat 60..62 key hold HOME+F2\n"
                                         "at 70..72 key hold END+NUMPAD1\nat 80..87 key hold SHIFT\n");
    EXPECT_NE(played.text.find("Keys from Ambleworks.ini: walk control Q, sprint Caps Lock, switch off Home+F1, "
                               "switch on Home+F2, reload Home+F3."),
              std::string::npos)
        << played.text;
    EXPECT_NE(entryWithWhy(played.timeline, "Caps Lock tap: light run at 1.78"), nullptr) << played.text;
    EXPECT_NE(entryWithWhy(played.timeline, "Q short press: fast walk on at 1.38"), nullptr) << played.text;
    const TimelineEntry* off = entryWithWhy(played.timeline, "Home+F1: Ambleworks switched off");
    ASSERT_NE(off, nullptr) << played.text;
    EXPECT_EQ(off->input, "Home+F1 (switch off)");
    EXPECT_NE(entryWithWhy(played.timeline, "Home+F2: Ambleworks switched on"), nullptr) << played.text;
    // The built-in keys are plain keys now: End+Numpad 1 and Shift change nothing.
    EXPECT_EQ(played.text.find("End+Numpad 1 ("), std::string::npos) << played.text;
    EXPECT_EQ(played.text.find("Shift tap"), std::string::npos) << played.text;
}

// The header names each hotkey as it is pressed: a modifier that is the
// hotkey's own key is pressed once, and a hotkey no keys can work is "no key".
TEST(Timeline, NamesHotkeysAsThePlayerPressesThem)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"RELOAD_KEY = 23\n", "switch off End+Numpad 1, switch on End+Numpad 2, reload End."},
        {"HOTKEY_MODIFIER = 0\nRELOAD_KEY = 7A\n", "switch off Numpad 1, switch on Numpad 2, reload F11."},
        {"HOTKEY_MODIFIER = FF\n", "switch off no key, switch on no key, reload no key."},
        {"SWITCH_ON_KEY = 61\nRELOAD_KEY = -1\n", "switch off End+Numpad 1, switch on no key, reload no key."},
    };
    for (const auto& [keys, words] : cases) {
        const Played played = play("ini begin\n[Keys]\n" + keys + "ini end\nticks 3\n");
        EXPECT_NE(played.text.find(words), std::string::npos) << played.text;
    }
}

TEST(Timeline, FollowsKeysChangedByAReload)
{
    // The file changes under the running plug-in; its reload key reads it and
    // the new switch-off key acts from then on.
    const Played played =
        play(ownKeys + "ticks 80\nat 20 ini begin\n[Keys]\nHOTKEY_MODIFIER = 0\nSWITCH_OFF_KEY = 7A\nini end\n"
                       "at 25..26 key hold HOME+F3\nat 40..41 key hold F11\n");
    const TimelineEntry* off = entryWithWhy(played.timeline, "F11: Ambleworks switched off");
    ASSERT_NE(off, nullptr) << played.text;
    EXPECT_EQ(off->input, "F11 (switch off)");
}

TEST(Timeline, MovingOnAfterAKeptStopSaysWhyNothingChangesYet)
{
    const Played played = play(walking + "ticks 200\nat 10..17 key hold SHIFT\nat 40..99 move none\n");
    const TimelineEntry* entry = entryWithWhy(played.timeline, "the game sets off at its own pace");
    ASSERT_NE(entry, nullptr) << played.text;
    EXPECT_EQ(entry->tick, 100);
    EXPECT_EQ(entry->input, "move forward");
    EXPECT_EQ(entry->imposed, "");
}

TEST(Timeline, AKeyIsShownOnTheLineOfItsFirstEffect)
{
    // Shift is seen down in tick 11 (the custom speed steps aside) and pins
    // the speed in tick 12: "Shift down" stays on the first of the two.
    const Played played = play(walking + "ticks 40\nat 2 gait running\nat 5 wheel down\nat 10..14 key hold SHIFT\n");
    int shown = 0;
    for (const TimelineEntry& entry : played.timeline.entries) {
        if (entry.input.find("Shift down") != std::string::npos) {
            ++shown;
            EXPECT_EQ(entry.tick, 11) << played.text;
        }
    }
    EXPECT_EQ(shown, 1) << played.text;
}

TEST(Timeline, OneLinePerChangeNotPerTick)
{
    // Standing, then walking for ten seconds: two lines, however many ticks.
    EXPECT_EQ(play("ini none\nticks 300\nat 2 move up\n").timeline.entries.size(), 2u);

    // The ramp back up changes the speed in 20 ticks, and is one line; the
    // whole stop and restart is a handful of lines.
    const Played ramp = play(walking + "ticks 200\nat 10..17 key hold SHIFT\nat 40..99 move none\n");
    EXPECT_EQ(entriesWith(ramp.timeline, "speed rising"), 1) << ramp.text;
    EXPECT_LE(ramp.timeline.entries.size(), 8u) << ramp.text;

    // Alt held for three seconds, with its auto-repeats: the down, the slow
    // walk and the release; nothing per tick of the slow walk.
    const Played hold = play(walking + "ticks 120\nat 10..100 key hold ALT\n");
    EXPECT_EQ(entriesWith(hold.timeline, "speed capped at 0.70"), 1) << hold.text;
    EXPECT_LE(hold.timeline.entries.size(), 5u) << hold.text;
}

TEST(Timeline, AWheelNotchInEveryTickIsAStepEach)
{
    // Not "1.06 for one tick, then 1.12" with the second notch left as "no change".
    const Played played = play(walking + "ticks 20\nat 10..12 wheel up\n");
    EXPECT_NE(entryWithWhy(played.timeline, "wheel notch up: 1.00 → 1.06"), nullptr) << played.text;
    EXPECT_NE(entryWithWhy(played.timeline, "wheel notch up: 1.06 → 1.12"), nullptr) << played.text;
    EXPECT_NE(entryWithWhy(played.timeline, "wheel notch up: 1.12 → 1.18"), nullptr) << played.text;
    EXPECT_EQ(played.text.find("for one tick"), std::string::npos) << played.text;
    EXPECT_EQ(played.text.find("no change"), std::string::npos) << played.text;
}

// The display columns of a line, one string per code point.
std::vector<std::string> codePoints(const std::string& line)
{
    std::vector<std::string> points;
    for (unsigned char c : line) {
        if ((c & 0xC0) != 0x80 || points.empty())
            points.emplace_back();
        points.back() += static_cast<char>(c);
    }
    return points;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = text.find('\n', from);
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

TEST(Timeline, ColumnsStayAlignedWhenATextIsLong)
{
    // A key let go in the tick the game changes the ped's speed: a long
    // input cell, and long imposed texts (switched off with the wheel given back).
    const Played played =
        play(walking + "ticks 120\nat 10..17 key hold SHIFT\nat 40..70 key hold SHIFT\nat 71 desired 2.0\n"
                       "at 90..92 key hold END+NUMPAD1\n");
    const std::vector<std::string> lines = linesOf(played.text);
    size_t heading = 0;
    while (heading < lines.size() && lines[heading].find("Ambleworks imposed") == std::string::npos)
        ++heading;
    ASSERT_LT(heading, lines.size()) << played.text;
    const std::vector<std::string> head = codePoints(lines[heading]);
    auto columnOf = [&](const std::string& word) {
        const std::string& line = lines[heading];
        return codePoints(line.substr(0, line.find(word))).size();
    };
    const size_t columns[] = {columnOf("input"), columnOf("Ambleworks imposed"), columnOf("why")};
    bool sawContinuation = false;
    for (size_t i = heading + 1; i < lines.size(); ++i) {
        const std::vector<std::string> points = codePoints(lines[i]);
        for (size_t column : columns) {
            // Two spaces before each column start, on every line that reaches it.
            if (points.size() > column) {
                EXPECT_EQ(points[column - 1], " ") << "line " << i << ": " << lines[i];
                EXPECT_EQ(points[column - 2], " ") << "line " << i << ": " << lines[i];
            }
        }
        sawContinuation = sawContinuation || lines[i].rfind("         ", 0) == 0;
    }
    EXPECT_TRUE(sawContinuation) << played.text;
    // The long input is there whole, on two lines of its row.
    EXPECT_NE(played.text.find("Shift up after 1.02 s"), std::string::npos) << played.text;
    EXPECT_NE(played.text.find("game: the ped wants 2.00"), std::string::npos) << played.text;
}

// A small check that a text is well-formed XML: every element closed in
// order, attributes quoted, no bare '&' or '<' in text.
bool wellFormed(const std::string& svg, std::string& problem)
{
    std::vector<std::string> open;
    size_t at = 0;
    while (at < svg.size()) {
        const size_t lt = svg.find('<', at);
        const std::string text = svg.substr(at, lt == std::string::npos ? std::string::npos : lt - at);
        for (size_t amp = text.find('&'); amp != std::string::npos; amp = text.find('&', amp + 1)) {
            const size_t semi = text.find(';', amp);
            if (semi == std::string::npos || semi - amp > 6) {
                problem = "bare & in " + text;
                return false;
            }
        }
        if (lt == std::string::npos)
            break;
        const size_t gt = svg.find('>', lt);
        if (gt == std::string::npos) {
            problem = "unclosed tag";
            return false;
        }
        const std::string tag = svg.substr(lt + 1, gt - lt - 1);
        at = gt + 1;
        if (tag.empty() || tag[0] == '?' || tag[0] == '!')
            continue;
        if (std::count(tag.begin(), tag.end(), '"') % 2 != 0) {
            problem = "odd quotes in <" + tag + ">";
            return false;
        }
        const bool closing = tag[0] == '/';
        const bool selfClosing = tag.back() == '/';
        const std::string name =
            tag.substr(closing ? 1 : 0, tag.find_first_of(" /", closing ? 1 : 0) - (closing ? 1 : 0));
        if (closing) {
            if (open.empty() || open.back() != name) {
                problem = "</" + name + "> closes " + (open.empty() ? "nothing" : open.back());
                return false;
            }
            open.pop_back();
        } else if (!selfClosing) {
            open.push_back(name);
        }
    }
    if (!open.empty()) {
        problem = "<" + open.back() + "> never closed";
        return false;
    }
    return true;
}

// The contents of the group with this id, up to its closing tag.
std::string group(const std::string& svg, const std::string& id)
{
    const size_t from = svg.find("<g id=\"" + id + "\">");
    if (from == std::string::npos)
        return "";
    return svg.substr(from, svg.find("</g>", from) - from);
}

// Every kind of reason has words of its own: no kind is left without any
// (it would show an empty "why"), and no two kinds read the same, so that a
// player can tell them apart as the timeline does.
TEST(Timeline, EveryReasonKindHasWordsOfItsOwn)
{
    sim::report::Reason reason;
    reason.key = "Alt";
    reason.speed = 1.38f;
    reason.from = 1.0f;
    reason.desired = 1.2f;
    reason.heldMs = 860;
    std::vector<std::string> seen;
    for (int k = 1; k <= static_cast<int>(sim::report::lastReasonKind); ++k) {
        reason.kind = static_cast<K>(k);
        const std::string why = sim::report::whyText(reason);
        EXPECT_TRUE(sim::report::hasWords(reason.kind)) << "kind " << k;
        EXPECT_FALSE(why.empty()) << "kind " << k;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), why), 0) << "kind " << k << ": " << why;
        seen.push_back(why);
    }
    reason.kind = K::none;
    EXPECT_EQ(sim::report::whyText(reason), "");
    EXPECT_EQ(sim::report::labelText(reason), "");
}

TEST(Chart, IsWellFormedSvgWithBothSpeedsAndTheInputs)
{
    const Played played =
        play("title Walk & <wheel>\n" + walking +
             "ticks 120\nat 10 wheel up\nat 20..26 key hold ALT\nat 60..62 key hold END+NUMPAD1\nat 80 wheel up\n");
    const std::string svg = sim::report::renderChart(played.facts, played.timeline);
    std::string problem;
    EXPECT_TRUE(wellFormed(svg, problem)) << problem;
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
    EXPECT_NE(svg.find("Walk &amp; &lt;wheel&gt;"), std::string::npos);

    // Both series are drawn as paths.
    EXPECT_NE(group(svg, "desired-speed").find("<path d=\"M"), std::string::npos);
    EXPECT_NE(group(svg, "imposed-speed").find("<path d=\"M"), std::string::npos);

    // The inputs: the move lane, a lane for Alt with its press, the hotkey,
    // the wheel, the notch made while switched off marked as ignored.
    const std::string inputs = group(svg, "inputs");
    for (const char* piece : {">move<", ">forward<", ">Alt<", ">0.23 s<", ">End+Numpad<", ">wheel<", ">ignored<"})
        EXPECT_NE(inputs.find(piece), std::string::npos) << piece;

    // The reasons of the timeline are marked.
    const std::string reasons = group(svg, "reasons");
    for (const char* piece : {">▲ 1.06<", ">fast walk on<", ">switched off<"})
        EXPECT_NE(reasons.find(piece), std::string::npos) << piece;

    // The same run gives the same bytes.
    EXPECT_EQ(svg, sim::report::renderChart(played.facts, played.timeline));
}

TEST(Chart, ControlLanesHaveNamesThatFitTheMargin)
{
    const Played played = play(walking + "ticks 40\nat 10..20 control INPUT_SPECIAL_ABILITY on\n"
                                         "at 25..30 control INPUT_SCRIPTED_FLY_ZUP on\n");
    const std::string inputs = group(sim::report::renderChart(played.facts, played.timeline), "inputs");
    EXPECT_NE(inputs.find(">special ability<"), std::string::npos);
    EXPECT_NE(inputs.find("font-size=\"10.0\" fill=\"#1a202c\" text-anchor=\"end\">scripted fly zup<"),
              std::string::npos);
    EXPECT_EQ(inputs.find(">INPUT_"), std::string::npos);
}

TEST(Chart, LabelsBesideNarrowBandsDoNotRunIntoTheNextBand)
{
    // Two hotkey presses close together: "End+Numpad 1 off" would reach the
    // second press, so only its short form ("Numpad 1 off") stands beside the first.
    const Played played =
        play(walking + "ticks 200\nat 100..102 key hold END+NUMPAD1\nat 118..120 key hold END+NUMPAD2\n");
    const std::string inputs = group(sim::report::renderChart(played.facts, played.timeline), "inputs");
    EXPECT_EQ(inputs.find(">End+Numpad 1 off<"), std::string::npos);
    EXPECT_NE(inputs.find(">Numpad 1 off<"), std::string::npos);
    EXPECT_NE(inputs.find(">End+Numpad 2 on<"), std::string::npos);
}

// The settings page's previews keep a call by its name alone: the timeline
// and the chart of every bundled scenario must be those of the trace in full.
TEST(Report, IsTheSameFromCallsKeptByNameAlone)
{
    int scenarios = 0;
    for (const auto& file : std::filesystem::directory_iterator(AMBLEWORKS_SOURCE_DIR "/scenarios")) {
        if (file.path().extension() != ".scn")
            continue;
        sim::Scenario scenario;
        std::vector<std::string> errors;
        ASSERT_TRUE(sim::parseScenarioFile(file.path().string(), scenario, errors)) << file.path();
        std::string reports[2];
        for (const bool details : {true, false}) {
            sim::SessionOptions options;
            options.pluginPath = AMBLEWORKS_PLUGIN_PATH;
            options.judge = false;
            options.callDetails = details;
            sim::SessionResult result;
            ASSERT_TRUE(sim::playScenario(scenario, options, result)) << result.error;
            for (const sim::TickRecord& record : result.trace.records) {
                for (const sim::TraceEvent& event : record.events) {
                    if (event.kind == sim::EventKind::call && event.native) {
                        ASSERT_EQ(event.line.empty(), !details) << file.path() << " " << record.label();
                    }
                }
            }
            const sim::report::Facts facts = sim::report::readFacts(result.trace);
            const Timeline timeline = sim::report::buildTimeline(facts);
            reports[details ? 0 : 1] =
                sim::report::formatTimeline(timeline) + sim::report::renderChart(facts, timeline);
        }
        EXPECT_EQ(reports[0], reports[1]) << file.path();
        ++scenarios;
    }
    EXPECT_GT(scenarios, 50);
}

}  // namespace
