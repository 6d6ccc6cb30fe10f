// The text table the timeline and the doctor's report share: columns that
// stay aligned whatever a text's length, texts that fit kept exactly as
// written, wrapping at spaces, and no heading line when no column has one.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/text_table.h"

namespace {

using sim::text::TextTable;
using sim::text::wrapWords;

TEST(TextTable, ColumnsStayAlignedAndLongTextsWrapUnderTheirColumn)
{
    TextTable table({{"key", false, 0, 10, false, false}, {"value", false, 0, 12, true, false}});
    table.addRow({{"A"}, {"0x10 (Shift)"}});
    table.addRow({{"LONGER_KEY"}, {"0xA0 (left Shift) then more"}});
    EXPECT_EQ(table.format(), "key         value\n"
                              "A           0x10 (Shift)\n"
                              "LONGER_KEY  0xA0 (left\n"
                              "            Shift) then\n"
                              "            more\n");
}

TEST(TextTable, NoHeadingLineWhenNoColumnHasAHeading)
{
    TextTable table({{"", false, 4, 4, false, false}, {"", true, 0, 8, false, false}});
    table.addRow({{"a"}, {"1"}});
    table.addRow({{"bb"}, {"22"}});
    EXPECT_EQ(table.format(), "a      1\nbb    22\n");
}

TEST(TextTable, ATextThatFitsKeepsItsBlanks)
{
    TextTable table({{"", false, 0, 30, true, false}, {"", false, 0, 5, true, false}});
    table.addRow({{"\"1.5   then\""}, {"x"}});
    EXPECT_EQ(table.format(), "\"1.5   then\"  x\n");
}

TEST(TextTable, WrapBreaksAtSpacesKeepingTheOthers)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"one two three", {"one two", "three"}},
        {"  one   two  three  ", {"one   two", "three"}},
        {"averyveryverylongword x", {"averyveryverylongword", "x"}},
        {"a b", {"a b"}},
        {"   ", {}},
    };
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(wrapWords(text, 9), lines) << '"' << text << '"';
}

}  // namespace
