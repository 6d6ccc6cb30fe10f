#pragma once
// Whether a file's bytes are text at all, before anything reads them as
// lines: the rule the INI doctor and the scenario parser share.
//
// A file is no text when it starts like a program (the "MZ" of a Windows
// .exe, .dll or .asi, the "\x7FELF" of a Linux one), or when at least one
// byte in four is a NUL, another control byte than TAB, LF, VT, FF and CR,
// or a byte outside well-formed UTF-8. Real text files, also ones saved in a
// Windows code page with a few accented letters, stay far below that; random
// or program bytes are far above it. A file with a UTF-16 byte-order mark is
// text whatever its zero bytes, and an empty file is text.

#include <cstddef>
#include <string_view>

namespace sim::text {

// Starts like a Windows or Linux program (.asi, .exe, .dll, .so).
bool startsLikeProgram(std::string_view bytes);

// Starts with a UTF-16 byte-order mark, either byte order.
bool startsWithUtf16Mark(std::string_view bytes);

// Text by the rule above.
bool isText(std::string_view bytes);

// The length of the well-formed UTF-8 sequence at `at`, 1 for an ASCII byte,
// 0 when the byte starts none.
std::size_t wellFormedUtf8Length(std::string_view bytes, std::size_t at);

}  // namespace sim::text
