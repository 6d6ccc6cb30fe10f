#include "reload/soak.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "scenario/scenario.h"
#include "trace/format.h"
#include "trace/trace.h"

namespace sim::reload {

namespace {

void writeOut(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string bytes(uint64_t value)
{
    return decimal(static_cast<int64_t>(value)) + " bytes";
}

// A growth per play with one decimal, "+12.5" or "-3.0".
std::string perCycle(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%+.1f", value);
    return text;
}

// "+1.0 and +0.0 in its two halves".
std::string halves(const double (&half)[2])
{
    return perCycle(half[0]) + " and " + perCycle(half[1]) + " in its two halves";
}

}  // namespace

namespace {

// Growth per play from samples[from] to samples[to] (to > from).
void growthBetween(const std::vector<platform::MemoryUse>& samples, size_t from, size_t to, double& heap,
                   double& mapped)
{
    const auto plays = static_cast<double>(to - from);
    heap = (static_cast<double>(samples[to].heapBytes) - static_cast<double>(samples[from].heapBytes)) / plays;
    mapped = (static_cast<double>(samples[to].mappedBytes) - static_cast<double>(samples[from].mappedBytes)) / plays;
}

}  // namespace

Growth growthAfterWarmup(const std::vector<platform::MemoryUse>& samples, int warmup)
{
    Growth growth;
    const size_t base = static_cast<size_t>(warmup) - 1;
    if (warmup < 1 || samples.size() <= base + 1)
        return growth;
    const size_t last = samples.size() - 1;
    growthBetween(samples, base, last, growth.heapPerCycle, growth.mappedPerCycle);
    // With a single measured play both halves are that play.
    const size_t middle = last - base >= 2 ? base + (last - base) / 2 : last;
    growthBetween(samples, base, middle, growth.heapHalves[0], growth.mappedHalves[0]);
    growthBetween(samples, middle == last ? base : middle, last, growth.heapHalves[1], growth.mappedHalves[1]);
    return growth;
}

std::string firstDifference(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return {};
    std::istringstream a(expected);
    std::istringstream b(actual);
    std::string lineA;
    std::string lineB;
    for (int number = 1;; ++number) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA));
        const bool moreB = static_cast<bool>(std::getline(b, lineB));
        if (!moreA && !moreB)
            return "line " + decimal(number) + ": the same lines, other line ends";
        if (!moreA)
            lineA = "(end of trace)";
        if (!moreB)
            lineB = "(end of trace)";
        if (!moreA || !moreB || lineA != lineB)
            return "line " + decimal(number) + ": " + lineA.append(" | ").append(lineB);
    }
}

