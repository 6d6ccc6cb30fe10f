// The trace's number formats: the same text on every platform.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "trace/format.h"

namespace {

TEST(SimFormat, FloatsAreShortestRoundTripWithAPointForWholeNumbers)
{
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {1.38f, "1.38"}, {0.7f, "0.7"},        {1.0f, "1.0"},          {0.0f, "0.0"}, {-0.0f, "-0.0"},
        {2.0f, "2.0"},   {1.51f, "1.51"},      {0.06f, "0.06"},        {3.0f, "3.0"}, {1e-40f, "1e-40"},
        {1.1f, "1.1"},   {100000.0f, "1e+05"}, {1.5f + 0.01f, "1.51"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sim::formatFloat(c.value), c.text) << c.text;
    EXPECT_EQ(sim::formatFloat(std::numeric_limits<float>::infinity()), "inf");
    EXPECT_EQ(sim::formatFloat(-std::numeric_limits<float>::infinity()), "-inf");
    EXPECT_EQ(sim::formatFloat(std::nanf("")), "nan");
}

TEST(SimFormat, SingleStepsOfTheRampPrintTheirOwnValue)
{
    // 1.38 + 0.01 twelve times is not 1.5 in single precision; the trace
    // must show the difference rather than round it away.
    float speed = 1.38f;
    for (int i = 0; i < 12; ++i)
        speed += 0.01f;
    EXPECT_NE(sim::formatFloat(speed), "1.5");
    EXPECT_EQ(std::stof(sim::formatFloat(speed)), speed);
}

TEST(SimFormat, HexIsFixedWidthUpperCase)
{
    EXPECT_EQ(sim::hex32(0x8FFC75D6u), "0x8FFC75D6");
    EXPECT_EQ(sim::hex32(0x12A07u), "0x00012A07");
    EXPECT_EQ(sim::hex64(0x096275889B8E0EE0ull), "0x096275889B8E0EE0");
    EXPECT_EQ(sim::hexShort(0x10), "0x10");
    EXPECT_EQ(sim::hexShort(0x100), "0x100");
    EXPECT_EQ(sim::decimal(-5), "-5");
    EXPECT_EQ(sim::decimal(4294967295ll), "4294967295");
}

}  // namespace
