#include "web/key_names.h"

#include "config/key_names.h"

namespace sim::web {

namespace {

// "KeyQ" -> "Q": the browser's letter keys; any other code as it is.
std::string_view tableSpelling(std::string_view browserCode)
{
    constexpr std::string_view letterPrefix = "Key";
    const bool letter = browserCode.size() == letterPrefix.size() + 1 && browserCode.starts_with(letterPrefix) &&
                        browserCode.back() >= 'A' && browserCode.back() <= 'Z';
    return letter ? browserCode.substr(letterPrefix.size()) : browserCode;
}

}  // namespace

std::optional<CapturedKey> keyOfBrowserCode(std::string_view browserCode)
{
    const std::string_view spelling = tableSpelling(browserCode);
    // Digits alone are codes, never names; the browser gives none.
    if (spelling.find_first_not_of("0123456789") == std::string_view::npos)
        return std::nullopt;
    const std::optional<int32_t> code = keyCodeOfName(spelling);
    if (!code || *code == 0)
        return std::nullopt;  // "None" names no key to press
    return CapturedKey{*code, std::string(keyNameOfCode(*code))};
}

}  // namespace sim::web
