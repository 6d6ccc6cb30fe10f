#pragma once
// Text from a file a user gave, made safe to print: whatever the file holds,
// what reaches a terminal or a report is printable ASCII and cannot drive
// the terminal.

#include <string>
#include <string_view>

namespace sim::text {

// Bytes 0x20 to 0x7E as they are, every other byte as \xNN (upper-case hex).
std::string printable(std::string_view bytes);

// printable(bytes), written at the end of `out`.
void appendPrintable(std::string& out, std::string_view bytes);

}  // namespace sim::text
