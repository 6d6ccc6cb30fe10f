// The scenario language's reader: line by line, a statement per line, with
// two block forms (ini begin … ini end, expect … sequence … end). Every error
// is collected with its line, so a file shows all its mistakes at once.
//
// Sections: small text helpers · numbers and yes/no · tick spans · call
// patterns · statements · the file.

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "game/game_model.h"
#include "scenario/scenario.h"
#include "trace/format.h"

namespace sim {

std::string TickSpan::text() const
{
    if (special == Special::load)
        return "load";
    if (special == Special::end)
        return "end";
    if (range)
        return "ticks " + decimal(first) + ".." + decimal(last);
    return "tick " + decimal(first);
}

namespace {

// ---------------------------------------------------------------------------
// Small text helpers

std::string trim(const std::string& text)
{
    const char* blanks = " \t\r\n\f\v";
    const size_t begin = text.find_first_not_of(blanks);
    if (begin == std::string::npos)
        return std::string();
    const size_t end = text.find_last_not_of(blanks);
    return text.substr(begin, end - begin + 1);
}

std::string lower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// Removes a # comment that is not inside double quotes.
std::string stripComment(const std::string& line)
{
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == '#' && !quoted)
            return line.substr(0, i);
    }
    return line;
}

// Splits at blanks; a double-quoted word keeps its blanks (quotes kept).
std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> out;
    std::string current;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (!quoted && (c == ' ' || c == '\t')) {
            if (!current.empty())
                out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        out.push_back(current);
    return out;
}

// The text after the first `count` words, trimmed.
std::string restAfter(const std::string& text, size_t count)
{
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        at = text.find_first_not_of(" \t", at);
        if (at == std::string::npos)
            return std::string();
        at = text.find_first_of(" \t", at);
        if (at == std::string::npos)
            return std::string();
    }
    return trim(text.substr(at));
}

// ---------------------------------------------------------------------------
// Numbers and yes/no

bool parseUnsigned(const std::string& text, uint64_t& value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        begin += 2;
        base = 16;
    }
    if (begin == end)
        return false;
    const auto result = std::from_chars(begin, end, value, base);
    return result.ec == std::errc() && result.ptr == end;
}

bool parseInt(const std::string& text, int64_t& value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin == end)
        return false;
    const auto result = std::from_chars(begin, end, value, 10);
    return result.ec == std::errc() && result.ptr == end;
}

bool parseFloat(const std::string& text, float& value)
{
    if (text.empty())
        return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (*begin == '+')
        ++begin;
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == end;
}

bool parseYesNo(const std::string& text, bool& value)
{
    const std::string t = lower(text);
    if (t == "yes" || t == "on" || t == "true" || t == "1") {
        value = true;
        return true;
    }
    if (t == "no" || t == "off" || t == "false" || t == "0") {
        value = false;
        return true;
    }
    return false;
}

