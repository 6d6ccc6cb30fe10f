#pragma once
// The keys the plug-in acts on: the walk-control key, the sprint key and the
// hotkeys (modifier, switch off, switch on, reload), as the plug-in's own
// loader reads them from Ambleworks.ini. The host follows them through a run
// so that reports name the keys the player configured, not the built-in ones.

#include <cstdint>
#include <string>

struct Settings;

namespace sim {

// Windows virtual-key codes, as the plug-in holds them (255 and above, or
// negative, is no key; a modifier of 0 means the hotkeys need none).
struct PluginKeys {
    int32_t walkControl = 0;
    int32_t sprint = 0;
    int32_t hotkeyModifier = 0;
    int32_t switchOff = 0;
    int32_t switchOn = 0;
    int32_t reload = 0;
    bool operator==(const PluginKeys&) const = default;
};

// The keys of a freshly loaded plug-in, before it reads any file.
PluginKeys builtInPluginKeys();

// The keys held in the plug-in's settings record.
PluginKeys pluginKeysOf(const Settings& from);

// The three hotkeys, in the order the plug-in checks them.
enum class Hotkey { switchOff, switchOn, reload };

// What a player holds to make a hotkey act.
struct HotkeyPress {
    bool acts = false;     // false: no keys make it act
    int32_t modifier = 0;  // 0: the key alone
    int32_t key = 0;
};

// The keys that make `hotkey` act, as the plug-in checks them: with no
// modifier, or a modifier that is the hotkey's own key, the key alone; none
// when the modifier or the key is no key, or when the keys pressed always
// work a hotkey checked before it (a reload key that is also the
// switch-off key only ever switches off).
HotkeyPress hotkeyPress(const PluginKeys& keys, Hotkey hotkey);

// A hotkey press as a player reads it, each key named by `keyName`:
// "End+Numpad3", or "F11" alone; "" when no keys make it act.
std::string hotkeyPressWords(const HotkeyPress& press, std::string (*keyName)(int32_t code));

// The keys the plug-in holds after reading the INI file at `path`, read by
// the plug-in's own loader (a missing or unreadable line: the built-in key).
PluginKeys readPluginKeys(const std::string& path);

// Is `code` a key the plug-in's key table has a slot for?
bool isKeySlot(int32_t code);

}  // namespace sim
