// The INI reader: what each line means, what a whole file gives, and what a
// player's file system can throw at it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "config/ini_reader.h"

namespace {

using namespace std::string_literals;

// A fresh folder under /tmp, removed with its contents afterwards.
struct TempFolder {
    std::string path;
    TempFolder()
    {
        char pattern[] = "/tmp/ambleworks-ini-XXXXXX";
        path = mkdtemp(pattern);
        chmod(path.c_str(), 0777);  // the unprivileged case writes here too
    }
    ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string file(const std::string& bytes, const std::string& name = "test.ini") const
    {
        std::string where = path + "/" + name;
        std::ofstream(where, std::ios::binary) << bytes;
        return where;
    }
};

// The document as one line of text: "section{key=value,...}" per section.
std::string describe(const IniDocument& document)
{
    std::string text;
    for (const auto& [name, section] : document.sections) {
        text += name + "{";
        for (const auto& [key, value] : section.entries)
            text += key + "=" + value + ",";
        text += "}";
    }
    return text;
}

struct LineCase {
    std::string line;
    IniLineKind kind;
    std::string name;
    std::string value;
};

TEST(IniReader, ClassifiesEachKindOfLine)
{
    const LineCase cases[] = {
        {"", IniLineKind::blank, "", ""},
        {" \t\f\v\r\n", IniLineKind::blank, "", ""},
        {"   ; a remark", IniLineKind::comment, "", ""},
        {"KEY = 1 ; a remark", IniLineKind::keyValue, "KEY", "1 ; a remark"},
        {"# a remark", IniLineKind::unrecognised, "", ""},
        {"#KEY=1", IniLineKind::keyValue, "#KEY", "1"},
        {"[ General ] ; remark", IniLineKind::section, "General", ""},
        {"[General] other text", IniLineKind::section, "General", ""},
        {"[a]b]", IniLineKind::section, "a]b", ""},
        {"[]", IniLineKind::section, "", ""},
        {"[Gen;eral]", IniLineKind::unrecognised, "", ""},
        {"[a=b", IniLineKind::keyValue, "[a", "b"},
        {"[a=b ; c]", IniLineKind::keyValue, "[a", "b"},  // cut at the semicolon first
        {"A\\=B = C", IniLineKind::keyValue, "A=B", "C"},
        {"A = B\\=C", IniLineKind::keyValue, "A", "B\\=C"},
        {"A\\=B", IniLineKind::unrecognised, "", ""},
        {"\\=A = 1", IniLineKind::keyValue, "=A", "1"},      // an escape at the very start
        {"\\\\=B = C", IniLineKind::keyValue, "\\=B", "C"},  // pairs taken from the left
        {"A\\= = 1", IniLineKind::keyValue, "A=", "1"},      // an escape ending the key
        {"A\\ = 1", IniLineKind::keyValue, "A\\", "1"},      // a backslash ending the key stays
        {"A\\\\=B", IniLineKind::unrecognised, "", ""},
        {"A\\=", IniLineKind::unrecognised, "", ""},  // an escape ending the line is no separator
        {"==x", IniLineKind::keyValue, "", "=x"},
        {"  Speed_Increment  =  0.1  ", IniLineKind::keyValue, "Speed_Increment", "0.1"},
        {"\xA0KEY\xA0=\xA0"
         "1",
         IniLineKind::keyValue, "\xA0KEY\xA0",
         "\xA0"
         "1"},  // only six blanks
    };
    for (const LineCase& c : cases) {
        std::string name = "stale";
        std::string value = "stale";
        EXPECT_EQ(classifyLine(c.line, name, value), c.kind) << c.line;
        EXPECT_EQ(name, c.name) << c.line;
        EXPECT_EQ(value, c.value) << c.line;
    }
}

struct FileCase {
    const char* what;
    std::string bytes;
    std::string document;
};

TEST(IniReader, ReadsWholeFiles)
{
    const std::string bom = "\xEF\xBB\xBF";
    const FileCase cases[] = {
        {"LF", "[General]\nENABLED = 0\n[Shift]\nA=1", "general{enabled=0,}shift{a=1,}"},
        {"CRLF", "[General]\r\nENABLED = 0\r\n[Shift]\r\nA=1\r\n", "general{enabled=0,}shift{a=1,}"},
        {"CR inside a line is dropped", "[S]\nA=1\r2\r\n", "s{a=12,}"},
        {"CR only is one line", "[General]\rENABLED = 0\rA=1\r", "general{}"},
        {"byte-order mark", bom + "[General]\nA=1", "general{a=1,}"},
        {"mark elsewhere is text", "[G]\n" + bom + "A=1", "g{" + bom + "a=1,}"},
        {"NUL bytes join",
         "[Gen\0eral]\nA=\0"
         "1\0"s,
         "general{a=1,}"},
        {"empty file", "", ""},
        {"only the mark", bom, ""},
        {"two bytes", "[]", "{}"},
        {"blanks and comments", "\n  ; x\n\t\n;[General]\n", ""},
        {"keys before a header are lost", "A=1\n[S]\nB=2", "s{b=2,}"},
        {"repeated header merges, first place, last value", "[S]\nB=1\nA=2\n[T]\n[ s ]\nb=3\nC=4",
         "s{b=3,a=2,c=4,}t{}"},
        {"names lower-cased, values kept", "[GeNeRaL]\nKeY = VaLuE", "general{key=VaLuE,}"},
        {"A to Z lower-cased, the bytes either side kept", "[@AZ[]\n`az{ = 1", "@az[{`az{=1,}"},
    };
    TempFolder folder;
    for (const FileCase& c : cases) {
        IniDocument document;
        document.section("left over from before");
        EXPECT_TRUE(IniReader(folder.file(c.bytes)).read(document)) << c.what;
        EXPECT_EQ(describe(document), c.document) << c.what;
    }
}

// The lines handed to onLine: a byte-order mark at the start is no text of
// the first line, even when the file is the mark alone; a shorter start of
// one is text.
TEST(IniReader, LinesSeenAroundTheByteOrderMark)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\xEF\xBB\xBF", "|"},
        {"\xEF\xBB\xBF"
         "A=1\nB",
         "A=1|B|"},
        {"\xEF\xBB", "\xEF\xBB|"},
        {"[S]\n\xEF\xBB\xBF", "[S]|\xEF\xBB\xBF|"},
    };
    TempFolder folder;
    for (const auto& [bytes, expected] : cases) {
        IniReader reader(folder.file(bytes));
        std::string lines;
        reader.onLine = [&](const IniLine& line) { lines += std::string(line.text) + "|"; };
        IniDocument document;
        ASSERT_TRUE(reader.read(document));
        EXPECT_EQ(lines, expected) << expected;
    }
}