bool isIdentifier(const std::string& text)
{
    if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_'))
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// ---------------------------------------------------------------------------
// Tick spans

bool parseTickSpan(const std::string& text, bool allowSpecial, TickSpan& span, std::string& error)
{
    span = TickSpan{};
    if (allowSpecial && lower(text) == "load") {
        span.special = TickSpan::Special::load;
        return true;
    }
    if (allowSpecial && lower(text) == "end") {
        span.special = TickSpan::Special::end;
        return true;
    }
    const size_t dots = text.find("..");
    int64_t first = 0;
    int64_t last = 0;
    if (dots == std::string::npos) {
        if (!parseInt(text, first)) {
            error = "'" + text + "' is not a tick (a number from 1, or N..M" +
                    std::string(allowSpecial ? ", load or end" : "") + ")";
            return false;
        }
        last = first;
    } else {
        if (!parseInt(text.substr(0, dots), first) || !parseInt(text.substr(dots + 2), last)) {
            error = "'" + text + "' is not a tick range (N..M)";
            return false;
        }
        span.range = true;
    }
    if (first < 1 || last < 1 || first > 100000000 || last > 100000000) {
        error = "ticks are numbered from 1 (got '" + text + "')";
        return false;
    }
    if (last < first) {
        error = "the range '" + text + "' ends before it begins";
        return false;
    }
    span.first = static_cast<int>(first);
    span.last = static_cast<int>(last);
    return true;
}

// ---------------------------------------------------------------------------
// Call patterns

bool parseArgPattern(const std::string& raw, ArgPattern& arg, std::string& error)
{
    const std::string text = trim(raw);
    arg = ArgPattern{};
    if (text == "*") {
        arg.kind = ArgPattern::Kind::any;
        return true;
    }
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        arg.kind = ArgPattern::Kind::text;
        arg.text = text.substr(1, text.size() - 2);
        return true;
    }
    uint64_t integer = 0;
    if (parseUnsigned(text, integer)) {
        if (integer > 0xFFFFFFFFull) {
            error = "'" + text + "' does not fit in 32 bits";
            return false;
        }
        arg.kind = ArgPattern::Kind::integer;
        arg.integer = integer;
        arg.number = static_cast<float>(integer);
        return true;
    }
    float number = 0.0f;
    if (parseFloat(text, number)) {
        arg.kind = ArgPattern::Kind::number;
        arg.number = number;
        return true;
    }
    if (isIdentifier(text)) {
        arg.kind = ArgPattern::Kind::name;
        arg.text = upperCase(text);
        return true;
    }
    error = "'" + text + "' is not an argument pattern (*, a number, a name or a \"text\")";
    return false;
}

// Splits "a, b, "c, d"" at top-level commas.
std::vector<std::string> splitArgs(const std::string& text)
{
    std::vector<std::string> out;
    std::string current;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted) {
            out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    out.push_back(current);
    return out;
}

size_t hostCallArgCount(const std::string& name)
{
    if (name == "scriptRegister")
        return 2;
    return 1;
}

}  // namespace

bool parseCallPattern(const std::string& rawText, CallPattern& pattern, std::string& error)
{
    pattern = CallPattern{};
    std::string text = trim(rawText);
    pattern.source = text;
    if (text.empty()) {
        error = "a call pattern is missing";
        return false;
    }
    std::string resultText;
    const size_t arrow = text.rfind("->");
    if (arrow != std::string::npos && text.find('"', arrow) == std::string::npos) {
        resultText = trim(text.substr(arrow + 2));
        text = trim(text.substr(0, arrow));
        pattern.hasResult = true;
    }
    std::string argsText;
    const size_t open = text.find('(');
    std::string name = trim(text.substr(0, open));
    if (open != std::string::npos) {
        if (text.back() != ')') {
            error = "'" + pattern.source + "': the argument list has no closing ')'";
            return false;
        }
        argsText = text.substr(open + 1, text.size() - open - 2);
        pattern.hasArgs = true;
    }

    if (const NativeSpec* entry = findNativeByName(name)) {
        pattern.entry = entry;
        pattern.name = std::string(entry->name);
    } else {
        for (std::string_view host : hostCallNames) {
            if (lower(std::string(host)) == lower(name))
                pattern.name = std::string(host);
        }
        if (pattern.name.empty()) {
            error = "'" + name + "' is neither one of the 21 natives nor a host function";
            return false;
        }
    }

    if (pattern.hasArgs) {
        const size_t expected = pattern.entry ? pattern.entry->args.size() : hostCallArgCount(pattern.name);
        std::vector<std::string> parts;
        if (!trim(argsText).empty())
            parts = splitArgs(argsText);
        if (parts.size() != expected) {
            error = "'" + pattern.source + "': " + pattern.name + " takes " + decimal(static_cast<int64_t>(expected)) +
                    " argument" + (expected == 1 ? "" : "s") + ", the pattern gives " +
                    decimal(static_cast<int64_t>(parts.size()));
            return false;
        }
        for (const std::string& part : parts) {
            ArgPattern arg;
            if (!parseArgPattern(part, arg, error))
                return false;
            pattern.args.push_back(arg);
        }
    }

    if (pattern.hasResult) {
        if (pattern.entry && pattern.entry->result == ResultKind::none) {
            error = "'" + pattern.source + "': " + pattern.name + " has no result";
            return false;
        }
        if (!pattern.entry) {
            error = "'" + pattern.source + "': host functions have no result to match";
            return false;
        }
        if (!parseArgPattern(resultText, pattern.result, error))
            return false;
    }
    return true;
}

