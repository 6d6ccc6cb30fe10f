// Fuzz target: arbitrary bytes as Ambleworks.ini, through the INI reader and
// the settings load, as the plug-in reads the file a player saved.
//
// While fuzzing, the bytes reach the reader from memory (IniReader::readBytes,
// which reads them exactly as it reads a file holding them), so that a run
// tries ten times more inputs than through a file. With
// AMBLEWORKS_FUZZ_THROUGH_FILE=1 (the corpus replay, fuzz.corpus.fuzz_settings)
// every input is written to Ambleworks.ini and read back by the plug-in's own
// loadSettings, so the file path stays covered.
//
// Nothing may crash or trip a sanitizer, and nothing may escape the load but
// the four conversion failures ("invalid stof argument", "stof argument out
// of range", "invalid stoi argument", "stoi argument out of range"), which
// the plug-in catches where a load starts. Beyond that the target checks
// what the reader and the load promise:
//   - the document: names trimmed and lower-cased, no line break, CR or NUL
//     left in any text, indexes that agree with the entries, every name found
//     again in any letter case, the same document when the file is read again;
//   - the conversions of every value: the float and the decimal integer
//     exactly as the C library's strtof and strtol read the text in the "C"
//     locale (NaN refused as invalid, an infinity as out of range);
//   - the load: the five keys of [Keys] first, each kept when its line is
//     missing or empty, whatever follows; then the 19 settings row by row as
//     the settings table lays them out, stopping at the first failing row
//     with that row's message, no float setting ever NaN or infinite, and the
//     copy of RESPECT_BOUNDARIES written exactly when the load got that far.

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "config/ini_reader.h"
#include "config/settings.h"
#include "config/value_conversions.h"
#include "controller/controller_state.h"
#include "work_directory.h"

