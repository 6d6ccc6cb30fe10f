#pragma once
// What a file's raw bytes show before the plug-in's reader drops any of them
// (file_bytes.cpp): a UTF-16 file, CR-only line ends, bytes that are no text.
// The doctor reports them; the INI editor (sim/ini_edit/) refuses to write
// into such a file.

#include <string>

namespace sim::doctor {

struct FileFacts {
    bool utf16 = false;        // starts with a UTF-16 byte-order mark
    bool crOnly = false;       // CR bytes but no LF: one single line
    bool settingsText = true;  // text, not a program or other binary file
    bool programFile = false;  // starts like a Windows or Linux program (.asi, .exe, .so)
};

// The facts of a file's bytes; what is text is sim/text/text_bytes.h's rule.
FileFacts inspectBytes(const std::string& bytes);

}  // namespace sim::doctor
