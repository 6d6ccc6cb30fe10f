// Fuzz target: arbitrary bytes as Ambleworks.ini through the INI doctor and
// both its reports, from memory (as the doctor reads the bytes it took from a
// file).
//
// Nothing may crash or trip a sanitizer, and after each input:
//   - the text report holds no byte outside printable ASCII but the newline
//     (so no file can drive a player's terminal);
//   - the JSON report is pure ASCII and parses, with the 24 rows and at most
//     the finding limit, and says what the diagnosis says (exit status,
//     findings, and the loader's reason for exactly the unreadable lines);
//   - the settings the doctor reports are the ones the plug-in's load gives
//     on the same bytes, after the per-tick clamps;
//   - every setting stands on its own: one with no line, an empty line or a
//     line that cannot be read has its built-in default, and the exit status
//     is 1 exactly when a problem is found (a line that cannot be read, a file
//     that is no settings file).
//
// The JSON goes through nlohmann's parser as events (its SAX interface: the
// same lexer and grammar as a full parse), counting what the checks need
// instead of building a document of several hundred values. With
// AMBLEWORKS_FUZZ_THROUGH_FILE=1 (the corpus replay) it is also parsed whole.
//
// While fuzzing, the JSON report is made and checked for one input in eight
// (chosen by the input's bytes, so that the replay of an input makes the same
// choice), and for every input of the corpus replay. Making, scanning and
// parsing it were the dearest steps of an input (half of what a short file
// cost: the 24 settings alone are 7 KB of JSON), and what they guard changes
// little from one input to the next: the report transcribes the diagnosis,
// which every input checks, and nlohmann's writer throws rather than write
// JSON that does not parse. The text report, which a player's terminal shows,
// is made and checked for every input.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "config/ini_reader.h"
#include "config/settings.h"
#include "doctor/doctor.h"
#include "fuzz_failure.h"
#include "testing/reset_for_tests.h"

namespace {

[[noreturn]] void fail(const char* what)
{
    fuzz::failWith("fuzz_doctor", what);
}

void checkText(const std::string& text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte != '\n' && (byte < 0x20 || byte >= 0x7F))
            fail("the text report holds a byte outside printable ASCII");
    }
}

// What the checks need of the JSON report, gathered from the parser's events:
// the elements of its two arrays and two of its numbers.
class ReportShape : public nlohmann::json_sax<nlohmann::json> {
public:
    std::size_t settings = 0;
    std::size_t findings = 0;
    std::size_t errors = 0;      // settings with the loader's reason
    std::size_t unreadable = 0;  // settings whose source is "unreadable"
    std::optional<uint64_t> exitStatus;
    std::optional<uint64_t> findingsNotShown;

    bool key(string_t& name) override
    {
        if (depth == 1)
            topKey = name;
        if (depth == 3)
            innerKey = name;
        return true;
    }
    bool start_object(std::size_t) override
    {
        if (depth == 2 && topKey == "settings")
            ++settings;
        if (depth == 2 && topKey == "findings")
            ++findings;
        ++depth;
        return true;
    }
    bool end_object() override { return --depth >= 0; }
    bool start_array(std::size_t) override { return ++depth > 0; }
    bool end_array() override { return --depth >= 0; }
    bool number_unsigned(number_unsigned_t value) override
    {
        if (depth == 1 && topKey == "exitStatus")
            exitStatus = value;
        if (depth == 1 && topKey == "findingsNotShown")
            findingsNotShown = value;
        return true;
    }
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t& value) override
    {
        if (depth == 3 && topKey == "settings" && innerKey == "error")
            ++errors;
        if (depth == 3 && topKey == "settings" && innerKey == "source" && value == "unreadable")
            ++unreadable;
        return true;
    }
    bool binary(binary_t&) override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    int depth = 0;
    std::string topKey;
    std::string innerKey;
};

// Set from AMBLEWORKS_FUZZ_THROUGH_FILE (the corpus replay): the JSON report
// is checked for every input, and also parsed whole, into a document.
bool parseWhole = false;

// One input in this many has its JSON report made and checked while fuzzing.
constexpr uint32_t jsonCheckedOneIn = 8;

// Whether the input's JSON report is made and checked: a hash of its bytes
// (FNV-1a), so that the same input always makes the same choice.
bool checksJson(const uint8_t* data, size_t size)
{
    if (parseWhole)
        return true;
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 16777619u;
    return hash % jsonCheckedOneIn == 0;
}

