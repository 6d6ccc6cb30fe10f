// The numbers the player's texts state, held to the plug-in: every built-in
// value and every range limit that docs/player/README.txt and the shipped
// Ambleworks.ini give must be the one the plug-in loads with and clamps to.
//
// How the numbers are found in the texts (write new text the same way):
// - README.txt: a setting's entry is a line of exactly two spaces, the key,
//   " = " and its built-in value ("  SPEED_INCREMENT = 0.06"), under a line
//   "[Section]" at the start of the line. Its description is the lines after
//   it that start with at least six spaces.
// - Ambleworks.ini: a setting is an uncommented line "KEY = value" under its
//   [Section] header; its description is the run of ";" lines right above it.
// - In a description, "raised to N" states the lowest value the plug-in
//   lets through and "lowered to N" the highest. A description without
//   them says the setting has no such limit, and the test holds it to that.
// - A key named with its code is written "Name (0xNN)" (Alt (0x12), The
//   keypad's Add (0x6B)): the name, the last one to three words before the
//   bracket, must be the key of that code in the plug-in's table of names.
// Values are read with the plug-in's own loader, the limits measured by
// running sanitiseSettings on values far outside every range.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iomanip>
#include <limits>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "config/key_names.h"
#include "config/settings.h"

namespace {

// One setting as a text describes it.
struct TextEntry {
    std::string section;
    std::string value;        // the built-in value the text states
    std::string description;  // the text about it, joined into one line
    int line = 0;             // where the entry stands, for messages
};

// Every entry of one text, by key, and anything that breaks its layout.
struct TextEntries {
    std::map<std::string, TextEntry> entries;
    std::vector<std::string> problems;
};

std::vector<std::string> fileLines(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << "cannot open " << path;
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line))
        lines.push_back(line);
    return lines;
}

const SettingRow* findRow(const std::string& key)
{
    for (const SettingRow& row : settingRows)
        if (key == row.key)
            return &row;
    for (const SettingRow& row : keyRows)
        if (key == row.key)
            return &row;
    return nullptr;
}

std::vector<const SettingRow*> allRows()
{
    std::vector<const SettingRow*> rows;
    for (const SettingRow& row : settingRows)
        rows.push_back(&row);
    for (const SettingRow& row : keyRows)
        rows.push_back(&row);
    return rows;
}

// Adds one entry, noting a key the plug-in does not know or one given twice.
void addEntry(TextEntries& text, const std::string& key, TextEntry entry)
{
    if (!findRow(key))
        text.problems.push_back("line " + std::to_string(entry.line) + ": " + key + " is no setting");
    else if (!text.entries.emplace(key, entry).second)
        text.problems.push_back("line " + std::to_string(entry.line) + ": " + key + " is described twice");
}

TextEntries readmeEntries(const std::vector<std::string>& lines)
{
    static const std::regex header(R"(^\[(\w+)\]$)");
    static const std::regex entryLine(R"(^  ([A-Z_]+) = (\S.*)$)");
    TextEntries text;
    std::string section;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch match;
        if (std::regex_match(lines[i], match, header)) {
            section = match[1];
            continue;
        }
        if (!std::regex_match(lines[i], match, entryLine))
            continue;
        TextEntry entry{section, match[2], "", static_cast<int>(i + 1)};
        for (std::size_t next = i + 1; next < lines.size() && lines[next].rfind("      ", 0) == 0; ++next)
            entry.description += lines[next] + " ";
        addEntry(text, match[1], entry);
    }
    return text;
}

// A comment line of the INI without its ";" and the blanks after it.
std::string commentText(const std::string& line)
{
    const std::size_t start = line.find_first_not_of("; ");
    return start == std::string::npos ? "" : line.substr(start);
}

