// The `doctor` subcommand of ambleworks-sim: one file, one report on stdout.

#include <cstdio>

#include "doctor/doctor.h"

namespace sim::doctor {

int doctorCommand(const std::string& path, bool json)
{
    const Diagnosis diagnosis = diagnose(path);
    const std::string report = json ? formatJson(diagnosis) : formatText(diagnosis);
    const bool written = std::fwrite(report.data(), 1, report.size(), stdout) == report.size();
    if (std::fflush(stdout) != 0 || !written) {
        std::fputs("ambleworks-sim doctor: cannot write the report to standard output\n", stderr);
        return 2;
    }
    return diagnosis.exitStatus();
}

}  // namespace sim::doctor
