// The functions the page calls, exported from the module. Texts and bytes go
// in as (pointer, length) pairs the page allocated with malloc; every answer
// is kept in one buffer until the next call (awResult gives its address,
// awResultSize its length). JSON answers are pure ASCII.

#include <emscripten.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "config/key_names.h"
#include "doctor/doctor.h"
#include "ini_edit/ini_edit.h"
#include "report/chart.h"
#include "report/facts.h"
#include "report/timeline.h"
#include "trace/trace.h"
#include "web/key_names.h"
#include "web/live_session.h"
#include "web/preview.h"
#include "web/settings_schema.h"
#include "web/values_file.h"

// Index of this file:
// [SECTION] Answers
// [SECTION] The doctor and the settings
// [SECTION] Previews
// [SECTION] Live play
// [SECTION] Key names

#define AW_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE

namespace {

// ---------------------------------------------------------------------------
// [SECTION] Answers

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

// The edits the page sends, in the order given: a JSON array of
// {section, key, value} (section "" or left out: the key alone). Anything
// else in it is no edit.
std::vector<sim::ini_edit::Edit> editsOf(const std::string& json)
{
    std::vector<sim::ini_edit::Edit> list;
    const nlohmann::json parsed = nlohmann::json::parse(json, nullptr, false);
    if (!parsed.is_array())
        return list;
    for (const nlohmann::json& item : parsed) {
        if (!item.is_object())
            continue;
        const auto textOf = [&item](const char* name) {
            const auto it = item.find(name);
            return it == item.end() ? std::string() : it->is_string() ? it->get<std::string>() : it->dump();
        };
        sim::ini_edit::Edit edit;
        edit.section = textOf("section");
        edit.key = textOf("key");
        edit.value = textOf("value");
        list.push_back(edit);
    }
    return list;
}

// Bytes as JSON text, one character per byte (U+0000 to U+00FF), so that any
// bytes survive the JSON and the page's decoding.
std::string latin1(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const unsigned char byte : bytes) {
        if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
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
// [SECTION] The doctor and the settings

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

// Writes the edits (a JSON array of {section, key, value}) into the player's
// file with the INI editor, keeping every other byte: {written, bytes (one
// character per byte), changes: [{key, line, kind}], refusals: [{what,
// reason}]}. All or nothing: with refusals nothing is written.
AW_EXPORT const char* awEditIni(const char* bytes, int length, const char* edits, int editsLength)
{
    const sim::ini_edit::EditResult result =
        sim::ini_edit::editIni(text(bytes, length), editsOf(text(edits, editsLength)));
    nlohmann::json refusals = nlohmann::json::array();
    for (const sim::ini_edit::Refusal& refusal : result.refusals)
        refusals.push_back({{"what", refusal.what}, {"reason", refusal.reason}});
    static const char* const kinds[] = {"changed", "unchanged", "added", "newSection"};
    nlohmann::json changes = nlohmann::json::array();
    for (const sim::ini_edit::Change& change : result.changes) {
        changes.push_back({{"key", change.row ? change.row->key : ""},
                           {"line", change.line},
                           {"kind", kinds[static_cast<int>(change.kind)]}});
    }
    return give(asJson({{"written", result.written},
                        {"bytes", result.written ? latin1(result.bytes) : ""},
                        {"changes", changes},
                        {"refusals", refusals}}));
}

// Why the editor would refuse this value text for this setting (section ""
// for the key alone), in a player's words, or "" when it would write it: a
// key that is no setting, a text that cannot stand on the line, or one the
// plug-in would not read as meant.
AW_EXPORT const char* awEditRefusal(const char* section, int sectionLength, const char* key, int keyLength,
                                    const char* value, int valueLength)
{
    const sim::ini_edit::Edit edit{text(section, sectionLength), text(key, keyLength), text(value, valueLength)};
    return give(sim::ini_edit::editRefusal(edit));
}

// ---------------------------------------------------------------------------
// [SECTION] Previews

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
// [SECTION] Live play

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

// Ends live play: {scenario, ticks}, the scenario that replays it.
AW_EXPORT const char* awLiveStop()
{
    live().stop();
    return give(asJson({{"scenario", live().scenarioText()}, {"ticks", live().ticksPlayed()}}));
}

// The whole trace of the last live play, as `ambleworks-sim run` prints it
// (megabytes for a minute: made only when asked).
AW_EXPORT const char* awLiveTrace()
{
    return give(sim::formatTrace(live().trace()));
}

// ---------------------------------------------------------------------------
// [SECTION] Key names

// The key a browser keyboard event's `code` names ("KeyQ", "ShiftLeft",
// "Numpad1"): {code, name}, or null for a key the table does not know.
AW_EXPORT const char* awBrowserKey(const char* browserCode, int length)
{
    const auto key = sim::web::keyOfBrowserCode(text(browserCode, length));
    return give(key ? asJson({{"code", key->code}, {"name", key->name}}) : std::string("null"));
}

// The canonical name of a key code, "" for a code no key has.
AW_EXPORT const char* awKeyNameOfCode(int code)
{
    return give(std::string(keyNameOfCode(code)));
}
