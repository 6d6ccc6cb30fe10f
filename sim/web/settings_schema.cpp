#include "web/settings_schema.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <map>
#include <vector>

#include "config/ini_reader.h"
#include "config/settings.h"
#include "testing/reset_for_tests.h"
#include "trace/format.h"

namespace sim::web {

namespace {

// Far beyond any speed the plug-in uses, so that a clamp, if any, acts.
constexpr float farBelow = -1000.0f;
constexpr float farAbove = 1000.0f;

// A single-precision value as the double of its shortest text (0.06, not
// 0.0599999986588955), as a player writes it.
double shortest(float value)
{
    return std::stod(formatFloat(value));
}

const char* kindName(SettingRule rule)
{
    switch (rule) {
    case SettingRule::flag:
        return "flag";
    case SettingRule::decimalFloat:
        return "speed";
    case SettingRule::keyCode:
        return "key";
    case SettingRule::decimalInteger:
        return "whole";
    }
    return "";
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// The value a clamp holds `value` to, found by the plug-in's own clamps.
float clampedValue(float Settings::*field, float value)
{
    resetConfigToLoadState();
    settings.*field = value;
    sanitiseSettings();
    const float held = settings.*field;
    resetConfigToLoadState();
    return held;
}

// A comment line's text without its ';' and the one blank after it.
std::string commentText(std::string_view line)
{
    size_t at = line.find_first_not_of(" \t");
    if (at != std::string_view::npos && (line[at] == ';' || line[at] == '#'))
        ++at;
    if (at < line.size() && line[at] == ' ')
        ++at;
    return at >= line.size() ? std::string() : std::string(line.substr(at));
}

// The comment lines after the last empty one, joined: a key's own words
// (above SPRINT_KEY, the laptop hotkeys before an empty comment line are
// about other keys).
std::string lastParagraph(const std::vector<std::string>& block)
{
    std::string joined;
    for (const std::string& part : block) {
        if (part.find_first_not_of(" \t\r") == std::string::npos)
            joined.clear();
        else
            joined += (joined.empty() ? "" : "\n") + part;
    }
    return joined;
}

struct Explanations {
    std::string intro;                         // the comments before the first section
    std::map<std::string, std::string> byKey;  // upper-case key -> its comments
};

// The comments right above each key's line; a key right under another key
// shares that key's comments (SWITCH_ON_KEY under SWITCH_OFF_KEY).
Explanations readExplanations(const std::string& shippedIni)
{
    Explanations out;
    std::vector<std::string> block;
    std::string last;
    bool sectionSeen = false;
    IniReader reader("");
    IniDocument document;
    reader.onLine = [&](const IniLine& line) {
        if (line.kind == IniLineKind::comment) {
            block.push_back(commentText(line.text));
            return;
        }
        std::string joined;
        for (const std::string& part : block)
            joined += (joined.empty() ? "" : "\n") + part;
        if (line.kind == IniLineKind::keyValue) {
            last = block.empty() ? last : lastParagraph(block);
            out.byKey[upper(line.name)] = last;
        } else if (line.kind == IniLineKind::section) {
            if (!sectionSeen && out.intro.empty())
                out.intro = joined;
            sectionSeen = true;
            last.clear();
        } else if (!sectionSeen && out.intro.empty()) {
            out.intro = joined;  // a blank line ends the file's opening block
        }
        block.clear();
    };
    reader.readBytes(shippedIni, document);
    return out;
}

nlohmann::json rowJson(const SettingRow& row, const Explanations& explanations)
{
    const Settings defaults;
    nlohmann::json item = {{"section", row.section},     {"key", row.key}, {"field", row.field},
                           {"kind", kindName(row.rule)}, {"min", nullptr}, {"max", nullptr}};
    if (row.flagField)
        item["default"] = defaults.*row.flagField;
    if (row.integerField)
        item["default"] = defaults.*row.integerField;
    if (row.floatField) {
        item["default"] = shortest(defaults.*row.floatField);
        const float low = clampedValue(row.floatField, farBelow);
        const float high = clampedValue(row.floatField, farAbove);
        if (low != farBelow)
            item["min"] = shortest(low);
        if (high != farAbove)
            item["max"] = shortest(high);
    }
    const auto it = explanations.byKey.find(row.key);
    item["explanation"] = it == explanations.byKey.end() ? "" : it->second;
    return item;
}

}  // namespace

std::string settingsSchemaJson(const std::string& shippedIni)
{
    const Explanations explanations = readExplanations(shippedIni);
    nlohmann::json rows = nlohmann::json::array();
    for (const SettingRow& row : keyRows)
        rows.push_back(rowJson(row, explanations));
    for (const SettingRow& row : settingRows)
        rows.push_back(rowJson(row, explanations));
    const nlohmann::json out = {{"settings", rows}, {"intro", explanations.intro}};
    return out.dump(-1, ' ', true);
}

}  // namespace sim::web