namespace {

// ---------------------------------------------------------------------------
// Statements

class Parser {
public:
    Parser(const std::string& path, const std::string& baseDir, Scenario& scenario, std::vector<std::string>& errors)
        : path_(path),
          baseDir_(baseDir),
          scenario_(scenario),
          errors_(errors)
    {
    }

    void parse(const std::string& text);

private:
    void error(int line, const std::string& message)
    {
        errors_.push_back(path_ + ":" + decimal(line) + ": " + message);
    }
    void noteTick(int tick) { scenario_.highestTick = std::max(scenario_.highestTick, tick); }

    void statement(int line, const std::string& text);
    void timedStatement(int line, const TickSpan& span, const std::string& text);
    bool stateStatement(int line, const TickSpan& span, const std::vector<std::string>& w);
    void keyStatement(int line, const TickSpan& span, const std::vector<std::string>& w);
    void expectStatement(int line, const std::string& text);
    bool iniStatement(int line, const std::vector<std::string>& w, const std::string& text, IniContent& content);

    const std::string& path_;
    const std::string& baseDir_;
    Scenario& scenario_;
    std::vector<std::string>& errors_;

    std::vector<std::string> lines_;
    size_t next_ = 0;  // the next line to read (blocks read ahead)
};

void Parser::parse(const std::string& text)
{
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines_.push_back(line);
    }
    while (next_ < lines_.size()) {
        const int number = static_cast<int>(next_ + 1);
        const std::string content = trim(stripComment(lines_[next_]));
        ++next_;
        if (!content.empty())
            statement(number, content);
    }
}

bool Parser::iniStatement(int line, const std::vector<std::string>& w, const std::string& text, IniContent& content)
{
    if (w.size() < 2) {
        error(line, "'ini' needs none, begin or file PATH");
        return false;
    }
    const std::string what = lower(w[1]);
    if (what == "none" && w.size() == 2) {
        content.kind = IniContent::Kind::none;
        return true;
    }
    if (what == "begin" && w.size() == 2) {
        content.kind = IniContent::Kind::text;
        content.text.clear();
        while (next_ < lines_.size()) {
            const std::string raw = lines_[next_++];
            if (trim(raw) == "ini end")
                return true;
            content.text += raw + "\n";
        }
        error(line, "'ini begin' has no matching 'ini end'");
        return false;
    }
    if (what == "file" && w.size() >= 3) {
        std::string file = restAfter(text, 2);
        if (file.size() >= 2 && file.front() == '"' && file.back() == '"')
            file = file.substr(1, file.size() - 2);
        std::filesystem::path resolved(file);
        if (resolved.is_relative())
            resolved = std::filesystem::path(baseDir_) / resolved;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(resolved, ec)) {
            error(line, "the INI file '" + file + "' does not exist (paths are relative to the scenario's folder)");
            return false;
        }
        // The run reads it from inside its own working folder: keep no
        // path relative to the folder the scenario was read from.
        content.kind = IniContent::Kind::file;
        content.text = std::filesystem::absolute(resolved, ec).string();
        return true;
    }
    error(line, "'" + text + "': use ini none, ini begin … ini end, or ini file PATH");
    return false;
}

