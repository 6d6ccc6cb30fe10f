#pragma once
// The few process services the simulator needs that differ by platform.
// Implementations: process_posix.cpp, process_windows.cpp.

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim::platform {

// Copies the NUL-terminated string at `address` into `text` without ever
// faulting: false when some byte before the terminator is not readable, or
// no terminator comes within `maxLength` bytes.
bool readTextAt(uint64_t address, std::string& text, size_t maxLength = 4096);

// Puts stdout in binary mode (Windows: no CR added to LF); POSIX: nothing.
void setBinaryStdout();

// The folder of the running executable, without a trailing separator.
std::string executableDirectory();

}  // namespace sim::platform
