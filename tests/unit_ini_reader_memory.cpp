// The INI reader's entry for bytes already in memory (the doctor and the fuzz
// targets use it): the same lines and the same document as the file holding
// those bytes, and the file's bytes handed over untouched.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "config/ini_reader.h"

namespace {

using namespace std::string_literals;

// Every line the reader reports and the document, as one text.
std::string readerOutput(IniReader& reader, bool fromFile, const std::string& bytes)
{
    std::string text;
    reader.onLine = [&](const IniLine& line) {
        text += std::to_string(line.number) + ":" + std::to_string(static_cast<int>(line.kind)) + ":" +
                std::string(line.text) + "|" + std::string(line.name) + "|" + std::string(line.value) +
                (line.stored ? "|stored\n" : "\n");
    };
    IniDocument document;
    document.section("left over from before");
    if (fromFile)
        EXPECT_TRUE(reader.read(document));
    else
        reader.readBytes(bytes, document);
    for (const auto& [name, section] : document.sections) {
        text += "[" + name + "]";
        for (const auto& [key, value] : section.entries)
            text += key + "=" + value + ";";
    }
    return text;
}

TEST(IniReaderMemory, BytesInMemoryReadAsTheFileHoldingThem)
{
    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(random() % 256);
    const std::vector<std::string> files = {
        "",
        "\xEF\xBB\xBF",
        "\xEF\xBB\xBF[General]\r\nENABLED = 0\r\n",
        "[General]\nENABLED=1\n[general]\nenabled = 0 ; off\nA\\=B = c\n",
        "\xFF\xFE[\0G\0]\0\n\0k\0=\0v\0"s,
        "[S]\rA=1\rB=2\r",
        "x=1\n[S]\nA=1\0\0\nB = 2\n\n"s,
        "[S]\nA=\xEF\xBB\xBF\n",
        noise,
    };
    const std::string path =
        std::filesystem::temp_directory_path() / ("ambleworks-ini-memory-" + std::to_string(::getpid()) + ".ini");
    for (const std::string& bytes : files) {
        SCOPED_TRACE(testing::PrintToString(bytes.substr(0, 40)));
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        IniReader fromFile(path);
        IniReader fromMemory("");
        EXPECT_EQ(readerOutput(fromMemory, false, bytes), readerOutput(fromFile, true, bytes));

        std::string taken = "stale";
        EXPECT_TRUE(IniReader(path).readFileBytes(taken));
        EXPECT_EQ(taken, bytes);
    }
    std::filesystem::remove(path);
}

TEST(IniReaderMemory, AFileThatCannotBeReadGivesNoBytes)
{
    const std::string folder = std::filesystem::temp_directory_path().string();
    for (const std::string& path : {""s, folder, folder + "/no-such-ambleworks-file.ini"}) {
        std::string bytes = "stale";
        EXPECT_FALSE(IniReader(path).readFileBytes(bytes)) << path;
        EXPECT_TRUE(bytes.empty());
    }
}

}  // namespace
