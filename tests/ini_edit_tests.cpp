// The INI editor (sim/ini_edit/): every case of tests/ini_edit_cases.json,
// the table `ambleworks-sim set` and the settings page are tested on too;
// every setting of the shipped file written and loaded back by the plug-in's
// loader; the names an edit may use; and files of random lines, which must
// always read back as written.

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/ini_reader.h"
#include "config/settings.h"
#include "ini_edit/ini_edit.h"
#include "ini_edit/ini_edit_parts.h"

// Index of this file:
// [SECTION] The table
// [SECTION] The shipped file, every setting written, loaded by the plug-in's loader
// [SECTION] Names
// [SECTION] The read-back's comparison
// [SECTION] Files of random lines

namespace {

using nlohmann::json;
using sim::ini_edit::ChangeKind;
using sim::ini_edit::Edit;
using sim::ini_edit::EditResult;

// ---------------------------------------------------------------------------
// [SECTION] The table

// A text of the table as the bytes it stands for: each character U+0000 to
// U+00FF is one byte (JSON cannot hold other bytes).
std::string bytesOf(const std::string& utf8)
{
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes += static_cast<char>(lead);
            continue;
        }
        EXPECT_TRUE(lead == 0xC2 || lead == 0xC3) << "a character beyond U+00FF in the table";
        bytes += static_cast<char>(((lead & 0x03U) << 6U) | (static_cast<unsigned char>(utf8[++i]) & 0x3FU));
    }
    return bytes;
}

// A file or a result: one text, or pieces joined; null: no file.
std::string fileBytes(const json& value)
{
    if (value.is_null())
        return "";
    if (value.is_string())
        return bytesOf(value.get<std::string>());
    std::string bytes;
    for (const json& piece : value)
        bytes += bytesOf(piece.get<std::string>());
    return bytes;
}

std::vector<Edit> editsOf(const json& edits)
{
    std::vector<Edit> list;
    for (const json& edit : edits)
        list.push_back(Edit{bytesOf(edit.value("section", "")), bytesOf(edit.at("key").get<std::string>()),
                            bytesOf(edit.at("value").get<std::string>())});
    return list;
}

const char* kindName(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::changed:
        return "changed";
    case ChangeKind::unchanged:
        return "unchanged";
    case ChangeKind::added:
        return "added";
    case ChangeKind::newSection:
        return "newSection";
    }
    return "?";
}

// Bytes as a C string literal would show them, so a failure shows CR, LF and
// the rest.
std::string shown(const std::string& bytes)
{
    std::ostringstream out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            out << "\\r";
        else if (c == '\n')
            out << "\\n\n";
        else if (byte < 0x20 || byte >= 0x7F)
            out << "\\x" << std::hex << static_cast<int>(byte) << std::dec;
        else
            out << c;
    }
    return out.str();
}

std::vector<json> tableCases()
{
    std::ifstream in(AMBLEWORKS_SOURCE_DIR "/tests/ini_edit_cases.json");
    const json table = json::parse(in);
    return table.at("cases").get<std::vector<json>>();
}

class EditTable : public testing::TestWithParam<json> { };

void expectWritten(const json& row, const EditResult& result)
{
    ASSERT_TRUE(result.written) << (result.refusals.empty() ? "" : result.refusals.front().reason);
    EXPECT_EQ(shown(result.bytes), shown(fileBytes(row.at("result"))));
    const json& changes = row.at("changes");
    ASSERT_EQ(result.changes.size(), changes.size());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(kindName(result.changes[i].kind), changes[i][0].get<std::string>()) << "change " << i;
        EXPECT_EQ(result.changes[i].line, changes[i][1].get<std::size_t>()) << "change " << i;
    }
}

void expectRefused(const json& row, const EditResult& result)
{
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.bytes.empty());
    const json& refused = row.at("refused");
    ASSERT_EQ(result.refusals.size(), refused.size());
    for (std::size_t i = 0; i < refused.size(); ++i)
        EXPECT_NE(result.refusals[i].reason.find(refused[i].get<std::string>()), std::string::npos)
            << result.refusals[i].reason;
}

TEST_P(EditTable, GivesTheBytesOrTheRefusalsOfTheTable)
{
    const json& row = GetParam();
    const EditResult result = sim::ini_edit::editIni(fileBytes(row.at("file")), editsOf(row.at("edits")));
    if (row.contains("refused"))
        expectRefused(row, result);
    else
        expectWritten(row, result);
}

INSTANTIATE_TEST_SUITE_P(Cases, EditTable, testing::ValuesIn(tableCases()),
                         [](const testing::TestParamInfo<json>& info) {
                             return info.param.at("name").get<std::string>();
                         });

// ---------------------------------------------------------------------------
// [SECTION] The shipped file, every setting written, loaded by the plug-in's loader

