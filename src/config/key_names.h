#pragma once
// The names of keys: what a player may write in Ambleworks.ini where a key
// goes ("Alt", "Page Up", "Numpad 1", "F11"), and the one name each
// virtual-key code is shown under. The one table of key names: the loader,
// the INI doctor, the simulator and the settings page all use it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One spelling of a key. The first row of a code in the table is its
// canonical name; the rows after it are other spellings players use.
struct KeyName {
    const char* name;
    int32_t code;  // the key's own virtual-key code
};

// Every row of the table: canonical names in code order, then the other
// spellings. No name is made of digits alone.
extern const KeyName keyNameTable[];
extern const std::size_t keyNameCount;

// The key that keyboard messages carry for a key of one side: Shift (0x10)
// for Left and Right Shift (0xA0, 0xA1), Ctrl (0x11) for 0xA2 and 0xA3, Alt
// (0x12) for 0xA4 and 0xA5. Any other code is its own key.
int32_t sharedKeyCode(int32_t code);

// The row of the table a text names, compared as keyCodeOfName compares;
// nullptr when it names no key. Its code is the key's own (0xA4 for "Left
// Alt"), for tools that tell the two sides apart.
const KeyName* findKeyName(std::string_view text);

// The code a text names, compared without regard to letter case, blanks, '_'
// and '-' ("page up", "PAGE_UP" and "PgUp" are all 0x21); nothing when it
// names no key. A name of one side of Shift, Ctrl or Alt gives the shared key
// ("Left Alt" is 0x12), since only that code arrives in keyboard messages.
std::optional<int32_t> keyCodeOfName(std::string_view text);

// The canonical name of a code ("Alt", "Numpad 1", "Left Shift" for 0xA0), or
// "" when no key has that code.
std::string_view keyNameOfCode(int32_t code);

// A name as the table compares it: ASCII lower case, without blanks, '_' and
// '-'. Exposed for "did you mean" in tools that compare names the same way.
std::string foldKeyName(std::string_view text);
