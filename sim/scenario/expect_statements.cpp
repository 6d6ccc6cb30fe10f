// `expect at TICKS …`: a call in every tick, no call, a count of calls, or
// the exact sequence of a tick's calls (a block up to `end`).

#include <algorithm>

#include "scenario/parser.h"
#include "text/nearest_name.h"

namespace sim {

namespace {

const std::vector<std::string> comparisons = {"==", "!=", "<", "<=", ">", ">="};

}  // namespace

void Parser::expectStatement(const Statement& s)
{
    const Words& w = s.words;
    if (w.size() < 4 || w[1].text != "at") {
        error(s.line, w.size() > 1 ? w[1].column : 0, "use 'expect at TICKS call|no call|count|sequence ...'");
        return;
    }
    Expectation expectation;
    expectation.line = s.line;
    std::string message;
    if (!parseTickSpan(w[2].text, true, expectation.ticks, message)) {
        error(s.line, w[2].column, message);
        return;
    }
    if (expectation.ticks.special == TickSpan::Special::none)
        noteTick(expectation.ticks.last);
    const std::string& kind = w[3].text;
    std::string patternText;
    int patternColumn = 0;
    if (kind == "call") {
        expectation.kind = Expectation::Kind::call;
        patternText = textFrom(s.text, w, 4);
        patternColumn = w.size() > 4 ? w[4].column : 0;
    } else if (kind == "no" && w.size() >= 5 && w[4].text == "call") {
        expectation.kind = Expectation::Kind::noCall;
        patternText = textFrom(s.text, w, 5);
        patternColumn = w.size() > 5 ? w[5].column : 0;
    } else if (kind == "count") {
        if (!readCount(s, expectation, patternText, patternColumn))
            return;
    } else if (kind == "sequence") {
        readSequence(s, expectation);
        return;
    } else {
        error(s.line, w[3].column,
              "'" + kind + "' is not an expectation (call, no call, count, sequence)" +
                  text::didYouMean(kind, {"call", "no", "count", "sequence"}));
        return;
    }
    bool ok = true;
    readPattern(s, patternText, patternColumn, expectation.pattern, ok);
    if (ok)
        scenario_.expectations.push_back(expectation);
}

// `count PATTERN OP N [per tick]`: the operator and the number from the end
// of the line, the pattern before them.
bool Parser::readCount(const Statement& s, Expectation& expectation, std::string& patternText, int& patternColumn)
{
    expectation.kind = Expectation::Kind::count;
    Words tail(s.words.begin() + 4, s.words.end());
    if (tail.size() >= 2 && tail[tail.size() - 2].text == "per" && tail.back().text == "tick") {
        expectation.perTick = true;
        tail.resize(tail.size() - 2);
    }
    int64_t count = 0;
    if (tail.size() < 3 ||
        std::find(comparisons.begin(), comparisons.end(), tail[tail.size() - 2].text) == comparisons.end() ||
        !parseInt(tail.back().text, count) || count < 0) {
        error(s.line, s.words[3].column,
              "use 'expect at TICKS count PATTERN OP N [per tick]' with OP one of == != < <= > >=");
        return false;
    }
    expectation.op = tail[tail.size() - 2].text;
    expectation.count = static_cast<int>(count);
    patternColumn = tail[0].column;
    const auto from = static_cast<size_t>(patternColumn - 1);
    const auto to = static_cast<size_t>(tail[tail.size() - 2].column - 1);
    patternText = trim(s.text.substr(from, to - from));
    return true;
}

// The patterns of a sequence, one per line up to `end`; `...` for any calls.
void Parser::readSequence(const Statement& s, Expectation& expectation)
{
    expectation.kind = Expectation::Kind::sequence;
    if (s.words.size() != 4) {
        error(s.line, s.words[4].column,
              "'sequence' stands alone on its line; the patterns follow, one per line, up to 'end'");
        return;
    }
    if (expectation.ticks.range) {
        error(s.line, s.words[2].column, "a sequence is expected of one tick, not a range");
        return;
    }
    // Each line of the block may be an error: the block ends at the limit too.
    while (next_ < lines_.size() && !tooManyErrors()) {
        Statement item;
        item.line = static_cast<int>(next_ + 1);
        item.text = stripComment(lines_[next_++]);
        item.words = splitWords(item.text);
        const std::string text = trim(item.text);
        if (text.empty())
            continue;
        if (text == "end") {
            scenario_.expectations.push_back(expectation);
            return;
        }
        Expectation::Item entry;
        entry.line = item.line;
        entry.gap = text == "...";
        bool ok = true;
        if (!entry.gap)
            readPattern(item, text, item.words[0].column, entry.pattern, ok);
        if (ok)
            expectation.sequence.push_back(entry);
    }
    error(s.line, s.words[3].column, "'expect ... sequence' has no matching 'end'");
}

// A call pattern starting at `column` of the statement's line; errors point
// into it.
void Parser::readPattern(const Statement& s, const std::string& text, int column, CallPattern& pattern, bool& ok)
{
    ParseError problem;
    ok = readCallPattern(text, pattern, problem);
    if (!ok)
        error(s.line, problem.column > 0 ? column + problem.column - 1 : column, problem.message);
}

}  // namespace sim
