#pragma once
// Writing what the commands print, and files: stdout and stderr written at
// once, the state of stdout checked at the end (a full disk or a closed pipe
// is an error, not a silent success), and files written only into folders
// that exist.

#include <string>

namespace sim::commands {

void writeOut(const std::string& text);
void writeErr(const std::string& text);

// True when everything written to stdout reached it; otherwise false with
// the reason ("No space left on device").
bool stdoutWritten(std::string& reason);

// Writes a whole file (binary, LF stays LF). The folder must exist: none is
// made. False with the reason when it cannot be written.
bool writeFile(const std::string& path, const std::string& text, std::string& reason);

// Reads a whole file (binary). False with the reason when it cannot be read.
bool readFile(const std::string& path, std::string& bytes, std::string& reason);

// Puts `text` in the place of the file at `path` (or creates it) so that a
// failure at any point leaves the old file whole: the text goes into a
// temporary file in the same folder, which then takes the file's name, with
// the old file's permissions. A link is followed: the file it points to is
// replaced, the link stays. A file marked read-only is left alone. The
// folder must exist: none is made. False with the reason.
bool replaceFile(const std::string& path, const std::string& text, std::string& reason);

}  // namespace sim::commands