void Parser::statement(int line, const std::string& text)
{
    const std::vector<std::string> w = words(text);
    const std::string& keyword = w[0];

    if (keyword == "at") {
        if (w.size() < 3) {
            error(line, "'at' needs a tick and a statement (e.g. 'at 10 move up')");
            return;
        }
        TickSpan span;
        std::string message;
        if (!parseTickSpan(w[1], false, span, message)) {
            error(line, message);
            return;
        }
        timedStatement(line, span, restAfter(text, 2));
        return;
    }
    if (keyword == "expect") {
        expectStatement(line, text);
        return;
    }
    if (keyword == "title") {
        scenario_.title = restAfter(text, 1);
        return;
    }
    if (keyword == "ticks") {
        int64_t n = 0;
        if (w.size() != 2 || !parseInt(w[1], n) || n < 1 || n > 10000000) {
            error(line, "'ticks' needs a number of ticks from 1 (e.g. 'ticks 40')");
            return;
        }
        scenario_.ticks = static_cast<int>(n);
        return;
    }
    if (keyword == "clock") {
        uint64_t ms = 0;
        if (w.size() != 3 || !parseUnsigned(w[2], ms)) {
            error(line, "use 'clock start MS' or 'clock step MS'");
            return;
        }
        if (w[1] == "start") {
            if (ms == 0 || ms > 0xFFFFFFFFull) {
                error(
                    line,
                    "the clock start must be 1 to 4294967295 ms (0 is refused: an empty key slot reads as nothing only away from 0)");
                return;
            }
            scenario_.clockStart = static_cast<uint32_t>(ms);
        } else if (w[1] == "step") {
            if (ms < 1 || ms > 60000) {
                error(line, "the clock step must be 1 to 60000 ms per tick");
                return;
            }
            scenario_.clockStep = static_cast<uint32_t>(ms);
        } else {
            error(line, "use 'clock start MS' or 'clock step MS'");
        }
        return;
    }
    if (keyword == "repeat") {
        if (w.size() == 2 && lower(w[1]) == "off") {
            scenario_.repeatKeys = false;
            return;
        }
        uint64_t delay = 0;
        uint64_t rate = 0;
        if (w.size() != 3 || !parseUnsigned(w[1], delay) || !parseUnsigned(w[2], rate) || rate < 1 || delay > 60000 ||
            rate > 60000) {
            error(line, "use 'repeat DELAY RATE' (ms, e.g. 'repeat 500 33') or 'repeat off'");
            return;
        }
        scenario_.repeatKeys = true;
        scenario_.repeatDelayMs = static_cast<uint32_t>(delay);
        scenario_.repeatRateMs = static_cast<uint32_t>(rate);
        return;
    }
    if (keyword == "results") {
        uint64_t value = 0;
        if (w.size() != 3 || !parseUnsigned(w[2], value) || value > 0xFFFFFFFFull) {
            error(line, "use 'results true_value V' or 'results high_bits HEX'");
            return;
        }
        if (w[1] == "true_value" && value != 0) {
            scenario_.trueValue = static_cast<uint32_t>(value);
        } else if (w[1] == "high_bits") {
            scenario_.resultHighBits = static_cast<uint32_t>(value);
        } else {
            error(line, "use 'results true_value V' (not 0) or 'results high_bits HEX'");
        }
        return;
    }
    if (keyword == "ini") {
        IniContent content;
        if (iniStatement(line, w, text, content))
            scenario_.initialIni = content;
        return;
    }
    // A game-state statement without `at` holds from tick 1.
    TickSpan fromStart;
    if (stateStatement(line, fromStart, w))
        return;
    if (keyword == "key" || keyword == "wheel" || keyword == "plugin") {
        error(line, "'" + keyword + "' needs a tick: 'at N " + keyword + " …'");
        return;
    }
    error(line, "unknown statement '" + keyword + "'");
}

void Parser::timedStatement(int line, const TickSpan& span, const std::string& text)
{
    const std::vector<std::string> w = words(text);
    if (w.empty()) {
        error(line, "'at' needs a statement after the tick");
        return;
    }
    const std::string& keyword = w[0];
    noteTick(span.last);

    if (keyword == "key") {
        keyStatement(line, span, w);
        return;
    }
    if (keyword == "wheel") {
        if (w.size() != 2 || (w[1] != "up" && w[1] != "down")) {
            error(line, "use 'wheel up' or 'wheel down'");
            return;
        }
        scenario_.wheels.push_back({line, span, w[1] == "up"});
        return;
    }
    if (keyword == "ini") {
        if (span.range) {
            error(line, "'ini' changes the file at one tick, not a range");
            return;
        }
        IniStatement statement;
        statement.line = line;
        statement.tick = span.first;
        if (iniStatement(line, w, text, statement.content))
            scenario_.inis.push_back(statement);
        return;
    }
    if (keyword == "plugin") {
        PluginStatement statement;
        statement.line = line;
        if (w.size() != 2) {
            error(line, "use 'plugin reload', 'plugin unload' or 'plugin load'");
            return;
        }
        if (w[1] == "reload")
            statement.action = PluginStatement::Action::reload;
        else if (w[1] == "unload")
            statement.action = PluginStatement::Action::unload;
        else if (w[1] == "load")
            statement.action = PluginStatement::Action::load;
        else {
            error(line, "use 'plugin reload', 'plugin unload' or 'plugin load'");
            return;
        }
        for (int tick = span.first; tick <= span.last; ++tick) {
            statement.tick = tick;
            scenario_.plugins.push_back(statement);
        }
        return;
    }
    if (!stateStatement(line, span, w))
        error(line, "unknown statement '" + keyword + "' after 'at'");
}

