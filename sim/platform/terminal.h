#pragma once
// The few things the report commands need from the system: whether stderr is
// a terminal (progress is shown only there, so files and pipes stay exact)
// and turning an SVG chart into a PNG with an installed converter.
// Implementations: terminal_posix.cpp, terminal_windows.cpp.

#include <string>

namespace sim::platform {

// True when standard error is an interactive terminal.
bool stderrIsTerminal();

enum class PngResult {
    written,      // the PNG is there
    noConverter,  // no converter installed (or none used on this platform)
    failed,       // the converter ran and failed
};

// Renders the SVG file at svgPath into pngPath with rsvg-convert, when it
// is found on PATH. `message` says what happened, for the user.
PngResult convertSvgToPng(const std::string& svgPath, const std::string& pngPath, std::string& message);

}  // namespace sim::platform
