// The scenario file: its lines, the keyword table of the statements that
// stand on their own, the run's settings (title, ticks, clock, key repeat,
// how results come back, the starting Ambleworks.ini), and the warnings
// once the whole file is read.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "scenario/parser.h"
#include "scenario/properties.h"
#include "text/nearest_name.h"
#include "text/printable.h"
#include "text/text_bytes.h"
#include "trace/format.h"

namespace sim {

namespace {

// The longest run a scenario may ask for, and the longest clock step.
constexpr int64_t mostTicks = 10000000;
constexpr uint64_t longestStepMs = 60000;
// After this many errors the parser reads no further: a file that is not a
// scenario says so in a screenful, however long it is.
constexpr size_t mostErrors = 20;

// Where `text` holds a control byte (TAB aside) or a byte outside
// well-formed UTF-8, or npos.
size_t firstUnprintable(std::string_view text)
{
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const bool control = (byte < 0x20 && byte != '\t') || byte == 0x7F;
        const size_t length = text::wellFormedUtf8Length(text, at);
        if (control || length == 0)
            return at;
        at += length;
    }
    return std::string::npos;
}

}  // namespace

const Parser::Keyword Parser::keywords[] = {
    {"at", &Parser::atStatement},           {"expect", &Parser::expectStatement}, {"title", &Parser::titleStatement},
    {"ticks", &Parser::ticksStatement},     {"clock", &Parser::clockStatement},   {"repeat", &Parser::repeatStatement},
    {"results", &Parser::resultsStatement}, {"ini", &Parser::iniStatement},
};

std::span<const Parser::Keyword> Parser::keywordTable()
{
    return keywords;
}

std::vector<std::string> Parser::statementKeywords()
{
    std::vector<std::string> names = propertyNames();
    for (const Keyword& entry : keywordTable())
        names.emplace_back(entry.word);
    for (const TimedKeyword& entry : timedKeywordTable()) {
        if (!isStandalone(entry.word))
            names.emplace_back(entry.word);
    }
    return names;
}

bool Parser::isStandalone(const std::string& word)
{
    const std::span<const Keyword> table = keywordTable();
    return std::any_of(table.begin(), table.end(), [&](const Keyword& entry) { return word == entry.word; });
}

bool Parser::isTimedOnly(const std::string& word)
{
    for (const TimedKeyword& entry : timedKeywordTable()) {
        if (word == entry.word)
            return !isStandalone(word);
    }
    return false;
}

void Parser::error(int line, int column, const std::string& message)
{
    if (tooManyErrors())
        return;  // one statement may find several; the file says no more than the limit
    std::string where = path_ + ":" + decimal(line) + ":";
    if (column > 0)
        where += decimal(column) + ":";
    // The message quotes the file's words: every byte that could drive a
    // terminal is written as \xNN.
    errors_.push_back(text::printable(where + " " + message));
}

bool Parser::tooManyErrors() const
{
    return errors_.size() - firstError_ >= mostErrors;
}

void Parser::parse(const std::string& text)
{
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines_.push_back(line);
    }
    while (next_ < lines_.size() && !tooManyErrors()) {
        Statement s;
        s.line = static_cast<int>(next_ + 1);
        s.text = stripComment(lines_[next_++]);
        s.words = splitWords(s.text);
        if (!s.words.empty())
            statement(s);
    }
    if (next_ < lines_.size()) {
        const size_t notRead = lines_.size() - next_;
        errors_.push_back(text::printable(path_) + ": stopped after " + decimal(static_cast<int64_t>(mostErrors)) +
                          " errors; " + decimal(static_cast<int64_t>(notRead)) +
                          (notRead == 1 ? " more line was" : " more lines were") + " not read");
        return;
    }
    warnAfterTheLastTick();
}

void Parser::statement(const Statement& s)
{
    const Word& keyword = s.words[0];
    for (const Keyword& entry : keywords) {
        if (keyword.text == entry.word) {
            (this->*entry.handle)(s);
            return;
        }
    }
    // A game-state statement without `at` holds from tick 1.
    if (stateStatement(s, TickSpan{}))
        return;
    if (isTimedOnly(keyword.text)) {
        error(s.line, keyword.column, "'" + keyword.text + "' needs a tick: 'at N " + keyword.text + " ...'");
        return;
    }
    error(s.line, keyword.column,
          "unknown statement '" + keyword.text + "'" + text::didYouMean(keyword.text, statementKeywords()));
}

void Parser::warnAfterTheLastTick()
{
    if (scenario_.ticks == 0)
        return;  // without `ticks` the run reaches the last tick named
    for (const Timed& timed : timed_) {
        if (timed.first <= scenario_.ticks)
            continue;
        scenario_.warnings.push_back(text::printable(path_) + ":" + decimal(timed.line) + ":" + decimal(timed.column) +
                                     ": warning: tick " + decimal(timed.first) + " comes after the last tick (ticks " +
                                     decimal(scenario_.ticks) + "): this statement never happens");
    }
}

void Parser::titleStatement(const Statement& s)
{
    const std::string title = textFrom(s.text, s.words, 1);
    if (const size_t at = firstUnprintable(title); at != std::string::npos) {
        error(s.line, s.words[1].column,
              "the title holds a byte that is no printable text (" + text::printable(title.substr(at, 1)) +
                  "): the title is shown in the timeline, the chart and by check");
        return;
    }
    scenario_.title = title;
}

