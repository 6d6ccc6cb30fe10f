#pragma once
// What a file's raw bytes show before the plug-in's reader drops any of them
// (file_bytes.cpp): a UTF-16 file, CR-only line ends, bytes that are no text.
// The doctor reports them; the INI editor (sim/ini_edit/) refuses to write
// into such a file.

#include <cstddef>
#include <string>
#include <string_view>

namespace sim::doctor {

struct FileFacts {
    bool utf16 = false;        // starts with a UTF-16 byte-order mark
    bool crOnly = false;       // CR bytes but no LF: one single line
    bool settingsText = true;  // text, not a program or other binary file
    bool programFile = false;  // starts like a Windows or Linux program (.asi, .exe, .so)
};

FileFacts inspectBytes(const std::string& bytes);

// The length of the well-formed UTF-8 sequence at `at`, 1 for an ASCII byte,
// 0 when the byte starts none.
std::size_t wellFormedUtf8Length(std::string_view bytes, std::size_t at);

}  // namespace sim::doctor
