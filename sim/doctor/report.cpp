// The doctor's two reports: text for a player, JSON for tools. Sections:
// values in words · the text report · JSON.

#include <cstdio>
#include <string>

#include "doctor/doctor.h"
#include "trace/format.h"

namespace sim::doctor {

namespace {

// ---------------------------------------------------------------------------
// Values in words

std::string number(std::size_t value)
{
    return decimal(static_cast<int64_t>(value));
}

// A setting's value as the player reads it: on/off, a speed, a key code.
std::string valueWords(const SettingRow& row, const SettingValue& value)
{
    switch (row.rule) {
    case SettingRule::flag:
        return value.flag ? "on" : "off";
    case SettingRule::decimalFloat:
        return formatFloat(value.real);
    case SettingRule::hexInteger: {
        if (value.integer < 0)
            return decimal(value.integer) + " (no key)";
        const std::string code = hexShort(static_cast<uint32_t>(value.integer));
        if (value.integer < 1 || value.integer >= 255)
            return code + " (no key)";
        const std::string name = keyName(value.integer);
        return name.empty() ? code : code + " (" + name + ")";
    }
    case SettingRule::decimalInteger:
        return decimal(value.integer);
    }
    return {};
}

// Where a setting's value comes from, in words.
std::string sourceWords(const SettingUse& use)
{
    const SettingRow& row = *use.row;
    const std::string defaultWords = "built-in default";
    switch (use.source) {
    case Source::file: {
        std::string words = "line " + number(use.line);
        if (row.rule == SettingRule::hexInteger && use.text.empty())
            return words + ": empty, keeps the value it had";
        if (!use.readWhole)
            words += ": \"" + use.text + "\"";
        if (use.clamped)
            words += std::string(", ") + (use.used.real > use.loaded.real ? "raised" : "lowered") + " from " +
                     formatFloat(use.loaded.real) + " every tick";
        return words;
    }
    case Source::missing:
        if (row.rule == SettingRule::flag)
            return use.differsFromDefault ? "key missing: reads as on (the built-in default is off)"
                                          : "key missing: reads as on, the " + defaultWords;
        return "key missing: keeps the " + defaultWords;
    case Source::stoppedHere:
        return defaultWords + ": this value stops the load" +
               (use.line ? " (line " + number(use.line) + ")" : std::string());
    case Source::notReached:
        return defaultWords + ": the load stops before this key" +
               (use.line ? " (line " + number(use.line) + " is not used)" : std::string());
    case Source::noFile:
        return defaultWords + " (no file read)";
    }
    return {};
}

const char* severityWord(Severity severity)
{
    switch (severity) {
    case Severity::problem:
        return "problem";
    case Severity::warning:
        return "warning";
    case Severity::note:
        return "note";
    }
    return "note";
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

// A line of the file as it may be shown on a terminal: control bytes as \xNN.
std::string shownLine(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string shown;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 0xF];
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string padded(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

}  // namespace

// ---------------------------------------------------------------------------
// The text report

std::string formatText(const Diagnosis& diagnosis)
{
    std::string out = "Ambleworks.ini doctor: " + diagnosis.path + "\n";
    if (!diagnosis.readable) {
        out += "Cannot read the file. The plug-in then runs on its built-in defaults, listed below.\n";
    } else if (diagnosis.stop) {
        const LoadStop& stop = *diagnosis.stop;
        const SettingRow& row = settingRows[stop.row];
        out += "The load stops ";
        if (stop.line)
            out += "at line " + number(stop.line) + ", " + row.key + (stop.text.empty() ? " is empty" : "");
        else
            out += std::string("at ") + row.key + ", which is missing from [" + row.section + "]";
        out += " (" + stop.error + "): " + row.key;
        const std::size_t after = settingRowCount - diagnosis.stop->row - 1;
        out += after ? " and the " + number(after) + " settings after it keep their built-in defaults.\n"
                     : " keeps its built-in default.\n";
    } else {
        out += "The file loads whole (" + number(diagnosis.lineCount) + " lines).\n";
    }

    out += "\n";
    if (diagnosis.findings.empty()) {
        out += "Nothing to report: every line does what it seems to.\n";
    } else {
        out += "Findings:\n";
        for (const Finding& finding : diagnosis.findings) {
            if (finding.line == 0) {
                out += "  the whole file\n";
            } else {
                out += "  line " + number(finding.line);
                if (finding.line <= diagnosis.lines.size())
                    out += ": " + shownLine(diagnosis.lines[finding.line - 1]);
                out += "\n";
            }
            out += std::string("    ") + severityWord(finding.severity) + ": " + finding.message + "\n";
        }
    }

    out += "\nSettings the plug-in will use:\n";
    std::string section;
    for (const SettingUse& use : diagnosis.settings) {
        if (section != use.row->section) {
            section = use.row->section;
            out += "  [" + section + "]\n";
        }
        out += "    " + padded(use.row->key, 40) + padded(valueWords(*use.row, use.used), 12) + sourceWords(use) + "\n";
    }
    return out;
}

// ---------------------------------------------------------------------------
// JSON

std::string jsonString(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out = "\"";
    auto escape = [&](unsigned code) {
        out += "\\u00";
        out += digits[(code >> 4) & 0xF];
        out += digits[code & 0xF];
    };
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        if (byte == '\n' || byte == '\t') {
            out += byte == '\n' ? "\\n" : "\\t";
            ++i;
            continue;
        }
        if (byte < 0x20 || byte == 0x7F) {
            escape(byte);
            ++i;
            continue;
        }
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        // A well-formed UTF-8 sequence passes as it is; any other byte is
        // taken as the character of that number (Latin-1), so the output is
        // always valid JSON.
        std::size_t length = byte >= 0xF0 && byte <= 0xF4 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 && byte <= 0xDF ? 2 : 0;
        bool wellFormed = length > 0 && i + length <= bytes.size();
        for (std::size_t k = 1; wellFormed && k < length; ++k)
            wellFormed = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (wellFormed && length == 3) {
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            wellFormed = !(byte == 0xE0 && second < 0xA0) && !(byte == 0xED && second >= 0xA0);
        }
        if (wellFormed && length == 4) {
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            wellFormed = !(byte == 0xF0 && second < 0x90) && !(byte == 0xF4 && second >= 0x90);
        }
        if (wellFormed) {
            out.append(bytes, i, length);
            i += length;
        } else {
            escape(byte);
            ++i;
        }
    }
    return out + "\"";
}

namespace {

std::string jsonValue(const SettingRow& row, const SettingValue& value)
{
    switch (row.rule) {
    case SettingRule::flag:
        return value.flag ? "true" : "false";
    case SettingRule::decimalFloat:
        // Loaded speeds are always finite; formatFloat's text is then a JSON number.
        return formatFloat(value.real);
    case SettingRule::hexInteger:
    case SettingRule::decimalInteger:
        return decimal(value.integer);
    }
    return "null";
}

std::string jsonLine(std::size_t line)
{
    return line ? number(line) : std::string("null");
}

std::string jsonOptionalString(const std::string& text)
{
    return text.empty() ? std::string("null") : jsonString(text);
}

}  // namespace

std::string formatJson(const Diagnosis& diagnosis)
{
    std::string out = "{\n";
    out += "  \"file\": " + jsonString(diagnosis.path) + ",\n";
    out += std::string("  \"readable\": ") + (diagnosis.readable ? "true" : "false") + ",\n";
    out += "  \"lines\": " + number(diagnosis.lineCount) + ",\n";
    out += std::string("  \"loadsWhole\": ") + (diagnosis.exitStatus() == 0 ? "true" : "false") + ",\n";
    out += "  \"exitStatus\": " + decimal(diagnosis.exitStatus()) + ",\n";
    if (diagnosis.stop) {
        const SettingRow& row = settingRows[diagnosis.stop->row];
        out += std::string("  \"stop\": {\"section\": ") + jsonString(row.section) +
               ", \"key\": " + jsonString(row.key) + ", \"line\": " + jsonLine(diagnosis.stop->line) +
               ", \"text\": " + (diagnosis.stop->line ? jsonString(diagnosis.stop->text) : std::string("null")) +
               ", \"error\": " + jsonString(diagnosis.stop->error) + "},\n";
    } else {
        out += "  \"stop\": null,\n";
    }

    out += "  \"settings\": [\n";
    for (std::size_t i = 0; i < diagnosis.settings.size(); ++i) {
        const SettingUse& use = diagnosis.settings[i];
        const SettingRow& row = *use.row;
        out += std::string("    {\"section\": ") + jsonString(row.section) + ", \"key\": " + jsonString(row.key) +
               ", \"field\": " + jsonString(row.field) + ", \"source\": " + jsonString(sourceName(use.source)) +
               ", \"line\": " + jsonLine(use.line) +
               ", \"text\": " + (use.line ? jsonString(use.text) : std::string("null")) +
               ", \"loaded\": " + jsonValue(row, use.loaded) + ", \"value\": " + jsonValue(row, use.used) +
               ", \"clamped\": " + (use.clamped ? "true" : "false") +
               ", \"builtInDefault\": " + (use.differsFromDefault ? "false" : "true") + "}" +
               (i + 1 < diagnosis.settings.size() ? "," : "") + "\n";
    }
    out += "  ],\n";

    out += "  \"findings\": [\n";
    for (std::size_t i = 0; i < diagnosis.findings.size(); ++i) {
        const Finding& finding = diagnosis.findings[i];
        out += "    {\"line\": " + jsonLine(finding.line) +
               ", \"severity\": " + jsonString(severityWord(finding.severity)) +
               ", \"kind\": " + jsonString(finding.kind) + ", \"section\": " + jsonOptionalString(finding.section) +
               ", \"key\": " + jsonOptionalString(finding.key) +
               ", \"text\": " + (finding.key.empty() ? std::string("null") : jsonString(finding.text)) +
               ", \"suggestion\": " + jsonOptionalString(finding.suggestion) +
               ", \"message\": " + jsonString(finding.message) + "}" + (i + 1 < diagnosis.findings.size() ? "," : "") +
               "\n";
    }
    out += "  ]\n}\n";
    return out;
}

int doctorCommand(const std::string& path, bool json)
{
    const Diagnosis diagnosis = diagnose(path);
    const std::string report = json ? formatJson(diagnosis) : formatText(diagnosis);
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fflush(stdout);
    return diagnosis.exitStatus();
}

}  // namespace sim::doctor
