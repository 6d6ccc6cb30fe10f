// Judging a played trace against a scenario's expectations, and matching
// trace events against call patterns.

#include <bit>
#include <functional>

#include "game/game_model.h"
#include "session/session.h"
#include "trace/format.h"

namespace sim {

namespace {

float floatOf(uint64_t slot)
{
    return std::bit_cast<float>(static_cast<uint32_t>(slot));
}

bool argMatches(const ArgPattern& pattern, const DecodedArg& arg)
{
    const auto low = static_cast<uint32_t>(arg.slot);
    const bool clean = (arg.slot >> 32) == 0;
    switch (pattern.kind) {
    case ArgPattern::Kind::any:
        return true;
    case ArgPattern::Kind::integer:
        if (arg.kind == ArgKind::number)
            return clean && floatOf(arg.slot) == pattern.number;
        if (arg.kind == ArgKind::text)
            return false;
        if (arg.kind == ArgKind::literal && !arg.name.empty())
            return false;  // a word of a host call (module, handler)
        return clean && low == pattern.integer;
    case ArgPattern::Kind::number:
        return arg.kind == ArgKind::number && clean && floatOf(arg.slot) == pattern.number;
    case ArgPattern::Kind::name:
    case ArgPattern::Kind::text:
        if (arg.kind == ArgKind::text)
            return pattern.kind == ArgPattern::Kind::text ? arg.name == pattern.text
                                                          : upperCase(arg.name) == pattern.text;
        return !arg.name.empty() && upperCase(arg.name) == upperCase(pattern.text);
    }
    return false;
}

bool resultMatches(const ArgPattern& pattern, const TraceEvent& event)
{
    const auto low = static_cast<uint32_t>(event.resultSlot);
    switch (pattern.kind) {
    case ArgPattern::Kind::any:
        return true;
    case ArgPattern::Kind::name:
        if (event.resultKind == ResultKind::boolean) {
            if (pattern.text == "TRUE")
                return low != 0;
            if (pattern.text == "FALSE")
                return low == 0;
            return false;
        }
        return event.resultKind == ResultKind::hash && event.resultName == pattern.text;
    case ArgPattern::Kind::text:
        return event.resultKind == ResultKind::hash && event.resultName == upperCase(pattern.text);
    case ArgPattern::Kind::integer:
        if (event.resultKind == ResultKind::boolean)
            return (low != 0) == (pattern.integer != 0);
        if (event.resultKind == ResultKind::number)
            return floatOf(event.resultSlot) == pattern.number;
        return low == pattern.integer;
    case ArgPattern::Kind::number:
        return event.resultKind == ResultKind::number && floatOf(event.resultSlot) == pattern.number;
    }
    return false;
}

std::vector<const TraceEvent*> callsOf(const TickRecord& record)
{
    std::vector<const TraceEvent*> calls;
    for (const TraceEvent& event : record.events) {
        if (event.kind == EventKind::call)
            calls.push_back(&event);
    }
    return calls;
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

std::string sequenceFailure(const Expectation& e, const TickRecord& record, const std::string& where)
{
    const std::vector<const TraceEvent*> calls = callsOf(record);
    const bool gaps = std::any_of(e.sequence.begin(), e.sequence.end(), [](const auto& item) { return item.gap; });
    std::string text = where + "the calls of " + record.label() + " do not follow the sequence";
    if (!gaps) {
        for (size_t i = 0; i < std::max(e.sequence.size(), calls.size()); ++i) {
            if (i >= e.sequence.size()) {
                text += ": the sequence ends after " + decimal(static_cast<int64_t>(e.sequence.size())) +
                        " calls, the tick goes on with " + calls[i]->line;
                break;
            }
            if (i >= calls.size()) {
                text += ": the tick ends after " + decimal(static_cast<int64_t>(calls.size())) +
                        " calls; expected next (line " + decimal(e.sequence[i].line) +
                        "): " + e.sequence[i].pattern.source;
                break;
            }
            if (!matchesPattern(e.sequence[i].pattern, *calls[i])) {
                text += ": call " + decimal(static_cast<int64_t>(i + 1)) + " is " + calls[i]->line +
                        ", expected (line " + decimal(e.sequence[i].line) + ") " + e.sequence[i].pattern.source;
                break;
            }
        }
    }
    text += "\n    the tick's calls:";
    for (const TraceEvent* call : calls)
        text += "\n      " + call->line;
    return text;
}

}  // namespace

bool matchesPattern(const CallPattern& pattern, const TraceEvent& event)
{
    if (event.kind != EventKind::call || event.name != pattern.name)
        return false;
    if (pattern.hasArgs) {
        if (event.args.size() != pattern.args.size())
            return false;
        for (size_t i = 0; i < pattern.args.size(); ++i) {
            if (!argMatches(pattern.args[i], event.args[i]))
                return false;
        }
    }
    if (pattern.hasResult && (!event.hasResult || !resultMatches(pattern.result, event)))
        return false;
    return true;
}

std::vector<std::string> judgeExpectations(const Scenario& scenario, const Trace& trace)
{
    std::vector<std::string> failures;
    for (const Expectation& e : scenario.expectations) {
        const std::string where = scenario.path + ":" + decimal(e.line) + ": ";
        std::vector<const TickRecord*> records;
        std::string message;
        if (!recordsFor(e.ticks, trace, records, message)) {
            failures.push_back(where + message);
            continue;
        }
        auto countIn = [&](const TickRecord& record) {
            int count = 0;
            for (const TraceEvent& event : record.events)
                count += matchesPattern(e.pattern, event) ? 1 : 0;
            return count;
        };

        switch (e.kind) {
        case Expectation::Kind::call: {
            std::vector<const TickRecord*> lacking;
            for (const TickRecord* record : records) {
                if (countIn(*record) == 0)
                    lacking.push_back(record);
            }
            if (!lacking.empty()) {
                std::string text = where + "expected a call " + e.pattern.source + " in " +
                                   (records.size() > 1 ? "every tick of " : "") + e.ticks.text() + "; ";
                text += records.size() > 1 ? "none in " + decimal(static_cast<int64_t>(lacking.size())) + " of " +
                                                 decimal(static_cast<int64_t>(records.size())) + " ticks, first " +
                                                 lacking.front()->label()
                                           : "there is none";
                text += "\n    " + summary(*lacking.front(), e.pattern);
                failures.push_back(text);
            }
            break;
        }
        case Expectation::Kind::noCall:
            for (const TickRecord* record : records) {
                for (const TraceEvent& event : record->events) {
                    if (matchesPattern(e.pattern, event)) {
                        message = where + "expected no call " + e.pattern.source + " in " + e.ticks.text() + ", but " +
                                  record->label() + " has " + event.line;
                        break;
                    }
                }
                if (!message.empty())
                    break;
            }
            if (!message.empty())
                failures.push_back(message);
            break;
        case Expectation::Kind::count:
            if (e.perTick) {
                for (const TickRecord* record : records) {
                    const int count = countIn(*record);
                    if (!compare(count, e.op, e.count)) {
                        failures.push_back(where + "expected the number of calls " + e.pattern.source + " " + e.op +
                                           " " + decimal(e.count) + " in every tick of " + e.ticks.text() + "; " +
                                           record->label() + " has " + decimal(count) + "\n    " +
                                           summary(*record, e.pattern));
                        break;
                    }
                }
            } else {
                int total = 0;
                for (const TickRecord* record : records)
                    total += countIn(*record);
                if (!compare(total, e.op, e.count)) {
                    failures.push_back(where + "expected the number of calls " + e.pattern.source + " in " +
                                       e.ticks.text() + " " + e.op + " " + decimal(e.count) + "; it is " +
                                       decimal(total));
                }
            }
            break;
        case Expectation::Kind::sequence:
            if (!sequenceMatches(e.sequence, callsOf(*records.front())))
                failures.push_back(sequenceFailure(e, *records.front(), where));
            break;
        }
    }
    return failures;
}

}  // namespace sim
