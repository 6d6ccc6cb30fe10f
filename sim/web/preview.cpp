#include "web/preview.h"

#include <filesystem>
#include <fstream>

#include "commands/playing.h"
#include "report/chart.h"
#include "trace/trace.h"

namespace sim::web {

namespace {

// The name the page's settings have wherever a report names them.
const char* const iniName = "Ambleworks.ini";

bool writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

Preview playPreview(const std::string& folder, const std::string& scenarioName, const std::string& scenarioText,
                    const std::optional<std::string>& iniBytes, bool withTrace)
{
    Preview preview;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::filesystem::current_path(folder, ec);
    if (ec || !writeBytes(scenarioName, scenarioText) || (iniBytes && !writeBytes(iniName, *iniBytes))) {
        preview.error = "cannot write the files of the preview into " + folder;
        return preview;
    }
    commands::CommonOptions common;
    if (iniBytes)
        common.ini = iniName;
    commands::PlayedReport played;
    if (!commands::playForReport(scenarioName, common, true, withTrace, played)) {
        preview.error =
            played.result.error.empty() ? "the scenario " + scenarioName + " cannot be played" : played.result.error;
        return preview;
    }
    preview.played = true;
    if (withTrace)
        preview.trace = formatTrace(played.result.trace);
    preview.timeline = report::formatTimeline(played.timeline);
    preview.chart = report::renderChart(played.facts, played.timeline);
    preview.faults = played.result.trace.faultCount;
    return preview;
}

}  // namespace sim::web
