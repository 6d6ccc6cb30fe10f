#include "report/key_roles.h"

#include "report/wording.h"

namespace sim::report {

namespace {

bool pressHas(const KeyPress& press, int32_t code)
{
    return isKeySlot(code) && press.hasCode(static_cast<uint32_t>(code));
}

}  // namespace

PluginKeys keysAt(const Facts& facts, int tick)
{
    const TickFacts* at = facts.at(tick);
    return at ? at->keys : builtInPluginKeys();
}

bool isSprintKeyPress(const KeyPress& press, const PluginKeys& keys)
{
    return press.codes.size() == 1 && pressHas(press, keys.sprint);
}

bool isWalkKeyPress(const KeyPress& press, const PluginKeys& keys)
{
    return press.codes.size() == 1 && pressHas(press, keys.walkControl);
}

bool isHotkeyPress(const KeyPress& press, const PluginKeys& keys)
{
    const bool modifier = keys.hotkeyModifier == 0 || pressHas(press, keys.hotkeyModifier);
    return modifier &&
           (pressHas(press, keys.switchOff) || pressHas(press, keys.switchOn) || pressHas(press, keys.reload));
}

std::string hotkeyMeaning(const KeyPress& press, const PluginKeys& keys)
{
    if (pressHas(press, keys.switchOff))
        return "switch off";
    if (pressHas(press, keys.switchOn))
        return "switch on";
    return "reload Ambleworks.ini";
}

std::string pluginKeyName(int32_t code)
{
    return isKeySlot(code) ? keyDisplayName(static_cast<uint32_t>(code)) : "no key";
}

std::string hotkeyName(const PluginKeys& keys, Hotkey hotkey)
{
    const std::string words = hotkeyPressWords(hotkeyPress(keys, hotkey), pluginKeyName);
    return words.empty() ? "no key" : words;
}

std::string hotkeysLaneName(const PluginKeys& keys)
{
    const std::string off = pluginKeyName(keys.switchOff);
    const std::string on = pluginKeyName(keys.switchOn);
    const std::string reload = pluginKeyName(keys.reload);
    size_t common = 0;
    while (common < off.size() && common < on.size() && common < reload.size() && off[common] == on[common] &&
           off[common] == reload[common])
        ++common;
    // "Numpad 1", "Numpad 2" and "Numpad 3" make one lane, "Numpad".
    while (common > 0 && off[common - 1] == ' ')
        --common;
    const std::string keysName = common > 0 ? off.substr(0, common) : "keys";
    return keys.hotkeyModifier == 0 ? keysName : pluginKeyName(keys.hotkeyModifier) + "+" + keysName;
}

}  // namespace sim::report
