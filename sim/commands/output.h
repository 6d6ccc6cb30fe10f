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

}  // namespace sim::commands
