// The statements that happen at a tick (`at N …`): keyboard messages, wheel
// notches, changes to Ambleworks.ini, the plug-in reloaded, and the game
// state, which may also stand without `at` and then holds from tick 1.

#include <sstream>

#include "scenario/parser.h"
#include "scenario/properties.h"
#include "text/nearest_name.h"

namespace sim {

namespace {

// The word of an action in a statement (`key press`, `plugin reload`).
template <typename Action>
struct ActionWord {
    const char* word;
    Action action;
};

constexpr ActionWord<KeyStatement::Action> keyActions[] = {
    {"press", KeyStatement::Action::press},
    {"release", KeyStatement::Action::release},
    {"tap", KeyStatement::Action::tap},
    {"hold", KeyStatement::Action::hold},
};

constexpr ActionWord<PluginStatement::Action> pluginActions[] = {
    {"reload", PluginStatement::Action::reload},
    {"unload", PluginStatement::Action::unload},
    {"load", PluginStatement::Action::load},
};

// The action a word names, or nullptr; `words` gets every word of the table
// (for "did you mean").
template <typename Action, size_t count>
const ActionWord<Action>* findAction(const ActionWord<Action> (&table)[count], const std::string& word,
                                     std::vector<std::string>& words)
{
    const ActionWord<Action>* found = nullptr;
    for (const ActionWord<Action>& entry : table) {
        words.push_back(entry.word);
        found = word == entry.word ? &entry : found;
    }
    return found;
}

// The statement without its first `count` words (the words keep their columns).
Statement after(const Statement& s, size_t count)
{
    Statement rest = s;
    rest.words.erase(rest.words.begin(), rest.words.begin() + static_cast<std::ptrdiff_t>(count));
    return rest;
}

}  // namespace

const Parser::TimedKeyword Parser::timedKeywords[] = {
    {"key", &Parser::keyStatement},
    {"wheel", &Parser::wheelStatement},
    {"plugin", &Parser::pluginStatement},
    {"ini", &Parser::timedIniStatement},
};

std::span<const Parser::TimedKeyword> Parser::timedKeywordTable()
{
    return timedKeywords;
}

void Parser::atStatement(const Statement& s)
{
    if (s.words.size() < 3) {
        error(s.line, 0, "'at' needs a tick and a statement (e.g. 'at 10 move up')");
        return;
    }
    TickSpan span;
    std::string message;
    if (!parseTickSpan(s.words[1].text, false, span, message)) {
        error(s.line, s.words[1].column, message);
        return;
    }
    timed_.push_back({s.line, s.words[1].column, span.first});
    noteTick(span.last);
    timedStatement(after(s, 2), span);
}

void Parser::timedStatement(const Statement& s, const TickSpan& span)
{
    const Word& keyword = s.words[0];
    for (const TimedKeyword& entry : timedKeywords) {
        if (keyword.text == entry.word) {
            (this->*entry.handle)(s, span);
            return;
        }
    }
    if (stateStatement(s, span))
        return;
    std::vector<std::string> known = propertyNames();
    for (const TimedKeyword& entry : timedKeywords)
        known.emplace_back(entry.word);
    error(s.line, keyword.column,
          "unknown statement '" + keyword.text + "' after 'at'" + text::didYouMean(keyword.text, known));
}

// Returns false only when the keyword is no game-state statement at all; a
// malformed one is reported and counts as handled.
bool Parser::stateStatement(const Statement& s, const TickSpan& span)
{
    StateStatement statement;
    statement.property = findProperty(s.words[0].text);
    if (!statement.property)
        return false;
    statement.line = s.line;
    statement.ticks = span;
    ParseError problem;
    if (readPropertyValue(after(s, 1).words, statement, problem))
        scenario_.states.push_back(statement);
    else
        error(s.line, problem);
    return true;
}

void Parser::keyStatement(const Statement& s, const TickSpan& span)
{
    const Words& w = s.words;
    KeyStatement statement;
    statement.line = s.line;
    statement.ticks = span;
    if (w.size() < 3) {
        error(s.line, 0, "use 'key press|release|tap|hold KEY' (e.g. 'at 10 key press SHIFT')");
        return;
    }
    std::vector<std::string> actions;
    const auto* action = findAction(keyActions, w[1].text, actions);
    if (!action) {
        error(s.line, w[1].column,
              "'" + w[1].text + "' is not a key action (press, release, tap, hold)" +
                  text::didYouMean(w[1].text, actions));
        return;
    }
    statement.action = action->action;
    if (!readKeys(w[2], statement) || !readKeyOffset(s, statement))
        return;
    if (statement.action == KeyStatement::Action::hold) {
        noteTick(span.last + 1);  // the release lands before the tick after the hold
    } else if (span.range) {
        error(s.line, w[1].column, "'key " + w[1].text + "' happens at one tick; use 'key hold' for a range");
        return;
    }
    scenario_.keys.push_back(statement);
}

// A key or a combination joined with +, in pressing order.
bool Parser::readKeys(const Word& word, KeyStatement& statement)
{
    std::istringstream parts(word.text);
    std::string part;
    int column = word.column;
    while (std::getline(parts, part, '+')) {
        const std::optional<KeyInfo> key = findKey(part);
        if (!key) {
            error(statement.line, column,
                  "'" + part + "' is not a key (a name such as SHIFT, END, NUMPAD1, A, or a hex code such as 0x10)" +
                      text::didYouMean(part, keyNames()));
            return false;
        }
        statement.keys.push_back(*key);
        column += static_cast<int>(part.size()) + 1;
    }
    return true;
}

// An optional offset after the key: "-5ms" or "-5 ms".
bool Parser::readKeyOffset(const Statement& s, KeyStatement& statement)
{
    std::string offset;
    for (size_t i = 3; i < s.words.size(); ++i)
        offset += s.words[i].text;
    if (offset.empty())
        return true;
    const int column = s.words[3].column;
    if (statement.action != KeyStatement::Action::press && statement.action != KeyStatement::Action::release) {
        error(s.line, column, "only 'key press' and 'key release' take an offset");
        return false;
    }
    int64_t ms = 0;
    if (offset.size() < 4 || offset[0] != '-' || offset.substr(offset.size() - 2) != "ms" ||
        !parseInt(offset.substr(1, offset.size() - 3), ms) || ms < 0) {
        error(s.line, column, "'" + offset + "' is not an offset (write '-5ms': 5 ms before the tick)");
        return false;
    }
    statement.offsetMs = static_cast<int>(ms);
    return true;
}

void Parser::wheelStatement(const Statement& s, const TickSpan& span)
{
    const Words& w = s.words;
    if (w.size() != 2 || (w[1].text != "up" && w[1].text != "down")) {
        error(s.line, w.size() > 1 ? w[1].column : 0,
              "use 'wheel up' or 'wheel down'" + (w.size() > 1 ? text::didYouMean(w[1].text, {"up", "down"}) : ""));
        return;
    }
    scenario_.wheels.push_back({s.line, span, w[1].text == "up"});
}

void Parser::pluginStatement(const Statement& s, const TickSpan& span)
{
    const Words& w = s.words;
    std::vector<std::string> actions;
    const auto* action = w.size() > 1 ? findAction(pluginActions, w[1].text, actions) : nullptr;
    if (!action || w.size() != 2) {
        error(s.line, w.size() > 1 ? w[1].column : 0,
              "use 'plugin reload', 'plugin unload' or 'plugin load'" +
                  (w.size() > 1 ? text::didYouMean(w[1].text, actions) : ""));
        return;
    }
    for (int tick = span.first; tick <= span.last; ++tick)
        scenario_.plugins.push_back({s.line, tick, action->action});
}

void Parser::timedIniStatement(const Statement& s, const TickSpan& span)
{
    if (span.range) {
        error(s.line, s.words[0].column, "'ini' changes the file at one tick, not a range");
        return;
    }
    IniStatement statement;
    statement.line = s.line;
    statement.tick = span.first;
    if (readIni(s, statement.content))
        scenario_.inis.push_back(statement);
}

}  // namespace sim
