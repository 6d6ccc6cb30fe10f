// The plug-in's costs, measured with Google Benchmark:
//   tick/<situation>         one tick of the real Ambleworks.so (see plugin_host.h)
//   native_round_trip/<n>    one native call with n arguments (0, 1, 3) through the host's exports
//   script_wait_round_trip   one empty scriptWait: into a script context and back
//   keyboard_callback        the plug-in's keyboard handler, one message
//   load_settings/shipped    loadSettings on the shipped Ambleworks.ini
//   ini/<reader>/<file>      our IniReader and inih's INIReader on the same bytes
// Every benchmark also counts heap allocations per iteration; the tick
// benchmarks count the native calls, argument pushes and clock reads of a
// tick. After the run a summary derives the plug-in's own work per tick and
// the reader ratio from the same run's figures (medians when repeated).
//
// The run fails (exit status 1) when a benchmark could not do its work (a
// situation not reached, a refused call, a reader disagreeing) or when a
// steady tick or the keyboard callback allocated on the heap, so a short run
// is a test that the benchmarks still build, run and measure what they say.
//
// `--instructions` runs the same work a fixed number of times between
// callgrind client requests instead, for instruction counts that do not
// depend on a busy machine (scripts/bench --instructions).

#include <benchmark/benchmark.h>
#include <unistd.h>

// The client requests that mark the parts of an instruction count. Without
// valgrind's header the program still builds and times; it only cannot count.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
constexpr bool canCountInstructions = true;
#else
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_DUMP_STATS_AT(name) static_cast<void>(name)
constexpr bool canCountInstructions = false;
#endif

#include <INIReader.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "config/ini_reader.h"
#include "config/settings.h"
#include "game/control_names.h"
#include "game/native_invoker.h"
#include "heap_counter.h"
#include "host.h"
#include "plugin_host.h"
#include "situations.h"

// Index of this file:
// [SECTION] Files
// [SECTION] Ticks
// [SECTION] The boundary's own cost
// [SECTION] Settings and the readers
// [SECTION] Summary: the derived figures, from the same run
// [SECTION] Instruction counts

namespace {

namespace fs = std::filesystem;

using bench::Situation;

// ---------------------------------------------------------------------------
// [SECTION] Files
// A working folder of our own with the shipped Ambleworks.ini (the plug-in
// reads it from the current directory) and the 1 MiB file.

std::string pluginPath = AMBLEWORKS_PLUGIN_PATH;
const std::string shippedIniSource = AMBLEWORKS_SOURCE_DIR "/Ambleworks.ini";
fs::path workFolder;
std::string shippedIni;
std::string bigIni;

constexpr std::size_t bigIniBytes = 1024 * 1024;

// A 1 MiB settings-like file, the same bytes on every run: sections of a dozen
// keys with numeric, hexadecimal and flag values, comment and blank lines, as
// players write them. No line is longer than inih's 200-byte line buffer, no
// value carries a remark (inih would cut it), no key repeats within a section
// (inih would join the values), so both readers hold the same entries.
std::string makeBigIni()
{
    std::string text;
    text.reserve(bigIniBytes);
    uint32_t state = 12345;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7fff;
    };
    for (int section = 0; text.size() < bigIniBytes; ++section) {
        std::string block = "; Settings group " + std::to_string(section) + ": what these keys change\n";
        block += "[Group" + std::to_string(section) + "]\n";
        for (int key = 0; key < 12; ++key) {
            if (key % 4 == 0)
                block += "; The next keys tune part " + std::to_string(key / 4) + " of this group.\n";
            block += "SETTING_" + std::to_string(key) + "_OF_GROUP_" + std::to_string(section) + " = ";
            switch (next() % 3) {
            case 0:
                block += std::to_string(next() % 4) + "." + std::to_string(next() % 100);
                break;
            case 1:
                block += "0x" + std::to_string(next() % 90 + 10);
                break;
            default:
                block += std::to_string(next() % 2);
                break;
            }
            block += "\n";
        }
        block += "\n";
        if (text.size() + block.size() > bigIniBytes)
            break;
        text += block;
    }
    // Filled up to exactly 1 MiB with comment lines of at most 80 bytes.
    while (bigIniBytes - text.size() >= 2) {
        const std::size_t line = std::min<std::size_t>(bigIniBytes - text.size(), 80);
        text += ";" + std::string(line - 2, '-') + "\n";
    }
    text.resize(bigIniBytes, '\n');
    return text;
}