// Returns false only when the keyword is not a state statement at all; a
// malformed state statement is reported and counts as handled.
bool Parser::stateStatement(int line, const TickSpan& span, const std::vector<std::string>& w)
{
    static const std::vector<std::pair<std::string, Property>> flags = {
        {"on_foot", Property::onFoot},
        {"hold_blocked", Property::holdBlocked},
        {"first_person", Property::firstPerson},
        {"ped_move_free", Property::pedMoveFree},
        {"global_move_restricted", Property::globalMoveRestricted},
        {"ped_move_restricted", Property::pedMoveRestricted},
        {"run_drop_allowed", Property::runDropAllowed},
    };
    const std::string& keyword = w[0];
    StateStatement statement;
    statement.line = line;
    statement.ticks = span;

    for (const auto& [name, property] : flags) {
        if (keyword != name)
            continue;
        statement.property = property;
        if (w.size() != 2 || !parseYesNo(w[1], statement.value.flag)) {
            std::string usage = "use '";
            usage.append(name).append(" yes' or '").append(name).append(" no'");
            error(line, usage);
            return true;
        }
        scenario_.states.push_back(statement);
        return true;
    }

    if (keyword == "gait") {
        statement.property = Property::gait;
        Gait gait;
        gait.automatic = false;
        if (w.size() != 2) {
            error(line, "use 'gait auto', 'gait still|walking|running|sprinting' (joined with +), or 'gait none'");
            return true;
        }
        const std::string value = lower(w[1]);
        if (value == "auto") {
            gait.automatic = true;
        } else if (value != "none") {
            std::istringstream parts(value);
            std::string part;
            while (std::getline(parts, part, '+')) {
                if (part == "walking")
                    gait.walking = true;
                else if (part == "running")
                    gait.running = true;
                else if (part == "sprinting")
                    gait.sprinting = true;
                else if (part == "still")
                    gait.still = true;
                else {
                    error(line, "'" + part + "' is not a gait (still, walking, running, sprinting)");
                    return true;
                }
            }
        }
        statement.value.gait = gait;
        scenario_.states.push_back(statement);
        return true;
    }
    if (keyword == "desired") {
        statement.property = Property::desired;
        Desired desired;
        if (w.size() >= 2 && lower(w[1]) == "auto") {
            desired.automatic = true;
            if (w.size() == 4) {
                if (!parseFloat(w[2], desired.walk) || !parseFloat(w[3], desired.run)) {
                    error(line, "use 'desired auto WALK RUN' with two speeds (e.g. 'desired auto 1.0 2.0')");
                    return true;
                }
            } else if (w.size() != 2) {
                error(line, "use 'desired auto' or 'desired auto WALK RUN'");
                return true;
            }
        } else if (w.size() == 2 && parseFloat(w[1], desired.value)) {
            desired.automatic = false;
        } else {
            error(line, "use 'desired SPEED' (e.g. 'desired 1.6') or 'desired auto'");
            return true;
        }
        statement.value.desired = desired;
        scenario_.states.push_back(statement);
        return true;
    }
    if (keyword == "move") {
        statement.property = Property::move;
        if (w.size() != 2) {
            error(line, "use 'move up|down|left|right' (joined with +) or 'move none'");
            return true;
        }
        const std::string value = lower(w[1]);
        if (value != "none") {
            std::istringstream parts(value);
            std::string part;
            while (std::getline(parts, part, '+')) {
                if (part == "up")
                    statement.value.moves.insert("INPUT_MOVE_UP_ONLY");
                else if (part == "down")
                    statement.value.moves.insert("INPUT_MOVE_DOWN_ONLY");
                else if (part == "left")
                    statement.value.moves.insert("INPUT_MOVE_LEFT_ONLY");
                else if (part == "right")
                    statement.value.moves.insert("INPUT_MOVE_RIGHT_ONLY");
                else {
                    error(line, "'" + part + "' is not a move direction (up, down, left, right)");
                    return true;
                }
            }
        }
        scenario_.states.push_back(statement);
        return true;
    }
    if (keyword == "control" || keyword == "control_enabled") {
        statement.property = keyword == "control" ? Property::control : Property::controlEnabled;
        const char* usage = keyword == "control" ? "use 'control NAME on|off' (e.g. 'control INPUT_SPRINT on')"
                                                 : "use 'control_enabled NAME yes|no'";
        if (w.size() != 3 || !isIdentifier(w[1]) || !parseYesNo(w[2], statement.value.flag)) {
            error(line, usage);
            return true;
        }
        statement.control = upperCase(w[1]);
        if (statement.control.rfind("INPUT_", 0) != 0) {
            error(line, "'" + w[1] + "' is not a control name (they start with INPUT_)");
            return true;
        }
        scenario_.states.push_back(statement);
        return true;
    }
    if (keyword == "ped") {
        statement.property = Property::ped;
        uint64_t handle = 0;
        if (w.size() != 2 || !parseUnsigned(w[1], handle) || handle > 0xFFFFFFFFull) {
            error(line, "use 'ped HANDLE' with a 32-bit number (e.g. 'ped 0x80000001')");
            return true;
        }
        statement.value.ped = static_cast<uint32_t>(handle);
        scenario_.states.push_back(statement);
        return true;
    }
    return false;
}

