#pragma once
// The scenario language at the level of words: a line split into words with
// the column each starts at (for messages that point at the word), comments,
// numbers, yes/no and tick spans. The parser builds statements from these.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scenario/scenario.h"

namespace sim {

// One word of a line and the column (from 1) where it starts.
struct Word {
    std::string text;
    int column = 0;
};
using Words = std::vector<Word>;

// What is wrong with a statement, and where: the column of the word at
// fault, or 0 when the whole line is.
struct ParseError {
    int column = 0;
    std::string message;
};

// Removes blanks at both ends.
std::string trim(const std::string& text);

// Lower-cases ASCII letters.
std::string lowerCase(std::string text);

// The line without a # comment that is not inside double quotes.
std::string stripComment(const std::string& line);

// Splits at blanks; a double-quoted word keeps its blanks (quotes kept).
// Columns count from 1 at the start of `line`.
Words splitWords(const std::string& line);

// The text of `line` from the start of word `index` to its end, trimmed; ""
// when there is no such word.
std::string textFrom(const std::string& line, const Words& words, size_t index);

// Numbers as scenarios write them: unsigned in decimal or 0x hex, signed
// decimal, floats (a leading + allowed).
bool parseUnsigned(const std::string& text, uint64_t& value);
bool parseInt(const std::string& text, int64_t& value);
bool parseFloat(const std::string& text, float& value);

// yes/on/true/1 and no/off/false/0, in any letter case.
bool parseYesNo(const std::string& text, bool& value);

// A C identifier (letters, digits, _; not starting with a digit).
bool isIdentifier(const std::string& text);

// "N", "N..M", and with `allowSpecial` also "load" and "end".
bool parseTickSpan(const std::string& text, bool allowSpecial, TickSpan& span, std::string& error);

}  // namespace sim
