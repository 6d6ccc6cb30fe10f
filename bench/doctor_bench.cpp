// The INI doctor on files far larger than any Ambleworks.ini, measured with
// Google Benchmark: the whole check (reading the file, the verdict, the text
// and the JSON report) of
//   doctor/random_binary   50 MiB of random bytes (no settings file)
//   doctor/plausible_lines 50 MiB of lines a player's file could hold:
//                          known and misspelt sections and keys, numbers,
//                          decimal commas, flags written as words, key names,
//                          comments and blank lines
// Beside the time, each reports the peak of the heap during one check, and
// that peak over the file's size (targets: under 1 s and under 3 times the
// file's size). The files are made once, in a folder of their own under
// TMPDIR (else /tmp), and removed at exit.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "doctor/doctor.h"

// Index of this file:
// [SECTION] The heap's size now and at its peak

// ---------------------------------------------------------------------------
// [SECTION] The heap's size now and at its peak
// Every C++ allocation goes through these, and the C library says how large
// each block is.

namespace {

std::atomic<std::size_t> heapNow{0};
std::atomic<std::size_t> heapPeak{0};

void* counted(void* block)
{
    if (!block)
        throw std::bad_alloc();
    const std::size_t now = heapNow += malloc_usable_size(block);
    std::size_t peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) { }
    return block;
}

// The blocks come from malloc (in operator new below), which GCC cannot see
// once this is inlined into operator delete.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void uncounted(void* block)
{
    if (block) {
        heapNow -= malloc_usable_size(block);
        std::free(block);
    }
}
#pragma GCC diagnostic pop

}  // namespace

void* operator new(std::size_t size)
{
    return counted(std::malloc(size ? size : 1));
}

void* operator new[](std::size_t size)
{
    return counted(std::malloc(size ? size : 1));
}

void operator delete(void* block) noexcept
{
    uncounted(block);
}

void operator delete[](void* block) noexcept
{
    uncounted(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    uncounted(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    uncounted(block);
}

namespace {

namespace fs = std::filesystem;

constexpr std::size_t fileSize = 50u << 20;

// The folder the files are made in, removed when the program ends.
const fs::path& workFolder()
{
    static const fs::path folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        fs::path made = fs::path(tmp && *tmp ? tmp : "/tmp") / ("ambleworks-doctor-bench-" + std::to_string(getpid()));
        fs::create_directories(made);
        std::atexit([] { fs::remove_all(workFolder()); });
        return made;
    }();
    return folder;
}

std::string randomBytes()
{
    std::mt19937_64 random(1);
    std::string bytes(fileSize, '\0');
    for (std::size_t i = 0; i + 8 <= bytes.size(); i += 8) {
        const uint64_t word = random();
        std::copy_n(reinterpret_cast<const char*>(&word), 8, bytes.data() + i);
    }
    return bytes;
}

// Lines drawn from what players write, repeated in random order.
std::string plausibleLines()
{
    const std::vector<std::string> lines = {
        "[General]",
        "ENABLED = 1",
        "ENABLED = false",
        "[MouseWheel]",
        "MOUSE_WHEEL_ENABLED = 1",
        "SPEED_INCREMENT = 0.06",
        "SPEED_INCREMENT = 0,1",
        "SPEED_INCRMENT = 0.1",
        "[Shift]",
        "SHIFT_TAP_CUSTOM_SPEED = 1.78",
        "SHIFT_TAP_CUSTOM_SPEED = 1,5 ; a bit faster",
        "[WalkControl]",
        "FAST_WALK_CUSTOM_SPEED = 1.38",
        "SLOW_WALK_CUSTOM_SPEED = 0.7",
        "WALK_CONTROL_KEY = 0x12",
        "WALK_CONTROL_KEY = Alt",
        "WALK_CONTROL_KEY = 18",
        "REMEMBER_FAST_WALK = no",
        "[Advanced]",
        "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE = 3",
        "RESPECT_BOUNDARIES = 0",
        "[Optional]",
        "MINIMUM_SPEED = 0.3",
        "[Keys]",
        "HOTKEY_MODIFIER = 0",
        "RELOAD_KEY = 0x7A",
        "SWITCH_OFF_KEY = F9",
        "[Graphics]",
        "Quality = high",
        "; a remark about the line below",
        "# a remark the plug-in does not take as one",
        "",
        "[Mouse Wheel",
    };
    std::mt19937 random(2);
    std::string text;
    text.reserve(fileSize + 64);
    while (text.size() < fileSize)
        text += lines[random() % lines.size()] + "\r\n";
    return text;
}

// The file, made on first use.
std::string fileOf(const char* name, std::string (*make)())
{
    const fs::path path = workFolder() / name;
    if (!fs::exists(path))
        std::ofstream(path, std::ios::binary) << make();
    return path.string();
}

void doctorOnFile(benchmark::State& state, const std::string& path)
{
    std::size_t peak = 0;
    for (auto _ : state) {
        heapPeak = heapNow.load();
        const std::size_t before = heapNow;
        const sim::doctor::Diagnosis diagnosis = sim::doctor::diagnose(path);
        const std::string text = sim::doctor::formatText(diagnosis);
        const std::string json = sim::doctor::formatJson(diagnosis);
        benchmark::DoNotOptimize(text.size() + json.size());
        peak = std::max(peak, heapPeak - before);
    }
    const double size = static_cast<double>(fs::file_size(path));
    state.counters["file_MB"] = size / 1e6;
    state.counters["peak_heap_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["peak_per_file_size"] = static_cast<double>(peak) / size;
}

void randomBinary(benchmark::State& state)
{
    doctorOnFile(state, fileOf("random.bin", randomBytes));
}

void plausibleLinesFile(benchmark::State& state)
{
    doctorOnFile(state, fileOf("plausible.ini", plausibleLines));
}

BENCHMARK(randomBinary)->Name("doctor/random_binary")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(plausibleLinesFile)
    ->Name("doctor/plausible_lines")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
