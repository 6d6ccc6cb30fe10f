#include "commands/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>

namespace sim::commands {

void writeOut(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void writeErr(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

bool stdoutWritten(std::string& reason)
{
    std::cout.flush();
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && !std::ferror(stdout) && std::cout.good())
        return true;
    reason = errno != 0 ? std::strerror(errno) : "the output stream failed";
    return false;
}

bool writeFile(const std::string& path, const std::string& text, std::string& reason)
{
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) {
        reason = "the folder " + parent.string() + " does not exist";
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        reason = "it cannot be written there";
        return false;
    }
    return true;
}

bool readFile(const std::string& path, std::string& bytes, std::string& reason)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = "it cannot be opened";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        reason = "it cannot be read";
        return false;
    }
    return true;
}

namespace {

// The file a path names, through any links; the path itself when that
// cannot be found out.
std::filesystem::path linkTarget(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec))
        return path;
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
    return ec ? std::filesystem::path(path) : target;
}

bool markedReadOnly(const std::filesystem::path& file)
{
    using std::filesystem::perms;
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(file, ec);
    return !ec && std::filesystem::exists(status) &&
           (status.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) == perms::none;
}

// A name for a temporary file beside `file` that no file has.
std::filesystem::path temporaryBeside(const std::filesystem::path& file)
{
    std::random_device random;
    std::error_code ec;
    for (;;) {
        std::filesystem::path candidate = file;
        candidate += ".";
        candidate += std::to_string(random() % 1000000);
        candidate += ".tmp";
        if (!std::filesystem::exists(candidate, ec))
            return candidate;
    }
}

std::string errnoWords()
{
    return errno != 0 ? std::string(": ") + std::strerror(errno) : "";
}

}  // namespace

bool replaceFile(const std::string& path, const std::string& text, std::string& reason)
{
    const std::filesystem::path target = linkTarget(path);
    std::error_code ec;
    const std::filesystem::path parent = target.parent_path();
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) {
        reason = "the folder " + parent.string() + " does not exist";
        return false;
    }
    if (markedReadOnly(target)) {
        reason = "the file is marked read-only";
        return false;
    }
    const std::filesystem::path temporary = temporaryBeside(target);
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        reason = "no file can be written in its folder" + errnoWords();
        std::filesystem::remove(temporary, ec);
        return false;
    }
    if (std::filesystem::exists(target, ec))
        std::filesystem::permissions(temporary, std::filesystem::status(target, ec).permissions(), ec);
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        reason = "it cannot be replaced: " + ec.message();
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace sim::commands