void Parser::ticksStatement(const Statement& s)
{
    int64_t n = 0;
    if (s.words.size() != 2 || !parseInt(s.words[1].text, n) || n < 1 || n > mostTicks) {
        error(s.line, s.words.size() > 1 ? s.words[1].column : 0,
              "'ticks' needs a number of ticks from 1 (e.g. 'ticks 40')");
        return;
    }
    scenario_.ticks = static_cast<int>(n);
}

void Parser::clockStatement(const Statement& s)
{
    const Words& w = s.words;
    uint64_t ms = 0;
    if (w.size() != 3 || (w[1].text != "start" && w[1].text != "step") || !parseUnsigned(w[2].text, ms)) {
        error(s.line, w.size() > 1 ? w[1].column : 0, "use 'clock start MS' or 'clock step MS'");
        return;
    }
    if (w[1].text == "step") {
        if (ms < 1 || ms > longestStepMs)
            error(s.line, w[2].column, "the clock step must be 1 to 60000 ms per tick");
        else
            scenario_.clockStep = static_cast<uint32_t>(ms);
        return;
    }
    if (ms == 0 || ms > 0xFFFFFFFFull) {
        error(
            s.line, w[2].column,
            "the clock start must be 1 to 4294967295 ms (0 is refused: an empty key slot reads as nothing only away from 0)");
        return;
    }
    scenario_.clockStart = static_cast<uint32_t>(ms);
}

void Parser::repeatStatement(const Statement& s)
{
    const Words& w = s.words;
    if (w.size() == 2 && lowerCase(w[1].text) == "off") {
        scenario_.repeatKeys = false;
        return;
    }
    uint64_t delay = 0;
    uint64_t rate = 0;
    if (w.size() != 3 || !parseUnsigned(w[1].text, delay) || !parseUnsigned(w[2].text, rate) || rate < 1 ||
        delay > longestStepMs || rate > longestStepMs) {
        error(s.line, w.size() > 1 ? w[1].column : 0,
              "use 'repeat DELAY RATE' (ms, e.g. 'repeat 500 33') or 'repeat off'");
        return;
    }
    scenario_.repeatKeys = true;
    scenario_.repeatDelayMs = static_cast<uint32_t>(delay);
    scenario_.repeatRateMs = static_cast<uint32_t>(rate);
}

void Parser::resultsStatement(const Statement& s)
{
    const Words& w = s.words;
    uint64_t value = 0;
    const bool trueValue = w.size() == 3 && w[1].text == "true_value";
    const bool highBits = w.size() == 3 && w[1].text == "high_bits";
    if (!(trueValue || highBits) || !parseUnsigned(w[2].text, value) || value > 0xFFFFFFFFull ||
        (trueValue && value == 0)) {
        error(s.line, w.size() > 1 ? w[1].column : 0, "use 'results true_value V' (not 0) or 'results high_bits HEX'");
        return;
    }
    (trueValue ? scenario_.trueValue : scenario_.resultHighBits) = static_cast<uint32_t>(value);
}

void Parser::iniStatement(const Statement& s)
{
    IniContent content;
    if (readIni(s, content))
        scenario_.initialIni = content;
}

// `ini none`, `ini begin` … `ini end` or `ini file PATH`, at load or at a tick.
bool Parser::readIni(const Statement& s, IniContent& content)
{
    const Words& w = s.words;
    const std::string what = w.size() >= 2 ? lowerCase(w[1].text) : std::string();
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
        error(s.line, w[1].column, "'ini begin' has no matching 'ini end'");
        return false;
    }
    if (what != "file" || w.size() < 3) {
        error(s.line, w.size() > 1 ? w[1].column : 0,
              "use ini none, ini begin ... ini end, or ini file PATH" +
                  text::didYouMean(what, {"none", "begin", "file"}));
        return false;
    }
    std::string file = textFrom(s.text, w, 2);
    if (file.size() >= 2 && file.front() == '"' && file.back() == '"')
        file = file.substr(1, file.size() - 2);
    std::filesystem::path resolved(file);
    if (resolved.is_relative())
        resolved = std::filesystem::path(baseDir_) / resolved;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(resolved, ec)) {
        error(s.line, w[2].column,
              "the INI file '" + file + "' does not exist (paths are relative to the scenario's folder)");
        return false;
    }
    // The run reads it from inside its own working folder: keep no path
    // relative to the folder the scenario was read from.
    content.kind = IniContent::Kind::file;
    content.text = std::filesystem::absolute(resolved, ec).string();
    return true;
}

bool parseScenarioText(const std::string& text, const std::string& path, const std::string& baseDir, Scenario& scenario,
                       std::vector<std::string>& errors)
{
    scenario = Scenario{};
    scenario.path = path;
    scenario.fileName = std::filesystem::path(path).filename().string();
    if (!text::isText(text)) {
        errors.push_back(text::printable(path) + ": this is not a scenario file: " +
                         (text::startsLikeProgram(text) ? "it is a program file"
                                                        : "it holds binary data (zero bytes, control bytes or bytes "
                                                          "that are no text), not lines of text"));
        return false;
    }
    const size_t before = errors.size();
    Parser parser(path, baseDir, scenario, errors);
    parser.parse(text);
    return errors.size() == before;
}

bool parseScenarioFile(const std::string& path, Scenario& scenario, std::vector<std::string>& errors)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        errors.push_back(text::printable(path) + ": cannot read the scenario file");
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    const std::filesystem::path base = std::filesystem::path(path).parent_path();
    return parseScenarioText(content.str(), path, base.empty() ? "." : base.string(), scenario, errors);
}

}  // namespace sim
