// The doctor's report for tools: one JSON object (docs/doctor.md lists its
// fields), written by nlohmann's JSON library. Every text from the file goes
// through validUtf8 first, and the output escapes every character beyond
// ASCII, so it is valid JSON in pure ASCII whatever bytes the file holds.
//
// Objects are built field by field into room made beforehand, each field
// appended without a search for one of the same name (no object here names a
// field twice), and arrays are moved into the report, not copied: an object
// written as an initializer list makes every field a two-element array first,
// and copies all the fields before it each time its storage grows.

#include <nlohmann/json.hpp>

#include <charconv>
#include <string>
#include <utility>

#include "doctor/doctor_parts.h"
#include "trace/format.h"

namespace sim::doctor {

namespace {

using Json = nlohmann::ordered_json;

// An empty object with room for `fields` fields.
Json object(std::size_t fields)
{
    Json value = Json::object();
    value.get_ref<Json::object_t&>().reserve(fields);
    return value;
}

// Appends a field to an object made by `object`.
void add(Json& object, const char* name, Json value)
{
    object.get_ref<Json::object_t&>().emplace_back(name, std::move(value));
}

Json text(const std::string& bytes)
{
    return validUtf8(bytes);
}

Json textOrNull(const std::string& bytes)
{
    return bytes.empty() ? Json(nullptr) : text(bytes);
}

Json lineOrNull(std::size_t line)
{
    return line ? Json(line) : Json(nullptr);
}

// A setting's value as JSON: flags as booleans, speeds as the shortest
// decimal that reads back as the same float, key codes and the mode as
// integers. Loaded speeds are always finite. The speed is the double that
// decimal reads as (as a JSON parser would read it; from_chars, as it is
// locale-free), which the library then writes as that same decimal.
Json valueJson(const SettingRow& row, const SettingValue& value)
{
    switch (row.rule) {
    case SettingRule::flag:
        return value.flag;
    case SettingRule::decimalFloat: {
        const std::string decimal = formatFloat(value.real);
        double real = 0.0;
        std::from_chars(decimal.data(), decimal.data() + decimal.size(), real);
        return real;
    }
    case SettingRule::keyCode:
    case SettingRule::decimalInteger:
        return value.integer;
    }
    return nullptr;
}

const char* sourceName(Source source)
{
    switch (source) {
    case Source::file:
        return "file";
    case Source::missing:
        return "missing";
    case Source::empty:
        return "empty";
    case Source::unreadable:
        return "unreadable";
    case Source::noFile:
        return "no-file";
    }
    return "file";
}

Json settingJson(const SettingUse& use)
{
    const SettingRow& row = *use.row;
    Json setting = object(11);
    add(setting, "section", row.section);
    add(setting, "key", row.key);
    add(setting, "field", row.field);
    add(setting, "source", sourceName(use.source));
    add(setting, "line", lineOrNull(use.line));
    add(setting, "text", use.line ? text(use.text) : Json(nullptr));
    // The loader's own reason, exactly, for a line that cannot be read.
    add(setting, "error", use.failure == ReadFailure::none ? Json(nullptr) : Json(readFailureText(use.failure)));
    add(setting, "loaded", valueJson(row, use.loaded));
    add(setting, "value", valueJson(row, use.used));
    add(setting, "clamped", use.clamped);
    add(setting, "builtInDefault", !use.differsFromDefault);
    return setting;
}

Json findingJson(const Finding& finding)
{
    Json json = object(9);
    add(json, "line", lineOrNull(finding.line));
    add(json, "severity", severityName(finding.severity));
    add(json, "kind", finding.kind);
    add(json, "section", textOrNull(finding.section));
    add(json, "key", textOrNull(finding.key));
    add(json, "text", finding.key.empty() ? Json(nullptr) : text(finding.text));
    add(json, "suggestion", textOrNull(finding.suggestion));
    add(json, "message", text(finding.message));
    add(json, "lineText", finding.line ? text(finding.lineText) : Json(nullptr));
    return json;
}

}  // namespace

std::string validUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = wellFormedUtf8Length(bytes, at);
        if (length > 0) {
            out.append(bytes, at, length);
            at += length;
            continue;
        }
        // The character of the byte's number, in two bytes of UTF-8.
        const auto byte = static_cast<unsigned char>(bytes[at++]);
        out += static_cast<char>(0xC0 | (byte >> 6));
        out += static_cast<char>(0x80 | (byte & 0x3F));
    }
    return out;
}

std::string formatJson(const Diagnosis& diagnosis)
{
    Json settingsArray = Json::array();
    settingsArray.get_ref<Json::array_t&>().reserve(diagnosis.settings.size());
    for (const SettingUse& use : diagnosis.settings)
        settingsArray.push_back(settingJson(use));
    Json findingsArray = Json::array();
    findingsArray.get_ref<Json::array_t&>().reserve(diagnosis.findings.size());
    for (const Finding& finding : diagnosis.findings)
        findingsArray.push_back(findingJson(finding));
    Json report = object(10);
    add(report, "file", text(diagnosis.path));
    add(report, "readable", diagnosis.readable);
    add(report, "settingsFile", diagnosis.settingsText);
    add(report, "lines", diagnosis.lineCount);
    add(report, "loadsWhole", diagnosis.exitStatus() == 0);
    add(report, "exitStatus", diagnosis.exitStatus());
    add(report, "unreadableLines", diagnosis.unreadableLines);
    add(report, "settings", std::move(settingsArray));
    add(report, "findings", std::move(findingsArray));
    add(report, "findingsNotShown", diagnosis.findingsNotShown);
    constexpr int indent = 2;
    constexpr bool asciiOnly = true;
    return report.dump(indent, ' ', asciiOnly) + "\n";
}

}  // namespace sim::doctor
