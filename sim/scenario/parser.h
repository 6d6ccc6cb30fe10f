#pragma once
// The scenario parser's inner workings, shared by the files that read each
// family of statements (parser.cpp: the file and the run's settings;
// timed_statements.cpp: `at N …`; expect_statements.cpp: `expect …`).
// Statements are found by keyword in tables; every error is collected with
// its line and column, so a file shows all its mistakes at once.

#include <span>
#include <string>
#include <vector>

#include "scenario/scenario.h"
#include "scenario/words.h"

namespace sim {

// One statement: its line number, its text (comment removed) and its words.
struct Statement {
    int line = 0;
    std::string text;
    Words words;
};

class Parser {
public:
    Parser(const std::string& path, const std::string& baseDir, Scenario& scenario, std::vector<std::string>& errors)
        : path_(path),
          baseDir_(baseDir),
          scenario_(scenario),
          errors_(errors),
          firstError_(errors.size())
    {
    }

    void parse(const std::string& text);

    // Every statement keyword (for "did you mean"): the game-state
    // statements, the statements of their own and those only after `at`.
    static std::vector<std::string> statementKeywords();

private:
    using Handler = void (Parser::*)(const Statement&);
    using TimedHandler = void (Parser::*)(const Statement&, const TickSpan&);
    struct Keyword {
        const char* word;
        Handler handle;
    };
    struct TimedKeyword {
        const char* word;
        TimedHandler handle;
    };
    static const Keyword keywords[];
    static const TimedKeyword timedKeywords[];
    // The two tables, each from the file that defines it.
    static std::span<const Keyword> keywordTable();
    static std::span<const TimedKeyword> timedKeywordTable();
    // A keyword of a statement of its own; one that only follows `at`.
    static bool isStandalone(const std::string& word);
    static bool isTimedOnly(const std::string& word);

    void error(int line, int column, const std::string& message);
    void error(int line, const ParseError& problem) { error(line, problem.column, problem.message); }
    // Whether this file has given as many errors as the parser reports.
    bool tooManyErrors() const;
    void noteTick(int tick) { scenario_.highestTick = std::max(scenario_.highestTick, tick); }
    void warnAfterTheLastTick();

    // parser.cpp: the dispatch and the run's settings.
    void statement(const Statement& s);
    void titleStatement(const Statement& s);
    void ticksStatement(const Statement& s);
    void clockStatement(const Statement& s);
    void repeatStatement(const Statement& s);
    void resultsStatement(const Statement& s);
    void iniStatement(const Statement& s);

    // timed_statements.cpp: `at N …` and the game state.
    void atStatement(const Statement& s);
    void timedStatement(const Statement& s, const TickSpan& span);
    bool stateStatement(const Statement& s, const TickSpan& span);
    void keyStatement(const Statement& s, const TickSpan& span);
    void wheelStatement(const Statement& s, const TickSpan& span);
    void pluginStatement(const Statement& s, const TickSpan& span);
    void timedIniStatement(const Statement& s, const TickSpan& span);
    bool readIni(const Statement& s, IniContent& content);
    bool readKeys(const Word& word, KeyStatement& statement);
    bool readKeyOffset(const Statement& s, KeyStatement& statement);

    // expect_statements.cpp: `expect at TICKS …`.
    void expectStatement(const Statement& s);
    bool readCount(const Statement& s, Expectation& expectation, std::string& patternText, int& patternColumn);
    void readSequence(const Statement& s, Expectation& expectation);
    void readPattern(const Statement& s, const std::string& text, int column, CallPattern& pattern, bool& ok);

    const std::string& path_;
    const std::string& baseDir_;
    Scenario& scenario_;
    std::vector<std::string>& errors_;
    size_t firstError_;  // errors_ before this file's

    std::vector<std::string> lines_;
    size_t next_ = 0;  // the next line to read (blocks read ahead)
    // Each `at` statement's line, the column of its tick and its first tick,
    // to warn of those after the last tick once `ticks` is known.
    struct Timed {
        int line = 0;
        int column = 0;
        int first = 0;
    };
    std::vector<Timed> timed_;
};

// Reads one call pattern. On failure `error.column` is the column within
// `text` (from 1) of the part at fault, or 0.
bool readCallPattern(const std::string& text, CallPattern& pattern, ParseError& error);

}  // namespace sim
