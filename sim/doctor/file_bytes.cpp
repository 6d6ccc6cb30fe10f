// What the file's raw bytes show before the reader drops any of them: a
// UTF-16 file, CR-only line ends, and bytes that are no text at all.
//
// A file is taken as no settings file when it starts like a program (the
// "MZ" of a Windows .exe, .dll or .asi, the "\x7FELF" of a Linux one), or
// when at least one byte in four is a NUL, another control byte than TAB,
// LF, VT, FF and CR, or a byte outside well-formed UTF-8. Real settings files,
// also ones saved in a Windows code page with a few accented letters, stay
// far below that; random or program bytes are far above it. A file with a
// UTF-16 byte-order mark is text whatever its zero bytes.

#include "doctor/file_bytes.h"

#include "doctor/doctor_parts.h"

namespace sim::doctor {

namespace {

bool startsWith(const std::string& bytes, std::string_view prefix)
{
    return std::string_view(bytes).substr(0, prefix.size()) == prefix;
}

// A control byte that no text file holds (TAB, LF, VT, FF and CR do).
bool isStrayControl(unsigned char byte)
{
    return (byte < 0x20 && (byte < 0x09 || byte > 0x0D)) || byte == 0x7F;
}

// How many bytes are no text (stray control bytes, and bytes outside
// well-formed UTF-8), counted up to `enough`.
std::size_t countNonTextBytes(const std::string& bytes, std::size_t enough)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < bytes.size() && count < enough;) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            count += isStrayControl(byte) ? 1 : 0;
            ++at;
            continue;
        }
        const std::size_t length = wellFormedUtf8Length(bytes, at);
        count += length == 0 ? 1 : 0;
        at += length == 0 ? 1 : length;
    }
    return count;
}

}  // namespace

std::size_t wellFormedUtf8Length(std::string_view bytes, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80)
        return 1;
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(bytes[at + k]) & 0xC0) != 0x80)
            return 0;
    }
    // No overlong forms, no UTF-16 surrogates, nothing beyond U+10FFFF.
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

FileFacts inspectBytes(const std::string& bytes)
{
    FileFacts facts;
    facts.utf16 = startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF");
    facts.programFile = startsWith(bytes, "MZ") || startsWith(bytes, "\x7F"
                                                                     "ELF");
    const bool hasCr = bytes.find('\r') != std::string::npos;
    const bool hasLf = bytes.find('\n') != std::string::npos;
    facts.crOnly = hasCr && !hasLf;
    constexpr std::size_t bytesPerNonTextByte = 4;  // one in four makes it no text
    if (facts.programFile)
        facts.settingsText = false;
    else if (!facts.utf16 && !bytes.empty())
        facts.settingsText =
            countNonTextBytes(bytes, bytes.size() / bytesPerNonTextByte + 1) * bytesPerNonTextByte < bytes.size();
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
