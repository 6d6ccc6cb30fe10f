#pragma once
// The four ways a value text from Ambleworks.ini becomes a setting. They give
// the same answer on every platform and in every locale the game may have set.

#include <cstdint>
#include <string>

// False exactly for the text "0"; true for anything else, the empty text too.
bool convertFlag(const std::string& text);

// The leading number of the text as a float, read as the C library's strtof
// reads it in the "C" locale (decimal or 0x hexadecimal, rest ignored).
// Throws std::invalid_argument("invalid stof argument") when the text starts
// with no number or with NaN, and std::out_of_range("stof argument out of
// range") for an infinity, a number too large for a float, or one so small
// that it loses precision (1e-40; an exact tiny value such as 0x1p-130 loads).
float convertDecimalFloat(const std::string& text);

// The leading base-10 integer of the text (as strtol reads it) as a 32-bit
// int, rest ignored. Throws std::invalid_argument("invalid stoi argument")
// when there is none, std::out_of_range("stoi argument out of range") when it
// does not fit in 32 bits.
int32_t convertDecimalInteger(const std::string& text);

// The leading hexadecimal integer of the text, with optional sign and 0x
// prefix, as a string stream set to hex reads it: 0 when no digit comes, the
// nearest 32-bit limit when it does not fit. Never fails.
int32_t convertHexInteger(const std::string& text);