bool writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool prepareFiles(std::string& error)
{
    char folder[] = "/tmp/ambleworks-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        error = "cannot make a working folder in /tmp";
        return false;
    }
    workFolder = folder;
    std::error_code failed;
    fs::copy_file(shippedIniSource, workFolder / "Ambleworks.ini", failed);
    if (failed) {
        error = "cannot copy " + shippedIniSource + ": " + failed.message();
        return false;
    }
    shippedIni = (workFolder / "Ambleworks.ini").string();
    bigIni = (workFolder / "big.ini").string();
    if (!writeFile(bigIni, makeBigIni())) {
        error = "cannot write " + bigIni;
        return false;
    }
    // The plug-in's script reads Ambleworks.ini from here.
    fs::current_path(workFolder, failed);
    if (failed) {
        error = "cannot enter " + workFolder.string();
        return false;
    }
    return true;
}

void removeFiles()
{
    std::error_code ignored;
    fs::current_path("/", ignored);
    if (!workFolder.empty())
        fs::remove_all(workFolder, ignored);
}

// ---------------------------------------------------------------------------
// [SECTION] Ticks

void perIteration(benchmark::State& state, const char* name, double total)
{
    state.counters[name] = benchmark::Counter(total, benchmark::Counter::kAvgIterations);
}

