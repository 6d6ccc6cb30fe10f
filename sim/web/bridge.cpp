// The functions the page calls, exported from the module. Texts and bytes go
// in as (pointer, length) pairs the page allocated with malloc; every answer
// is kept in one buffer until the next call (awResult gives its address,
// awResultSize its length). JSON answers are pure ASCII.
//
// Sections: answers · the doctor and the settings · previews · live play ·
// key names.

#include <emscripten.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "doctor/doctor.h"
#include "report/chart.h"
#include "report/facts.h"
#include "report/timeline.h"
#include "trace/trace.h"
#include "web/key_names.h"
#include "web/live_session.h"
#include "web/preview.h"
#include "web/settings_schema.h"
#include "web/values_file.h"

#if defined(AMBLEWORKS_WEB_INI_EDIT)
#include "ini_edit/ini_edit.h"
#endif

#define AW_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE

namespace {

// ---------------------------------------------------------------------------
// Answers

std::string answer;

std::string text(const char* data, int length)
{
    return length > 0 ? std::string(data, static_cast<size_t>(length)) : std::string();
}

const char* give(std::string value)
{
    answer = std::move(value);
    return answer.c_str();
}

std::string asJson(const nlohmann::json& value)
{
    return value.dump(-1, ' ', true);
}

// Where the live session keeps its Ambleworks.ini, and the previews their
// files.
const char* const liveIniPath = "/live/Ambleworks.ini";
// The previews play in a folder like the project's scenarios/, with the
// shipped Ambleworks.ini one folder up where demo.scn looks for it.
const char* const previewFolder = "/scenarios";

sim::web::LiveSession& live()
{
    static sim::web::LiveSession session;
    return session;
}

}  // namespace

AW_EXPORT int awResultSize()
{
    return static_cast<int>(answer.size());
}

// Writes a file into the module's own file system (for example the shipped
// Ambleworks.ini at /Ambleworks.ini, which demo.scn reads): 1 when written.
AW_EXPORT int awPutFile(const char* path, int pathLength, const char* bytes, int length)
{
    const std::filesystem::path where(text(path, pathLength));
    std::error_code ec;
    if (where.has_parent_path())
        std::filesystem::create_directories(where.parent_path(), ec);
    std::ofstream out(where, std::ios::binary | std::ios::trunc);
    out.write(bytes, length > 0 ? length : 0);
    out.close();
    return out ? 1 : 0;
}

// ---------------------------------------------------------------------------
// The doctor and the settings

// The doctor's JSON report (`ambleworks-sim doctor --json`) on the bytes of
// a file named `name`.
AW_EXPORT const char* awDoctor(const char* name, int nameLength, const char* bytes, int length)
{
    const sim::doctor::Diagnosis diagnosis = sim::doctor::diagnoseBytes(text(name, nameLength), text(bytes, length));
    return give(sim::doctor::formatJson(diagnosis));
}

// The settings file of the values the form shows (web/values_file.h):
// `edits` is a JSON object of key -> value text.
AW_EXPORT const char* awValuesFile(const char* bytes, int length, const char* edits, int editsLength)
{
    std::map<std::string, std::string> texts;
    const nlohmann::json parsed = nlohmann::json::parse(text(edits, editsLength), nullptr, false);
    if (parsed.is_object()) {
        for (const auto& [key, value] : parsed.items()) {
            if (value.is_string())
                texts[key] = value.get<std::string>();
        }
    }
    return give(sim::web::valuesFile(text(bytes, length), texts));
}

// What the form shows of every setting (web/settings_schema.h).
AW_EXPORT const char* awSettingsSchema(const char* shippedIni, int length)
{
    return give(sim::web::settingsSchemaJson(text(shippedIni, length)));
}