TextEntries iniEntries(const std::vector<std::string>& lines)
{
    static const std::regex header(R"(^\[(\w+)\]$)");
    static const std::regex entryLine(R"(^([A-Z_]+) = (\S.*)$)");
    static const std::regex example(R"(^;\s*([A-Z_]+) = )");
    TextEntries text;
    std::string section;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch match;
        if (std::regex_match(lines[i], match, header)) {
            section = match[1];
        } else if (std::regex_match(lines[i], match, entryLine)) {
            TextEntry entry{section, match[2], "", static_cast<int>(i + 1)};
            for (std::size_t above = i; above > 0 && lines[above - 1].rfind(";", 0) == 0; --above)
                entry.description = commentText(lines[above - 1]) + " " + entry.description;
            addEntry(text, match[1], entry);
        } else if (std::regex_search(lines[i], match, example) && !findRow(match[1])) {
            // A commented example a player copies must name a real setting.
            text.problems.push_back("line " + std::to_string(i + 1) + ": the example's " + match[1].str() +
                                    " is no setting");
        }
    }
    return text;
}

// The number after `phrase` in a description, if the phrase is there.
std::optional<std::string> statedLimit(const std::string& description, const std::string& phrase)
{
    const std::regex limit(phrase + R"( (-?[0-9]+(\.[0-9]+)?))");
    std::smatch match;
    if (!std::regex_search(description, match, limit))
        return std::nullopt;
    return match[1].str();
}

// A field's value, as text that compares exactly (a float with enough
// digits to tell any two apart).
std::string fieldText(const Settings& values, const SettingRow& row)
{
    std::ostringstream text;
    if (row.flagField)
        text << (values.*row.flagField ? "on" : "off");
    else if (row.floatField)
        text << std::setprecision(std::numeric_limits<float>::max_digits10) << values.*row.floatField;
    else
        text << values.*row.integerField;
    return text.str();
}

// A value text of `row`'s kind, converted as the plug-in converts it.
std::string convertedText(const SettingRow& row, const std::string& text)
{
    Settings values;
    setSettingValue(values, row, readSetting(row, text).value);
    return fieldText(values, row);
}

// What the per-tick clamp makes of `row`'s field set far below (or above)
// every range.
std::string clampedExtreme(const SettingRow& row, bool low)
{
    Settings saved = settings;
    settings = Settings();
    if (row.floatField)
        settings.*row.floatField = low ? -1.0e6f : 1.0e6f;
    else if (row.integerField)
        settings.*row.integerField = low ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
    sanitiseSettings();
    const std::string result = fieldText(settings, row);
    settings = saved;
    return result;
}

std::string extremeText(const SettingRow& row, bool low)
{
    Settings values;
    if (row.floatField)
        values.*row.floatField = low ? -1.0e6f : 1.0e6f;
    else if (row.integerField)
        values.*row.integerField = low ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
    return fieldText(values, row);
}

// Every setting of the plug-in is in the text, under its own section, with
// the built-in value and the limits the plug-in has.
void checkEntries(const char* name, const TextEntries& text)
{
    for (const std::string& problem : text.problems)
        ADD_FAILURE() << name << ", " << problem;
    const Settings builtIn;
    for (const SettingRow* row : allRows()) {
        const auto found = text.entries.find(row->key);
        if (found == text.entries.end()) {
            ADD_FAILURE() << name << " does not give " << row->key;
            continue;
        }
        const TextEntry& entry = found->second;
        const std::string where = std::string(name) + " line " + std::to_string(entry.line) + ", " + row->key;
        EXPECT_EQ(entry.section, row->section) << where;
        EXPECT_EQ(convertedText(*row, entry.value), fieldText(builtIn, *row)) << where << " = " << entry.value;
        for (const bool low : {true, false}) {
            const std::optional<std::string> limit = statedLimit(entry.description, low ? "raised to" : "lowered to");
            const std::string expected = limit ? convertedText(*row, *limit) : extremeText(*row, low);
            EXPECT_EQ(clampedExtreme(*row, low), expected)
                << where << (low ? ": lowest value " : ": highest value ") << (limit ? *limit : "unlimited");
        }
    }
}

// Every "Name (0xNN)" of a text names the key of that code.
void checkKeyNames(const char* name, const std::vector<std::string>& lines)
{
    static const std::regex named(R"(((?:[A-Za-z0-9']+ ){0,2}[A-Za-z0-9']+) \((0x[0-9A-F]{2})\))");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (std::sregex_iterator it(lines[i].begin(), lines[i].end(), named), end; it != end; ++it) {
            const int32_t code = std::stoi((*it)[2].str(), nullptr, 16);
            // The longest run of the words before the bracket that is a name.
            std::string words = (*it)[1].str();
            std::optional<int32_t> read = keyCodeOfName(words);
            while (!read && words.find(' ') != std::string::npos) {
                words.erase(0, words.find(' ') + 1);
                read = keyCodeOfName(words);
            }
            EXPECT_EQ(read, code) << name << " line " << i + 1 << ": " << (*it)[0].str();
        }
    }
}