// Random files of the bytes that matter (CR and NUL runs anywhere, at either
// end, next to each other): reading one gives what reading it with every CR
// and NUL taken out beforehand gives, and the lines handed to onLine are that
// cleaned text, split at LF, with each line's verdict from classifyLine.
TEST(IniReader, DroppedBytesAnywhereGiveTheCleanedFile)
{
    const char alphabet[] = {'\r', '\0', '\n', 'a', 'B', '=', '[', ']', ' ', ';', '\\', '\t'};
    std::mt19937 random(11);
    TempFolder folder;
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 200, 'a');
        for (char& c : bytes)
            c = alphabet[random() % sizeof(alphabet)];
        std::string cleaned;
        for (char c : bytes) {
            if (c != '\r' && c != '\0')
                cleaned += c;
        }

        IniDocument expected;
        ASSERT_TRUE(IniReader(folder.file(cleaned, "cleaned.ini")).read(expected));
        IniDocument document;
        IniReader reader(folder.file(bytes));
        std::string lines;
        bool linesAgree = true;
        reader.onLine = [&](const IniLine& line) {
            if (line.number > 1)
                lines += '\n';
            lines += line.text;
            std::string name;
            std::string value;
            linesAgree = linesAgree && classifyLine(std::string(line.text), name, value) == line.kind &&
                         name == line.name && value == line.value;
        };
        ASSERT_TRUE(reader.read(document));
        EXPECT_EQ(describe(document), describe(expected)) << "round " << round;
        EXPECT_EQ(lines, cleaned) << "round " << round;
        EXPECT_TRUE(linesAgree) << "round " << round;
    }
}

TEST(IniReader, LookupsTrimLowerCaseAndCreate)
{
    IniDocument document;
    document.section("General").value("ENABLED") = "0";
    EXPECT_EQ(document.section(" GENERAL\t").value(" enabled "), "0");
    EXPECT_EQ(document.section("general").value("Missing"), "");
    EXPECT_EQ(document.section("Other").value("X"), "");
    EXPECT_EQ(describe(document), "general{enabled=0,missing=,}other{x=,}");
    // Bytes above 0x7F are never lower-cased: they are not the same name.
    document.section("\xC4").value("k") = "1";
    EXPECT_EQ(document.section("\xE4").value("k"), "");
    // A reference stays good while more sections and keys are added.
    std::string& enabled = document.section("general").value("enabled");
    for (int i = 0; i < 1000; ++i)
        document.section("s" + std::to_string(i)).value("k" + std::to_string(i));
    enabled = "1";
    EXPECT_EQ(document.section("general").value("enabled"), "1");
}