// Writes the edits (a JSON object of "Section.KEY" -> value text) into the
// player's file, keeping every other byte: {written, bytes (latin-1
// characters, one per byte), refusals: [{what, reason}]}. {available: false}
// in a build without the INI editor.
AW_EXPORT const char* awEditIni(const char* bytes, int length, const char* edits, int editsLength)
{
#if defined(AMBLEWORKS_WEB_INI_EDIT)
    std::vector<sim::ini_edit::Edit> list;
    const nlohmann::json parsed = nlohmann::json::parse(text(edits, editsLength), nullptr, false);
    if (parsed.is_object()) {
        for (const auto& [name, value] : parsed.items()) {
            const size_t dot = name.find('.');
            sim::ini_edit::Edit edit;
            edit.section = dot == std::string::npos ? "" : name.substr(0, dot);
            edit.key = dot == std::string::npos ? name : name.substr(dot + 1);
            edit.value = value.is_string() ? value.get<std::string>() : value.dump();
            list.push_back(edit);
        }
    }
    const sim::ini_edit::EditResult result = sim::ini_edit::editIni(text(bytes, length), list);
    nlohmann::json refusals = nlohmann::json::array();
    for (const sim::ini_edit::Refusal& refusal : result.refusals)
        refusals.push_back({{"what", refusal.what}, {"reason", refusal.reason}});
    std::string latin1;
    for (const unsigned char byte : result.bytes) {
        // One character per byte, so that any bytes survive the JSON.
        if (byte < 0x80) {
            latin1 += static_cast<char>(byte);
        } else {
            latin1 += static_cast<char>(0xC0 | (byte >> 6));
            latin1 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return give(asJson({{"available", true}, {"written", result.written}, {"bytes", latin1}, {"refusals", refusals}}));
#else
    (void)bytes;
    (void)length;
    (void)edits;
    (void)editsLength;
    return give(asJson({{"available", false}}));
#endif
}

// ---------------------------------------------------------------------------
// Previews

// Plays a bundled scenario with the page's settings (with its own when
// iniLength is negative): {played, error, trace (only withTrace), timeline,
// chart, faults}.
AW_EXPORT const char* awPreview(const char* name, int nameLength, const char* scenario, int scenarioLength,
                                const char* ini, int iniLength, int withTrace)
{
    const sim::web::Preview preview =
        sim::web::playPreview(previewFolder, text(name, nameLength), text(scenario, scenarioLength),
                              iniLength < 0 ? std::nullopt : std::optional(text(ini, iniLength)), withTrace != 0);
    return give(asJson({{"played", preview.played},
                        {"error", preview.error},
                        {"trace", preview.trace},
                        {"timeline", preview.timeline},
                        {"chart", preview.chart},
                        {"faults", preview.faults}}));
}

// ---------------------------------------------------------------------------
// Live play

// Starts live play with these settings: {started, error}.
AW_EXPORT const char* awLiveStart(const char* ini, int iniLength)
{
    std::error_code ec;
    std::filesystem::create_directories("/live", ec);
    {
        std::ofstream out(liveIniPath, std::ios::binary | std::ios::trunc);
        out.write(ini, iniLength > 0 ? iniLength : 0);
    }
    std::string error;
    const bool started = live().start(liveIniPath, error);
    return give(asJson({{"started", started}, {"error", error}}));
}

AW_EXPORT void awLiveKey(int code, int down)
{
    if (down)
        live().keyDown(static_cast<uint32_t>(code));
    else
        live().keyUp(static_cast<uint32_t>(code));
}

AW_EXPORT void awLiveWheel(int up)
{
    live().wheel(up != 0);
}

AW_EXPORT void awLiveMove(const char* directions, int length)
{
    live().move(text(directions, length));
}

// Plays the next tick; answers {tick, imposed, desired, loaded} for it
// (imposed: the cap the plug-in set, null for none).
AW_EXPORT const char* awLiveTick()
{
    live().tick();
    const sim::Trace& trace = live().trace();
    nlohmann::json out = {{"tick", live().ticksPlayed()}};
    if (!trace.records.empty()) {
        const sim::TickRecord& record = trace.records.back();
        out["loaded"] = record.pluginLoaded;
        out["desired"] = record.derived.desiredSpeed;
        out["imposed"] = record.imposed.maxSpeed ? nlohmann::json(*record.imposed.maxSpeed) : nlohmann::json();
    }
    return give(asJson(out));
}

// The timeline and the chart of the play so far: {timeline, chart}.
AW_EXPORT const char* awLiveReport()
{
    const sim::report::Facts facts = sim::report::readFacts(live().trace());
    const sim::report::Timeline timeline = sim::report::buildTimeline(facts);
    return give(asJson(
        {{"timeline", sim::report::formatTimeline(timeline)}, {"chart", sim::report::renderChart(facts, timeline)}}));
}

// Ends live play: {scenario, trace}, the scenario that replays it and the
// whole trace.
AW_EXPORT const char* awLiveStop()
{
    live().stop();
    return give(asJson({{"scenario", live().scenarioText()}, {"trace", sim::formatTrace(live().trace())}}));
}

// ---------------------------------------------------------------------------
// Key names

// The code of a key name, or -1.
AW_EXPORT int awKeyCodeOfName(const char* name, int length)
{
    const auto code = sim::web::keyCodeOfName(text(name, length));
    return code ? static_cast<int>(*code) : -1;
}

AW_EXPORT const char* awKeyNameOfCode(int code)
{
    return give(sim::web::keyNameOfCode(static_cast<uint32_t>(code)));
}