std::string shippedFile()
{
    std::ifstream in(AMBLEWORKS_SOURCE_DIR "/Ambleworks.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of a file, cut at each LF; `withoutCr`: a CR at the end of a
// line dropped.
std::vector<std::string> linesOf(const std::string& bytes, bool withoutCr = false)
{
    std::vector<std::string> lines(1);
    for (const char c : bytes) {
        if (c != '\n') {
            lines.back() += c;
            continue;
        }
        if (withoutCr && !lines.back().empty() && lines.back().back() == '\r')
            lines.back().pop_back();
        lines.emplace_back();
    }
    if (withoutCr && !lines.back().empty() && lines.back().back() == '\r')
        lines.back().pop_back();
    return lines;
}

TEST(EditShippedFile, EverySettingWrittenIsWhatThePluginLoadsAndNoOtherLineChanges)
{
    const std::vector<Edit> edits = {
        {"", "ENABLED", "0"},
        {"", "MOUSE_WHEEL_ENABLED", "0"},
        {"", "SPEED_INCREMENT", "0.125"},
        {"", "SHIFT_TAP_ENABLED", "0"},
        {"", "SHIFT_TAP_LIGHT_RUN_ENABLED", "0"},
        {"", "SHIFT_TAP_CUSTOM_SPEED", "2.25"},
        {"", "SHIFT_TAP_STOP_RUNNING", "0"},
        {"", "WALK_CONTROL_ENABLED", "0"},
        {"", "FAST_WALK_ENABLED", "0"},
        {"", "FAST_WALK_CUSTOM_SPEED", "1.25"},
        {"", "SLOW_WALK_ENABLED", "0"},
        {"", "SLOW_WALK_CUSTOM_SPEED", "0.5"},
        {"", "WALK_CONTROL_KEY", "0x51"},
        {"", "REMEMBER_FAST_WALK", "1"},
        {"", "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE", "1"},
        {"", "RESPECT_BOUNDARIES", "0"},
        {"", "ABLE_TO_OVERRIDE_BOUNDARIES", "0"},
        {"", "DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA", "1"},
        {"", "MINIMUM_SPEED", "0.25"},
        {"Keys", "HOTKEY_MODIFIER", "0"},
        {"Keys", "SWITCH_OFF_KEY", "0x70"},
        {"Keys", "SWITCH_ON_KEY", "0x71"},
        {"Keys", "RELOAD_KEY", "0x72"},
        {"Keys", "SPRINT_KEY", "0x14"},
    };
    const std::string before = shippedFile();
    const EditResult result = sim::ini_edit::editIni(before, edits);
    ASSERT_TRUE(result.written);

    const Settings wanted{false, false, 0.125f, false, false, 2.25f, false, false, false, 1.25f, false, 0.5f,
                          0x51,  true,  1,      false, false, true,  0.25f, 0,     0x70,  0x71,  0x72,  0x14};
    settings = Settings{};
    IniDocument document;
    IniReader("").readBytes(result.bytes, document);
    storeSettings(document);
    EXPECT_TRUE(settings == wanted);

    // Every line is the old one, but for the one line of each setting.
    const std::vector<std::string> oldLines = linesOf(before);
    const std::vector<std::string> newLines = linesOf(result.bytes);
    ASSERT_EQ(newLines.size(), oldLines.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < oldLines.size(); ++i)
        differing += oldLines[i] == newLines[i] ? 0 : 1;
    EXPECT_EQ(differing, edits.size());
    for (const sim::ini_edit::Change& change : result.changes) {
        EXPECT_EQ(change.kind, ChangeKind::changed) << change.row->key;
        EXPECT_EQ(newLines[change.line - 1].rfind(change.row->key, 0), 0U) << change.row->key;
    }
}

// ---------------------------------------------------------------------------
// [SECTION] Names

TEST(EditNames, AKeyAloneMustNameOneSectionAndASectionMustHoldTheKey)
{
    const SettingRow inGeneral{"General", "SPEED", "a", SettingRule::flag, nullptr, nullptr, nullptr};
    const SettingRow inShift{"Shift", "SPEED", "b", SettingRule::flag, nullptr, nullptr, nullptr};
    const SettingRow other{"Shift", "OTHER", "c", SettingRule::flag, nullptr, nullptr, nullptr};
    const std::vector<const SettingRow*> rows = {&inGeneral, &inShift, &other};
    struct Case {
        const char* section;
        const char* key;
        const SettingRow* found;
        const char* reason;
    };
    const Case cases[] = {
        {"", "speed", nullptr, "SPEED is a setting of [General] and [Shift]: name the section too (General.SPEED)"},
        {" shift ", "Speed", &inShift, ""},
        {"GENERAL", "SPEED", &inGeneral, ""},
        {"", "other", &other, ""},
        {"General", "OTHER", nullptr, "OTHER is not a setting of [General]: it belongs in [Shift]"},
        {"Shif", "OTHER", nullptr, "there is no section [Shif] among the settings (did you mean Shift?)"},
        {"", "OTHR", nullptr, "there is no setting OTHR (did you mean OTHER?)"},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_EQ(sim::ini_edit::findSetting(rows, c.section, c.key, reason), c.found) << c.section << "." << c.key;
        EXPECT_EQ(reason.rfind(c.reason, 0), 0U) << reason;
    }
}

// ---------------------------------------------------------------------------
// [SECTION] The read-back's comparison

TEST(EditReadBack, DocumentsDifferInAnyValueKeyOrderOrSection)
{
    const std::string base = "[A]\nx=1\ny=2\n[B]\nz=3\n";
    struct Case {
        const char* other;
        bool same;
    };
    const Case cases[] = {
        {"[a]\nX = 1\n[B]\nz=3\n[A]\ny=2\n", true},  // names and blanks as the reader looks them up
        {"[A]\nx=1\ny=2 \n[B]\nz=3\n", true},
        {"[A]\nx=1\ny=2\n[B]\nz=4\n", false},
        {"[A]\ny=2\nx=1\n[B]\nz=3\n", false},
        {"[A]\nx=1\ny=2\n[B]\nz=3\nw=\n", false},
        {"[A]\nx=1\ny=2\n[B]\nz=3\n[C]\n", false},
        {"[B]\nz=3\n[A]\nx=1\ny=2\n", false},
        {"[A]\nx=1\n[B]\nz=3\n", false},
    };
    IniDocument expected;
    IniReader("").readBytes(base, expected);
    for (const Case& c : cases) {
        IniDocument other;
        IniReader("").readBytes(c.other, other);
        EXPECT_EQ(sim::ini_edit::sameDocument(other, expected), c.same) << c.other;
    }
}

// ---------------------------------------------------------------------------
// [SECTION] Files of random lines

// A line made of pieces a settings file is made of, and the bytes around
// them that the reader drops or treats specially.
std::string randomLine(std::mt19937& random)
{
    static const char* const pieces[] = {"[MouseWheel]",
                                         "[mousewheel ]",
                                         "[Shift]",
                                         "[Keys]",
                                         "SPEED_INCREMENT",
                                         "speed_increment",
                                         "SHIFT_TAP_ENABLED",
                                         "RELOAD_KEY",
                                         "=",
                                         " = ",
                                         "\\=",
                                         "0.06",
                                         "1",
                                         ";",
                                         "#",
                                         " ",
                                         "\t",
                                         "\r",
                                         "[",
                                         "]",
                                         "x",
                                         "\xC3\xA9"};
    std::string line;
    const int count = std::uniform_int_distribution<int>(0, 6)(random);
    for (int i = 0; i < count; ++i)
        line += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(random)];
    return line;
}

TEST(EditRandomFiles, EveryEditReadsBackAndKeepsEveryOtherLine)
{
    std::mt19937 random(22);
    const std::vector<std::vector<Edit>> editSets = {
        {{"", "SPEED_INCREMENT", "0.1"}},
        {{"", "SHIFT_TAP_ENABLED", ""}, {"", "RELOAD_KEY", "0x7A"}},
        {{"MouseWheel", "SPEED_INCREMENT", "0.06"}, {"", "MOUSE_WHEEL_ENABLED", "0"}, {"", "MINIMUM_SPEED", "0.2=x"}},
    };
    for (int file = 0; file < 2000; ++file) {
        std::string bytes = file % 3 == 0 ? "\xEF\xBB\xBF" : "";
        const int lines = std::uniform_int_distribution<int>(0, 8)(random);
        for (int i = 0; i < lines; ++i)
            bytes += randomLine(random) + (i + 1 < lines || file % 2 == 0 ? (i % 2 ? "\r\n" : "\n") : "");
        const std::vector<Edit>& edits = editSets[static_cast<std::size_t>(file) % editSets.size()];
        const EditResult result = sim::ini_edit::editIni(bytes, edits);
        if (!result.written) {
            // Only the file may be refused: these edits are all sound.
            ASSERT_EQ(result.refusals.size(), 1U) << shown(bytes);
            EXPECT_TRUE(result.refusals[0].what.empty()) << shown(bytes);
            EXPECT_EQ(result.refusals[0].reason.find("did not read back"), std::string::npos) << shown(bytes);
            continue;
        }
        // Each line of the old file is still there, in order: the lines of
        // changed settings in their place, the rest as they were (a last line
        // may have gained a line end); any other line is new.
        std::vector<bool> changedLine(result.bytes.size() + 2, false);
        for (const sim::ini_edit::Change& change : result.changes)
            changedLine[change.line] = change.kind == ChangeKind::changed;
        const std::string mark = "\xEF\xBB\xBF";
        ASSERT_EQ(result.bytes.rfind(mark, 0) == 0, bytes.rfind(mark, 0) == 0);
        const std::vector<std::string> oldLines = linesOf(bytes.substr(bytes.rfind(mark, 0) == 0 ? 3 : 0), true);
        const std::vector<std::string> newLines = linesOf(result.bytes.substr(bytes.rfind(mark, 0) == 0 ? 3 : 0), true);
        std::size_t old = 0;
        for (std::size_t i = 0; i < newLines.size(); ++i) {
            if (old < oldLines.size() && (changedLine[i + 1] || newLines[i] == oldLines[old]))
                ++old;
        }
        EXPECT_EQ(old, oldLines.size()) << shown(bytes) << "\n->\n" << shown(result.bytes);
    }
}

}  // namespace
