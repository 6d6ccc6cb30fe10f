// How value texts become settings: notes dropped, switches, the decimal
// float (with its decimal comma), the decimal integer, the hexadecimal integer
// and key codes by name, with the exact failure texts.

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
#include <string>
#include <string_view>

#include "config/value_conversions.h"

namespace {

// "ok" or the failure text, so one table row can say either.
template <typename Convert>
std::string outcome(Convert convert, const std::string& text)
{
    const ReadFailure failure = convert(text).failure;
    return failure == ReadFailure::none ? "ok" : readFailureText(failure);
}

const std::string invalidStof = "invalid stof argument";
const std::string rangeStof = "stof argument out of range";
const std::string invalidStoi = "invalid stoi argument";
const std::string rangeStoi = "stoi argument out of range";

TEST(SettingsConversions, ANoteAfterTheValueIsDropped)
{
    const struct {
        std::string_view text;
        std::string_view value;
    } cases[] = {
        {"1 ; on", "1"},
        {"0;off", "0"},
        {"0.1 # faster", "0.1"},
        {"Alt\t;walk key", "Alt"},  // the blanks before the note go too, of every kind
        {"; only a note", ""},
        {" \t; blanks, then a note", ""},
        {"#", ""},
        {"1.5 # a ; b", "1.5"},  // the first sign starts the note, whichever it is
        {"a;b#c", "a"},
        {"1 2", "1 2"},  // blanks inside a value stay
        {"", ""},
        {"\\=x", "\\=x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withoutNote(c.text), c.value) << c.text;
}

TEST(SettingsConversions, SwitchWordsAndZeroNumbersAreOff)
{
    const struct {
        std::string_view text;
        SwitchWord word;
    } cases[] = {
        {"0", SwitchWord::off},      {"off", SwitchWord::off},
        {"OFF", SwitchWord::off},    {"No", SwitchWord::off},
        {"fAlSe", SwitchWord::off},  {"00", SwitchWord::off},
        {"0.0", SwitchWord::off},    {"-0", SwitchWord::off},
        {"+0", SwitchWord::off},     {"0e5", SwitchWord::off},
        {".0", SwitchWord::off},     {"0.", SwitchWord::off},
        {"0E-3", SwitchWord::off},   {"1", SwitchWord::on},
        {"on", SwitchWord::on},      {"YES", SwitchWord::on},
        {"True", SwitchWord::on},    {"2", SwitchWord::on},
        {"0.5", SwitchWord::on},     {"-1", SwitchWord::on},
        {"1e0", SwitchWord::on},     {"0x0", SwitchWord::unknown},  // a hexadecimal number is not a decimal one
        {"0e", SwitchWord::unknown}, {"0 0", SwitchWord::unknown},
        {"O", SwitchWord::unknown},  {"disabled", SwitchWord::unknown},
        {"n", SwitchWord::unknown},  {"offf", SwitchWord::unknown},
        {"of", SwitchWord::unknown}, {"-", SwitchWord::unknown},
        {".", SwitchWord::unknown},  {"0.0.0", SwitchWord::unknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(switchWordOf(c.text), c.word) << c.text;
        EXPECT_EQ(convertFlag(c.text), c.word != SwitchWord::off) << c.text;
    }
}

TEST(SettingsConversions, ADecimalCommaBetweenDigitsIsThePoint)
{
    const struct {
        std::string text;
        std::size_t comma;  // npos: none read as the point
        float value;
    } cases[] = {
        {"1,5", 1, 1.5f},
        {"0,06", 1, 0.06f},
        {"-1,25", 2, -1.25f},
        {"+2,2", 2, 2.2f},
        {"1,5,3", 1, 1.5f},                  // the first comma only
        {"12,5e1", 2, 125.0f},               // the rest of the number reads as before
        {"1.5,3", std::string::npos, 1.5f},  // a point before it
        {".5,3", std::string::npos, 0.5f},   // a point before it, first of all
        {",5", std::string::npos, 0.0f},     // no digit before it: no number
        {"1,", std::string::npos, 1.0f},     // no digit after it
        {"1,a", std::string::npos, 1.0f},
        {"1,,5", std::string::npos, 1.0f},
        {"0x1,8", std::string::npos, 1.0f},  // a hexadecimal number keeps its commas
        {"-0X1,8", std::string::npos, -1.0f},
        {"1e5,3", 3, 100000.0f},  // read as 1e5.3: the number ends at the point
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decimalCommaAt(c.text), c.comma) << c.text;
        const FloatReading reading = convertDecimalFloat(c.text);
        if (c.text == ",5") {
            EXPECT_EQ(reading.failure, ReadFailure::invalidFloat);
            continue;
        }
        EXPECT_EQ(reading.failure, ReadFailure::none) << c.text;
        EXPECT_EQ(reading.value, c.value) << c.text;
    }
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
        {"2,5", "ok", 2.5f},
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
        {"0x1.8p-149", rangeStof, 0},       // tiny and rounded
        {"0x1.fff0e5p-127", rangeStof, 0},  // tiny and rounded, which glibc's strtof does not report
        {"0x1p-150", rangeStof, 0},
        {"0x1.0000000000000000000001p-130", rangeStof, 0},
        {"1.17549430e-38", rangeStof, 0},  // rounds up to the smallest normal, still tiny
        {"0x1.fffffep-127", rangeStof, 0},
    };
    for (const FloatCase& c : cases) {
        EXPECT_EQ(outcome(convertDecimalFloat, c.text), c.outcome) << c.text;
        if (c.outcome == "ok") {
            EXPECT_EQ(std::bit_cast<uint32_t>(convertDecimalFloat(c.text).value), std::bit_cast<uint32_t>(c.value))
                << c.text;
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
    const FloatReading reading = convertDecimalFloat(text);
    if (reading.failure != ReadFailure::none)
        return std::nullopt;
    return std::bit_cast<uint32_t>(reading.value);
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
    float ours = convertDecimalFloat("1.5").value;
    int32_t key = convertHexInteger("1.000");
    std::locale::global(previous);
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    ASSERT_EQ(comma, 1.5f) << "the locale did not take effect";
    EXPECT_EQ(ours, 1.5f);
    EXPECT_EQ(key, 1);
}

// 2^-126 - 2^-151 written out in decimal, all 114 significant digits of it,
// followed by the last digit that makes it exact, one less, or one more.
// A number just below the smallest normal float rounds up to it, and it is out
// of range only when it is tiny after rounding, that is below 2^-126 - 2^-151,
// the point halfway between 2^-126 and the 24-bit number under it: exactly at
// that point it rounds to 2^-126 with ties to even, as glibc's strtof says.
std::string halfwayDecimal(char lastDigit)
{
    return std::string("1.1754943157898258998483097641290060955707622747655389745958574123517101622099501057050474"
                       "628340452909469604492187") +
           lastDigit + "e-38";
}

TEST(SettingsConversions, DecimalFloatHalfwayUnderTheSmallestNormalIsNotTiny)
{
    const std::string smallestNormal = std::to_string(0x00800000u);
    const std::string negativeSmallestNormal = std::to_string(0x80800000u);
    const std::string outOfRange = rangeStof;
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
    for (const auto& row : cases) {
        const FloatReading read = convertDecimalFloat(row.text);
        const std::string got = read.failure == ReadFailure::none ? std::to_string(std::bit_cast<uint32_t>(read.value))
                                                                  : readFailureText(read.failure);
        EXPECT_EQ(got, row.expected) << row.text;
    }
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
            EXPECT_EQ(convertDecimalInteger(c.text).value, c.value) << c.text;
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
    for (const IntegerCase& c : cases)
        EXPECT_EQ(convertHexInteger(c.text), c.value) << c.text;
}

}  // namespace
