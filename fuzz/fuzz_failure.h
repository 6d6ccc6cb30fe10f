#pragma once
// How a fuzz target reports a broken promise: one line on stderr naming the
// target, what broke and, escaped and cut at 200 bytes, the text it broke on;
// then abort, which libFuzzer counts as a crash, saving the input.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void failWith(const char* target, const char* what, std::string_view detail = {})
{
    std::fprintf(stderr, "%s: %s", target, what);
    if (!detail.empty()) {
        std::fprintf(stderr, ": \"");
        for (unsigned char c : detail.substr(0, 200))
            std::fprintf(stderr, c >= 0x20 && c < 0x7F && c != '"' && c != '\\' ? "%c" : "\\x%02x", c);
        std::fprintf(stderr, "\"");
    }
    std::fputc('\n', stderr);
    std::abort();
}

}  // namespace fuzz
