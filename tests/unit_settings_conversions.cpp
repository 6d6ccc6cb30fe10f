// How value texts become settings: the flag, the decimal float, the decimal
// integer and the hexadecimal integer, with the exact failure texts.

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include "config/value_conversions.h"

namespace {

// "ok" or the failure text, so one table row can say either.
template <typename Convert>
std::string outcome(Convert convert, const std::string& text)
{
    try {
        convert(text);
        return "ok";
    } catch (const std::invalid_argument& error) {
        return std::string("invalid: ") + error.what();
    } catch (const std::out_of_range& error) {
        return std::string("range: ") + error.what();
    }
}

const std::string invalidStof = "invalid: invalid stof argument";
const std::string rangeStof = "range: stof argument out of range";
const std::string invalidStoi = "invalid: invalid stoi argument";
const std::string rangeStoi = "range: stoi argument out of range";

TEST(SettingsConversions, FlagIsFalseOnlyForZero)
{
    EXPECT_FALSE(convertFlag("0"));
    for (const char* text : {"", "1", "false", "no", "00", "0 ; off", "O", " 0"})
        EXPECT_TRUE(convertFlag(text)) << text;
}

struct FloatCase {
    std::string text;
    std::string outcome;
    float value;
};

TEST(SettingsConversions, DecimalFloatReadsTheLeadingNumber)
{
    const float smallestNormal = 0x1p-126f;
    const FloatCase cases[] = {
        {"0.06", "ok", 0.06f},
        {"0.1abc", "ok", 0.1f},
        {" 1.5", "ok", 1.5f},  // leading white space of any kind is skipped
        {"\t\v\f\r\n -2", "ok", -2.0f},
        {"+1.5e3x", "ok", 1500.0f},
        {"-.5", "ok", -0.5f},
        {"1.", "ok", 1.0f},
        {"1e", "ok", 1.0f},
        {"1e+", "ok", 1.0f},
        {"2,5", "ok", 2.0f},
        {"0x1.8p1", "ok", 3.0f},
        {"0xA", "ok", 10.0f},  // the first hexadecimal letter, either case
        {"0xa.8P1", "ok", 21.0f},
        {"0xF", "ok", 15.0f},  // the last hexadecimal letter, either case
        {"0x1.fp1", "ok", 3.875f},
        {"0x.", "ok", 0.0f},  // a prefix with no digit after it reads as the 0 before the x
        {"0xp1", "ok", 0.0f},
        {"1e1f", "ok", 10.0f},  // a decimal exponent ends at its first non-decimal digit
        {"0x1p1a", "ok", 2.0f},
        {"0x", "ok", 0.0f},
        {"0xg", "ok", 0.0f},
        {"0e-99999", "ok", 0.0f},
        {"0x0p-99999", "ok", 0.0f},
        {"3.4028234e38", "ok", 3.4028234e38f},
        {"0x1p-130", "ok", 0x1p-130f},                                 // tiny but exact
        {"0x0.000000000000000000000000000000001p2", "ok", 0x1p-130f},  // the same, with a one-digit exponent
        {"0x0.000000000000000000000000000000001p+2", "ok", 0x1p-130f},
        {"0x0.000000000000000000000000000000001", "ok", 0x1p-132f},  // and with none
        {"0x1p-149", "ok", 0x1p-149f},
        {"0x1.Ap-130", "ok", 0x1.ap-130f},  // a capital digit in an exact tiny value
        {"0x1p-131", "ok", 0x1p-131f},      // the binary exponent at each step of a hexadecimal digit
        {"0x1p-132", "ok", 0x1p-132f},
        {"0x1.8p-147", "ok", 0x1.8p-147f},
        {"0x1000p-160", "ok", 0x1p-148f},  // digits that outweigh a lower binary exponent
        {"0x80p-156", "ok", 0x1p-149f},
        {"0x4p-150", "ok", 0x1p-148f},
        {"1.17549435e-38", "ok", smallestNormal},  // just below, rounds up, not tiny
        {"0x1.000001p-126", "ok", smallestNormal},
        {"", invalidStof, 0},
        {"abc", invalidStof, 0},
        {"-", invalidStof, 0},
        {".e1", invalidStof, 0},
        {"nan", invalidStof, 0},
        {"-NaN(1)", invalidStof, 0},
        {"inf", rangeStof, 0},
        {"-Infinity", rangeStof, 0},
        {"xnf", invalidStof, 0},  // a word must match from its first letter to its last
        {"ixx", invalidStof, 0},
        {"iNx", invalidStof, 0},
        {"1e50", rangeStof, 0},
        {"3.4028236e38", rangeStof, 0},
        {"0x1p128", rangeStof, 0},
        {"1e-40", rangeStof, 0},
        {"-1e-50", rangeStof, 0},
        {"0x1.8p-149", rangeStof, 0},  // tiny and rounded
        {"0x1p-150", rangeStof, 0},
        {"0x1.0000000000000000000001p-130", rangeStof, 0},
        {"1.17549430e-38", rangeStof, 0},  // rounds up to the smallest normal, still tiny
        {"0x1.fffffep-127", rangeStof, 0},
    };
    for (const FloatCase& c : cases) {
        EXPECT_EQ(outcome(convertDecimalFloat, c.text), c.outcome) << c.text;
        if (c.outcome == "ok") {
            EXPECT_EQ(std::bit_cast<uint32_t>(convertDecimalFloat(c.text)), std::bit_cast<uint32_t>(c.value)) << c.text;
        }
    }
}

// glibc's strtof in the "C" locale, with the load's rule on top: no number,
// NaN, a range error or an infinity fail; otherwise the value's bits.
std::optional<uint32_t> strtofReading(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    float value = std::strtof(text.c_str(), &end);
    if (end == text.c_str() || errno == ERANGE || std::isnan(value) || std::isinf(value))
        return std::nullopt;
    return std::bit_cast<uint32_t>(value);
}

// For hexadecimal text glibc misses some inexact tiny results (when the lost
// bits lie in the last digit below a zero rounding bit), so the loss is
// judged here independently: x86's long double holds these texts exactly.
std::optional<uint32_t> hexReading(const std::string& text)
{
    float value = std::strtof(text.c_str(), nullptr);
    long double exact = std::strtold(text.c_str(), nullptr);
    if (std::isinf(value))
        return std::nullopt;
    long double magnitude = std::fabs(exact);
    bool inexact = static_cast<long double>(value) != exact;
    // Tiny after rounding: below the smallest normal float even when rounded
    // to 24 bits with no lower limit on the exponent.
    bool tiny = magnitude < 0x1p-126L - 0x1p-151L;
    if (inexact && tiny)
        return std::nullopt;
    return std::bit_cast<uint32_t>(value);
}

std::optional<uint32_t> ourReading(const std::string& text)
{
    try {
        return std::bit_cast<uint32_t>(convertDecimalFloat(text));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

TEST(SettingsConversions, DecimalFloatAgreesWithGlibcNearTheEdges)
{
    static_assert(sizeof(long double) > sizeof(double), "needs x86 extended precision");
    // Numbers around the tiny range, the smallest normal and the largest
    // float, in both notations, with long mantissas that force rounding.
    std::mt19937_64 random(11);
    auto between = [&](int low, int high) { return low + static_cast<int>(random() % (high - low + 1)); };
    char text[96];
    for (int i = 0; i < 40000; ++i) {
        bool tiny = i % 4 < 2;
        if (i % 2 == 0) {
            int digits = between(1, 13);
            unsigned long long fraction = random() & ((1ull << (4 * digits)) - 1);
            int exponent = tiny ? between(-160, -120) : between(124, 130);
            std::snprintf(text, sizeof text, "0x%d.%0*llxp%d", between(0, 1), digits, fraction, exponent);
            ASSERT_EQ(ourReading(text), hexReading(text)) << text;
        } else {
            unsigned long long fraction = random() % 1000000000000ull;
            int exponent = tiny ? between(-47, -37) : between(37, 39);
            std::snprintf(text, sizeof text, "%d.%012llue%d", between(0, 9), fraction, exponent);
            ASSERT_EQ(ourReading(text), strtofReading(text)) << text;
        }
    }
}

TEST(SettingsConversions, DecimalFloatIgnoresTheProcessLocale)
{
    // Build a decimal-comma locale of our own, as the game's may be.
    std::string folder = testing::TempDir() + "ambleworks-locale";
    std::string build = "localedef -i de_DE -f UTF-8 '" + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
    std::system(("mkdir -p '" + folder + "'").c_str());
    std::system(build.c_str());
    setenv("LOCPATH", folder.c_str(), 1);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        unsetenv("LOCPATH");
        GTEST_SKIP() << "no decimal-comma locale available";
    }
    // The C++ global locale too: its grouping would let a stream read "1.000"
    // as one thousand hexadecimal.
    std::locale previous = std::locale::global(std::locale("de_DE.UTF-8"));
    float comma = std::strtof("1,5", nullptr);
    float ours = convertDecimalFloat("1.5");
    int32_t key = convertHexInteger("1.000");
    std::locale::global(previous);
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    ASSERT_EQ(comma, 1.5f) << "the locale did not take effect";
    EXPECT_EQ(ours, 1.5f);
    EXPECT_EQ(key, 1);
}

struct IntegerCase {
    std::string text;
    std::string outcome;
    int32_t value;
};

TEST(SettingsConversions, DecimalIntegerIsThirtyTwoBits)
{
    const IntegerCase cases[] = {
        {"3", "ok", 3},
        {"2.9", "ok", 2},
        {"+5x", "ok", 5},
        {"-7", "ok", -7},
        {" 12", "ok", 12},  // leading white space of any kind is skipped
        {"\t\v\f\r\n -7", "ok", -7},
        {"0x10", "ok", 0},
        {"2147483647", "ok", 2147483647},
        {"-2147483648", "ok", -2147483647 - 1},
        {"000000000000000000000012", "ok", 12},
        {"", invalidStoi, 0},
        {"x", invalidStoi, 0},
        {"-", invalidStoi, 0},
        {"+ 1", invalidStoi, 0},
        {"2147483648", rangeStoi, 0},
        {"-2147483649", rangeStoi, 0},
        {"-21474836480", rangeStoi, 0},  // digits after one past the limit
        {"9223372036854775808", rangeStoi, 0},
        {"-99999999999999999999999", rangeStoi, 0},
    };
    for (const IntegerCase& c : cases) {
        EXPECT_EQ(outcome(convertDecimalInteger, c.text), c.outcome) << c.text;
        if (c.outcome == "ok") {
            EXPECT_EQ(convertDecimalInteger(c.text), c.value) << c.text;
        }
    }
}

TEST(SettingsConversions, HexIntegerClampsAndNeverFails)
{
    const IntegerCase cases[] = {
        {"12", "ok", 0x12},
        {"0x12", "ok", 0x12},
        {"0X12", "ok", 0x12},
        {"A0", "ok", 0xA0},
        {"a0 ; Alt", "ok", 0xA0},
        {"zz", "ok", 0},
        {"0x", "ok", 0},
        {"-", "ok", 0},
        {"-1", "ok", -1},
        {"-0x12", "ok", -0x12},
        {"7FFFFFFF", "ok", 2147483647},
        {"80000000", "ok", 2147483647},
        {"FFFFFFFFFFFFFFFFFFFFFFFF", "ok", 2147483647},
        {"-80000000", "ok", -2147483647 - 1},
        {"-FFFFFFFFFFFFFFFFFFFFFFFF", "ok", -2147483647 - 1},
    };
    for (const IntegerCase& c : cases) {
        EXPECT_EQ(outcome(convertHexInteger, c.text), c.outcome) << c.text;
        EXPECT_EQ(convertHexInteger(c.text), c.value) << c.text;
    }
}

}  // namespace
