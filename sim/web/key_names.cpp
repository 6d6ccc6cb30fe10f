// Until the plug-in's own table of key names is in src/config, the page reads
// names with the simulator's table of the scenario language (sim/host/keys)
// and shows codes with the doctor's names: the spellings the browser's key
// capture produces for one side of a pair ("Left Shift") or a digit of the
// top row ("Digit 1") are brought to that table's spellings here.

#include "web/key_names.h"

#include <cctype>

#include "doctor/doctor.h"
#include "host/keys.h"

namespace sim::web {

namespace {

// The text without blanks, '_' and '-', in upper case.
std::string squeezed(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '_' || c == '-')
            continue;
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The key both sides of a pair share, for "LEFTSHIFT", "RIGHTALT", ...: only
// that code arrives in keyboard messages.
std::optional<uint32_t> sharedKey(const std::string& name)
{
    if (name == "LSHIFT" || name == "RSHIFT")
        return findKey("SHIFT")->code;
    if (name == "LCTRL" || name == "RCTRL")
        return findKey("CTRL")->code;
    if (name == "LALT" || name == "RALT" || name == "ALTGR")
        return findKey("ALT")->code;
    for (const char* side : {"LEFT", "RIGHT"}) {
        if (!startsWith(name, side))
            continue;
        const std::string rest = name.substr(std::string(side).size());
        if (rest == "SHIFT" || rest == "CTRL" || rest == "CONTROL" || rest == "ALT")
            return findKey(rest)->code;
    }
    return std::nullopt;
}

}  // namespace

std::optional<uint32_t> keyCodeOfName(const std::string& text)
{
    std::string name = squeezed(text);
    if (name.empty())
        return std::nullopt;
    if (const auto shared = sharedKey(name))
        return shared;
    if (startsWith(name, "DIGIT"))
        name = name.substr(5);
    else if (name.find_first_not_of("0123456789") == std::string::npos)
        return std::nullopt;  // digits alone are codes, never names
    if (name.starts_with("0X"))
        return std::nullopt;
    const std::optional<KeyInfo> key = findKey(name);
    if (!key)
        return std::nullopt;
    return key->code;
}

std::string keyNameOfCode(uint32_t code)
{
    return doctor::keyName(static_cast<int32_t>(code));
}

}  // namespace sim::web
