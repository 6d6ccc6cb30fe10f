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
// Nothing may crash or trip a sanitizer, and nothing may escape the load: a
// value that cannot be read gives its setting the built-in default. Beyond
// that the target checks what the reader and the load promise:
//   - the document: names trimmed and lower-cased, no line break, CR or NUL
//     left in any text, indexes that agree with the entries, every name found
//     again in any letter case (the very entry, nothing added), the same
//     document when the same reader reads the input again (through the file,
//     a second reader too);
//   - the conversions of every value: the float (with its decimal comma) and
//     the decimal integer exactly as the C library's strtof and strtol read
//     the text in the "C" locale (NaN refused as invalid, an infinity as out
//     of range), switch words as written out below;
//   - the load: every one of the 24 rows on its own, a line's note dropped,
//     a missing, empty or unreadable line giving its built-in default, no
//     float setting ever NaN or infinite, the copy of RESPECT_BOUNDARIES
//     always the value stored, and the same settings whatever the settings
//     were before the load.
//
// From memory each input is read once: the document is checked, then loaded
// from the built-in settings and again from other settings (a load only reads
// the document).
// Nothing copies a document, and the expected load looks values up on its
// own, without the reader's lookups, and reads numbers with the C library.

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "config/ini_reader.h"
#include "config/key_names.h"
#include "config/settings.h"
#include "config/value_conversions.h"
#include "controller/controller_state.h"
#include "fuzz_failure.h"
#include "work_directory.h"

