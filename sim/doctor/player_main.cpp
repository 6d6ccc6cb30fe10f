// AmbleworksDoctor.exe: the INI doctor for players, shipped in the release
// zip beside Ambleworks.asi. Double-clicked, it checks Ambleworks.ini in its
// own folder (the game folder) and waits for Enter so the window stays open;
// an INI dragged onto it arrives as its argument and is checked instead. From
// a command prompt it takes the same arguments as `ambleworks-sim doctor`
// (PATH..., --json) and does not wait. The exit status is the doctor's: 0
// every line reads as written, 1 a line cannot be read (or the file is no
// settings file), 2 the file cannot be read.

#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "doctor/doctor.h"

namespace {

std::string narrowed(const std::wstring& text, UINT codePage, bool* lossy)
{
    BOOL usedDefault = FALSE;
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* defaultFlag = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(codePage, flags, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, defaultFlag);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, flags, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                            defaultFlag);
    if (lossy)
        *lossy = usedDefault != FALSE;
    return out;
}

// The path as the plug-in's reader opens it (in the ANSI code page); a name
// that code page cannot spell is tried by its short 8.3 form.
std::string readerPath(const std::wstring& path)
{
    bool lossy = false;
    std::string ansi = narrowed(path, CP_ACP, &lossy);
    if (!lossy)
        return ansi;
    std::wstring shortPath(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return ansi;
    shortPath.resize(length);
    return narrowed(shortPath, CP_ACP, nullptr);
}

// Ambleworks.ini beside this program.
std::wstring iniBesideProgram()
{
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    const std::size_t slash = path.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + L"Ambleworks.ini";
}

// Started by a double-click (or a drag onto the program): Explorer gives it a
// console window of its own, which closes when it ends. From a command prompt
// the prompt shares the console.
bool ownsItsConsoleAlone()
{
    DWORD processes[2] = {0, 0};
    return GetConsoleProcessList(processes, 2) == 1;
}

void write(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

constexpr const char* usage =
    "AmbleworksDoctor checks an Ambleworks.ini the way Ambleworks reads it and says what the mod will make of it.\n"
    "\n"
    "  AmbleworksDoctor.exe              checks Ambleworks.ini in the folder of AmbleworksDoctor.exe\n"
    "  AmbleworksDoctor.exe FILE...      checks each FILE (you can also drag a file onto the program)\n"
    "  AmbleworksDoctor.exe --json ...   prints one JSON object per file for tools\n"
    "\n"
    "Exit status: 0 every line reads as written, 1 a line cannot be read (that setting takes its default)\n"
    "or the file is no settings file, 2 the file cannot be read.\n";

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    bool json = false;
    std::vector<std::wstring> paths;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--json") {
            json = true;
        } else if (argument == L"--help" || argument == L"-h" || argument == L"/?") {
            write(usage);
            return 0;
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.empty())
        paths.push_back(iniBesideProgram());

    int status = 0;
    for (const std::wstring& path : paths) {
        sim::doctor::Diagnosis diagnosis = sim::doctor::diagnose(readerPath(path));
        diagnosis.path = narrowed(path, CP_UTF8, nullptr);
        write(json ? sim::doctor::formatJson(diagnosis) : sim::doctor::formatText(diagnosis));
        status = std::max(status, diagnosis.exitStatus());
        if (paths.size() > 1 && !json)
            write("\n");
    }
    if (ownsItsConsoleAlone()) {
        write("\nPress Enter to close this window.\n");
        std::fflush(stdout);
        std::getchar();
    }
    return status;
}
