#pragma once
// How the value text of one line of Ambleworks.ini becomes a setting, read as
// the player means it. They give the same answer on every platform and in
// every locale the game may have set, and none of them throws: a text that
// cannot be read comes back with the reason why.

#include <cstddef>
#include <cstdint>
#include <string_view>

// Why a value text gives no number. The texts (readFailureText) are the words
// the INI doctor reports, exactly.
enum class ReadFailure {
    none,
    invalidFloat,       // "invalid stof argument": no number, or NaN
    floatOutOfRange,    // "stof argument out of range": an infinity, too large, or too tiny to keep
    invalidInteger,     // "invalid stoi argument": no whole number
    integerOutOfRange,  // "stoi argument out of range": beyond 32 bits
};

const char* readFailureText(ReadFailure failure);

struct FloatReading {
    float value = 0.0f;
    ReadFailure failure = ReadFailure::none;
};

struct IntegerReading {
    int32_t value = 0;
    ReadFailure failure = ReadFailure::none;
};

// The value without a note after it: the text from the first ';' or '#' on
// is dropped, with the blanks before it. "1 ; on" is "1"; "; note" is "".
std::string_view withoutNote(std::string_view text);

// What a switch's text says. Off: "0", "off", "no", "false" in any letter
// case, or a whole decimal number with only zeros for digits ("00", "0.0",
// "-0", "0e5"). On: "1", "on", "yes", "true", or any other whole decimal
// number. Any other text is a word the plug-in does not know, and reads as on.
enum class SwitchWord { off, on, unknown };
SwitchWord switchWordOf(std::string_view text);

// A switch: false exactly when switchWordOf says off. (An empty text never
// gets here: a missing or empty line gives the setting its default.)
bool convertFlag(std::string_view text);

// Where the decimal comma of a decimal-float text stands: the first comma with
// a digit on each side and no '.' before it, in a text that is not
// hexadecimal ("0x" after an optional sign). npos when there is none.
std::size_t decimalCommaAt(std::string_view text);

// The leading number of the text as a float, read as the C library's strtof
// reads it in the "C" locale (decimal or 0x hexadecimal, rest ignored), with
// the decimal comma read as the point ("1,5" is 1.5). No number, or NaN:
// invalidFloat. An infinity, a number too large for a float, or one so small
// that it loses precision (1e-40; an exact tiny value such as 0x1p-130 reads):
// floatOutOfRange.
FloatReading convertDecimalFloat(std::string_view text);

// The leading base-10 integer of the text (as strtol reads it), rest ignored:
// invalidInteger when there is none, integerOutOfRange beyond 32 bits.
IntegerReading convertDecimalInteger(std::string_view text);

// The leading hexadecimal integer of the text, with optional sign and 0x
// prefix, as a string stream set to hex reads it: 0 when no digit comes, the
// nearest 32-bit limit when it does not fit.
int32_t convertHexInteger(std::string_view text);

// A key: the code of the key the text names ("Alt", "F11", "Numpad 1"; see
// key_names.h), or else the text read as a hexadecimal code ("12", "0xA0").
int32_t convertKeyCode(std::string_view text);
