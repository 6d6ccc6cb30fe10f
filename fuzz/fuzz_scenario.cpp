// Fuzz target: arbitrary bytes as a scenario file, through the scenario
// parser of ambleworks-sim (run, check, plot and soak all read a file this
// way), from memory; with AMBLEWORKS_FUZZ_THROUGH_FILE=1 (the corpus replay)
// through a file in a private directory, as the commands read it.
//
// Nothing may crash or trip a sanitizer, and after each input:
//   - every error and warning is printable ASCII, so that no file can drive
//     the terminal it is checked in;
//   - a file that is no text (the rule the INI doctor applies too) gets one
//     error, "this is not a scenario file";
//   - any other file gets at most 20 errors, and when there were more lines
//     to read, a last one saying how many were not read;
//   - the file reads as a scenario exactly when there is no error, and a
//     scenario's title holds no control byte and only well-formed UTF-8.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_failure.h"
#include "scenario/scenario.h"
#include "text/text_bytes.h"
#include "work_directory.h"

namespace {

// The parser's limit, and how its line about the whole file starts when it
// stops there and when the file is no text (the file's own words may hold
// the same phrases, never at the start of a line).
constexpr size_t mostErrors = 20;
constexpr std::string_view stoppedStart = "fuzz.scn: stopped after 20 errors; ";
constexpr std::string_view notScenarioStart = "fuzz.scn: this is not a scenario file: ";

bool throughFile = false;

[[noreturn]] void fail(const char* what, std::string_view detail = {})
{
    fuzz::failWith("fuzz_scenario", what, detail);
}

void checkPrintable(const std::string& line, const char* what)
{
    for (char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F)
            fail(what, line);
    }
}

bool startsWith(const std::string& line, std::string_view start)
{
    return line.rfind(start, 0) == 0;
}

void checkErrors(const std::string& bytes, const std::vector<std::string>& errors)
{
    for (const std::string& error : errors)
        checkPrintable(error, "an error holds a byte that is not printable ASCII");
    if (!sim::text::isText(bytes)) {
        if (errors.size() != 1 || !startsWith(errors[0], notScenarioStart))
            fail("a file that is no text does not get the one error that says so");
        return;
    }
    if (errors.size() > mostErrors + 1)
        fail("more than 20 errors and the last line");
    for (size_t i = 0; i < errors.size(); ++i) {
        const bool stopped = startsWith(errors[i], stoppedStart);
        if (stopped != (i == mostErrors))
            fail("the line that says the parser stopped is not the 21st", errors[i]);
        if (startsWith(errors[i], notScenarioStart))
            fail("a text file is said to be no scenario file", errors[i]);
    }
}

void checkTitle(const std::string& title)
{
    for (size_t at = 0; at < title.size();) {
        const auto byte = static_cast<unsigned char>(title[at]);
        const size_t length = sim::text::wellFormedUtf8Length(title, at);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F || length == 0)
            fail("the title holds a byte that is no printable text", title);
        at += length;
    }
}

bool parse(const std::string& bytes, sim::Scenario& scenario, std::vector<std::string>& errors)
{
    if (!throughFile)
        return sim::parseScenarioText(bytes, "fuzz.scn", ".", scenario, errors);
    const fuzz::InsideWorkDirectory inside;
    {
        std::ofstream out("fuzz.scn", std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            fail("cannot write the scenario file");
    }
    return sim::parseScenarioFile("fuzz.scn", scenario, errors);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    const char* throughFileSetting = std::getenv("AMBLEWORKS_FUZZ_THROUGH_FILE");
    throughFile = throughFileSetting && std::string_view(throughFileSetting) == "1";
    if (throughFile)
        fuzz::setUpWorkDirectory("fuzz-scenario", argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    sim::Scenario scenario;
    std::vector<std::string> errors;
    const bool read = parse(bytes, scenario, errors);
    if (read != errors.empty())
        fail("the parser's verdict and its errors disagree");
    checkErrors(bytes, errors);
    for (const std::string& warning : scenario.warnings)
        checkPrintable(warning, "a warning holds a byte that is not printable ASCII");
    if (read)
        checkTitle(scenario.title);
    return 0;
}