void Parser::keyStatement(int line, const TickSpan& span, const std::vector<std::string>& w)
{
    KeyStatement statement;
    statement.line = line;
    statement.ticks = span;
    if (w.size() < 3) {
        error(line, "use 'key press|release|tap|hold KEY' (e.g. 'at 10 key press SHIFT')");
        return;
    }
    const std::string& action = w[1];
    if (action == "press")
        statement.action = KeyStatement::Action::press;
    else if (action == "release")
        statement.action = KeyStatement::Action::release;
    else if (action == "tap")
        statement.action = KeyStatement::Action::tap;
    else if (action == "hold")
        statement.action = KeyStatement::Action::hold;
    else {
        error(line, "'" + action + "' is not a key action (press, release, tap, hold)");
        return;
    }
    std::istringstream parts(w[2]);
    std::string part;
    while (std::getline(parts, part, '+')) {
        const std::optional<KeyInfo> key = findKey(part);
        if (!key) {
            error(line,
                  "'" + part + "' is not a key (a name such as SHIFT, END, NUMPAD1, A, or a hex code such as 0x10)");
            return;
        }
        statement.keys.push_back(*key);
    }
    // An optional offset: "-5ms", "-5 ms".
    std::string offset;
    for (size_t i = 3; i < w.size(); ++i)
        offset += w[i];
    if (!offset.empty()) {
        if (statement.action != KeyStatement::Action::press && statement.action != KeyStatement::Action::release) {
            error(line, "only 'key press' and 'key release' take an offset");
            return;
        }
        int64_t ms = 0;
        if (offset.size() < 4 || offset[0] != '-' || offset.substr(offset.size() - 2) != "ms" ||
            !parseInt(offset.substr(1, offset.size() - 3), ms) || ms < 0) {
            error(line, "'" + offset + "' is not an offset (write '-5ms': 5 ms before the tick)");
            return;
        }
        statement.offsetMs = static_cast<int>(ms);
    }
    if (statement.action == KeyStatement::Action::hold) {
        noteTick(span.last + 1);  // the release lands before the tick after the hold
    } else if (span.range) {
        error(line, "'key " + action + "' happens at one tick; use 'key hold' for a range");
        return;
    }
    scenario_.keys.push_back(statement);
}