void tickBenchmark(benchmark::State& state, Situation situation)
{
    bench::PluginHost host;
    std::string error;
    if (!host.load(pluginPath, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    bench::enterSituation(situation, host);
    const fake::Counts before = fake::host().counts;
    const uint64_t heapBefore = bench::heapAllocations();
    uint64_t n = 0;
    for (auto _ : state)
        bench::playTick(situation, n++, host);
    const uint64_t heap = bench::heapAllocations() - heapBefore;
    const fake::Counts c = fake::countsBetween(before, fake::host().counts);
    if (const char* fault = bench::situationFault(situation, c, n)) {
        state.SkipWithError(fault);
        return;
    }
    if (c.waits != n) {
        state.SkipWithError("a tick did not end in exactly one scriptWait");
        return;
    }
    perIteration(state, "natives", static_cast<double>(c.natives));
    perIteration(state, "pushes", static_cast<double>(c.pushes));
    perIteration(state, "clock_reads", static_cast<double>(c.clockReads));
    perIteration(state, "heap_allocs", static_cast<double>(heap));
}

// ---------------------------------------------------------------------------
// [SECTION] The boundary's own cost

// A native the host takes on its own, with no argument that must come from
// the call before: for 0, 1 and 3 arguments.
struct StandaloneNative {
    uint64_t hash = 0;
    uint64_t args[3] = {};
};

StandaloneNative standaloneNative(int64_t argCount)
{
    namespace H = NativeInvoker::Hash;
    if (argCount == 0)
        return {H::isGlobalMoveRestricted, {}};
    if (argCount == 1)
        return {H::hashOfText, {NativeInvoker::slotOfText(inputSprint)}};
    return {H::isFirstPersonCameraActive, {0, 0, 0}};
}

// One native call through the exported functions, answered at once.
void callThrough(const bench::ExportedHostFunctions& host, const StandaloneNative& native, int64_t argCount)
{
    host.nativeInit(native.hash);
    for (int64_t i = 0; i < argCount; ++i)
        host.nativePush64(native.args[i]);
    benchmark::DoNotOptimize(*host.nativeCall());
}

// One native with 0, 1 or 3 arguments (isGlobalMoveRestricted, hashOfText,
// isFirstPersonCameraActive), answered at once through the same look-up and
// checks the plug-in's calls take.
void nativeRoundTrip(benchmark::State& state)
{
    bench::ExportedHostFunctions host;
    std::string error;
    if (!bench::exportedHostFunctions(host, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int64_t argCount = state.range(0);
    const StandaloneNative native = standaloneNative(argCount);
    const uint64_t faultsBefore = fake::host().counts.faults;
    const uint64_t heapBefore = bench::heapAllocations();
    for (auto _ : state)
        callThrough(host, native, argCount);
    perIteration(state, "heap_allocs", static_cast<double>(bench::heapAllocations() - heapBefore));
    if (fake::host().counts.faults != faultsBefore)
        state.SkipWithError("the round trip broke a rule of the host");
}

// Resume a script context whose entry only waits: the host's switch in, the
// exported scriptWait, the switch back.
void scriptWaitRoundTrip(benchmark::State& state)
{
    bench::EmptyScript script;
    if (!script.ready()) {
        state.SkipWithError("no script context");
        return;
    }
    script.resume();  // runs the entry up to its first wait
    const uint64_t heapBefore = bench::heapAllocations();
    for (auto _ : state)
        script.resume();
    perIteration(state, "heap_allocs", static_cast<double>(bench::heapAllocations() - heapBefore));
}

// The plug-in's keyboard handler: presses and releases of a key that is no
// hotkey, alternating, as the host's keyboard path delivers them.
void keyboardCallback(benchmark::State& state)
{
    bench::PluginHost host;
    std::string error;
    if (!host.load(pluginPath, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    bench::enterSituation(Situation::walking, host);
    SimKeyboardHandler handler = host.keyboardHandler();
    const uint64_t heapBefore = bench::heapAllocations();
    int32_t up = 0;
    for (auto _ : state) {
        handler(0x41, 1, 0x1E, 0, 0, up, up);
        up ^= 1;
    }
    perIteration(state, "heap_allocs", static_cast<double>(bench::heapAllocations() - heapBefore));
}

// ---------------------------------------------------------------------------
// [SECTION] Settings and the readers

void loadShippedSettings(benchmark::State& state)
{
    const uint64_t heapBefore = bench::heapAllocations();
    for (auto _ : state) {
        loadSettingsFrom(shippedIni);
        benchmark::ClobberMemory();
    }
    perIteration(state, "heap_allocs", static_cast<double>(bench::heapAllocations() - heapBefore));
    if (!(settings == Settings{}))
        state.SkipWithError("the shipped file did not load the built-in defaults");
}

// Entries in our document, to check that both readers saw the same file.
std::size_t entryCount(const IniDocument& document)
{
    std::size_t entries = 0;
    for (const auto& section : document.sections)
        entries += section.second.entries.size();
    return entries;
}

void ourReader(benchmark::State& state, const std::string* path)
{
    std::size_t sections = 0;
    std::size_t entries = 0;
    const uint64_t heapBefore = bench::heapAllocations();
    for (auto _ : state) {
        IniDocument document;
        if (!IniReader(*path).read(document)) {
            state.SkipWithError("our reader could not open the file");
            return;
        }
        sections = document.sections.size();
        entries = entryCount(document);
        benchmark::DoNotOptimize(document);
    }
    perIteration(state, "heap_allocs", static_cast<double>(bench::heapAllocations() - heapBefore));
    state.counters["sections"] = static_cast<double>(sections);
    state.counters["entries"] = static_cast<double>(entries);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(*path)));
}

void inihReader(benchmark::State& state, const std::string* path)
{
    const uint64_t heapBefore = bench::heapAllocations();
    for (auto _ : state) {
        INIReader reader(*path);
        if (reader.ParseError() != 0) {
            state.SkipWithError("inih reported a parse error");
            return;
        }
        benchmark::DoNotOptimize(reader);
    }
    perIteration(state, "heap_allocs", static_cast<double>(bench::heapAllocations() - heapBefore));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(*path)));
}

// Before anything is timed: both readers must hold the same entries of the
// file, or the comparison would not be between equal work.
bool readersAgree(const std::string& path, std::string& error)
{
    IniDocument document;
    if (!IniReader(path).read(document)) {
        error = "our reader cannot open " + path;
        return false;
    }
    INIReader reader(path);
    if (reader.ParseError() != 0) {
        error = "inih cannot parse " + path + " (line " + std::to_string(reader.ParseError()) + ")";
        return false;
    }
    for (const auto& [sectionName, section] : document.sections) {
        for (const auto& [key, value] : section.entries) {
            if (reader.Get(sectionName, key, "\x01") != value) {
                error = "the readers differ on [" + sectionName + "] " + key + " in " + path;
                return false;
            }
        }
    }
    if (entryCount(document) == 0) {
        error = "no entries in " + path;
        return false;
    }
    return true;
}

void registerBenchmarks()
{
    for (Situation situation : bench::allSituations) {
        benchmark::RegisterBenchmark((std::string("tick/") + bench::situationName(situation)).c_str(),
                                     [situation](benchmark::State& state) { tickBenchmark(state, situation); });
    }
    benchmark::RegisterBenchmark("native_round_trip", nativeRoundTrip)->ArgName("args")->Arg(0)->Arg(1)->Arg(3);
    benchmark::RegisterBenchmark("script_wait_round_trip", scriptWaitRoundTrip);
    benchmark::RegisterBenchmark("keyboard_callback", keyboardCallback);
    benchmark::RegisterBenchmark("load_settings/shipped", loadShippedSettings)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("ini/ours/shipped", ourReader, &shippedIni)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("ini/inih/shipped", inihReader, &shippedIni)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("ini/ours/1MiB", ourReader, &bigIni)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ini/inih/1MiB", inihReader, &bigIni)->Unit(benchmark::kMillisecond);
}

// ---------------------------------------------------------------------------
// [SECTION] Summary: the derived figures, from the same run

struct Figure {
    double cpuNs = 0;
    double cpuCv = 0;  // coefficient of variation over the repetitions (0 when not repeated)
    std::map<std::string, double> counters;
};

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that a saved run reads as plain text.
    SummaryReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) { }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                failures.push_back(run.run_name.str() + ": " + run.error_message);
                continue;
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "cv") {
                cvs[run.run_name.str()] = run.cpu_accumulated_time;  // a fraction, not a time
                continue;
            }
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single)
                continue;
            Figure figure;
            figure.cpuNs = run.GetAdjustedCPUTime() * nanosecondsPer(run.time_unit);
            for (const auto& [name, counter] : run.counters)
                figure.counters[name] = counter.value;
            figures[run.run_name.str()] = figure;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The figures with their spread filled in (the cv aggregate comes after
    // the median in a report, so they are joined at the end).
    std::map<std::string, Figure> summaryFigures() const
    {
        std::map<std::string, Figure> joined = figures;
        for (auto& [name, figure] : joined) {
            auto cv = cvs.find(name);
            if (cv != cvs.end())
                figure.cpuCv = cv->second;
        }
        return joined;
    }

    std::vector<std::string> failures;

private:
    static double nanosecondsPer(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1;
        case benchmark::kMicrosecond:
            return 1e3;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kSecond:
            return 1e9;
        }
        return 1;
    }

    std::map<std::string, Figure> figures;
    std::map<std::string, double> cvs;
};