// The lookups by stored name (what a load uses) find exactly what the
// document holds under that name, and add nothing, whatever they are asked.
TEST(IniReader, LookupsByStoredNameFindAndAddNothing)
{
    IniDocument document;
    IniReader("").readBytes("[General]\nENABLED = 0 ; note\nEmpty =\n[Keys]\nRELOAD_KEY = F11\n", document);
    const std::string before = describe(document);
    struct Case {
        std::string section;
        std::string key;
        const char* text;  // nullptr: no such key (or section)
    };
    const std::vector<Case> cases = {
        {"general", "enabled", "0 ; note"}, {"general", "empty", ""},         {"keys", "reload_key", "F11"},
        {"general", "reload_key", nullptr},  // a key of another section
        {"General", "enabled", nullptr},     // a name not in stored form
        {"general", "ENABLED", nullptr},    {"general", " enabled", nullptr}, {"other", "enabled", nullptr},
    };
    for (const Case& c : cases) {
        const IniSection* section = document.findStored(c.section);
        const std::string* text = section ? section->findStored(c.key) : nullptr;
        ASSERT_EQ(text != nullptr, c.text != nullptr) << c.section << " " << c.key;
        if (text) {
            EXPECT_EQ(*text, c.text) << c.section << " " << c.key;
            EXPECT_EQ(text, &document.section(c.section).value(c.key)) << "not the stored entry";
        }
    }
    EXPECT_EQ(describe(document), before);
}

// Reads `path` into a document that had content; true when the read fails
// as for a missing file: false, and nothing left in the document.
bool readsAsUnopenable(const std::string& path)
{
    IniDocument document;
    document.section("stale").value("k") = "v";
    bool opened = IniReader(path).read(document);
    return !opened && document.sections.empty();
}

TEST(IniReaderBadInput, MissingDirectoryOrPipeReadAsUnopenable)
{
    TempFolder folder;
    EXPECT_TRUE(readsAsUnopenable(""));
    EXPECT_TRUE(readsAsUnopenable(folder.path + "/missing.ini"));
    EXPECT_TRUE(readsAsUnopenable(folder.path));
    EXPECT_TRUE(readsAsUnopenable("/dev/null"));
    // A pipe nobody writes to would block the game for ever if opened.
    std::string pipe = folder.path + "/pipe.ini";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_TRUE(readsAsUnopenable(pipe));
}

TEST(IniReaderBadInput, FiftyMegabytesAndBinaryGarbageAreRead)
{
    TempFolder folder;
    std::mt19937 random(7);
    std::string garbage(50 * 1024 * 1024, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    IniDocument document;
    EXPECT_TRUE(IniReader(folder.file(garbage + "\n[General]\nENABLED=0\n")).read(document));
    EXPECT_EQ(document.section("General").value("ENABLED"), "0");

    // Fifty megabytes of line ends, and one line of fifty megabytes (a reader
    // that went quadratic here would run into the test's time-out).
    EXPECT_TRUE(IniReader(folder.file(std::string(50 * 1024 * 1024, '\n') + "[S]\nA=1")).read(document));
    EXPECT_EQ(describe(document), "s{a=1,}");
    EXPECT_TRUE(IniReader(folder.file("[S]\nA=" + std::string(50 * 1024 * 1024, 'x'))).read(document));
    EXPECT_EQ(document.section("S").value("A").size(), 50u * 1024 * 1024);
}

// Run as the current user: 0 when a file without read permission reads as
// one that cannot be opened, 1 when it does not.
int unreadableFileCheck(const std::string& folder)
{
    std::string path = folder + "/unreadable.ini";
    std::ofstream(path) << "[General]\nENABLED=0\n";
    chmod(path.c_str(), 0);
    return readsAsUnopenable(path) ? 0 : 1;
}

TEST(IniReaderBadInput, UnreadableFileReadsAsUnopenable)
{
    TempFolder folder;
    if (geteuid() != 0) {
        EXPECT_EQ(unreadableFileCheck(folder.path), 0);
        return;
    }
    // Root reads every file whatever its mode: check as the user nobody.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(77);
        _exit(unreadableFileCheck(folder.path));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot become the user nobody";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
