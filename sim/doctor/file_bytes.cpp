// What the file's raw bytes show before the reader drops any of them: a
// UTF-16 file, CR-only line ends, and bytes that are no text at all (the
// rule of sim/text/text_bytes.h, which the scenario parser applies too).

#include "doctor/file_bytes.h"

#include "doctor/doctor_parts.h"

namespace sim::doctor {

FileFacts inspectBytes(const std::string& bytes)
{
    FileFacts facts;
    facts.utf16 = text::startsWithUtf16Mark(bytes);
    facts.programFile = text::startsLikeProgram(bytes);
    const bool hasCr = bytes.find('\r') != std::string::npos;
    const bool hasLf = bytes.find('\n') != std::string::npos;
    facts.crOnly = hasCr && !hasLf;
    facts.settingsText = text::isText(bytes);
    return facts;
}

void fileFindings(const FileFacts& facts, std::vector<Finding>& findings)
{
    Finding finding;
    if (!facts.settingsText) {
        finding.severity = Severity::problem;
        finding.kind = "not-a-settings-file";
        finding.message = facts.programFile
                              ? "This is not a settings file: it is a program file (like Ambleworks.asi), not "
                                "Ambleworks.ini. Check Ambleworks.ini instead: it is the text file beside "
                                "Ambleworks.asi in the game folder."
                              : "This is not a settings file: it holds binary data (zero bytes, control bytes or "
                                "bytes that are no text), not lines of text. If it should be Ambleworks.ini, "
                                "replace it with the one from the Ambleworks zip.";
        finding.message += " Were the plug-in to read it as Ambleworks.ini, it would use the settings listed below.";
        findings.push_back(finding);
        return;
    }
    finding.severity = Severity::warning;
    if (facts.utf16) {
        finding.kind = "utf16-file";
        finding.message =
            "The file is saved as UTF-16 (\"Unicode\"). The plug-in reads plain bytes: it drops the zero bytes "
            "and still finds the lines, but the two-byte mark at the start stays in front of the first line, so "
            "that line is not read as written. Save the file as UTF-8 or ANSI.";
        findings.push_back(finding);
    }
    if (facts.crOnly) {
        finding.kind = "cr-line-ends";
        finding.message =
            "The lines end in CR alone (old Mac style). The plug-in only ends a line at LF, so it reads the whole "
            "file as one line. Save it with Windows (CR LF) or Unix (LF) line ends.";
        findings.push_back(finding);
    }
}

}  // namespace sim::doctor
