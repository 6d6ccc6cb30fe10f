// The decimal float at the edge of the tiny range: a number just below the
// smallest normal float rounds up to it, and the load fails with "stof
// argument out of range" only when the number is tiny after rounding, that is
// below 2^-126 - 2^-151, the point halfway between 2^-126 and the 24-bit
// number under it. Exactly at that point it is not tiny (it rounds to 2^-126
// with ties to even), as glibc's strtof says too.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "config/value_conversions.h"

namespace {

// The bits of the float read, or "out of range".
std::string reading(const std::string& text)
{
    try {
        return std::to_string(std::bit_cast<uint32_t>(convertDecimalFloat(text)));
    } catch (const std::out_of_range& error) {
        return error.what();
    }
}

// 2^-126 - 2^-151 written out in decimal, all 114 significant digits of it,
// followed by the last digit that makes it exact, one less, or one more.
std::string halfwayDecimal(char lastDigit)
{
    return std::string("1.1754943157898258998483097641290060955707622747655389745958574123517101622099501057050474"
                       "628340452909469604492187") +
           lastDigit + "e-38";
}

}  // namespace

TEST(DecimalFloatTinyRange, TheHalfwayPointUnderTheSmallestNormalIsNotTiny)
{
    const std::string smallestNormal = std::to_string(0x00800000u);
    const std::string negativeSmallestNormal = std::to_string(0x80800000u);
    const std::string outOfRange = "stof argument out of range";
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"0x1.ffffffp-127", smallestNormal},  // exactly halfway
        {"-0x1.ffffffp-127", negativeSmallestNormal},
        {"0x1.ffffff1p-127", smallestNormal},  // a hair above
        {"0x1.fffffefp-127", outOfRange},      // a hair below: tiny, and inexact
        {halfwayDecimal('5'), smallestNormal},
        {"-" + halfwayDecimal('5'), negativeSmallestNormal},
        {halfwayDecimal('6'), smallestNormal},
        {halfwayDecimal('4'), outOfRange},
        {"0x1p-126", smallestNormal},  // the smallest normal itself, exact
    };
    for (const auto& row : cases)
        EXPECT_EQ(reading(row.text), row.expected) << row.text;
}
