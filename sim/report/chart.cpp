// The chart.
//
// Everything is written by hand as SVG text: coordinates with one decimal
// through std::to_chars, no locale, no floating-point formatting of the C
// library, so the same trace gives the same bytes everywhere.

#include "report/chart.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

#include "report/key_roles.h"
#include "trace/format.h"

// Index of this file:
// [SECTION] Layout and numbers
// [SECTION] The speed plot
// [SECTION] The reasons
// [SECTION] The input lanes
// [SECTION] The whole picture

namespace sim::report {

namespace {

// ---------------------------------------------------------------------------
// [SECTION] Layout and numbers

constexpr double chartWidth = 1400.0;
constexpr double plotLeft = 120.0;
constexpr double plotRight = 1370.0;
constexpr double labelRowHeight = 17.0;
constexpr int labelRows = 4;
constexpr double labelTop = 100.0;
constexpr double plotTop = labelTop + labelRows * labelRowHeight + 14.0;
constexpr double plotHeight = 300.0;
constexpr double plotBottom = plotTop + plotHeight;
constexpr double speedMax = 3.0;
constexpr double laneHeight = 26.0;
constexpr double laneGap = 6.0;
constexpr double lanesTop = plotBottom + 42.0;

const char* const fontFamily = "DejaVu Sans, Verdana, Arial, sans-serif";
const char* const imposedColour = "#dd6b20";
const char* const pinnedColour = "#c53030";
const char* const desiredColour = "#2b6cb0";
const char* const offColour = "#e2e8f0";
const char* const gridColour = "#e2e8f0";
const char* const axisColour = "#4a5568";
const char* const textColour = "#1a202c";
const char* const quietColour = "#718096";

std::string num(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    std::string text(buffer, result.ptr);
    if (text == "-0.0")
        text = "0.0";
    return text;
}

std::string escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

// A rough width of a text at a font size: enough to keep labels apart.
double textWidth(const std::string& text, double size)
{
    size_t glyphs = 0;
    for (unsigned char c : text)
        glyphs += (c & 0xC0) != 0x80 ? 1 : 0;
    return static_cast<double>(glyphs) * size * 0.6;  // DejaVu Sans runs wide
}

struct Scale {
    uint32_t totalMs = 1;
    double x(uint32_t elapsedMs) const
    {
        return plotLeft + (plotRight - plotLeft) * static_cast<double>(elapsedMs) / static_cast<double>(totalMs);
    }
    static double y(float speed)
    {
        const double clamped = std::clamp(static_cast<double>(speed), 0.0, speedMax);
        return plotBottom - plotHeight * clamped / speedMax;
    }
};

std::string text(double x, double y, const std::string& content, double size, const char* colour,
                 const char* anchor = "start", const char* weight = "normal")
{
    return "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" font-size=\"" + num(size) + "\" fill=\"" + colour +
           "\" text-anchor=\"" + anchor + "\"" +
           (std::string(weight) != "normal" ? " font-weight=\"" + std::string(weight) + "\"" : "") + ">" +
           escape(content) + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const char* colour, double width,
                 const char* dash = nullptr)
{
    return "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" + num(y2) +
           "\" stroke=\"" + colour + "\" stroke-width=\"" + num(width) + "\"" +
           (dash ? " stroke-dasharray=\"" + std::string(dash) + "\"" : "") + "/>\n";
}

std::string rect(double x, double y, double w, double h, const char* fill, const char* stroke = nullptr,
                 double opacity = 1.0)
{
    return "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(std::max(w, 0.0)) + "\" height=\"" +
           num(h) + "\" fill=\"" + fill + "\"" + (stroke ? " stroke=\"" + std::string(stroke) + "\"" : "") +
           (opacity < 1.0 ? " fill-opacity=\"" + num(opacity) + "\"" : "") + "/>\n";
}

// The step of the time axis: about ten labels, at a round number of seconds.
uint32_t axisStepMs(uint32_t totalMs)
{
    for (uint32_t step : {100u, 200u, 500u, 1000u, 2000u, 5000u, 10000u, 15000u, 30000u, 60000u, 120000u, 300000u}) {
        if (totalMs / step <= 14)
            return step;
    }
    return 600000u;
}

std::string secondsLabel(uint32_t ms)
{
    if (ms % 1000 == 0)
        return decimal(ms / 1000) + " s";
    return secondsText(ms) + " s";
}

// ---------------------------------------------------------------------------
// [SECTION] The speed plot

// A step line through the ticks where `value` gives a speed, broken where it
// gives none: "M x y H x V y H x …".
template <typename ValueOf>
std::string stepPath(const Facts& facts, const Scale& scale, ValueOf valueOf)
{
    std::string path;
    std::optional<float> last;
    double lastY = 0.0;
    for (const TickFacts& tick : facts.ticks) {
        const std::optional<float> value = valueOf(tick);
        const double x = scale.x(tick.elapsedMs);
        const double xEnd = scale.x(tick.elapsedMs + facts.clockStepMs);
        if (!value) {
            last.reset();
            continue;
        }
        const double y = Scale::y(*value);
        // Appended piece by piece: GCC 12 warns falsely on "literal" + string.
        if (!last)
            path.append("M").append(num(x)).append(" ").append(num(y));
        else if (y != lastY)
            path.append("V").append(num(y));
        path.append("H").append(num(xEnd));
        last = value;
        lastY = y;
    }
    return path;
}

std::string pathElement(const std::string& d, const char* colour, double width)
{
    if (d.empty())
        return "";
    return "<path d=\"" + d + "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + num(width) +
           "\" stroke-linejoin=\"round\" stroke-linecap=\"butt\"/>\n";
}

// Ambleworks switched off (or not loaded): shaded bands.
std::string offBands(const Facts& facts, const Scale& scale)
{
    std::string svg;
    for (size_t i = 0; i < facts.ticks.size();) {
        const bool off = !facts.ticks[i].imposed.controllerRan;
        size_t j = i;
        while (j < facts.ticks.size() && !facts.ticks[j].imposed.controllerRan == off)
            ++j;
        if (off) {
            const double x1 = scale.x(facts.ticks[i].elapsedMs);
            const double x2 = scale.x(facts.ticks[j - 1].elapsedMs + facts.clockStepMs);
            svg += rect(x1, plotTop, x2 - x1, plotHeight, offColour);
            const std::string label = facts.ticks[i].pluginLoaded ? "Ambleworks off" : "no plug-in";
            if (x2 - x1 > textWidth(label, 11.0) + 8.0)
                svg += text((x1 + x2) / 2.0, plotTop + 16.0, label, 11.0, quietColour, "middle");
        }
        i = j;
    }
    return svg;
}

// The grid: speeds every 0.5, the walk/run line at 1.5, seconds, the axes.
std::string grid(const Scale& scale)
{
    std::string svg;
    for (int half = 0; half <= 6; ++half) {
        const float speed = static_cast<float>(half) * 0.5f;
        const double y = Scale::y(speed);
        svg += line(plotLeft, y, plotRight, y, half == 3 ? "#cbd5e0" : gridColour, 1.0, half == 3 ? "6 4" : nullptr);
        svg += text(plotLeft - 8.0, y + 4.0, speedText(speed).substr(0, 3), 12.0, axisColour, "end");
    }
    svg += text(plotRight - 4.0, Scale::y(1.5f) - 5.0, "run ↑", 11.0, quietColour, "end");
    svg += text(plotRight - 4.0, Scale::y(1.5f) + 14.0, "walk ↓", 11.0, quietColour, "end");
    const uint32_t step = axisStepMs(scale.totalMs);
    for (uint32_t ms = 0; ms <= scale.totalMs; ms += step) {
        const double x = scale.x(ms);
        svg += line(x, plotTop, x, plotBottom, gridColour, 1.0);
        svg += line(x, plotBottom, x, plotBottom + 5.0, axisColour, 1.0);
        svg += text(x, plotBottom + 19.0, secondsLabel(ms), 12.0, axisColour, "middle");
    }
    svg += line(plotLeft, plotBottom, plotRight, plotBottom, axisColour, 1.2);
    svg += line(plotLeft, plotTop, plotLeft, plotBottom, axisColour, 1.2);
    svg += "<text x=\"" + num(plotLeft - 58.0) + "\" y=\"" + num((plotTop + plotBottom) / 2.0) +
           "\" font-size=\"13\" fill=\"" + axisColour + "\" text-anchor=\"middle\" transform=\"rotate(-90 " +
           num(plotLeft - 58.0) + " " + num((plotTop + plotBottom) / 2.0) + ")\">speed</text>\n";
    return svg;
}

// The series: desired under imposed, pinned over both.
std::string speedSeries(const Facts& facts, const Scale& scale)
{
    const auto desired = [](const TickFacts& t) -> std::optional<float> { return t.desired; };
    const auto imposed = [](const TickFacts& t) -> std::optional<float> {
        return t.imposed.controllerRan ? t.imposed.speed() : std::nullopt;
    };
    const auto pinned = [](const TickFacts& t) -> std::optional<float> {
        if (t.imposed.controllerRan && t.imposed.pinned())
            return t.imposed.cap;
        return std::nullopt;
    };
    return "<g id=\"desired-speed\">\n" + pathElement(stepPath(facts, scale, desired), desiredColour, 1.8) + "</g>\n" +
           "<g id=\"imposed-speed\">\n" + pathElement(stepPath(facts, scale, imposed), imposedColour, 3.5) +
           pathElement(stepPath(facts, scale, pinned), pinnedColour, 3.5) + "</g>\n";
}

std::string speedPlot(const Facts& facts, const Scale& scale)
{
    return offBands(facts, scale) + grid(scale) + speedSeries(facts, scale);
}

// ---------------------------------------------------------------------------
// [SECTION] The reasons
// The timeline's labels above the plot, each on the first row where it does
// not run into the one before, with a dashed line down to the moment it marks.

std::string reasonMarks(const Facts& facts, const Timeline& timeline, const Scale& scale)
{
    std::string svg = "<g id=\"reasons\">\n";
    std::vector<double> rowEnd(labelRows, -1e9);
    for (const TimelineEntry& entry : timeline.entries) {
        if (entry.label.empty())
            continue;
        const double x = scale.x(entry.elapsedMs);
        const double width = textWidth(entry.label, 11.0);
        double left = std::max(plotLeft - 40.0, x - 2.0);
        if (left + width > chartWidth - 6.0)
            left = chartWidth - 6.0 - width;
        int row = 0;
        while (row < labelRows && rowEnd[static_cast<size_t>(row)] > left - 8.0)
            ++row;
        if (row == labelRows) {
            // Every row is taken here: the lowest-reaching row gives way.
            row = static_cast<int>(std::min_element(rowEnd.begin(), rowEnd.end()) - rowEnd.begin());
        }
        rowEnd[static_cast<size_t>(row)] = left + width;
        const double y = labelTop + (row + 1) * labelRowHeight - 4.0;
        const TickFacts* at = facts.at(entry.tick);
        std::optional<float> speed = at ? at->imposed.speed() : std::nullopt;
        const double targetY = speed ? Scale::y(*speed) : at ? Scale::y(at->desired) : plotBottom;
        svg += line(x, y + 4.0, x, targetY, "#a0aec0", 1.0, "2 3");
        svg += "<circle cx=\"" + num(x) + "\" cy=\"" + num(targetY) + "\" r=\"3\" fill=\"" + textColour + "\"/>\n";
        svg += rect(left - 2.0, y - 11.0, width + 4.0, 14.0, "#ffffff", nullptr, 0.85);
        svg += text(left, y, entry.label, 11.0, textColour);
    }
    return svg + "</g>\n";
}

// ---------------------------------------------------------------------------
// [SECTION] The input lanes

struct Band {
    uint32_t fromMs = 0;
    uint32_t toMs = 0;
    std::string label;
    std::string shortLabel;  // beside the band when the label does not fit there, "" none
};

struct Notch {
    uint32_t ms = 0;
    bool up = true;
    bool ignored = false;  // Ambleworks off, or the wheel left to the game
};

struct Lane {
    std::string name;
    const char* fill = "#cbd5e0";
    const char* stroke = "#4a5568";
    std::vector<Band> bands;
    std::vector<Notch> notches;  // the wheel lane
};

// Ticks where `on` holds, joined into bands.
template <typename On, typename LabelOf>
std::vector<Band> bandsOf(const Facts& facts, On on, LabelOf labelOf)
{
    std::vector<Band> bands;
    for (size_t i = 0; i < facts.ticks.size();) {
        if (!on(facts.ticks[i])) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < facts.ticks.size() && on(facts.ticks[j]) && labelOf(facts.ticks[j]) == labelOf(facts.ticks[i]))
            ++j;
        bands.push_back(Band{facts.ticks[i].elapsedMs, facts.ticks[j - 1].elapsedMs + facts.clockStepMs,
                             labelOf(facts.ticks[i]), ""});
        i = j;
    }
    return bands;
}

// A control's lane name, short enough for the margin: "INPUT_SPECIAL_ABILITY"
// is "special ability", INPUT_SPRINT the "sprint control".
std::string controlLaneName(const std::string& control)
{
    if (control == "INPUT_SPRINT")
        return "sprint control";
    std::string name = control.rfind("INPUT_", 0) == 0 ? control.substr(6) : control;
    for (char& c : name)
        c = c == '_' ? ' ' : static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name;
}

// One lane per key; the hotkeys (the modifier with another key) share one.
void addKeyLanes(const Facts& facts, uint32_t totalMs, std::vector<Lane>& lanes)
{
    const uint32_t startMs = facts.ticks.empty() ? 0 : facts.ticks.front().clockMs;
    std::map<std::string, size_t> keyLane;
    Lane hotkeys{hotkeysLaneName(keysAt(facts, 1)), "#fed7d7", "#c53030", {}, {}};
    for (const KeyPress& press : facts.presses) {
        const uint32_t from = press.downMs - startMs;
        const uint32_t to = press.released() ? press.upMs - startMs : totalMs;
        const PluginKeys keys = keysAt(facts, press.downTick);
        if (isHotkeyPress(press, keys)) {
            const std::string meaning = hotkeyMeaning(press, keys);
            const std::string word = meaning == "switch off" ? "off" : meaning == "switch on" ? "on" : "reload";
            const std::string prefix = pluginKeyName(keys.hotkeyModifier) + "+";
            std::string label = press.name;
            label.append(" ").append(word);
            std::string shortLabel = press.name.rfind(prefix, 0) == 0 ? press.name.substr(prefix.size()) : press.name;
            shortLabel.append(" ").append(word);
            hotkeys.bands.push_back(Band{from, to, label, shortLabel});
            continue;
        }
        auto it = keyLane.find(press.name);
        if (it == keyLane.end()) {
            Lane lane{press.name, "#e9d8fd", "#6b46c1", {}, {}};
            if (isSprintKeyPress(press, keys)) {
                lane.fill = "#b2f5ea";
                lane.stroke = "#2c7a7b";
            }
            lanes.push_back(lane);
            it = keyLane.emplace(press.name, lanes.size() - 1).first;
        }
        const std::string label = press.tap() ? "tap" : press.released() ? durationText(press.heldMs()) : "held";
        lanes[it->second].bands.push_back(Band{from, to, label, ""});
    }
    if (!hotkeys.bands.empty())
        lanes.push_back(hotkeys);
}

void addWheelLane(const Facts& facts, std::vector<Lane>& lanes)
{
    Lane wheel{"wheel", "#ffffff", "#2f855a", {}, {}};
    for (const TickFacts& tick : facts.ticks) {
        const bool ignored = !tick.pluginLoaded || !tick.imposed.controllerRan || !tick.imposed.wheelTaken;
        if (tick.wheelUp)
            wheel.notches.push_back({tick.elapsedMs, true, ignored});
        if (tick.wheelDown)
            wheel.notches.push_back({tick.elapsedMs, false, ignored});
    }
    if (!wheel.notches.empty())
        lanes.push_back(wheel);
}

// A lane of the ticks where `on` holds, when there are any.
template <typename On>
void addStateLane(const Facts& facts, const std::string& name, On on, std::vector<Lane>& lanes)
{
    Lane lane{name, "#fefcbf", "#b7791f", {}, {}};
    lane.bands = bandsOf(facts, on, [](const TickFacts&) { return std::string(); });
    if (!lane.bands.empty())
        lanes.push_back(lane);
}

std::vector<Lane> buildLanes(const Facts& facts, uint32_t totalMs)
{
    std::vector<Lane> lanes;
    Lane move{"move", "#c6f6d5", "#38a169", {}, {}};
    move.bands = bandsOf(
        facts, [](const TickFacts& t) { return t.moving(); },
        [](const TickFacts& t) { return moveDirection(t.moves); });
    lanes.push_back(move);
    addKeyLanes(facts, totalMs, lanes);
    addWheelLane(facts, lanes);
    std::set<std::string> controls;
    for (const TickFacts& tick : facts.ticks)
        controls.insert(tick.controls.begin(), tick.controls.end());
    for (const std::string& control : controls)
        addStateLane(
            facts, controlLaneName(control), [&](const TickFacts& t) { return t.controls.contains(control); }, lanes);
    addStateLane(
        facts, "first person", [](const TickFacts& t) { return t.firstPerson; }, lanes);
    addStateLane(
        facts, "off foot", [](const TickFacts& t) { return !t.onFoot; }, lanes);
    return lanes;
}

// The label of a band: inside it when it fits, else beside it when that
// stays clear of the next band and of the label before, else its short
// label there, else none.
std::string bandLabel(const Band& band, double x1, double x2, double nextX, double mid, double& labelEnd)
{
    const double width = textWidth(band.label, 10.5);
    if (x2 - x1 >= width + 8.0)
        return text((x1 + x2) / 2.0, mid + 4.0, band.label, 10.5, textColour, "middle");
    if (x2 + 3.0 <= labelEnd)
        return "";
    for (const std::string& label : {band.label, band.shortLabel}) {
        const double beside = textWidth(label, 10.5);
        if (!label.empty() && x2 + 3.0 + beside + 4.0 <= nextX) {
            labelEnd = x2 + 3.0 + beside;
            return text(x2 + 3.0, mid + 4.0, label, 10.5, textColour);
        }
    }
    return "";
}

// A wheel notch: an arrow up or down, green or red, grey when it did
// nothing; "up"/"down"/"ignored" beside it where the next notch leaves room.
std::string notchMark(const Notch& notch, double x, double top, double nextX, double& labelEnd)
{
    const double mid = top + laneHeight / 2.0;
    const char* colour = notch.ignored ? "#a0aec0" : notch.up ? "#2f855a" : "#c53030";
    std::string svg = line(x, top + 2.0, x, top + laneHeight - 2.0, colour, 1.5);
    const double tip = notch.up ? mid - 6.0 : mid + 6.0;
    const double base = notch.up ? mid + 3.0 : mid - 3.0;
    svg += "<path d=\"M" + num(x - 5.0) + " " + num(base) + "L" + num(x) + " " + num(tip) + "L" + num(x + 5.0) + " " +
           num(base) + "Z\" fill=\"" + colour + "\"/>\n";
    const std::string label = notch.ignored ? "ignored" : notch.up ? "up" : "down";
    const double width = textWidth(label, 10.5);
    if (x + 7.0 > labelEnd && x + 7.0 + width + 3.0 <= nextX - 5.0) {
        svg += text(x + 7.0, mid + 4.0, label, 10.5, colour);
        labelEnd = x + 7.0 + width + 4.0;
    }
    return svg;
}

std::string drawLanes(const std::vector<Lane>& lanes, const Scale& scale)
{
    std::string svg = "<g id=\"inputs\">\n";
    double y = lanesTop;
    for (const Lane& lane : lanes) {
        svg += rect(plotLeft, y, plotRight - plotLeft, laneHeight, "#f7fafc");
        const double nameSize = textWidth(lane.name, 12.0) <= plotLeft - 14.0 ? 12.0 : 10.0;
        svg += text(plotLeft - 8.0, y + laneHeight / 2.0 + 4.0, lane.name, nameSize, textColour, "end");
        double labelEnd = -1e9;
        for (size_t i = 0; i < lane.bands.size(); ++i) {
            const Band& band = lane.bands[i];
            const double x1 = scale.x(band.fromMs);
            const double x2 = std::max(scale.x(band.toMs), x1 + 2.0);
            svg += "<rect x=\"" + num(x1) + "\" y=\"" + num(y + 3.0) + "\" width=\"" + num(x2 - x1) + "\" height=\"" +
                   num(laneHeight - 6.0) + "\" rx=\"3\" fill=\"" + lane.fill + "\" stroke=\"" + lane.stroke +
                   "\" stroke-width=\"1.2\"/>\n";
            if (band.label.empty())
                continue;
            const double nextX = i + 1 < lane.bands.size() ? scale.x(lane.bands[i + 1].fromMs) : chartWidth;
            svg += bandLabel(band, x1, x2, nextX, y + laneHeight / 2.0, labelEnd);
        }
        double notchLabelEnd = -1e9;
        for (size_t i = 0; i < lane.notches.size(); ++i) {
            const double nextX = i + 1 < lane.notches.size() ? scale.x(lane.notches[i + 1].ms) : chartWidth;
            svg += notchMark(lane.notches[i], scale.x(lane.notches[i].ms), y, nextX, notchLabelEnd);
        }
        y += laneHeight + laneGap;
    }
    return svg + "</g>\n";
}

// ---------------------------------------------------------------------------
// [SECTION] The whole picture

std::string legend(double y)
{
    std::string svg = "<g id=\"legend\">\n";
    double x = plotLeft;
    auto item = [&](const char* colour, double width, const std::string& label) {
        svg += line(x, y - 4.0, x + 28.0, y - 4.0, colour, width);
        svg += text(x + 36.0, y, label, 12.5, textColour);
        x += 36.0 + textWidth(label, 12.5) + 30.0;
    };
    item(imposedColour, 3.5, "speed Ambleworks imposed (cap)");
    item(pinnedColour, 3.5, "pinned (floor and cap)");
    item(desiredColour, 1.8, "speed the ped wanted (desired)");
    svg += rect(x, y - 11.0, 28.0, 12.0, offColour);
    svg += text(x + 36.0, y, "Ambleworks off", 12.5, textColour);
    x += 36.0 + textWidth("Ambleworks off", 12.5) + 30.0;
    svg += text(x, y, "no line: the game's own speed", 12.5, quietColour);
    return svg + "</g>\n";
}

}  // namespace