void printSummary(const std::map<std::string, Figure>& figures)
{
    auto find = [&figures](const std::string& name) -> const Figure* {
        auto found = figures.find(name);
        return found == figures.end() ? nullptr : &found->second;
    };
    std::printf("\nSummary (CPU time; medians when repeated)\n");
    const Figure* native = find("native_round_trip/args:1");
    const Figure* wait = find("script_wait_round_trip");
    if (native && wait) {
        std::printf("  one native round trip (1 argument): %.1f ns (cv %.1f%%); one scriptWait round trip: %.1f ns "
                    "(cv %.1f%%)\n",
                    native->cpuNs, 100 * native->cpuCv, wait->cpuNs, 100 * wait->cpuCv);
        std::printf("  %-14s %9s %6s %8s %8s %8s %10s %13s %7s\n", "situation", "tick ns", "cv", "natives", "pushes",
                    "clocks", "heap/tick", "own work ns", "target");
        for (Situation situation : bench::allSituations) {
            const Figure* tick = find(std::string("tick/") + bench::situationName(situation));
            if (!tick)
                continue;
            const double natives = tick->counters.at("natives");
            const double own = tick->cpuNs - natives * native->cpuNs - wait->cpuNs;
            std::printf("  %-14s %9.1f %5.1f%% %8.2f %8.2f %8.2f %10.2f %13.1f %7s\n", bench::situationName(situation),
                        tick->cpuNs, 100 * tick->cpuCv, natives, tick->counters.at("pushes"),
                        tick->counters.at("clock_reads"), tick->counters.at("heap_allocs"), own,
                        own <= 500.0 ? "met" : "MISSED");
        }
    }
    if (const Figure* keyboard = find("keyboard_callback"))
        std::printf("  keyboard callback: %.1f ns, %.2f heap allocations per message\n", keyboard->cpuNs,
                    keyboard->counters.at("heap_allocs"));
    if (const Figure* load = find("load_settings/shipped"))
        std::printf("  loadSettings on the shipped file: %.1f us, %.0f heap allocations\n", load->cpuNs / 1e3,
                    load->counters.at("heap_allocs"));
    for (const char* file : {"shipped", "1MiB"}) {
        const Figure* ours = find(std::string("ini/ours/") + file);
        const Figure* inih = find(std::string("ini/inih/") + file);
        if (!ours || !inih)
            continue;
        const double ratio = inih->cpuNs / ours->cpuNs;
        std::printf("  reader on %-8s ours %10.1f us, inih INIReader %10.1f us, ratio %.2f (target >= 1.0: %s)\n", file,
                    ours->cpuNs / 1e3, inih->cpuNs / 1e3, ratio, ratio >= 1.0 ? "met" : "MISSED");
    }
}