const std::string sourceDir = AMBLEWORKS_SOURCE_DIR;

TEST(PlayerTexts, KeysNamedWithTheirCodesAreThoseKeys)
{
    checkKeyNames("README.txt", fileLines(sourceDir + "/docs/player/README.txt"));
    checkKeyNames("Ambleworks.ini", fileLines(sourceDir + "/Ambleworks.ini"));
    // The check sees a name that is not the code's key, and a code with no name.
    const auto failures = [](const std::vector<std::string>& lines) {
        testing::TestPartResultArray results;
        {
            testing::ScopedFakeTestPartResultReporter reporter(
                testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
            checkKeyNames("text", lines);
        }
        return results.size();
    };
    EXPECT_EQ(failures({"  Shift (0x10)   the keypad's Add (0x6B)"}), 0);
    EXPECT_EQ(failures({"  Shift (0x11)"}), 1);
    EXPECT_EQ(failures({"  hold Shiftt (0x10)"}), 1);
}

TEST(PlayerTexts, ReadmeStatesTheBuiltInValuesAndLimits)
{
    checkEntries("README.txt", readmeEntries(fileLines(sourceDir + "/docs/player/README.txt")));
}

TEST(PlayerTexts, ShippedIniStatesTheBuiltInValuesAndLimits)
{
    checkEntries("Ambleworks.ini", iniEntries(fileLines(sourceDir + "/Ambleworks.ini")));
}

// The reading of the texts finds what it must: a stated limit that differs
// from the plug-in's, a wrong built-in value, a limit left unsaid and a
// misspelt example are all caught.
TEST(PlayerTexts, TheCheckCatchesWrongNumbers)
{
    const auto failures = [](const std::vector<std::string>& lines, bool readme) {
        testing::TestPartResultArray results;
        {
            testing::ScopedFakeTestPartResultReporter reporter(
                testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
            checkEntries("text", readme ? readmeEntries(lines) : iniEntries(lines));
        }
        std::string all;
        for (int i = 0; i < results.size(); ++i)
            all += results.GetTestPartResult(i).message() + std::string("\n");
        return all;
    };
    std::vector<std::string> readme = fileLines(sourceDir + "/docs/player/README.txt");
    ASSERT_EQ(failures(readme, true), "");
    for (std::string& line : readme) {
        if (line == "  MINIMUM_SPEED = 0.3")
            line = "  MINIMUM_SPEED = 0.4";
        if (line.find("raised to 1.51") != std::string::npos)
            line.replace(line.find("raised to 1.51"), 14, "raised to 1.50");
        if (line.find("lowered to 1.5.") != std::string::npos)
            line.replace(line.find("lowered to 1.5."), 15, "kept at most 1.5.");
    }
    const std::string readmeFailures = failures(readme, true);
    EXPECT_NE(readmeFailures.find("MINIMUM_SPEED = 0.4"), std::string::npos) << readmeFailures;
    EXPECT_NE(readmeFailures.find("SHIFT_TAP_CUSTOM_SPEED: lowest value 1.50"), std::string::npos) << readmeFailures;
    EXPECT_NE(readmeFailures.find("FAST_WALK_CUSTOM_SPEED: highest value unlimited"), std::string::npos)
        << readmeFailures;

    std::vector<std::string> ini = fileLines(sourceDir + "/Ambleworks.ini");
    ASSERT_EQ(failures(ini, false), "");
    ini.push_back(";   HOTKEY_MODIFER = 0");
    ini.push_back("[Optional]");
    ini.push_back("SPRINT_KEY = 0x10");
    const std::string iniFailures = failures(ini, false);
    EXPECT_NE(iniFailures.find("HOTKEY_MODIFER is no setting"), std::string::npos) << iniFailures;
    EXPECT_NE(iniFailures.find("SPRINT_KEY is described twice"), std::string::npos) << iniFailures;
}

}  // namespace