std::string renderChart(const Facts& facts, const Timeline& timeline)
{
    Scale scale;
    if (!facts.ticks.empty())
        scale.totalMs = std::max<uint32_t>(1, facts.ticks.back().elapsedMs + facts.clockStepMs);
    const std::vector<Lane> lanes = buildLanes(facts, scale.totalMs);
    const double lanesBottom = lanesTop + static_cast<double>(lanes.size()) * (laneHeight + laneGap);
    const double height = lanesBottom + 40.0;

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(chartWidth) + "\" height=\"" + num(height) +
           "\" viewBox=\"0 0 " + num(chartWidth) + " " + num(height) + "\" font-family=\"" + fontFamily + "\">\n";
    std::string title = "Ambleworks: " + facts.scenarioName;
    if (!facts.title.empty())
        title += " — " + facts.title;
    svg += "<title>" + escape(title) + "</title>\n";
    svg += rect(0.0, 0.0, chartWidth, height, "#ffffff");
    svg += text(plotLeft, 34.0, title, 20.0, textColour, "start", "bold");
    std::string subtitle = decimal(facts.tickCount()) + " ticks of " + decimal(facts.clockStepMs) + " ms";
    for (const std::string& note : facts.loadNotes)
        subtitle += " · " + note;
    svg += text(plotLeft, 56.0, subtitle, 12.5, quietColour);
    svg += legend(84.0);

    svg += speedPlot(facts, scale);
    svg += reasonMarks(facts, timeline, scale);
    svg += drawLanes(lanes, scale);

    // The time axis again under the lanes, so a press can be timed at a glance.
    const uint32_t step = axisStepMs(scale.totalMs);
    for (uint32_t ms = 0; ms <= scale.totalMs; ms += step) {
        const double x = scale.x(ms);
        svg += line(x, lanesTop - 4.0, x, lanesBottom, "#edf2f7", 1.0);
        svg += text(x, lanesBottom + 14.0, secondsLabel(ms), 12.0, axisColour, "middle");
    }
    svg += text(plotRight, lanesBottom + 32.0, "time since the first tick", 12.0, quietColour, "end");
    svg += "</svg>\n";
    return svg;
}

}  // namespace sim::report
