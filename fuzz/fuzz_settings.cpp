// Fuzz target: arbitrary bytes as Ambleworks.ini, through the INI reader and
// the settings load, as the plug-in reads the file a player saved.
//
// While fuzzing, the bytes reach the reader from memory (IniReader::readBytes,
// which reads them exactly as it reads a file holding them), and the target
// never leaves the caller's directory. With AMBLEWORKS_FUZZ_THROUGH_FILE=1
// (the corpus replay, fuzz.corpus.fuzz_settings) every input is written to
// Ambleworks.ini in a private directory and read back by the plug-in's own
// loadSettings, so the file path stays covered.
//
// Nothing may crash or trip a sanitizer, and nothing may escape the load but
// the four conversion failures ("invalid stof argument", "stof argument out
// of range", "invalid stoi argument", "stoi argument out of range"), which
// the plug-in catches where a load starts. Beyond that the target checks
// what the reader and the load promise:
//   - the document: names trimmed and lower-cased, no line break, CR or NUL
//     left in any text, indexes that agree with the entries, every name found
//     again in any letter case (the very entry, nothing added), the same
//     document when the same reader reads the input again (through the file,
//     a second reader too);
//   - the conversions of every value: the float and the decimal integer
//     exactly as the C library's strtof and strtol read the text in the "C"
//     locale (NaN refused as invalid, an infinity as out of range);
//   - the load: the five keys of [Keys] first, each kept when its line is
//     missing or empty, whatever follows; then the 19 settings row by row as
//     the settings table lays them out, stopping at the first failing row
//     with that row's message, no float setting ever NaN or infinite, and the
//     copy of RESPECT_BOUNDARIES written exactly when the load got that far.
//
// From memory each input is read twice, the least these checks need: the
// first document is checked and then loaded from the built-in settings, the
// second (the same reader again, which must give the same document) is loaded
// from other settings. Nothing copies a document, and the expected load
// looks values up on its own, without the reader's lookups (which add the
// keys they do not find), and reads them with the C library, so that it
// throws nothing: under AddressSanitizer every exception costs a system
// call and the unwinding of the stack.

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>
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

    // Lookups in capitals, with blanks around, find the very entry that is
    // there and add nothing. By index, as a faulty lookup could append.
    const std::size_t sectionCount = document.sections.size();
    std::string probe;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        IniSection& section = document.sections[i].second;
        probe = " " + upperCased(document.sections[i].first) + "\t";
        if (&document.section(probe) != &section)
            fail("a section looked up in capitals is another one", document.sections[i].first);
        const std::size_t keyCount = section.entries.size();
        for (std::size_t k = 0; k < keyCount; ++k) {
            probe = "\v" + upperCased(section.entries[k].first) + " ";
            if (&section.value(probe) != &section.entries[k].second)
                fail("a key looked up in capitals gives another value", section.entries[k].first);
        }
        if (section.entries.size() != keyCount)
            fail("looking up a key that is there added one", document.sections[i].first);
    }
    if (document.sections.size() != sectionCount)
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

Outcome referenceFloat(const char* start, float& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtof(start, &end);
    if (end == start || std::isnan(value))
        return Outcome::invalidStof;
    if (errno == ERANGE || std::isinf(value))
        return Outcome::stofRange;
    return Outcome::value;
}