// Says what makes the run a failure: a benchmark that could not do its work,
// or heap allocations in a steady tick or in the keyboard callback. Empty
// when there is none.
std::vector<std::string> runFaults(const SummaryReporter& reporter)
{
    std::vector<std::string> faults = reporter.failures;
    for (const auto& [name, figure] : reporter.summaryFigures()) {
        const bool mustNotAllocate = name.rfind("tick/", 0) == 0 || name == "keyboard_callback";
        auto heap = figure.counters.find("heap_allocs");
        if (mustNotAllocate && heap != figure.counters.end() && heap->second != 0)
            faults.push_back(name + ": " + std::to_string(heap->second) + " heap allocations per iteration");
    }
    return faults;
}

// ---------------------------------------------------------------------------
// [SECTION] Instruction counts
// Fixed work between callgrind's client requests. Each dump is named
// "<label> x<count>", so a per-unit figure is its total over the count.

template <typename Work>
void countInstructions(const std::string& label, uint64_t count, Work work)
{
    const std::string name = label + " x" + std::to_string(count);
    CALLGRIND_ZERO_STATS;
    for (uint64_t i = 0; i < count; ++i)
        work(i);
    CALLGRIND_DUMP_STATS_AT(name.c_str());
}

int runInstructionCounts()
{
    if (!canCountInstructions) {
        std::fprintf(stderr, "ambleworks-bench: built without valgrind's callgrind.h, so it cannot count "
                             "instructions (install valgrind and rebuild)\n");
        return 1;
    }
    std::string error;
    constexpr uint64_t ticks = 14 * 200;  // whole sprint cycles
    for (Situation situation : bench::allSituations) {
        bench::PluginHost host;
        if (!host.load(pluginPath, error)) {
            std::fprintf(stderr, "ambleworks-bench: %s\n", error.c_str());
            return 1;
        }
        bench::enterSituation(situation, host);
        const fake::Counts before = fake::host().counts;
        countInstructions(std::string("tick/") + bench::situationName(situation), ticks,
                          [&](uint64_t n) { bench::playTick(situation, n, host); });
        const fake::Counts c = fake::countsBetween(before, fake::host().counts);
        if (const char* fault = bench::situationFault(situation, c, ticks)) {
            std::fprintf(stderr, "ambleworks-bench: %s: %s\n", bench::situationName(situation), fault);
            return 1;
        }
        std::printf("tick/%s natives %.2f pushes %.2f\n", bench::situationName(situation),
                    static_cast<double>(c.natives) / ticks, static_cast<double>(c.pushes) / ticks);

        if (situation == Situation::walking) {
            SimKeyboardHandler handler = host.keyboardHandler();
            countInstructions("keyboard_callback", 1000, [&](uint64_t i) {
                const int32_t up = static_cast<int32_t>(i & 1);
                handler(0x41, 1, 0x1E, 0, 0, up, up);
            });
        }
    }
    bench::ExportedHostFunctions exported;
    if (!bench::exportedHostFunctions(exported, error)) {
        std::fprintf(stderr, "ambleworks-bench: %s\n", error.c_str());
        return 1;
    }
    const StandaloneNative oneArgument = standaloneNative(1);
    countInstructions("native_round_trip/args:1", 1000, [&](uint64_t) { callThrough(exported, oneArgument, 1); });
    {
        bench::EmptyScript script;
        script.resume();
        countInstructions("script_wait_round_trip", 1000, [&](uint64_t) { script.resume(); });
    }
    countInstructions("load_settings/shipped", 10, [](uint64_t) { loadSettingsFrom(shippedIni); });
    countInstructions("ini/ours/shipped", 10, [](uint64_t) {
        IniDocument document;
        IniReader(shippedIni).read(document);
    });
    countInstructions("ini/inih/shipped", 10, [](uint64_t) {
        INIReader reader(shippedIni);
        benchmark::DoNotOptimize(reader);
    });
    countInstructions("ini/ours/1MiB", 2, [](uint64_t) {
        IniDocument document;
        IniReader(bigIni).read(document);
    });
    countInstructions("ini/inih/1MiB", 2, [](uint64_t) {
        INIReader reader(bigIni);
        benchmark::DoNotOptimize(reader);
    });
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    bool instructions = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--instructions") == 0)
            instructions = true;
        else if (std::strncmp(argv[i], "--plugin=", 9) == 0)
            pluginPath = argv[i] + 9;
        else
            args.push_back(argv[i]);
    }
    std::string error;
    if (!prepareFiles(error)) {
        std::fprintf(stderr, "ambleworks-bench: %s\n", error.c_str());
        removeFiles();
        return 1;
    }
    for (const std::string* path : {&shippedIni, &bigIni}) {
        if (!readersAgree(*path, error)) {
            std::fprintf(stderr, "ambleworks-bench: %s\n", error.c_str());
            removeFiles();
            return 1;
        }
    }
    if (instructions) {
        const int status = runInstructionCounts();
        removeFiles();
        return status;
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        removeFiles();
        return 1;
    }
    registerBenchmarks();
    benchmark::AddCustomContext("plugin", pluginPath);
    SummaryReporter reporter;
    const std::size_t ran = benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printSummary(reporter.summaryFigures());
    removeFiles();
    std::vector<std::string> faults = runFaults(reporter);
    if (ran == 0)
        faults.push_back("no benchmark matched the filter");
    for (const std::string& fault : faults)
        std::fprintf(stderr, "ambleworks-bench: FAILED %s\n", fault.c_str());
    if (!faults.empty())
        return 1;
    std::printf("  every benchmark ran; no heap allocation in a steady tick or the keyboard callback\n");
    return 0;
}
