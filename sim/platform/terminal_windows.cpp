#include "platform/terminal.h"

#include <io.h>

#include <cstdio>

namespace sim::platform {

bool stderrIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

PngResult convertSvgToPng(const std::string& /*svgPath*/, const std::string& /*pngPath*/, std::string& message)
{
    // Browsers and image viewers open the SVG itself on Windows.
    message = "no PNG on Windows: open the SVG in a browser";
    return PngResult::noConverter;
}

}  // namespace sim::platform
