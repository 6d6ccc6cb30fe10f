#pragma once
// A private directory for the Ambleworks.ini a fuzz target writes, entered
// only while an input runs. The plug-in reads the file from the current
// directory, so the target must not run in the caller's (the source tree has
// a real Ambleworks.ini at its top); and libFuzzer reads its corpus folders
// and input files, and writes what it finds, relative to the caller's
// directory, so the target must not stay in its own either.

namespace fuzz {

// From LLVMFuzzerInitialize: makes the directory (under TMPDIR, else /tmp),
// arranges its removal at exit, makes a relative -artifact_prefix or
// -exact_artifact_path absolute and, when neither is given, adds
// -artifact_prefix=<caller's directory>/, so that a crashing input lands
// where the caller looks, not in the private directory the crash happened
// in. Ends the process when no directory can be made.
void setUpWorkDirectory(const char* targetName, int* argc, char*** argv);

// While one exists, the current directory is the private one.
class InsideWorkDirectory {
public:
    InsideWorkDirectory();
    ~InsideWorkDirectory();
    InsideWorkDirectory(const InsideWorkDirectory&) = delete;
    InsideWorkDirectory& operator=(const InsideWorkDirectory&) = delete;
};

}  // namespace fuzz
