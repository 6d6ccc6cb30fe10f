#include "platform/terminal.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace sim::platform {

namespace {

// The full path of an executable found on PATH, or "".
std::string findOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return "";
    std::string folders(path);
    size_t at = 0;
    while (at <= folders.size()) {
        size_t end = folders.find(':', at);
        if (end == std::string::npos)
            end = folders.size();
        std::string candidate = end > at ? folders.substr(at, end - at) : ".";
        candidate.append("/").append(program);
        struct stat info { };
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = end + 1;
    }
    return "";
}

}  // namespace

bool stderrIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

PngResult convertSvgToPng(const std::string& svgPath, const std::string& pngPath, std::string& message)
{
    const std::string converter = findOnPath("rsvg-convert");
    if (converter.empty()) {
        message = "no PNG: rsvg-convert is not installed (Debian: apt-get install librsvg2-bin)";
        return PngResult::noConverter;
    }
    // No shell in between: the paths go to the converter as they are.
    std::vector<std::string> args = {converter, "--format=png", "--output=" + pngPath, svgPath};
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, converter.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        message = "no PNG: cannot start " + converter;
        return PngResult::failed;
    }
    int status = 0;
    pid_t waited = 0;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        message = "no PNG: " + converter + " failed on " + svgPath;
        return PngResult::failed;
    }
    message = pngPath;
    return PngResult::written;
}

}  // namespace sim::platform