namespace {

[[noreturn]] void fail(const char* what, std::string_view detail = {})
{
    fuzz::failWith("fuzz_settings", what, detail);
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
    // there and add nothing. By index, as a faulty lookup could append. The
    // first few of each are enough: every lookup takes the same path, and
    // each costs an input more than all the rest of this check.
    constexpr std::size_t entriesLookedUp = 8;
    const std::size_t sectionCount = document.sections.size();
    std::string probe;
    for (std::size_t i = 0; i < sectionCount && i < entriesLookedUp; ++i) {
        IniSection& section = document.sections[i].second;
        probe = " " + upperCased(document.sections[i].first) + "\t";
        if (&document.section(probe) != &section)
            fail("a section looked up in capitals is another one", document.sections[i].first);
        const std::size_t keyCount = section.entries.size();
        for (std::size_t k = 0; k < keyCount && k < entriesLookedUp; ++k) {
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

// The significant hexadecimal digits of a hexadecimal number's mantissa
// (from its first non-zero digit to its last), or 0 for a text that is no
// hexadecimal number.
std::size_t significantHexDigits(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    if (*text == '+' || *text == '-')
        ++text;
    if (text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return 0;
    std::string digits;
    bool point = false;
    for (text += 2; std::isxdigit(static_cast<unsigned char>(*text)) || (*text == '.' && !point); ++text) {
        if (*text == '.')
            point = true;
        else
            digits += *text;
    }
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? 0 : digits.find_last_not_of('0') - first + 1;
}

// True when a hexadecimal text that strtof read as a number below the
// smallest normal float has more digits than that float holds. glibc's strtof
// does not always say so (0x1.fff0e5p-127 reads as 0x1.fff0e4p-127 with no
// ERANGE, while 0x1.8p-149 gets one). Judged exactly: a mantissa of more than
// 15 significant digits has more than the 23 bits such a float can hold, and
// one of 15 or fewer (at most 60 bits) is exact in a long double.
bool hexLosesPrecisionBelowNormal(const char* start, float value)
{
    if (std::fpclassify(value) != FP_SUBNORMAL)
        return false;
    const std::size_t digits = significantHexDigits(start);
    if (digits == 0)
        return false;
    return digits > 15 || std::strtold(start, nullptr) != static_cast<long double>(value);
}

// How strtof and strtol in the "C" locale read a text (this process never
// sets another locale). NaN is refused and an infinity is out of range, so
// that no non-finite speed is ever loaded; so is a number below the smallest
// normal float that loses precision.
ReadFailure referenceFloat(const char* start, float& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtof(start, &end);
    if (end == start || std::isnan(value))
        return ReadFailure::invalidFloat;
    if (errno == ERANGE || std::isinf(value) || hexLosesPrecisionBelowNormal(start, value))
        return ReadFailure::floatOutOfRange;
    return ReadFailure::none;
}

ReadFailure referenceInteger(const char* start, int32_t& value)
{
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(start, &end, 10);
    if (end == start)
        return ReadFailure::invalidInteger;
    if (errno == ERANGE || parsed < std::numeric_limits<int32_t>::min() || parsed > std::numeric_limits<int32_t>::max())
        return ReadFailure::integerOutOfRange;
    value = static_cast<int32_t>(parsed);
    return ReadFailure::none;
}

// The value without its note: cut at the first ';' or '#', blanks before it
// dropped.
std::string noteless(const std::string& text)
{
    std::string value = text.substr(0, text.find_first_of(";#"));
    if (value.size() != text.size()) {
        while (!value.empty() && isBlank(value.back()))
            value.pop_back();
    }
    return value;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The text with its decimal comma as a point, found by the words of the
// rule: the first comma with a digit on each side and no '.' before it, in a
// text that does not start (after a sign) with 0x.
std::string withDecimalPoint(std::string text)
{
    const std::size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (text.compare(digits, 2, "0x") == 0 || text.compare(digits, 2, "0X") == 0)
        return text;
    const std::size_t point = text.find('.');
    for (std::size_t at = text.find(','); at != std::string::npos && at < point; at = text.find(',', at + 1)) {
        if (at > 0 && at + 1 < text.size() && isDigit(text[at - 1]) && isDigit(text[at + 1])) {
            text[at] = '.';
            break;
        }
    }
    return text;
}

// A switch's text: off for the words, and for a whole decimal number (as
// strtod reads one, with no hexadecimal, infinity or NaN form) whose digits
// before its exponent are all 0.
bool referenceSwitch(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower == "off" || lower == "no" || lower == "false")
        return false;
    if (text.empty() || text.find_first_not_of("0123456789+-.eE") != std::string::npos || isBlank(text[0]))
        return true;
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size())
        return true;
    const std::string mantissa = lower.substr(0, lower.find('e'));
    return mantissa.find_first_of("123456789") != std::string::npos;
}

void checkConversions(const std::string& text)
{
    if (withoutNote(text) != noteless(text))
        fail("the note is not dropped as written", text);
    if (text.find('\0') == std::string::npos && convertFlag(text) != referenceSwitch(text))
        fail("a switch reads otherwise than its words say", text);

    // The C library stops at a NUL (c_str() cuts the text there for it); so
    // must the conversions, which never see one in a value read from the
    // file, but get one here now and then.
    float expectedFloat = 0.0f;
    const std::string withPoint = withDecimalPoint(text);
    const ReadFailure floatExpected = referenceFloat(withPoint.c_str(), expectedFloat);
    const FloatReading gotFloat = convertDecimalFloat(text);
    if (gotFloat.failure != floatExpected)
        fail("decimal float fails otherwise than strtof", text);
    if (gotFloat.failure == ReadFailure::none && std::memcmp(&gotFloat.value, &expectedFloat, sizeof(float)) != 0)
        fail("decimal float differs from strtof", text);

    int32_t expectedInteger = 0;
    const ReadFailure integerExpected = referenceInteger(text.c_str(), expectedInteger);
    const IntegerReading gotInteger = convertDecimalInteger(text);
    if (gotInteger.failure != integerExpected)
        fail("decimal integer fails otherwise than strtol", text);
    if (gotInteger.failure == ReadFailure::none && gotInteger.value != expectedInteger)
        fail("decimal integer differs from strtol", text);
}

// The value text of a key, found as the document stores names (lower-cased)
// without the reader's lookups; "" when the section or key is not there.
const std::string& storedValue(const IniDocument& document, const std::string& section, const std::string& key)
{
    static const std::string none;
    const auto foundSection = document.sectionIndex.find(section);
    if (foundSection == document.sectionIndex.end())
        return none;
    const IniSection& entries = document.sections[foundSection->second].second;
    const auto foundKey = entries.keyIndex.find(key);
    return foundKey == entries.keyIndex.end() ? none : entries.entries[foundKey->second].second;
}

// A name of the table below as the document stores it, lower-cased, made
// once per name.
const std::string& lowered(const char* name)
{
    static std::map<const char*, std::string> made;
    auto [at, added] = made.try_emplace(name, name);
    if (added)
        lowerCaseAscii(at->second);
    return at->second;
}

// The settings a document must load into, each row on its own: its value
// read as above, or the built-in default when the line is missing, empty
// after its note, or a number that cannot be read. Key names come from the
// plug-in's table (tested on its own), anything else is a hexadecimal code.
Settings expectedLoad(const IniDocument& document)
{
    Settings s;  // the built-in defaults, for every line that gives nothing
    auto text = [&](const char* section, const char* key) {
        return noteless(storedValue(document, lowered(section), lowered(key)));
    };
    auto key = [&](int32_t& field, const char* section, const char* name) {
        if (const std::string code = text(section, name); !code.empty())
            field = keyCodeOfName(code).value_or(convertHexInteger(code));
    };
    auto flag = [&](bool& field, const char* section, const char* name) {
        if (const std::string word = text(section, name); !word.empty())
            field = referenceSwitch(word);
    };
    auto real = [&](float& field, const char* section, const char* name) {
        float value = 0.0f;
        if (const std::string number = withDecimalPoint(text(section, name));
            !number.empty() && referenceFloat(number.c_str(), value) == ReadFailure::none)
            field = value;
    };
    auto integer = [&](int32_t& field, const char* section, const char* name) {
        int32_t value = 0;
        if (const std::string number = text(section, name);
            !number.empty() && referenceInteger(number.c_str(), value) == ReadFailure::none)
            field = value;
    };
    key(s.hotkeyModifier, "Keys", "HOTKEY_MODIFIER");
    key(s.switchOffKey, "Keys", "SWITCH_OFF_KEY");
    key(s.switchOnKey, "Keys", "SWITCH_ON_KEY");
    key(s.reloadKey, "Keys", "RELOAD_KEY");
    key(s.sprintKey, "Keys", "SPRINT_KEY");
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
    key(s.walkControlKey, "WalkControl", "WALK_CONTROL_KEY");
    flag(s.rememberFastWalk, "WalkControl", "REMEMBER_FAST_WALK");
    integer(s.keepCustomSpeedAfterStoppingMode, "Advanced", "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE");
    flag(s.respectBoundaries, "Advanced", "RESPECT_BOUNDARIES");
    flag(s.ableToOverrideBoundaries, "Advanced", "ABLE_TO_OVERRIDE_BOUNDARIES");
    flag(s.disableAutoRunInFirstPersonCamera, "Optional", "DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA");
    real(s.minimumSpeed, "Optional", "MINIMUM_SPEED");
    return s;
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
void loadInput(const IniDocument& document)
{
    if (throughFile)
        loadSettings();
    else
        storeSettings(document);
}

// Loads the input over `before` and holds the outcome to `expected`, read off
// the document (which the load from memory then reads).
void checkLoad(const Settings& before, const IniDocument& document, const Settings& expected)
{
    settings = before;
    controllerState = ControllerState{};
    // The opposite of what the load must copy, so that a missing copy shows.
    controllerState.respectBoundariesConfigured = !expected.respectBoundaries;
    try {
        loadInput(document);
    } catch (...) {
        fail("an exception escaped the load");
    }
    if (!(settings == expected))
        fail("the load stored otherwise than its lines say");
    if (controllerState.respectBoundariesConfigured != settings.respectBoundaries)
        fail("RESPECT_BOUNDARIES not copied to its configured copy");
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

    // Through the file the same reader again, and a second reader, give the
    // same document: a reader that kept anything from one read to the next,
    // in itself or anywhere else, would show it here.
    if (throughFile) {
        IniDocument again;
        checkReadAgain(reader, bytes, document, again);
        IniReader second("Ambleworks.ini");
        checkReadAgain(second, bytes, document, again);
    }

    // The conversions of the first values (the load checks those of the
    // settings' own lines), and of the raw bytes as one value text: spaces,
    // NULs and all.
    constexpr std::size_t valuesConverted = 16;
    std::size_t converted = 0;
    for (const auto& [name, section] : document.sections) {
        for (const auto& [key, value] : section.entries) {
            if (converted++ < valuesConverted)
                checkConversions(value);
        }
    }
    checkConversions(bytes.substr(0, 256));

    // From the built-in defaults, and from a state an earlier load left: the
    // same settings either way.
    const Settings expected = expectedLoad(document);
    checkLoad(Settings{}, document, expected);
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
    checkLoad(other, document, expected);
    return 0;
}