void checkJson(const std::string& json, const sim::doctor::Diagnosis& diagnosis)
{
    checkText(json);
    ReportShape shape;
    if (!nlohmann::json::sax_parse(json, &shape))
        fail("the JSON report does not parse");
    if (shape.settings != keyRowCount + settingRowCount)
        fail("the JSON report does not list every row");
    if (shape.findings != diagnosis.findings.size() || shape.findings > sim::doctor::findingLimit)
        fail("the JSON report lists other findings than the diagnosis keeps");
    if (shape.exitStatus != static_cast<uint64_t>(diagnosis.exitStatus()) ||
        shape.findingsNotShown != diagnosis.findingsNotShown)
        fail("the JSON report's counts differ from the diagnosis");
    if (shape.errors != diagnosis.unreadableLines || shape.unreadable != diagnosis.unreadableLines)
        fail("the JSON report gives the loader's reason for other settings than the unreadable ones");
    if (!parseWhole)
        return;
    nlohmann::json parsed;
    try {
        parsed = nlohmann::json::parse(json);
    } catch (const std::exception&) {
        fail("the JSON report does not parse whole");
    }
    if (parsed["settings"].size() != shape.settings || parsed["findings"].size() != shape.findings ||
        parsed["exitStatus"] != shape.exitStatus.value() ||
        parsed["findingsNotShown"] != shape.findingsNotShown.value())
        fail("the parsed JSON report differs from what its parse events said");
}

// The plug-in's own load on the same bytes, from its built-in settings.
Settings loadedByThePlugIn(const std::string& bytes)
{
    resetConfigToLoadState();
    IniDocument document;
    IniReader("").readBytes(bytes, document);
    storeSettings(document);
    sanitiseSettings();
    return settings;
}

bool sameBits(const SettingValue& a, const SettingValue& b)
{
    return a.flag == b.flag && std::memcmp(&a.real, &b.real, sizeof a.real) == 0 && a.integer == b.integer;
}

// Every setting on its own: where the file gives it nothing, its built-in
// default; a problem found exactly when the exit status says so.
void checkSources(const sim::doctor::Diagnosis& diagnosis)
{
    using sim::doctor::Source;
    static const Settings builtIn;
    std::size_t unreadable = 0;
    for (const sim::doctor::SettingUse& use : diagnosis.settings) {
        if (use.source == Source::noFile)
            fail("bytes in memory read as no file");
        if ((use.source == Source::unreadable) != (use.failure != ReadFailure::none))
            fail("a setting's source and the loader's reason disagree");
        if ((use.source == Source::missing) != (use.line == 0))
            fail("a setting with a line is said to be missing, or one without a line is not");
        if (use.source != Source::file && !sameBits(use.loaded, settingValueOf(builtIn, *use.row)))
            fail("a setting the file gives nothing has another value than its built-in default");
        unreadable += use.source == Source::unreadable ? 1 : 0;
    }
    if (unreadable != diagnosis.unreadableLines)
        fail("the diagnosis miscounts its unreadable lines");
    if (diagnosis.findingsNotShown > 0)
        return;
    std::size_t problems = 0;
    for (const sim::doctor::Finding& finding : diagnosis.findings)
        problems += finding.severity == sim::doctor::Severity::problem ? 1 : 0;
    const std::size_t expected = diagnosis.settingsText ? unreadable : 1;
    if (problems != expected || (diagnosis.exitStatus() == 1) != (problems > 0))
        fail("the problems found and the exit status disagree");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* throughFileSetting = std::getenv("AMBLEWORKS_FUZZ_THROUGH_FILE");
    parseWhole = throughFileSetting && std::string(throughFileSetting) == "1";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const sim::doctor::Diagnosis diagnosis = sim::doctor::diagnoseBytes("fuzz.ini", bytes);
    const Settings reported = settings;  // the doctor leaves the plug-in's records as its load left them
    if (diagnosis.exitStatus() == 2 || diagnosis.findings.size() > sim::doctor::findingLimit)
        fail("a diagnosis of bytes in memory says the file cannot be read, or keeps too many findings");
    checkSources(diagnosis);
    checkText(sim::doctor::formatText(diagnosis));
    if (checksJson(data, size))
        checkJson(sim::doctor::formatJson(diagnosis), diagnosis);
    if (!(loadedByThePlugIn(bytes) == reported))
        fail("the doctor's settings differ from the plug-in's load of the same bytes");
    return 0;
}
