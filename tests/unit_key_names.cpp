// The one table of key names: every name reads back as its key, no two rows
// claim the same name, no name is a number, and the series a player expects
// are all there.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "config/key_names.h"

namespace {

TEST(KeyNames, EveryNameIsOneKeyAndNoneIsANumber)
{
    std::map<std::string, int32_t> seen;
    for (std::size_t i = 0; i < keyNameCount; ++i) {
        const KeyName& key = keyNameTable[i];
        const std::string folded = foldKeyName(key.name);
        EXPECT_NE(folded.find_first_not_of("0123456789"), std::string::npos) << key.name << ": a number is a code";
        const auto [at, added] = seen.emplace(folded, key.code);
        EXPECT_TRUE(added) << key.name << " is in the table twice";
        // Each name reads as its key, one side of Shift, Ctrl or Alt as both.
        EXPECT_EQ(keyCodeOfName(key.name), sharedKeyCode(key.code)) << key.name;
        // A code is shown under one name, and that name reads back as it.
        EXPECT_EQ(keyCodeOfName(keyNameOfCode(key.code)), sharedKeyCode(key.code)) << key.name;
    }
}

TEST(KeyNames, TheSeriesAndTheSidesAreComplete)
{
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(keyNameOfCode(0x41 + i), std::string(1, static_cast<char>('A' + i)));
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(keyNameOfCode(0x70 + i), "F" + std::to_string(i + 1));
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(keyNameOfCode(0x60 + i), "Numpad " + std::to_string(i));
        EXPECT_EQ(keyNameOfCode(0x30 + i), "Digit " + std::to_string(i));
    }
    const struct {
        int32_t code;
        int32_t shared;
    } sides[] = {{0xA0, 0x10}, {0xA1, 0x10}, {0xA2, 0x11}, {0xA3, 0x11}, {0xA4, 0x12}, {0xA5, 0x12}};
    for (const auto& side : sides) {
        EXPECT_EQ(sharedKeyCode(side.code), side.shared);
        EXPECT_FALSE(keyNameOfCode(side.code).empty());
    }
    for (int32_t code : {0x0F, 0x13, 0x9F, 0xA6, -1, 0x1FF})
        EXPECT_EQ(sharedKeyCode(code), code);
}

TEST(KeyNames, MatchingIgnoresCaseBlanksUnderscoresAndDashes)
{
    for (const char* text : {"Page Up", "page up", "PAGE_UP", "page-up", "Page\tUp", " PgUp ", "pg_up"})
        EXPECT_EQ(keyCodeOfName(text), 0x21) << text;
    for (const char* text : {"", " ", "_-", "Page Upp", "Pag eUpp", "1", "12", "0x21", "Page+Up"})
        EXPECT_EQ(keyCodeOfName(text), std::nullopt) << text;
    EXPECT_EQ(findKeyName("left alt")->code, 0xA4);  // the side's own code, for tools
    EXPECT_EQ(keyNameOfCode(0x07), "");
}

}  // namespace
