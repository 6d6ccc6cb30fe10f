// The doctor's report for tools: one JSON object (docs/doctor.md lists its
// fields), written by nlohmann's JSON library. Every text from the file goes
// through validUtf8 first, and the output escapes every character beyond
// ASCII, so it is valid JSON in pure ASCII whatever bytes the file holds.

#include <nlohmann/json.hpp>

#include <string>

#include "doctor/doctor_parts.h"
#include "trace/format.h"

namespace sim::doctor {

namespace {

using Json = nlohmann::ordered_json;

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
// integers. Loaded speeds are always finite.
Json valueJson(const SettingRow& row, const SettingValue& value)
{
    switch (row.rule) {
    case SettingRule::flag:
        return value.flag;
    case SettingRule::decimalFloat:
        return Json::parse(formatFloat(value.real));
    case SettingRule::hexInteger:
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
    case Source::stoppedHere:
        return "stops-load";
    case Source::notReached:
        return "not-reached";
    case Source::noFile:
        return "no-file";
    }
    return "file";
}

Json settingJson(const SettingUse& use)
{
    const SettingRow& row = *use.row;
    return Json{
        {"section", row.section},
        {"key", row.key},
        {"field", row.field},
        {"source", sourceName(use.source)},
        {"line", lineOrNull(use.line)},
        {"text", use.line ? text(use.text) : Json(nullptr)},
        {"loaded", valueJson(row, use.loaded)},
        {"value", valueJson(row, use.used)},
        {"clamped", use.clamped},
        {"builtInDefault", !use.differsFromDefault},
    };
}

Json findingJson(const Finding& finding)
{
    return Json{
        {"line", lineOrNull(finding.line)},
        {"severity", severityName(finding.severity)},
        {"kind", finding.kind},
        {"section", textOrNull(finding.section)},
        {"key", textOrNull(finding.key)},
        {"text", finding.key.empty() ? Json(nullptr) : text(finding.text)},
        {"suggestion", textOrNull(finding.suggestion)},
        {"message", text(finding.message)},
        {"lineText", finding.line ? text(finding.lineText) : Json(nullptr)},
    };
}

Json stopJson(const Diagnosis& diagnosis)
{
    if (!diagnosis.stop)
        return nullptr;
    const LoadStop& stop = *diagnosis.stop;
    const SettingRow& row = settingRows[stop.row];
    return Json{
        {"section", row.section},        {"key", row.key},
        {"line", lineOrNull(stop.line)}, {"text", stop.line ? text(stop.text) : Json(nullptr)},
        {"error", stop.error},
    };
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
    for (const SettingUse& use : diagnosis.settings)
        settingsArray.push_back(settingJson(use));
    Json findingsArray = Json::array();
    for (const Finding& finding : diagnosis.findings)
        findingsArray.push_back(findingJson(finding));
    const Json report = {
        {"file", text(diagnosis.path)},
        {"readable", diagnosis.readable},
        {"settingsFile", diagnosis.settingsText},
        {"lines", diagnosis.lineCount},
        {"loadsWhole", diagnosis.exitStatus() == 0},
        {"exitStatus", diagnosis.exitStatus()},
        {"stop", stopJson(diagnosis)},
        {"settings", settingsArray},
        {"findings", findingsArray},
        {"findingsNotShown", diagnosis.findingsNotShown},
    };
    constexpr int indent = 2;
    constexpr bool asciiOnly = true;
    return report.dump(indent, ' ', asciiOnly) + "\n";
}

}  // namespace sim::doctor
