// Fuzz target: arbitrary bytes as Ambleworks.ini through the INI doctor and
// both its reports, from memory (as the doctor reads the bytes it took from a
// file).
//
// Nothing may crash or trip a sanitizer, and after each input:
//   - the text report holds no byte outside printable ASCII but the newline
//     (so no file can drive a player's terminal);
//   - the JSON report is pure ASCII and parses, with the 24 rows and at most
//     the finding limit, and says what the text says (exit status, findings);
//   - the settings the doctor reports are the ones the plug-in's load gives
//     on the same bytes, after the per-tick clamps.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include <nlohmann/json.hpp>

#include "config/ini_reader.h"
#include "config/settings.h"
#include "controller/controller_state.h"
#include "doctor/doctor.h"

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_doctor: %s\n", what);
    std::abort();
}

void checkText(const std::string& text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte != '\n' && (byte < 0x20 || byte >= 0x7F))
            fail("the text report holds a byte outside printable ASCII");
    }
}

void checkJson(const std::string& json, const sim::doctor::Diagnosis& diagnosis)
{
    checkText(json);
    nlohmann::json parsed;
    try {
        parsed = nlohmann::json::parse(json);
    } catch (const std::exception&) {
        fail("the JSON report does not parse");
    }
    if (parsed["settings"].size() != keyRowCount + settingRowCount)
        fail("the JSON report does not list every row");
    if (parsed["findings"].size() != diagnosis.findings.size() || parsed["findings"].size() > sim::doctor::findingLimit)
        fail("the JSON report lists other findings than the diagnosis keeps");
    if (parsed["exitStatus"] != diagnosis.exitStatus() || parsed["findingsNotShown"] != diagnosis.findingsNotShown)
        fail("the JSON report's counts differ from the diagnosis");
}

// The plug-in's own load on the same bytes, from its built-in settings.
Settings loadedByThePlugIn(const std::string& bytes)
{
    settings = Settings{};
    controllerState = ControllerState{};
    IniDocument document;
    IniReader("").readBytes(bytes, document);
    try {
        storeSettings(document);
    } catch (const std::exception&) {
        // A value that stops the load: the rows before it are stored.
    }
    sanitiseSettings();
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const sim::doctor::Diagnosis diagnosis = sim::doctor::diagnoseBytes("fuzz.ini", bytes);
    const Settings reported = settings;  // the doctor leaves the plug-in's records as its load left them
    if (diagnosis.exitStatus() == 2 || diagnosis.findings.size() > sim::doctor::findingLimit)
        fail("a diagnosis of bytes in memory says the file cannot be read, or keeps too many findings");
    checkText(sim::doctor::formatText(diagnosis));
    checkJson(sim::doctor::formatJson(diagnosis), diagnosis);
    if (!(loadedByThePlugIn(bytes) == reported))
        fail("the doctor's settings differ from the plug-in's load of the same bytes");
    return 0;
}
