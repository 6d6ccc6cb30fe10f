#pragma once
// What the C++ library of Debian's Emscripten (libc++ 13) lacks of C++20 and
// the sources use: std::bit_cast, and std::from_chars and std::to_chars for
// float and double.
// The settings page's build includes this header in every source (the `web`
// preset's -include); elsewhere it is never included.
//
// from_chars reads as
// libstdc++'s from_chars does: no sign, no blanks, no "0x" (the hex format
// reads the digits after it), the longest number at the start of the range,
// correctly rounded (by the C library's strtod/strtof, in the "C" locale
// Emscripten always has), and result_out_of_range, with the value left
// alone, for an overflow to infinity or a number that is not zero rounding to
// zero.

#include <bit>
#include <charconv>

#if defined(__EMSCRIPTEN__) && defined(_LIBCPP_VERSION) && !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept
{
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

#if defined(__EMSCRIPTEN__) && defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 200000
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace std {

namespace wasm_charconv {

// The length of the longest number at the start of [first, last) in the
// format, or 0 when there is none; `nonZero` says whether a digit is not 0.
inline size_t numberLength(const char* first, const char* last, bool hex, bool& nonZero)
{
    const auto isDigit = [hex](char c) {
        return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    };
    const char* at = first;
    size_t digits = 0;
    nonZero = false;
    for (; at < last && isDigit(*at); ++at, ++digits)
        nonZero = nonZero || *at != '0';
    if (at < last && *at == '.') {
        ++at;
        for (; at < last && isDigit(*at); ++at, ++digits)
            nonZero = nonZero || *at != '0';
    }
    if (digits == 0)
        return 0;
    const char marker = hex ? 'p' : 'e';
    if (at < last && (*at == marker || *at == marker - 32)) {
        const char* exponent = at + 1;
        if (exponent < last && (*exponent == '+' || *exponent == '-'))
            ++exponent;
        if (exponent < last && *exponent >= '0' && *exponent <= '9') {
            at = exponent;
            while (at < last && *at >= '0' && *at <= '9')
                ++at;
        }
    }
    return static_cast<size_t>(at - first);
}

template <typename Real>
from_chars_result read(const char* first, const char* last, Real& value, chars_format format)
{
    const bool hex = format == chars_format::hex;
    bool nonZero = false;
    const size_t length = numberLength(first, last, hex, nonZero);
    if (length == 0)
        return {first, errc::invalid_argument};
    const std::string text = (hex ? "0x" : "") + std::string(first, length);
    Real read = 0;
    if constexpr (sizeof(Real) == sizeof(float))
        read = std::strtof(text.c_str(), nullptr);
    else
        read = std::strtod(text.c_str(), nullptr);
    if (std::isinf(read) || (read == 0 && nonZero))
        return {first + length, errc::result_out_of_range};
    value = read;
    return {first + length, errc()};
}

// Copies `text` into [first, last), as to_chars hands out its result.
inline to_chars_result give(char* first, char* last, const std::string& text)
{
    if (static_cast<size_t>(last - first) < text.size())
        return {last, errc::value_too_large};
    std::memcpy(first, text.data(), text.size());
    return {first + text.size(), errc()};
}

template <typename Real>
bool readsBack(const std::string& text, Real value)
{
    if constexpr (sizeof(Real) == sizeof(float))
        return std::strtof(text.c_str(), nullptr) == value;
    else
        return std::strtod(text.c_str(), nullptr) == value;
}

inline std::string printed(const char* format, int precision, double value)
{
    char buffer[1200];
    std::snprintf(buffer, sizeof buffer, format, precision, value);
    return buffer;
}

// The shortest text that reads back as `value`, as the standard defines it:
// printf's %f or %e, each at the smallest precision that reads back, the
// shorter of the two, %f on a tie.
template <typename Real>
std::string shortest(Real value)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    constexpr int digits = sizeof(Real) == sizeof(float) ? 9 : 17;
    std::string scientific;
    for (int precision = 0; precision < digits; ++precision) {
        scientific = printed("%.*e", precision, value);
        if (readsBack(scientific, value))
            break;
    }
    for (int precision = 0;; ++precision) {
        const std::string fixed = printed("%.*f", precision, value);
        if (fixed.size() > scientific.size())
            return scientific;
        if (readsBack(fixed, value))
            return fixed;
    }
}

}  // namespace wasm_charconv

inline to_chars_result to_chars(char* first, char* last, float value)
{
    return wasm_charconv::give(first, last, wasm_charconv::shortest(value));
}

inline to_chars_result to_chars(char* first, char* last, double value)
{
    return wasm_charconv::give(first, last, wasm_charconv::shortest(value));
}

inline to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision)
{
    const char* pattern = format == chars_format::fixed ? "%.*f" : format == chars_format::scientific ? "%.*e" : "%.*g";
    return wasm_charconv::give(first, last, wasm_charconv::printed(pattern, precision, value));
}

inline to_chars_result to_chars(char* first, char* last, float value, chars_format format, int precision)
{
    return to_chars(first, last, static_cast<double>(value), format, precision);
}

inline from_chars_result from_chars(const char* first, const char* last, float& value,
                                    chars_format format = chars_format::general)
{
    return wasm_charconv::read(first, last, value, format);
}

inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format format = chars_format::general)
{
    return wasm_charconv::read(first, last, value, format);
}

}  // namespace std

#endif
