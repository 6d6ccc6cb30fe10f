#include "work_directory.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

namespace fuzz {

namespace {

std::string workDirectory;
int callerDirectoryFd = -1;
int workDirectoryFd = -1;

[[noreturn]] void failHere(const char* what)
{
    std::perror(what);
    std::abort();
}

constexpr std::string_view artifactFlags[] = {"-artifact_prefix=", "-exact_artifact_path="};

// The flags that say where crashing inputs go, made absolute, and a prefix of
// the caller's directory when none is given: a crash happens while an input
// runs, inside the private directory. The new argv and its texts live as
// long as the process.
void anchorArtifactPlace(const std::string& callerDirectory, int* argc, char*** argv)
{
    static std::string texts[8];
    size_t used = 0;
    bool given = false;
    for (int i = 1; i < *argc; ++i) {
        const std::string_view argument = (*argv)[i];
        for (std::string_view flag : artifactFlags) {
            if (!argument.starts_with(flag))
                continue;
            given = true;
            const std::string_view path = argument.substr(flag.size());
            if (path.starts_with('/') || used == std::size(texts))
                continue;
            texts[used] = std::string(flag) + callerDirectory + "/" + std::string(path);
            (*argv)[i] = texts[used++].data();
        }
    }
    if (given)
        return;
    static std::string prefix;
    prefix = std::string(artifactFlags[0]) + callerDirectory + "/";
    char** extended = new char*[static_cast<size_t>(*argc) + 2];
    extended[0] = (*argv)[0];
    extended[1] = prefix.data();
    for (int i = 1; i < *argc; ++i)
        extended[i + 1] = (*argv)[i];
    extended[*argc + 1] = nullptr;
    *argc += 1;
    *argv = extended;
}

void removeWorkDirectory()
{
    if (workDirectoryFd >= 0)
        unlinkat(workDirectoryFd, "Ambleworks.ini", 0);
    rmdir(workDirectory.c_str());
}

}  // namespace

void setUpWorkDirectory(const char* targetName, int* argc, char*** argv)
{
    char* caller = getcwd(nullptr, 0);
    if (caller == nullptr)
        failHere("fuzz: cannot read the current directory");
    const std::string callerDirectory = caller;
    std::free(caller);

    const char* tmp = std::getenv("TMPDIR");
    workDirectory = std::string(tmp && *tmp ? tmp : "/tmp") + "/ambleworks-" + targetName + "-XXXXXX";
    if (mkdtemp(workDirectory.data()) == nullptr)
        failHere("fuzz: cannot make a working directory");
    callerDirectoryFd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    workDirectoryFd = open(workDirectory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (callerDirectoryFd < 0 || workDirectoryFd < 0)
        failHere("fuzz: cannot open the working directories");
    std::atexit(removeWorkDirectory);
    if (argc != nullptr && argv != nullptr && *argv != nullptr)
        anchorArtifactPlace(callerDirectory, argc, argv);
}

InsideWorkDirectory::InsideWorkDirectory()
{
    if (fchdir(workDirectoryFd) != 0)
        failHere("fuzz: cannot enter the working directory");
}

InsideWorkDirectory::~InsideWorkDirectory()
{
    if (fchdir(callerDirectoryFd) != 0)
        failHere("fuzz: cannot go back to the caller's directory");
}

}  // namespace fuzz