Outcome referenceInteger(const char* start, int32_t& value)
{
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

void checkConversions(const std::string& text)
{
    if (convertFlag(text) != (text != "0"))
        fail("flag is not false exactly for \"0\"", text);

    // The C library stops at a NUL (c_str() cuts the text there for it); so
    // must the conversions, which never see one in a value read from the
    // file, but get one here now and then.
    float expectedFloat = 0.0f;
    const Outcome floatExpected = referenceFloat(text.c_str(), expectedFloat);
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
    const Outcome integerExpected = referenceInteger(text.c_str(), expectedInteger);
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

// The value text of a key, found as the document stores names (lower-cased)
// without the reader's lookups; "" when the section or key is not there.
const std::string& storedValue(const IniDocument& document, const char* section, const char* key)
{
    static const std::string none;
    std::string name = section;
    lowerCaseAscii(name);
    const auto foundSection = document.sectionIndex.find(name);
    if (foundSection == document.sectionIndex.end())
        return none;
    const IniSection& entries = document.sections[foundSection->second].second;
    name = key;
    lowerCaseAscii(name);
    const auto foundKey = entries.keyIndex.find(name);
    return foundKey == entries.keyIndex.end() ? none : entries.entries[foundKey->second].second;
}

// The rows read with the C library's strtof and strtol (which the
// conversions must match: checkConversions holds them to it), so that the
// expectation neither leans on the code it checks nor throws.
ExpectedLoad expectedLoad(const IniDocument& document, const Settings& before)
{
    ExpectedLoad expected;
    expected.settings = before;
    Settings& s = expected.settings;
    auto text = [&](const char* section, const char* key) -> const std::string& {
        return storedValue(document, section, key);
    };
    // A key code: a missing or empty line keeps the key it had.
    auto keyCode = [&](int32_t& field, const char* section, const char* key) {
        if (const std::string& code = text(section, key); !code.empty())
            field = convertHexInteger(code);
    };
    // Each row below is skipped once one has failed: the load stops there.
    auto stopped = [&] { return expected.failure != Outcome::value; };
    auto flag = [&](bool& field, const char* section, const char* key) {
        if (!stopped())
            field = text(section, key) != "0";
    };
    auto real = [&](float& field, const char* section, const char* key) {
        float value = 0.0f;
        if (!stopped() && (expected.failure = referenceFloat(text(section, key).c_str(), value)) == Outcome::value)
            field = value;
    };
    auto integer = [&](int32_t& field, const char* section, const char* key) {
        int32_t value = 0;
        if (!stopped() && (expected.failure = referenceInteger(text(section, key).c_str(), value)) == Outcome::value)
            field = value;
    };
    // The keys of [Keys] come first and never fail, so no failing row below
    // can take one away.
    keyCode(s.hotkeyModifier, "Keys", "HOTKEY_MODIFIER");
    keyCode(s.switchOffKey, "Keys", "SWITCH_OFF_KEY");
    keyCode(s.switchOnKey, "Keys", "SWITCH_ON_KEY");
    keyCode(s.reloadKey, "Keys", "RELOAD_KEY");
    keyCode(s.sprintKey, "Keys", "SPRINT_KEY");
    flag(s.enabled, "General", "ENABLED");
    flag(s.mouseWheelEnabled, "MouseWheel", "MOUSE_WHEEL_ENABLED");
    real(s.speedIncrement, "MouseWheel", "SPEED_INCREMENT");
    flag(s.shiftTapEnabled, "Shift", "SHIFT_TAP_ENABLED");
    flag(s.shiftTapLightRunEnabled, "Shift", "SHIFT_TAP_LIGHT_RUN_ENABLED");
    real(s.shiftTapCustomSpeed, "Shift", "SHIFT_TAP_CUSTOM_SPEED");
    flag(s.shiftTapStopRunning, "Shift", "SHIFT_TAP_STOP_RUNNING");
    flag(s.walkControlEnabled, "WalkControl", "WALK_CONTROL_ENABLED");
    flag(s.fastWalkEnabled, "WalkControl", "FAST_WALK_ENABLED");
    real(s.fastWalkCustomSpeed, "WalkControl", "FAST_WALK_CUSTOM_SPEED");
    flag(s.slowWalkEnabled, "WalkControl", "SLOW_WALK_ENABLED");
    real(s.slowWalkCustomSpeed, "WalkControl", "SLOW_WALK_CUSTOM_SPEED");
    if (!stopped())
        keyCode(s.walkControlKey, "WalkControl", "WALK_CONTROL_KEY");
    flag(s.rememberFastWalk, "WalkControl", "REMEMBER_FAST_WALK");
    integer(s.keepCustomSpeedAfterStoppingMode, "Advanced", "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE");
    flag(s.respectBoundaries, "Advanced", "RESPECT_BOUNDARIES");
    expected.copiedRespectBoundaries = !stopped();
    flag(s.ableToOverrideBoundaries, "Advanced", "ABLE_TO_OVERRIDE_BOUNDARIES");
    flag(s.disableAutoRunInFirstPersonCamera, "Optional", "DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA");
    real(s.minimumSpeed, "Optional", "MINIMUM_SPEED");
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

// Reading the input again with `reader` gives `document` once more; the
// document read is left in `again`.
void checkReadAgain(IniReader& reader, const std::string& bytes, const IniDocument& document, IniDocument& again)
{
    if (!readInput(reader, bytes, again) || !sameDocument(document, again))
        fail("reading the same input again gave another document");
}

// The plug-in's load of the input: loadSettings on Ambleworks.ini, or, from
// memory, the same rows on `document`, a document just read from the bytes.
void loadInput(IniDocument& document)
{
    if (throughFile)
        loadSettings();
    else
        storeSettings(document);
}

// Loads the input from `before` and holds the outcome to the settings table,
// read off `document` (which the load from memory then uses: its lookups
// add empty keys, and nothing else).
void checkLoad(const Settings& before, IniDocument& document)
{
    const ExpectedLoad expected = expectedLoad(document, before);

    settings = before;
    controllerState = ControllerState{};
    // The opposite of what the load would copy, so that a missing copy shows.
    controllerState.respectBoundariesConfigured = !expected.settings.respectBoundaries;
    Outcome got = Outcome::value;
    try {
        loadInput(document);
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

// AddressSanitizer's defaults for this target; ASAN_OPTIONS overrides them.
// A quarantine of 16 MB instead of 256: freed memory still waits there for
// far more than one input frees (half a megabyte at most, measured on inputs
// of 8 KB), so a use after free within an input, or in the inputs that
// follow, is still caught, and the memory an input reuses stays in the
// processor's caches. This alone makes an input about half as dear.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // loadSettings reads Ambleworks.ini from the current directory: one of
    // our own while an input runs through the file, so that nothing of the
    // caller's is read or overwritten.
    fuzz::setUpWorkDirectory("fuzz-settings", argc, argv);
    const char* throughFileSetting = std::getenv("AMBLEWORKS_FUZZ_THROUGH_FILE");
    throughFile = throughFileSetting && std::string(throughFileSetting) == "1";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::optional<fuzz::InsideWorkDirectory> inside;
    if (throughFile) {
        inside.emplace();
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

    // The same reader again gives the same document: a reader that kept
    // anything from one read to the next, in itself or anywhere else, would
    // show it here. Through the file a second reader does too (from memory
    // it would only repeat the read: the reader holds nothing but its path).
    IniDocument again;
    checkReadAgain(reader, bytes, document, again);
    if (throughFile) {
        IniReader second("Ambleworks.ini");
        checkReadAgain(second, bytes, document, again);
    }

    for (const auto& [name, section] : document.sections) {
        for (const auto& [key, value] : section.entries)
            checkConversions(value);
    }
    // The raw bytes as one value text too: spaces, NULs and all.
    checkConversions(bytes.substr(0, 256));

    // From the built-in defaults, and from a state an earlier load left,
    // each on a document of its own.
    checkLoad(Settings{}, document);
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
    checkLoad(other, again);
    return 0;
}
