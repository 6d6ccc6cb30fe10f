// The terminal in WebAssembly: there is none, and no PNG converter.

#include "platform/terminal.h"

namespace sim::platform {

bool stderrIsTerminal()
{
    return false;
}

PngResult convertSvgToPng(const std::string& /*svgPath*/, const std::string& /*pngPath*/, std::string& message)
{
    message = "no PNG in the browser";
    return PngResult::noConverter;
}

}  // namespace sim::platform
