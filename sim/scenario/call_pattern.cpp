// Call patterns: `NAME`, `NAME(ARG, …)` and `NAME(ARG, …) -> RESULT`, the
// shape expectations match trace events against. Names are checked against
// what the host can ever see (the natives of the catalogue, the host
// functions, the control names, the words of registration calls), so a typo
// is an error with a suggestion rather than an expectation that silently
// never matches.

#include <algorithm>
#include <charconv>

#include "game/game_model.h"
#include "scenario/parser.h"
#include "text/nearest_name.h"
#include "trace/format.h"

namespace sim {

namespace {

// One argument's text and the column (from 1, within the pattern) it starts at.
struct ArgText {
    std::string text;
    int column = 0;
};

// Splits "a, b, "c, d"" at top-level commas.
std::vector<ArgText> splitArgs(const std::string& text, int firstColumn)
{
    std::vector<ArgText> out;
    ArgText current{"", firstColumn};
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted) {
            out.push_back(current);
            current = ArgText{"", firstColumn + static_cast<int>(i) + 1};
        } else {
            current.text += c;
        }
    }
    out.push_back(current);
    for (ArgText& arg : out) {
        const size_t lead = arg.text.find_first_not_of(" \t");
        arg.column += lead == std::string::npos ? 0 : static_cast<int>(lead);
        arg.text = trim(arg.text);
    }
    return out;
}

std::vector<std::string> knownControlNames()
{
    std::vector<std::string> names;
    for (std::string_view name : controlNames())
        names.emplace_back(name);
    return names;
}

// Every name an argument or a result can match: the controls, the words of
// the registration calls, true and false.
std::vector<std::string> knownArgNames()
{
    std::vector<std::string> names = knownControlNames();
    for (std::string_view word : hostCallWords)
        names.push_back(upperCase(std::string(word)));
    names.emplace_back("TRUE");
    names.emplace_back("FALSE");
    return names;
}

// A number as written: with a point and no exponent it is compared at the
// precision written.
void readDecimals(const std::string& text, ArgPattern& arg)
{
    const size_t point = text.find('.');
    if (point == std::string::npos || text.find_first_of("eEnN") != std::string::npos)
        return;
    const std::string plain = text[0] == '+' ? text.substr(1) : text;
    double written = 0.0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), written);
    if (result.ec != std::errc())
        return;
    arg.decimals = static_cast<int>(text.size() - point - 1);
    arg.written = written;
}

bool readArgPattern(const ArgText& raw, ArgPattern& arg, ParseError& error)
{
    const std::string& text = raw.text;
    arg = ArgPattern{};
    if (text == "*")
        return true;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        arg.kind = ArgPattern::Kind::text;
        arg.text = text.substr(1, text.size() - 2);
        const std::vector<std::string> names = knownControlNames();
        if (std::find(names.begin(), names.end(), arg.text) != names.end())
            return true;
        error = {raw.column, "'" + text + "' is not a text the plug-in passes (one of its control names)" +
                                 text::didYouMean(arg.text, names)};
        return false;
    }
    uint64_t integer = 0;
    if (parseUnsigned(text, integer)) {
        if (integer > 0xFFFFFFFFull) {
            error = {raw.column, "'" + text + "' does not fit in 32 bits"};
            return false;
        }
        arg.kind = ArgPattern::Kind::integer;
        arg.integer = integer;
        arg.number = static_cast<float>(integer);
        return true;
    }
    if (parseFloat(text, arg.number)) {
        arg.kind = ArgPattern::Kind::number;
        readDecimals(text, arg);
        return true;
    }
    if (!isIdentifier(text)) {
        error = {raw.column, "'" + text + "' is not an argument pattern (*, a number, a name or a \"text\")"};
        return false;
    }
    arg.kind = ArgPattern::Kind::name;
    arg.text = upperCase(text);
    const std::vector<std::string> names = knownArgNames();
    if (std::find(names.begin(), names.end(), arg.text) != names.end())
        return true;
    error = {raw.column,
             "'" + text + "' is not a control name or a word of the trace" + text::didYouMean(arg.text, names)};
    return false;
}

// The native or host function of a pattern, by name (letter case ignored).
bool readCallName(const std::string& name, CallPattern& pattern, ParseError& error)
{
    if (const NativeSpec* entry = findNativeByName(name)) {
        pattern.entry = entry;
        pattern.name = std::string(entry->name);
        return true;
    }
    std::vector<std::string> known;
    for (const NativeSpec& native : nativeCatalogue())
        known.emplace_back(native.name);
    for (std::string_view host : hostCallNames) {
        known.emplace_back(host);
        if (upperCase(std::string(host)) == upperCase(name))
            pattern.name = std::string(host);
    }
    if (!pattern.name.empty())
        return true;
    error = {1, "'" + name + "' is neither a native the plug-in calls nor a host function" +
                    text::didYouMean(name, known)};
    return false;
}

bool readArgs(const std::string& argsText, int column, CallPattern& pattern, ParseError& error)
{
    const size_t expected = pattern.entry ? pattern.entry->args.size() : (pattern.name == "scriptRegister" ? 2 : 1);
    std::vector<ArgText> parts;
    if (!trim(argsText).empty())
        parts = splitArgs(argsText, column);
    if (parts.size() != expected) {
        error = {column, "'" + pattern.source + "': " + pattern.name + " takes " +
                             decimal(static_cast<int64_t>(expected)) + " argument" + (expected == 1 ? "" : "s") +
                             ", the pattern gives " + decimal(static_cast<int64_t>(parts.size()))};
        return false;
    }
    for (const ArgText& part : parts) {
        ArgPattern arg;
        if (!readArgPattern(part, arg, error))
            return false;
        pattern.args.push_back(arg);
    }
    return true;
}

bool readResult(const ArgText& result, CallPattern& pattern, ParseError& error)
{
    if (!pattern.entry || pattern.entry->result == ResultKind::none) {
        error = {result.column, "'" + pattern.source + "': " +
                                    (pattern.entry ? pattern.name + " has no result"
                                                   : std::string("host functions have no result to match"))};
        return false;
    }
    return readArgPattern(result, pattern.result, error);
}

}  // namespace

bool readCallPattern(const std::string& rawText, CallPattern& pattern, ParseError& error)
{
    pattern = CallPattern{};
    std::string text = trim(rawText);
    pattern.source = text;
    if (text.empty()) {
        error = {0, "a call pattern is missing"};
        return false;
    }
    ArgText result;
    const size_t arrow = text.rfind("->");
    if (arrow != std::string::npos && text.find('"', arrow) == std::string::npos) {
        result = splitArgs(text.substr(arrow + 2), static_cast<int>(arrow) + 3)[0];
        text = trim(text.substr(0, arrow));
        pattern.hasResult = true;
    }
    const size_t open = text.find('(');
    if (!readCallName(trim(text.substr(0, open)), pattern, error))
        return false;
    if (open != std::string::npos) {
        if (text.back() != ')') {
            error = {static_cast<int>(open) + 1, "'" + pattern.source + "': the argument list has no closing ')'"};
            return false;
        }
        pattern.hasArgs = true;
        if (!readArgs(text.substr(open + 1, text.size() - open - 2), static_cast<int>(open) + 2, pattern, error))
            return false;
    }
    return !pattern.hasResult || readResult(result, pattern, error);
}

bool parseCallPattern(const std::string& text, CallPattern& pattern, std::string& error)
{
    ParseError problem;
    const bool ok = readCallPattern(text, pattern, problem);
    if (!ok)
        error = problem.message;
    return ok;
}

}  // namespace sim