namespace {

[[noreturn]] void fail(const char* what, std::string_view detail = {})
{
    std::fprintf(stderr, "fuzz_settings: %s", what);
    if (!detail.empty()) {
        std::fprintf(stderr, ": \"");
        for (unsigned char c : detail.substr(0, 200))
            std::fprintf(stderr, c >= 0x20 && c < 0x7F && c != '"' && c != '\\' ? "%c" : "\\x%02x", c);
        std::fprintf(stderr, "\"");
    }
    std::fputc('\n', stderr);
    std::abort();
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// A name as the document must store it: trimmed, no capital A to Z, and no
// byte that the reader removes or splits lines at.
void checkStoredText(std::string_view text, bool isName, const char* what)
{
    if (!text.empty() && (isBlank(text.front()) || isBlank(text.back())))
        fail(what, text);
    for (char c : text) {
        if (c == '\n' || c == '\r' || c == '\0')
            fail(what, text);
        if (isName && c >= 'A' && c <= 'Z')
            fail(what, text);
    }
}

std::string upperCased(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

void checkDocument(IniDocument& document)
{
    if (document.sectionIndex.size() != document.sections.size())
        fail("section index and sections disagree in number");
    for (size_t i = 0; i < document.sections.size(); ++i) {
        const auto& [name, section] = document.sections[i];
        checkStoredText(name, true, "section name not trimmed and lower-cased");
        const auto found = document.sectionIndex.find(name);
        if (found == document.sectionIndex.end() || found->second != i)
            fail("section index does not lead back to its section", name);
        if (section.keyIndex.size() != section.entries.size())
            fail("key index and keys disagree in number", name);
        for (size_t k = 0; k < section.entries.size(); ++k) {
            const auto& [key, value] = section.entries[k];
            checkStoredText(key, true, "key not trimmed and lower-cased");
            checkStoredText(value, false, "value not trimmed");
            const auto at = section.keyIndex.find(key);
            if (at == section.keyIndex.end() || at->second != k)
                fail("key index does not lead back to its key", key);
        }
    }

    // Lookups in capitals, with blanks around, find what is there and add nothing.
    IniDocument copy = document;
    for (const auto& [name, section] : document.sections) {
        IniSection& found = copy.section(" " + upperCased(name) + "\t");
        for (const auto& [key, value] : section.entries) {
            if (found.value("\v" + upperCased(key) + " ") != value)
                fail("a key looked up in capitals gives another value", key);
        }
        if (found.entries.size() != section.entries.size())
            fail("looking up a key that is there added one", name);
    }
    if (copy.sections.size() != document.sections.size())
        fail("looking up a section that is there added one");
}

bool sameDocument(const IniDocument& a, const IniDocument& b)
{
    if (a.sections.size() != b.sections.size())
        return false;
    for (size_t i = 0; i < a.sections.size(); ++i) {
        if (a.sections[i].first != b.sections[i].first || a.sections[i].second.entries != b.sections[i].second.entries)
            return false;
    }
    return true;
}

// How strtof and strtol in the "C" locale read a text (this process never
// sets another locale). NaN is refused and an infinity is out of range, so
// that no non-finite speed is ever loaded.
enum class Outcome { value, invalidStof, stofRange, invalidStoi, stoiRange };

Outcome referenceFloat(const std::string& text, float& value)
{
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    value = std::strtof(start, &end);
    if (end == start || std::isnan(value))
        return Outcome::invalidStof;
    if (errno == ERANGE || std::isinf(value))
        return Outcome::stofRange;
    return Outcome::value;
}

Outcome referenceInteger(const std::string& text, int32_t& value)
{
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(start, &end, 10);
    if (end == start)
        return Outcome::invalidStoi;
    if (errno == ERANGE || parsed < std::numeric_limits<int32_t>::min() || parsed > std::numeric_limits<int32_t>::max())
        return Outcome::stoiRange;
    value = static_cast<int32_t>(parsed);
    return Outcome::value;
}

// Which of the four failures an exception is; anything else ends the run.
Outcome outcomeOf(const std::exception& error)
{
    const std::string_view what = error.what();
    const bool invalid = dynamic_cast<const std::invalid_argument*>(&error) != nullptr;
    const bool range = dynamic_cast<const std::out_of_range*>(&error) != nullptr;
    if (what == "invalid stof argument" && invalid)
        return Outcome::invalidStof;
    if (what == "stof argument out of range" && range)
        return Outcome::stofRange;
    if (what == "invalid stoi argument" && invalid)
        return Outcome::invalidStoi;
    if (what == "stoi argument out of range" && range)
        return Outcome::stoiRange;
    fail("an exception that is none of the four conversion failures escaped", what);
}

// The text cut at its first NUL: what the C library sees of it.
std::string cString(const std::string& text)
{
    return std::string(text.c_str());
}

void checkConversions(const std::string& text)
{
    if (convertFlag(text) != (text != "0"))
        fail("flag is not false exactly for \"0\"", text);

    // The C library stops at a NUL; so must the conversions, which never
    // see one in a value read from the file, but get one here now and then.
    float expectedFloat = 0.0f;
    const Outcome floatExpected = referenceFloat(cString(text), expectedFloat);
    Outcome floatGot = Outcome::value;
    float gotFloat = 0.0f;
    try {
        gotFloat = convertDecimalFloat(text);
    } catch (const std::exception& error) {
        floatGot = outcomeOf(error);
    } catch (...) {
        fail("a non-standard exception escaped convertDecimalFloat", text);
    }
    if (floatGot != floatExpected)
        fail("decimal float fails otherwise than strtof", text);
    if (floatGot == Outcome::value && std::memcmp(&gotFloat, &expectedFloat, sizeof gotFloat) != 0)
        fail("decimal float differs from strtof", text);

    int32_t expectedInteger = 0;
    const Outcome integerExpected = referenceInteger(cString(text), expectedInteger);
    Outcome integerGot = Outcome::value;
    int32_t gotInteger = 0;
    try {
        gotInteger = convertDecimalInteger(text);
    } catch (const std::exception& error) {
        integerGot = outcomeOf(error);
    } catch (...) {
        fail("a non-standard exception escaped convertDecimalInteger", text);
    }
    if (integerGot != integerExpected)
        fail("decimal integer fails otherwise than strtol", text);
    if (integerGot == Outcome::value && gotInteger != expectedInteger)
        fail("decimal integer differs from strtol", text);

    try {
        (void)convertHexInteger(text);
    } catch (...) {
        fail("the hexadecimal integer threw", text);
    }
}

// The settings table, row by row: what a load must do with this document.
struct ExpectedLoad {
    Settings settings;
    bool copiedRespectBoundaries = false;
    Outcome failure = Outcome::value;
};

ExpectedLoad expectedLoad(IniDocument document, const Settings& before)
{
    ExpectedLoad expected;
    expected.settings = before;
    Settings& s = expected.settings;
    auto text = [&](const char* section, const char* key) -> const std::string& {
        return document.section(section).value(key);
    };
    // A key code: a missing or empty line keeps the key it had.
    auto keyCode = [&](int32_t& field, const char* section, const char* key) {
        if (const std::string& code = text(section, key); !code.empty())
            field = convertHexInteger(code);
    };
    // The keys of [Keys] come first and never fail, so no failing row below
    // can take one away.
    keyCode(s.hotkeyModifier, "Keys", "HOTKEY_MODIFIER");
    keyCode(s.switchOffKey, "Keys", "SWITCH_OFF_KEY");
    keyCode(s.switchOnKey, "Keys", "SWITCH_ON_KEY");
    keyCode(s.reloadKey, "Keys", "RELOAD_KEY");
    keyCode(s.sprintKey, "Keys", "SPRINT_KEY");
    try {
        s.enabled = convertFlag(text("General", "ENABLED"));
        s.mouseWheelEnabled = convertFlag(text("MouseWheel", "MOUSE_WHEEL_ENABLED"));
        s.speedIncrement = convertDecimalFloat(text("MouseWheel", "SPEED_INCREMENT"));
        s.shiftTapEnabled = convertFlag(text("Shift", "SHIFT_TAP_ENABLED"));
        s.shiftTapLightRunEnabled = convertFlag(text("Shift", "SHIFT_TAP_LIGHT_RUN_ENABLED"));
        s.shiftTapCustomSpeed = convertDecimalFloat(text("Shift", "SHIFT_TAP_CUSTOM_SPEED"));
        s.shiftTapStopRunning = convertFlag(text("Shift", "SHIFT_TAP_STOP_RUNNING"));
        s.walkControlEnabled = convertFlag(text("WalkControl", "WALK_CONTROL_ENABLED"));
        s.fastWalkEnabled = convertFlag(text("WalkControl", "FAST_WALK_ENABLED"));
        s.fastWalkCustomSpeed = convertDecimalFloat(text("WalkControl", "FAST_WALK_CUSTOM_SPEED"));
        s.slowWalkEnabled = convertFlag(text("WalkControl", "SLOW_WALK_ENABLED"));
        s.slowWalkCustomSpeed = convertDecimalFloat(text("WalkControl", "SLOW_WALK_CUSTOM_SPEED"));
        keyCode(s.walkControlKey, "WalkControl", "WALK_CONTROL_KEY");
        s.rememberFastWalk = convertFlag(text("WalkControl", "REMEMBER_FAST_WALK"));
        s.keepCustomSpeedAfterStoppingMode =
            convertDecimalInteger(text("Advanced", "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE"));
        s.respectBoundaries = convertFlag(text("Advanced", "RESPECT_BOUNDARIES"));
        s.ableToOverrideBoundaries = convertFlag(text("Advanced", "ABLE_TO_OVERRIDE_BOUNDARIES"));
        expected.copiedRespectBoundaries = true;
        s.disableAutoRunInFirstPersonCamera = convertFlag(text("Optional", "DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA"));
        s.minimumSpeed = convertDecimalFloat(text("Optional", "MINIMUM_SPEED"));
    } catch (const std::exception& error) {
        expected.failure = outcomeOf(error);
    }
    return expected;
}

// Set from AMBLEWORKS_FUZZ_THROUGH_FILE: the input goes through a file.
bool throughFile = false;

// The input as the reader's document: from Ambleworks.ini or from memory.
bool readInput(IniReader& reader, const std::string& bytes, IniDocument& document)
{
    if (throughFile)
        return reader.read(document);
    reader.readBytes(bytes, document);
    return true;
}

// The plug-in's load of the input: loadSettings on Ambleworks.ini, or the
// same rows on the document read from memory.
void loadInput(const std::string& bytes)
{
    if (throughFile) {
        loadSettings();
        return;
    }
    IniDocument document;
    IniReader("").readBytes(bytes, document);
    storeSettings(document);
}

void checkLoad(const IniDocument& document, const Settings& before, const std::string& bytes)
{
    const ExpectedLoad expected = expectedLoad(document, before);

    settings = before;
    controllerState = ControllerState{};
    // The opposite of what the load would copy, so that a missing copy shows.
    controllerState.respectBoundariesConfigured = !expected.settings.respectBoundaries;
    Outcome got = Outcome::value;
    try {
        loadInput(bytes);
    } catch (const std::exception& error) {
        got = outcomeOf(error);
    } catch (...) {
        fail("a non-standard exception escaped loadSettings");
    }
    if (got != expected.failure)
        fail("the load failed otherwise than its first failing row says");
    if (!(settings == expected.settings))
        fail("the load stored otherwise than the settings table says");
    const bool copied = controllerState.respectBoundariesConfigured == settings.respectBoundaries;
    if (copied != expected.copiedRespectBoundaries)
        fail(copied ? "RESPECT_BOUNDARIES copied though the load stopped before it"
                    : "RESPECT_BOUNDARIES not copied though the load got past it");
    const float floats[] = {settings.speedIncrement, settings.shiftTapCustomSpeed, settings.fastWalkCustomSpeed,
                            settings.slowWalkCustomSpeed, settings.minimumSpeed};
    for (float value : floats) {
        if (!std::isfinite(value))
            fail("a load left a float setting NaN or infinite");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // loadSettings reads Ambleworks.ini from the current directory: one of
    // our own while an input runs, so that nothing of the caller's is read
    // or overwritten.
    fuzz::setUpWorkDirectory("fuzz-settings", argc, argv);
    const char* throughFileSetting = std::getenv("AMBLEWORKS_FUZZ_THROUGH_FILE");
    throughFile = throughFileSetting && std::string(throughFileSetting) == "1";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::InsideWorkDirectory inside;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (throughFile) {
        std::ofstream file("Ambleworks.ini", std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(size));
        if (!file)
            fail("cannot write Ambleworks.ini");
    }

    IniDocument document;
    IniReader reader("Ambleworks.ini");
    try {
        if (!readInput(reader, bytes, document))
            fail("a regular file that exists did not read");
    } catch (...) {
        fail("the reader threw");
    }
    checkDocument(document);

    // The same reader again, and a second reader, give the same document.
    IniDocument again;
    if (!readInput(reader, bytes, again) || !sameDocument(document, again))
        fail("the same reader read the same input differently");
    IniDocument fresh;
    IniReader second("Ambleworks.ini");
    if (!readInput(second, bytes, fresh) || !sameDocument(document, fresh))
        fail("another reader read the same input differently");

    for (const auto& [name, section] : document.sections) {
        for (const auto& [key, value] : section.entries)
            checkConversions(value);
    }
    // The raw bytes as one value text too: spaces, NULs and all.
    checkConversions(std::string(reinterpret_cast<const char*>(data), size < 256 ? size : 256));

    // From the built-in defaults, and from a state an earlier load left.
    checkLoad(document, Settings{}, bytes);
    Settings other;
    other.enabled = false;
    other.speedIncrement = 0.5f;
    other.walkControlKey = 0x41;
    other.keepCustomSpeedAfterStoppingMode = -7;
    other.respectBoundaries = false;
    other.minimumSpeed = 2.0f;
    other.hotkeyModifier = 0;
    other.switchOnKey = 0x100;
    other.reloadKey = 0x7A;
    other.sprintKey = -1;
    checkLoad(document, other, bytes);
    return 0;
}