void Parser::expectStatement(int line, const std::string& text)
{
    const std::vector<std::string> w = words(text);
    if (w.size() < 4 || w[1] != "at") {
        error(line, "use 'expect at TICKS call|no call|count|sequence …'");
        return;
    }
    Expectation expectation;
    expectation.line = line;
    std::string message;
    if (!parseTickSpan(w[2], true, expectation.ticks, message)) {
        error(line, message);
        return;
    }
    if (expectation.ticks.special == TickSpan::Special::none)
        noteTick(expectation.ticks.last);
    const std::string& kind = w[3];
    std::string rest;

    if (kind == "call") {
        expectation.kind = Expectation::Kind::call;
        rest = restAfter(text, 4);
    } else if (kind == "no" && w.size() >= 5 && w[4] == "call") {
        expectation.kind = Expectation::Kind::noCall;
        rest = restAfter(text, 5);
    } else if (kind == "count") {
        expectation.kind = Expectation::Kind::count;
        rest = restAfter(text, 4);
        std::vector<std::string> tail = words(rest);
        if (tail.size() >= 2 && tail[tail.size() - 2] == "per" && tail.back() == "tick") {
            expectation.perTick = true;
            tail.resize(tail.size() - 2);
        }
        static const std::vector<std::string> ops = {"==", "!=", "<", "<=", ">", ">="};
        int64_t count = 0;
        if (tail.size() < 3 || std::find(ops.begin(), ops.end(), tail[tail.size() - 2]) == ops.end() ||
            !parseInt(tail.back(), count) || count < 0) {
            error(line, "use 'expect at TICKS count PATTERN OP N [per tick]' with OP one of == != < <= > >=");
            return;
        }
        expectation.op = tail[tail.size() - 2];
        expectation.count = static_cast<int>(count);
        // The pattern is everything before the operator.
        const size_t opAt = rest.rfind(" " + expectation.op + " ");
        rest = trim(rest.substr(0, opAt));
    } else if (kind == "sequence") {
        expectation.kind = Expectation::Kind::sequence;
        if (w.size() != 4) {
            error(line, "'sequence' stands alone on its line; the patterns follow, one per line, up to 'end'");
            return;
        }
        if (expectation.ticks.range) {
            error(line, "a sequence is expected of one tick, not a range");
            return;
        }
        bool closed = false;
        while (next_ < lines_.size()) {
            const int number = static_cast<int>(next_ + 1);
            const std::string item = trim(stripComment(lines_[next_++]));
            if (item.empty())
                continue;
            if (item == "end") {
                closed = true;
                break;
            }
            Expectation::Item entry;
            entry.line = number;
            if (item == "...") {
                entry.gap = true;
            } else if (!parseCallPattern(item, entry.pattern, message)) {
                error(number, message);
                continue;
            }
            expectation.sequence.push_back(entry);
        }
        if (!closed) {
            error(line, "'expect … sequence' has no matching 'end'");
            return;
        }
        scenario_.expectations.push_back(expectation);
        return;
    } else {
        error(line, "'" + kind + "' is not an expectation (call, no call, count, sequence)");
        return;
    }

    if (!parseCallPattern(rest, expectation.pattern, message)) {
        error(line, message);
        return;
    }
    scenario_.expectations.push_back(expectation);
}

}  // namespace

// ---------------------------------------------------------------------------
// The file

bool parseScenarioText(const std::string& text, const std::string& path, const std::string& baseDir, Scenario& scenario,
                       std::vector<std::string>& errors)
{
    scenario = Scenario{};
    scenario.path = path;
    scenario.fileName = std::filesystem::path(path).filename().string();
    const size_t before = errors.size();
    Parser parser(path, baseDir, scenario, errors);
    parser.parse(text);
    return errors.size() == before;
}

bool parseScenarioFile(const std::string& path, Scenario& scenario, std::vector<std::string>& errors)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        errors.push_back(path + ": cannot read the scenario file");
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    const std::filesystem::path base = std::filesystem::path(path).parent_path();
    return parseScenarioText(content.str(), path, base.empty() ? "." : base.string(), scenario, errors);
}

}  // namespace sim
