#include "trace/trace.h"

#include "trace/format.h"

namespace sim {

std::string TickRecord::label() const
{
    switch (phase) {
    case Phase::load:
        return "load";
    case Phase::end:
        return "end";
    case Phase::tick:
        break;
    }
    return "tick " + decimal(tick);
}

std::string formatTrace(const Trace& trace)
{
    std::string text;
    for (const std::string& line : trace.headerLines)
        text += "# " + line + "\n";
    for (const TickRecord& record : trace.records) {
        if (record.phase == Phase::tick)
            text += record.label() + " @ " + decimal(record.clockMs) + " ms\n";
        else
            text += record.label() + "\n";
        for (const TraceEvent& event : record.events)
            text += "  " + event.line + "\n";
    }
    return text;
}

}  // namespace sim
