#include "scenario/words.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "trace/format.h"

namespace sim {

namespace {

// The highest tick a scenario may name (a day and more at 33 ms a tick).
constexpr int64_t highestTickNumber = 100000000;

}  // namespace

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

std::string trim(const std::string& text)
{
    const char* blanks = " \t\r\n\f\v";
    const size_t begin = text.find_first_not_of(blanks);
    if (begin == std::string::npos)
        return std::string();
    const size_t end = text.find_last_not_of(blanks);
    return text.substr(begin, end - begin + 1);
}

std::string lowerCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

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

Words splitWords(const std::string& line)
{
    Words words;
    Word current;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"')
            quoted = !quoted;
        if (!quoted && (c == ' ' || c == '\t' || c == '\r')) {
            if (!current.text.empty())
                words.push_back(current);
            current = Word{};
            continue;
        }
        if (current.text.empty())
            current.column = static_cast<int>(i) + 1;
        current.text += c;
    }
    if (!current.text.empty())
        words.push_back(current);
    return words;
}

std::string textFrom(const std::string& line, const Words& words, size_t index)
{
    if (index >= words.size())
        return std::string();
    return trim(line.substr(static_cast<size_t>(words[index].column - 1)));
}

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
    const std::string t = lowerCase(text);
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

bool parseTickSpan(const std::string& text, bool allowSpecial, TickSpan& span, std::string& error)
{
    span = TickSpan{};
    if (allowSpecial && (lowerCase(text) == "load" || lowerCase(text) == "end")) {
        span.special = lowerCase(text) == "load" ? TickSpan::Special::load : TickSpan::Special::end;
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
    if (first < 1 || last < 1 || first > highestTickNumber || last > highestTickNumber) {
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

}  // namespace sim
