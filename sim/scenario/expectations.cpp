// Judging a played trace against a scenario's expectations: one judge per
// kind of expectation, each saying what was expected and what the tick had
// instead.

#include <algorithm>

#include "session/session.h"
#include "trace/format.h"

namespace sim {

namespace {

// The calls of a record, in order.
std::vector<const TraceEvent*> callsOf(const TickRecord& record)
{
    std::vector<const TraceEvent*> calls;
    for (const TraceEvent& event : record.events) {
        if (event.kind == EventKind::call)
            calls.push_back(&event);
    }
    return calls;
}

int countIn(const TickRecord& record, const CallPattern& pattern)
{
    int count = 0;
    for (const TraceEvent& event : record.events)
        count += matchesPattern(pattern, event) ? 1 : 0;
    return count;
}

// What a tick had of the pattern's call, for a failure message: the calls of
// that name, or that there were none.
std::string summary(const TickRecord& record, const CallPattern& pattern)
{
    const std::vector<const TraceEvent*> calls = callsOf(record);
    std::vector<const TraceEvent*> named;
    for (const TraceEvent* call : calls) {
        if (call->name == pattern.name)
            named.push_back(call);
    }
    if (named.empty())
        return record.label() + " has no " + pattern.name + " call (" + decimal(static_cast<int64_t>(calls.size())) +
               " calls in all)";
    std::string text = record.label() + " has:";
    const size_t shown = std::min<size_t>(named.size(), 8);
    for (size_t i = 0; i < shown; ++i)
        text += "\n      " + named[i]->line;
    if (shown < named.size())
        text += "\n      … " + decimal(static_cast<int64_t>(named.size() - shown)) + " more";
    return text;
}

bool compare(int value, const std::string& op, int expected)
{
    if (op == "==")
        return value == expected;
    if (op == "!=")
        return value != expected;
    if (op == "<")
        return value < expected;
    if (op == "<=")
        return value <= expected;
    if (op == ">")
        return value > expected;
    return value >= expected;
}

// The records an expectation's ticks name, or a message when some were not played.
bool recordsFor(const TickSpan& span, const Trace& trace, std::vector<const TickRecord*>& records, std::string& message)
{
    records.clear();
    for (const TickRecord& record : trace.records) {
        const bool wanted = span.special == TickSpan::Special::load ? record.phase == Phase::load
                            : span.special == TickSpan::Special::end
                                ? record.phase == Phase::end
                                : record.phase == Phase::tick && record.tick >= span.first && record.tick <= span.last;
        if (wanted)
            records.push_back(&record);
    }
    if (span.special == TickSpan::Special::none) {
        // The parser keeps 1 <= first <= last.
        const auto wantedCount = static_cast<size_t>(span.last) - static_cast<size_t>(span.first) + 1;
        if (records.size() != wantedCount) {
            int played = 0;
            for (const TickRecord& record : trace.records)
                played += record.phase == Phase::tick ? 1 : 0;
            message = span.text() + " was not played (the run has " + decimal(played) + " ticks)";
            return false;
        }
    } else if (records.empty()) {
        message = span.text() + " has no record";
        return false;
    }
    return true;
}

bool sequenceMatches(const std::vector<Expectation::Item>& items, const std::vector<const TraceEvent*>& calls)
{
    // can[i][j]: items from i match calls from j.
    const size_t n = items.size();
    const size_t m = calls.size();
    std::vector<std::vector<char>> can(n + 1, std::vector<char>(m + 1, 0));
    can[n][m] = 1;
    for (size_t i = n + 1; i-- > 0;) {
        for (size_t j = m + 1; j-- > 0;) {
            if (i == n) {
                can[i][j] = j == m ? 1 : 0;
                continue;
            }
            if (items[i].gap)
                can[i][j] = (can[i + 1][j] || (j < m && can[i][j + 1])) ? 1 : 0;
            else
                can[i][j] = (j < m && matchesPattern(items[i].pattern, *calls[j]) && can[i + 1][j + 1]) ? 1 : 0;
        }
    }
    return can[0][0] != 0;
}

// Where a sequence without gaps and the tick's calls first part.
std::string sequenceMismatch(const Expectation& e, const std::vector<const TraceEvent*>& calls)
{
    for (size_t i = 0; i < std::max(e.sequence.size(), calls.size()); ++i) {
        if (i >= e.sequence.size())
            return ": the sequence ends after " + decimal(static_cast<int64_t>(e.sequence.size())) +
                   " calls, the tick goes on with " + calls[i]->line;
        if (i >= calls.size())
            return ": the tick ends after " + decimal(static_cast<int64_t>(calls.size())) +
                   " calls; expected next (line " + decimal(e.sequence[i].line) + "): " + e.sequence[i].pattern.source;
        if (!matchesPattern(e.sequence[i].pattern, *calls[i]))
            return ": call " + decimal(static_cast<int64_t>(i + 1)) + " is " + calls[i]->line + ", expected (line " +
                   decimal(e.sequence[i].line) + ") " + e.sequence[i].pattern.source;
    }
    return "";
}

// The judges: each returns the failure, or "" when the expectation holds.
using Records = std::vector<const TickRecord*>;

std::string judgeCall(const Expectation& e, const Records& records, const std::string& where)
{
    Records lacking;
    for (const TickRecord* record : records) {
        if (countIn(*record, e.pattern) == 0)
            lacking.push_back(record);
    }
    if (lacking.empty())
        return "";
    std::string text = where + "expected a call " + e.pattern.source + " in " +
                       (records.size() > 1 ? "every tick of " : "") + e.ticks.text() + "; ";
    text += records.size() > 1
                ? "none in " + decimal(static_cast<int64_t>(lacking.size())) + " of " +
                      decimal(static_cast<int64_t>(records.size())) + " ticks, first " + lacking.front()->label()
                : "there is none";
    return text + "\n    " + summary(*lacking.front(), e.pattern);
}

std::string judgeNoCall(const Expectation& e, const Records& records, const std::string& where)
{
    for (const TickRecord* record : records) {
        for (const TraceEvent& event : record->events) {
            if (matchesPattern(e.pattern, event))
                return where + "expected no call " + e.pattern.source + " in " + e.ticks.text() + ", but " +
                       record->label() + " has " + event.line;
        }
    }
    return "";
}

std::string judgeCount(const Expectation& e, const Records& records, const std::string& where)
{
    if (e.perTick) {
        for (const TickRecord* record : records) {
            const int count = countIn(*record, e.pattern);
            if (!compare(count, e.op, e.count))
                return where + "expected the number of calls " + e.pattern.source + " " + e.op + " " +
                       decimal(e.count) + " in every tick of " + e.ticks.text() + "; " + record->label() + " has " +
                       decimal(count) + "\n    " + summary(*record, e.pattern);
        }
        return "";
    }
    int total = 0;
    for (const TickRecord* record : records)
        total += countIn(*record, e.pattern);
    if (compare(total, e.op, e.count))
        return "";
    return where + "expected the number of calls " + e.pattern.source + " in " + e.ticks.text() + " " + e.op + " " +
           decimal(e.count) + "; it is " + decimal(total);
}

std::string judgeSequence(const Expectation& e, const Records& records, const std::string& where)
{
    const TickRecord& record = *records.front();
    const std::vector<const TraceEvent*> calls = callsOf(record);
    if (sequenceMatches(e.sequence, calls))
        return "";
    const bool gaps = std::any_of(e.sequence.begin(), e.sequence.end(), [](const auto& item) { return item.gap; });
    std::string text = where + "the calls of " + record.label() + " do not follow the sequence";
    if (!gaps)
        text += sequenceMismatch(e, calls);
    text += "\n    the tick's calls:";
    for (const TraceEvent* call : calls)
        text += "\n      " + call->line;
    return text;
}

}  // namespace

std::vector<std::string> judgeExpectations(const Scenario& scenario, const Trace& trace)
{
    std::vector<std::string> failures;
    for (const Expectation& e : scenario.expectations) {
        const std::string where = scenario.path + ":" + decimal(e.line) + ": ";
        Records records;
        std::string message;
        if (!recordsFor(e.ticks, trace, records, message)) {
            failures.push_back(where + message);
            continue;
        }
        switch (e.kind) {
        case Expectation::Kind::call:
            message = judgeCall(e, records, where);
            break;
        case Expectation::Kind::noCall:
            message = judgeNoCall(e, records, where);
            break;
        case Expectation::Kind::count:
            message = judgeCount(e, records, where);
            break;
        case Expectation::Kind::sequence:
            message = judgeSequence(e, records, where);
            break;
        }
        if (!message.empty())
            failures.push_back(message);
    }
    return failures;
}

}  // namespace sim
