#include "session/working_folder.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "trace/format.h"

namespace sim {

namespace {

// How many random names to try before giving up on a working folder.
constexpr int folderAttempts = 100;

}  // namespace

bool WorkingFolder::enter(std::string& error)
{
    std::error_code ec;
    previous_ = std::filesystem::current_path(ec);
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) {
        error = "no temporary folder: " + ec.message();
        return false;
    }
    std::random_device random;
    for (int attempt = 0; attempt < folderAttempts; ++attempt) {
        const std::filesystem::path candidate =
            base / ("ambleworks-sim-" + hex32(static_cast<uint32_t>(random())).substr(2));
        if (!std::filesystem::create_directory(candidate, ec))
            continue;
        folder_ = candidate;
        std::filesystem::current_path(folder_, ec);
        if (ec) {
            error = "cannot enter " + folder_.string() + ": " + ec.message();
            return false;
        }
        return true;
    }
    error = "cannot make a working folder under " + base.string();
    return false;
}

WorkingFolder::~WorkingFolder()
{
    std::error_code ec;
    if (!previous_.empty())
        std::filesystem::current_path(previous_, ec);
    if (!folder_.empty())
        std::filesystem::remove_all(folder_, ec);
}

bool readWholeFile(const std::string& path, std::string& content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    content = out.str();
    return true;
}

void applyIni(const IniContent& content, HostRuntime& runtime)
{
    std::error_code ec;
    if (content.kind == IniContent::Kind::none) {
        const bool existed = std::filesystem::remove(iniFileName, ec);
        runtime.note(existed ? "Ambleworks.ini removed" : "no Ambleworks.ini");
        return;
    }
    std::string bytes = content.text;
    if (content.kind == IniContent::Kind::file && !readWholeFile(content.text, bytes)) {
        runtime.note("cannot read the INI file to copy; no Ambleworks.ini");
        std::filesystem::remove(iniFileName, ec);
        return;
    }
    std::ofstream out(iniFileName, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    const auto lines = std::count(bytes.begin(), bytes.end(), '\n');
    runtime.note("Ambleworks.ini written (" + decimal(lines) + " lines, " +
                 decimal(static_cast<int64_t>(bytes.size())) + " bytes)");
}

}  // namespace sim