namespace {

// What the plays found, beyond the memory samples.
struct SoakFindings {
    std::vector<platform::MemoryUse> samples;
    std::string firstTrace;
    std::vector<std::string> problems;
    int differing = 0;
    int unpassed = 0;
    int stillMapped = 0;
};

// At most this many problems of each kind are told one by one.
constexpr int problemsTold = 5;

// How many times one play loads the plug-in: once, and again at each load
// or reload the scenario makes.
int loadsPerPlay(const Scenario& scenario)
{
    int loads = 1;
    for (const PluginStatement& plugin : scenario.plugins) {
        if (plugin.action != PluginStatement::Action::unload)
            ++loads;
    }
    return loads;
}

// Plays once and notes what differs from the first play. False when the
// play could not be made at all.
bool playOnce(const Scenario& scenario, const SessionOptions& session, int cycle, SoakFindings& found)
{
    SessionResult result;
    if (!playScenario(scenario, session, result)) {
        writeOut("ambleworks-sim soak: play " + decimal(cycle) + ": " + result.error + "\n");
        return false;
    }
    const std::string trace = formatTrace(result.trace);
    if (cycle == 1) {
        found.firstTrace = trace;
    } else if (trace != found.firstTrace && found.differing++ < problemsTold) {
        found.problems.push_back("play " + decimal(cycle) + " gave another trace than play 1, at " +
                                 firstDifference(found.firstTrace, trace));
    }
    if (!result.passed() && found.unpassed++ < problemsTold) {
        std::string why = result.trace.faultCount ? decimal(result.trace.faultCount) + " faults" : "";
        for (const std::string& failure : result.failures)
            why += (why.empty() ? "" : "; ") + failure;
        found.problems.push_back("play " + decimal(cycle) + " did not pass: " + why);
    }
    return true;
}

// The memory verdict, added to the problems when the growth is past the limits.
void judgeMemory(const Growth& growth, const SoakOptions& options, SoakFindings& found)
{
    if (growth.steadyHeap() > options.maxHeapGrowth)
        found.problems.push_back("the heap grows by " + perCycle(growth.steadyHeap()) + " bytes per play in both " +
                                 "halves (limit " + perCycle(options.maxHeapGrowth) + ")");
    if (growth.steadyMapped() > options.maxMappedGrowth)
        found.problems.push_back("the mapped memory grows by " + perCycle(growth.steadyMapped()) +
                                 " bytes per play in both halves (limit " + perCycle(options.maxMappedGrowth) + ")");
}

std::string memoryReport(const Growth& growth, const SoakOptions& options, const SoakFindings& found)
{
    const platform::MemoryUse& base = found.samples[static_cast<size_t>(options.warmup) - 1];
    const platform::MemoryUse& last = found.samples.back();
    return "  heap in use: " + bytes(found.samples.front().heapBytes) + " after play 1, " + bytes(base.heapBytes) +
           " after play " + decimal(options.warmup) + ", " + bytes(last.heapBytes) + " after play " +
           decimal(options.cycles) + ": " + perCycle(growth.heapPerCycle) + " bytes per play after the warm-up, " +
           halves(growth.heapHalves) + " (limit " + perCycle(options.maxHeapGrowth) + ")\n" +
           "  mapped: " + bytes(base.mappedBytes) + " after play " + decimal(options.warmup) + ", " +
           bytes(last.mappedBytes) + " after play " + decimal(options.cycles) + ": " + perCycle(growth.mappedPerCycle) +
           " bytes per play, " + halves(growth.mappedHalves) + " (limit " + perCycle(options.maxMappedGrowth) + ")\n" +
           "  resident: " + bytes(base.residentBytes) + " after play " + decimal(options.warmup) + ", " +
           bytes(last.residentBytes) + " after play " + decimal(options.cycles) + " (for information)\n";
}

std::string soakReport(const std::string& scenarioPath, int loads, const Growth& growth, const SoakOptions& options,
                       const SoakFindings& found)
{
    const auto traceLines = static_cast<int64_t>(std::count(found.firstTrace.begin(), found.firstTrace.end(), '\n'));
    std::string report = "soak " + scenarioPath + ": " + decimal(options.cycles) + " plays, each loading the plug-in " +
                         decimal(loads) + (loads == 1 ? " time" : " times") + " and unloading it as often (" +
                         decimal(static_cast<int64_t>(options.cycles) * loads) + " unload/load cycles)\n";
    report += "  traces: " +
              (found.differing ? decimal(found.differing) + " plays differ from play 1"
                               : std::string("every play the same as play 1")) +
              " (" + decimal(traceLines) + " lines)\n";
    report += "  checks: " +
              (found.unpassed ? decimal(found.unpassed) + " plays with faults or failed expectations"
                              : std::string("every play passed")) +
              "\n";
    report += "  unload: " +
              (found.stillMapped ? "the plug-in stayed mapped after " + decimal(found.stillMapped) + " plays"
                                 : std::string("the plug-in was unmapped after every play")) +
              "\n";
    report += memoryReport(growth, options, found);
    for (const std::string& problem : found.problems)
        report += "FAIL: " + problem + "\n";
    return report + (found.problems.empty() ? "PASS\n" : "FAIL\n");
}

}  // namespace

int soakCommand(const std::string& scenarioPath, const SessionOptions& session, const SoakOptions& options)
{
    if (options.cycles < 2 || options.warmup < 1 || options.warmup >= options.cycles) {
        writeOut("ambleworks-sim soak: need --cycles of 2 or more and a --warmup from 1 to cycles - 1\n");
        return 2;
    }
    Scenario scenario;
    std::vector<std::string> errors;
    if (!parseScenarioFile(scenarioPath, scenario, errors)) {
        for (const std::string& error : errors)
            writeOut(error + "\n");
        return 2;
    }
    // Everything that outlives a play is made before the first one, so that
    // the samples see only what the plays leave behind.
    SoakFindings found;
    found.samples.reserve(static_cast<size_t>(options.cycles));
    found.problems.reserve(64);
    for (int cycle = 1; cycle <= options.cycles; ++cycle) {
        if (!playOnce(scenario, session, cycle, found))
            return 2;
        if (platform::libraryMapped(session.pluginPath) && found.stillMapped++ < problemsTold)
            found.problems.push_back("play " + decimal(cycle) + ": the plug-in is still mapped after its unload");
        found.samples.push_back(platform::memoryUse());
        if (options.verbose)
            writeOut("play " + decimal(cycle) + ": heap " + bytes(found.samples.back().heapBytes) + ", mapped " +
                     bytes(found.samples.back().mappedBytes) + ", resident " +
                     bytes(found.samples.back().residentBytes) + "\n");
    }
    const Growth growth = growthAfterWarmup(found.samples, options.warmup);
    judgeMemory(growth, options, found);
    writeOut(soakReport(scenarioPath, loadsPerPlay(scenario), growth, options, found));
    return found.problems.empty() ? 0 : 1;
}

}  // namespace sim::reload
