#include "config/value_conversions.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <limits>
#include <locale>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "config/key_names.h"

// Index of this file:
// [SECTION] Helpers of the decimal float: the number's extent, exact comparison
// [SECTION] Notes, switches and the decimal comma
// [SECTION] The conversions

// Why the float is not simply strtof: strtof follows the process locale (a
// game running in a locale with a decimal comma would read "1.5" as 1), and
// the Windows C runtime does not report a hexadecimal number that loses
// precision below the smallest normal float. So the extent of the number is
// found here by strtof's own "C" locale grammar, std::from_chars (locale-free
// and correctly rounded everywhere) rounds it, and the loss-of-precision test
// for tiny results is done exactly, by comparing digits.

namespace {

bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `text` at `at` starts with `word` (lower case), in any case.
bool startsWithWord(std::string_view text, std::size_t at, std::string_view word)
{
    if (text.size() - at < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (lowerAscii(text[at + i]) != word[i])
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// [SECTION] Helpers of the decimal float: the number's extent, exact comparison

enum class FloatForm { none, decimal, hexadecimal, infinity, notANumber };

// The number at the start of a text, as strtof in the "C" locale would find
// it: leading spaces, a sign, then the longest run that forms a number.
struct FloatSubject {
    FloatForm form = FloatForm::none;
    bool negative = false;
    // Decimal: digits, point, exponent. Hexadecimal: the same after the 0x
    // prefix, with a binary exponent. Exactly what from_chars is handed.
    std::string_view body;
};

// Length of a run of digits in `text` from `at`.
std::size_t digitRun(std::string_view text, std::size_t at, bool hex)
{
    std::size_t end = at;
    while (end < text.size() && (hex ? isHexDigit(text[end]) : isDecimalDigit(text[end])))
        ++end;
    return end - at;
}

// Length of a mantissa (digits, optional point, digits; one digit at least)
// followed by an optional exponent that is only taken when digits follow it.
// Zero when there is no mantissa.
std::size_t numberRun(std::string_view text, std::size_t at, bool hex)
{
    std::size_t end = at + digitRun(text, at, hex);
    bool anyDigit = end > at;
    if (end < text.size() && text[end] == '.') {
        std::size_t fraction = digitRun(text, end + 1, hex);
        if (anyDigit || fraction > 0) {
            end += 1 + fraction;
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0;
    char exponentMark = hex ? 'p' : 'e';
    if (end < text.size() && lowerAscii(text[end]) == exponentMark) {
        std::size_t digits = end + 1;
        if (digits < text.size() && (text[digits] == '+' || text[digits] == '-'))
            ++digits;
        std::size_t exponentDigits = digitRun(text, digits, false);
        if (exponentDigits > 0)
            end = digits + exponentDigits;
    }
    return end - at;
}

FloatSubject findFloatSubject(std::string_view text)
{
    FloatSubject subject;
    std::size_t at = 0;
    while (at < text.size() && isCSpace(text[at]))
        ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        subject.negative = text[at] == '-';
        ++at;
    }
    if (startsWithWord(text, at, "inf")) {
        subject.form = FloatForm::infinity;
        return subject;
    }
    if (startsWithWord(text, at, "nan")) {
        subject.form = FloatForm::notANumber;
        return subject;
    }
    // "0x" counts as a prefix only when a hexadecimal number follows it;
    // otherwise the number is the "0" alone.
    if (at + 1 < text.size() && text[at] == '0' && lowerAscii(text[at + 1]) == 'x') {
        std::size_t length = numberRun(text, at + 2, true);
        if (length > 0) {
            subject.form = FloatForm::hexadecimal;
            subject.body = text.substr(at + 2, length);
            return subject;
        }
    }
    std::size_t length = numberRun(text, at, false);
    if (length > 0) {
        subject.form = FloatForm::decimal;
        subject.body = text.substr(at, length);
    }
    return subject;
}

// A non-negative number as 0.d1d2d3... times base to the power `exponent`,
// with no leading or trailing zero digit (no digits at all for zero). Two
// numbers in the same base compare by exponent first, then by digits.
struct DigitForm {
    std::string digits;
    int64_t exponent = 0;
};

// Keeps exponents far from overflow; no file is long enough to need more.
constexpr int64_t exponentLimit = int64_t{1} << 40;

int64_t saturatingExponent(std::string_view digits, bool negative)
{
    int64_t value = 0;
    for (char c : digits) {
        if (value < exponentLimit)
            value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// The exact value of a number's body in its own base. A hexadecimal binary
// exponent is not folded in: the caller gets it in `binaryExponent`.
DigitForm digitFormOfBody(std::string_view body, bool hex, int64_t& binaryExponent)
{
    DigitForm form;
    binaryExponent = 0;
    std::size_t at = 0;
    int64_t integerDigits = 0;
    bool inFraction = false;
    bool leading = true;
    for (; at < body.size(); ++at) {
        char c = body[at];
        if (c == '.') {
            inFraction = true;
            continue;
        }
        if (!(hex ? isHexDigit(c) : isDecimalDigit(c)))
            break;
        if (!inFraction)
            ++integerDigits;
        if (leading && c == '0') {
            --integerDigits;  // a leading zero moves the point, adds nothing
            continue;
        }
        leading = false;
        form.digits += lowerAscii(c);
    }
    while (!form.digits.empty() && form.digits.back() == '0')
        form.digits.pop_back();
    int64_t exponent = 0;
    // The body only holds an exponent mark with digits after it; asking for
    // one byte past the mark keeps the reads inside the view regardless.
    if (at + 1 < body.size()) {
        ++at;  // the 'e' or 'p'
        bool negative = body[at] == '-';
        if (body[at] == '+' || body[at] == '-')
            ++at;
        exponent = saturatingExponent(body.substr(at), negative);
    }
    if (hex) {
        binaryExponent = exponent;
        form.exponent = integerDigits;
    } else {
        form.exponent = integerDigits + exponent;
    }
    if (form.digits.empty())
        form.exponent = 0;
    return form;
}

// How many factors of the multiplier (5) one walk over the digits takes: a
// digit times 5^12, plus a carry, stays far inside 64 bits.
constexpr int factorsPerWalk = 12;

// Digits (most significant first) of mantissa * multiplier^count in `base`.
std::string digitsOfProduct(uint64_t mantissa, unsigned multiplier, int count, unsigned base)
{
    std::vector<unsigned> little;  // least significant first
    for (; mantissa > 0; mantissa /= base)
        little.push_back(static_cast<unsigned>(mantissa % base));
    for (int done = 0; done < count; done += factorsPerWalk) {
        uint64_t factor = 1;
        for (int i = done; i < count && i < done + factorsPerWalk; ++i)
            factor *= multiplier;
        uint64_t carry = 0;
        for (unsigned& digit : little) {
            const uint64_t product = digit * factor + carry;
            digit = static_cast<unsigned>(product % base);
            carry = product / base;
        }
        for (; carry > 0; carry /= base)
            little.push_back(static_cast<unsigned>(carry % base));
    }
    std::string digits;
    for (unsigned digit : little)
        digits += "0123456789abcdef"[digit];
    std::reverse(digits.begin(), digits.end());
    return digits;
}

DigitForm normalised(const std::string& digits, int64_t exponent)
{
    DigitForm form;
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return form;
    std::size_t last = digits.find_last_not_of('0');
    form.digits = digits.substr(first, last - first + 1);
    form.exponent = exponent - static_cast<int64_t>(first);
    return form;
}

// mantissa * 2^power (power negative, small) as a decimal DigitForm:
// mantissa * 5^-power / 10^-power, exact.
DigitForm decimalFormOfDyadic(uint64_t mantissa, int power)
{
    std::string digits = digitsOfProduct(mantissa, 5, -power, 10);
    return normalised(digits, static_cast<int64_t>(digits.size()) + power);
}

// mantissa * 2^power as a hexadecimal DigitForm scaled by 2^binaryExponent,
// so that it compares directly with a hexadecimal text's digits.
DigitForm hexFormOfDyadic(uint64_t mantissa, int64_t power, int64_t binaryExponent)
{
    int64_t shift = power - binaryExponent;
    int64_t remainder = ((shift % 4) + 4) % 4;
    std::string digits = digitsOfProduct(mantissa << remainder, 1, 0, 16);
    return normalised(digits, static_cast<int64_t>(digits.size()) + (shift - remainder) / 4);
}

int compareForms(const DigitForm& a, const DigitForm& b)
{
    if (a.digits.empty() || b.digits.empty())
        return (a.digits.empty() ? 0 : 1) - (b.digits.empty() ? 0 : 1);
    if (a.exponent != b.exponent)
        return a.exponent < b.exponent ? -1 : 1;
    int order = a.digits.compare(b.digits);
    return (order > 0) - (order < 0);
}

// Compares the magnitude of a number's body with mantissa * 2^power exactly.
int compareWithDyadic(const FloatSubject& subject, uint64_t mantissa, int power)
{
    bool hex = subject.form == FloatForm::hexadecimal;
    int64_t binaryExponent = 0;
    DigitForm text = digitFormOfBody(subject.body, hex, binaryExponent);
    DigitForm dyadic = hex ? hexFormOfDyadic(mantissa, power, binaryExponent) : decimalFormOfDyadic(mantissa, power);
    return compareForms(text, dyadic);
}

// True when rounding the number to `magnitude` (at most the smallest normal
// float) lost precision in the tiny range: the C library's underflow range
// error. Tininess is judged after rounding, as glibc does on x86: a number
// just below the smallest normal float that rounds up to it counts as tiny
// only when it would still be below it with unlimited exponent range.
bool lostPrecisionInTinyRange(const FloatSubject& subject, float magnitude)
{
    constexpr float smallestNormal = std::numeric_limits<float>::min();  // 2^-126
    // Every float at or below 2^-126 is a whole multiple of 2^-149; the
    // scaling is done in double, where 2^149 exists and the product is exact.
    auto units = static_cast<uint64_t>(static_cast<double>(magnitude) * 0x1p149);
    if (compareWithDyadic(subject, units, -149) == 0)
        return false;  // exact: no precision lost
    if (magnitude < smallestNormal)
        return true;
    // Rounded up to 2^-126: tiny only below the point halfway between
    // 2^-126 and the 24-bit number just under it, 2^-126 - 2^-151.
    return compareWithDyadic(subject, (uint64_t{1} << 25) - 1, -151) < 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Notes, switches and the decimal comma

namespace {

bool isBlank(char c)
{
    return isCSpace(c);  // the reader's six blanks are exactly C's white space
}

// True when the whole text is one decimal number (sign, digits with an
// optional point, optional exponent), with `allZero` telling whether every
// digit before the exponent is 0.
bool isWholeDecimalNumber(std::string_view text, bool& allZero)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    const std::size_t length = numberRun(text, at, false);
    if (length == 0 || at + length != text.size())
        return false;
    allZero = true;
    for (std::size_t i = at; i < text.size() && lowerAscii(text[i]) != 'e'; ++i) {
        if (isDecimalDigit(text[i]) && text[i] != '0')
            allZero = false;
    }
    return true;
}

bool equalsWord(std::string_view text, std::string_view word)
{
    return text.size() == word.size() && startsWithWord(text, 0, word);
}

}  // namespace

const char* readFailureText(ReadFailure failure)
{
    switch (failure) {
    case ReadFailure::none:
        return "";
    case ReadFailure::invalidFloat:
        return "invalid stof argument";
    case ReadFailure::floatOutOfRange:
        return "stof argument out of range";
    case ReadFailure::invalidInteger:
        return "invalid stoi argument";
    case ReadFailure::integerOutOfRange:
        return "stoi argument out of range";
    }
    return "";
}

std::string_view withoutNote(std::string_view text)
{
    std::size_t end = std::min(text.find(';'), text.find('#'));
    if (end == std::string_view::npos)
        return text;
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    return text.substr(0, end);
}

SwitchWord switchWordOf(std::string_view text)
{
    bool allZero = false;
    if (isWholeDecimalNumber(text, allZero))
        return allZero ? SwitchWord::off : SwitchWord::on;
    for (std::string_view word : {"off", "no", "false"}) {
        if (equalsWord(text, word))
            return SwitchWord::off;
    }
    for (std::string_view word : {"on", "yes", "true"}) {
        if (equalsWord(text, word))
            return SwitchWord::on;
    }
    return SwitchWord::unknown;
}

bool convertFlag(std::string_view text)
{
    return switchWordOf(text) != SwitchWord::off;
}

std::size_t decimalCommaAt(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    if (at + 1 < text.size() && text[at] == '0' && lowerAscii(text[at + 1]) == 'x')
        return std::string_view::npos;  // a hexadecimal number keeps its commas
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '.')
            return std::string_view::npos;
        if (text[i] == ',' && i > 0 && i + 1 < text.size() && isDecimalDigit(text[i - 1]) &&
            isDecimalDigit(text[i + 1]))
            return i;
    }
    return std::string_view::npos;
}

// ---------------------------------------------------------------------------
// [SECTION] The conversions

namespace {

// The float reading of a text whose decimal comma, if any, is already a point.
FloatReading readFloat(std::string_view text)
{
    FloatSubject subject = findFloatSubject(text);
    switch (subject.form) {
    case FloatForm::none:
    case FloatForm::notANumber:  // NaN would slip past every speed clamp
        return {.failure = ReadFailure::invalidFloat};
    case FloatForm::infinity:
        // An infinite speed would reach the game wherever no clamp stands.
        return {.failure = ReadFailure::floatOutOfRange};
    case FloatForm::decimal:
    case FloatForm::hexadecimal:
        break;
    }

    float magnitude = 0.0f;
    auto format = subject.form == FloatForm::hexadecimal ? std::chars_format::hex : std::chars_format::general;
    const char* first = subject.body.data();
    const char* last = first + subject.body.size();
    std::from_chars_result result = std::from_chars(first, last, magnitude, format);
    // Out of range here is an overflow to infinity or an underflow to zero of
    // a number that is not zero: both range errors.
    if (result.ec == std::errc::result_out_of_range)
        return {.failure = ReadFailure::floatOutOfRange};
    if (result.ec != std::errc() || result.ptr != last)
        return {.failure = ReadFailure::invalidFloat};  // cannot happen: the extent was checked
    if (magnitude <= std::numeric_limits<float>::min() && lostPrecisionInTinyRange(subject, magnitude))
        return {.failure = ReadFailure::floatOutOfRange};
    return {subject.negative ? -magnitude : magnitude, ReadFailure::none};
}

}  // namespace

FloatReading convertDecimalFloat(std::string_view text)
{
    const std::size_t comma = decimalCommaAt(text);
    if (comma == std::string_view::npos)
        return readFloat(text);
    std::string withPoint(text);
    withPoint[comma] = '.';
    return readFloat(withPoint);
}

IntegerReading convertDecimalInteger(std::string_view text)
{
    // Read by hand: the same on every platform whatever the width of long,
    // and untouched by the locale.
    std::size_t at = 0;
    while (at < text.size() && isCSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at >= text.size() || !isDecimalDigit(text[at]))
        return {.failure = ReadFailure::invalidInteger};
    // The magnitude saturates just past the 32-bit range; the digits that
    // follow cannot bring it back.
    constexpr int64_t beyond = int64_t{std::numeric_limits<int32_t>::max()} + 2;
    int64_t magnitude = 0;
    for (; at < text.size() && isDecimalDigit(text[at]); ++at) {
        if (magnitude < beyond)
            magnitude = magnitude * 10 + (text[at] - '0');
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return {.failure = ReadFailure::integerOutOfRange};
    return {static_cast<int32_t>(value), ReadFailure::none};
}

int32_t convertHexInteger(std::string_view text)
{
    std::istringstream stream{std::string(text)};
    // The classic locale, so no grouping or other national form of a number
    // is accepted whatever global locale the host process has installed.
    stream.imbue(std::locale::classic());
    // The stream stores 0 when no digit comes and the nearest limit when the
    // number does not fit; its error state says nothing more we need.
    int value = 0;
    stream >> std::hex >> value;
    return static_cast<int32_t>(value);
}

int32_t convertKeyCode(std::string_view text)
{
    if (const std::optional<int32_t> named = keyCodeOfName(text))
        return *named;
    return convertHexInteger(text);
}
