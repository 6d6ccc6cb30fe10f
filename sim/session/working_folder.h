#pragma once
// Where a session runs: a fresh temporary folder made the current directory
// (the plug-in reads Ambleworks.ini from there) and removed afterwards, and
// the Ambleworks.ini the scenario puts in it.

#include <filesystem>
#include <string>

#include "host/host_runtime.h"
#include "scenario/scenario.h"

namespace sim {

class WorkingFolder {
public:
    WorkingFolder() = default;
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    // Makes the folder and enters it; false with the reason when it cannot.
    bool enter(std::string& error);

private:
    std::filesystem::path previous_;
    std::filesystem::path folder_;
};

// The name the plug-in reads, in the current folder.
inline constexpr const char* iniFileName = "Ambleworks.ini";

// Reads a whole file; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& content);

// Writes (or removes) Ambleworks.ini in the current folder, and notes it in
// the trace.
void applyIni(const IniContent& content, HostRuntime& runtime);

}  // namespace sim
