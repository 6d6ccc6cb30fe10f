#pragma once
// Writing settings into an Ambleworks.ini without disturbing anything else:
// the bytes of a file and a list of settings to write in, the new bytes out.
// `ambleworks-sim set` and the settings page (its WebAssembly build) share
// this code. It depends on the plug-in's own INI reader and settings table
// (src/config) and on the doctor's test of what is text (sim/doctor), and on
// nothing of the running simulator.
//
// What it keeps: every line, comment, blank line, line end (LF, CR LF, a
// mix, a last line without one), the UTF-8 byte-order mark and the order of
// the lines, byte for byte. Of an edited line only the value text changes:
// the key as written, the blanks around "=" and a note after the value
// ("KEY = 1 ; note") stay. The line it edits is the one the plug-in takes the
// value from, found through the reader's own sorting of the lines: the last
// line of the key in its section, whatever the letter case, however often the
// section header is repeated.
//
// What it adds: a setting the file lacks goes on a new line right after the
// last key line of its section (after the section's last header when the
// section has no key line); a section the file lacks goes at the end of the
// file, after one blank line, with its settings in the order of the shipped
// file. New lines end as most lines of the file end (CR LF when there is no
// line end to go by); a file whose last line has no line end still ends
// without one.
//
// What it refuses, with a reason and nothing written: a value with a line
// break, a NUL, a ";" or a "#" (the plug-in would read a note there), a value
// the plug-in would not read as meant (a number it cannot read, an unknown
// switch word or key name), a key
// that is no setting, a key alone that belongs to several sections, a key
// under another section than its own, the same setting given twice with two
// values, and a file that is no text (a program, binary data), UTF-16 text or
// lines that end in CR alone. Every result is read back with the plug-in's
// reader before it is handed out: each edited key must read as exactly the
// text written (its note after it) and every other key as before.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"

namespace sim::ini_edit {

// One setting to write. `section` may be empty when the key alone names one
// setting; names match in any letter case, with blanks around them ignored.
// The value text is written without the blanks at its ends, which the
// plug-in does not read either.
struct Edit {
    std::string section;
    std::string key;
    std::string value;
};

enum class ChangeKind {
    changed,     // the key's line now holds the new value
    unchanged,   // the key's line already held that value text
    added,       // a new line in a section the file has
    newSection,  // a new line in a section added at the end of the file
};

// What happened to one setting, in the order the edits were given.
struct Change {
    const SettingRow* row = nullptr;
    ChangeKind kind = ChangeKind::changed;
    std::size_t line = 0;  // the key's line in the new file, 1 for the first
    std::string before;    // the value text before (without its note), for changed and unchanged
    std::string after;     // the value text written
};

// Why an edit, or the file, cannot be written.
struct Refusal {
    std::string what;    // the edit as given ("MouseWheel.SPEED_INCREMENT"), or "" for the file
    std::string reason;  // in a player's words
};

struct EditResult {
    bool written = false;           // true: `bytes` holds the new file
    std::string bytes;              // the new file
    std::vector<Change> changes;    // one per edit, when written
    std::vector<Refusal> refusals;  // every reason, when not written
    bool changesBytes() const;      // some change is not `unchanged`
};

// Writes `edits` into a file holding `bytes` (empty for a file that does not
// exist yet). All or nothing: refusals leave `bytes` unwritten.
EditResult editIni(const std::string& bytes, const std::vector<Edit>& edits);

// The rows an edit may name, in the order of the shipped file: the 19
// settings, then the keys of [Keys].
const std::vector<const SettingRow*>& editableRows();

// The row of a section and key as written, among `rows`, or nullptr with
// the reason in `reason` (a missing name, the nearest known one, the
// section a key belongs to).
const SettingRow* findSetting(const std::vector<const SettingRow*>& rows, std::string_view section,
                              std::string_view key, std::string& reason);

// Why a value text cannot be written, or "" when it can.
std::string valueRefusal(std::string_view value);

// Why the plug-in would not read a value text as it is plainly meant, or ""
// when it would: a number it cannot read, a word it does not know for a
// switch, a name of no key. An empty value is no refusal: it gives the
// setting its built-in default, as a missing line does.
std::string readingRefusal(const SettingRow& row, std::string_view value);

// Why a value text (its end blanks already dropped) cannot be written for
// this setting: valueRefusal, else readingRefusal; "" when it can.
std::string editRefusal(const SettingRow& row, std::string_view value);

// Why editIni would refuse this one edit, whatever the file: a key that is
// no setting (or under another section), or its value's editRefusal; "" when
// it would write it. The settings page shows it beside the field as it is typed.
std::string editRefusal(const Edit& edit);

// "KEY" as an edit names it: "Section.KEY", or "KEY" when no section is given.
std::string editName(const Edit& edit);

}  // namespace sim::ini_edit
