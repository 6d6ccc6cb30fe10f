// Writing settings into a file's bytes (ini_edit.h says what is kept, what
// is added where, and what is refused).

#include "ini_edit/ini_edit.h"

#include <algorithm>
#include <map>

#include "config/value_conversions.h"
#include "doctor/file_bytes.h"
#include "ini_edit/ini_edit_parts.h"

// Index of this file:
// [SECTION] The edits and the file checked
// [SECTION] The plan of changes: what each line gets, and which new lines go after it
// [SECTION] The new bytes
// [SECTION] The read-back
// [SECTION] The value on a line
// [SECTION] editIni

namespace sim::ini_edit {

namespace {

constexpr const char* blanks = " \t\n\r\f\v";  // the six bytes the reader trims

// One setting to write, once its name is resolved.
struct Wanted {
    std::string value;
    std::string expected;  // the value text the reader must then find (a note kept after the value)
    Change change;
};

std::vector<const SettingRow*> rowsOf(const std::vector<Wanted>& wanted)
{
    std::vector<const SettingRow*> rows;
    rows.reserve(wanted.size());
    for (const Wanted& one : wanted)
        rows.push_back(one.change.row);
    return rows;
}

std::string trimmed(std::string_view text)
{
    std::string copy(text);
    trimBlanks(copy);
    return copy;
}

// ---------------------------------------------------------------------------
// [SECTION] The edits and the file checked

// True when the setting is wanted already; a refusal when with another value.
bool givenTwice(const std::vector<Wanted>& wanted, const SettingRow* row, const std::string& value, const Edit& edit,
                std::vector<Refusal>& refusals)
{
    for (const Wanted& other : wanted) {
        if (other.change.row != row)
            continue;
        if (other.value != value)
            refusals.push_back(Refusal{editName(edit), std::string(row->key) + " is given twice, as \"" + other.value +
                                                           "\" and as \"" + value + "\""});
        return true;
    }
    return false;
}

std::vector<Wanted> resolveEdits(const std::vector<Edit>& edits, std::vector<Refusal>& refusals)
{
    std::vector<Wanted> wanted;
    for (const Edit& edit : edits) {
        std::string reason;
        const SettingRow* row = findSetting(editableRows(), edit.section, edit.key, reason);
        const std::string value = trimmed(edit.value);
        if (row)
            reason = editRefusal(*row, value);
        if (!reason.empty()) {
            refusals.push_back(Refusal{editName(edit), reason});
            continue;
        }
        if (givenTwice(wanted, row, value, edit, refusals))
            continue;
        Wanted one;
        one.value = value;
        one.change.row = row;
        one.change.after = value;
        wanted.push_back(one);
    }
    return wanted;
}

// Why the file itself cannot be written into, or "".
std::string fileRefusal(const std::string& bytes)
{
    const doctor::FileFacts facts = doctor::inspectBytes(bytes);
    if (!facts.settingsText)
        return facts.programFile ? "this is a program file (like Ambleworks.asi), not a settings file"
                                 : "this file holds binary data, not lines of text: it is no settings file";
    if (facts.utf16)
        return "the file is saved as UTF-16 (\"Unicode\"), which writing plain bytes into would spoil: save it as "
               "UTF-8 or ANSI first";
    if (facts.crOnly)
        return "the lines end in CR alone (old Mac style), so the plug-in reads the whole file as one line: save "
               "it with Windows (CR LF) or Unix (LF) line ends first";
    return "";
}

// ---------------------------------------------------------------------------
// [SECTION] The plan of changes: what each line gets, and which new lines go after it

struct Replacement {
    ValueSpan span;
    std::string text;
};

struct Plan {
    std::map<std::size_t, Replacement> replacements;                // by line number
    std::map<std::size_t, std::vector<std::string>> newLinesAfter;  // by line number; 0: an empty file's start
};

// The setting's own line gets the new value in place of the old.
bool planChangedLine(const KeyLine& line, Wanted& one, Plan& plan)
{
    ValueSpan span;
    if (!locateValue(line.text, line.value, span))
        return false;
    one.change.line = line.number;
    one.change.before = std::string(withoutNote(line.value));
    one.change.kind = one.change.before == one.value ? ChangeKind::unchanged : ChangeKind::changed;
    const std::string text = one.value + (span.noteAtStart && !one.value.empty() ? " " : "");
    // The note, and the blanks before it, stay after the new value.
    one.expected = trimmed(text + line.value.substr(std::min(span.length, line.value.size())));
    if (one.change.kind == ChangeKind::changed)
        plan.replacements[line.number] = Replacement{span, text};
    return true;
}

std::string newKeyLine(const Wanted& one)
{
    return std::string(one.change.row->key) + (one.value.empty() ? " =" : " = " + one.value);
}

// The new sections, each with its new lines, in the order they are written.
using NewSections = std::vector<std::pair<std::string, std::vector<std::string>>>;

void addToNewSection(const Wanted& one, NewSections& sections)
{
    const std::string name = lookupName(one.change.row->section);
    auto found = std::find_if(sections.begin(), sections.end(), [&](const auto& s) { return s.first == name; });
    if (found == sections.end()) {
        sections.emplace_back(name, std::vector<std::string>{std::string("[") + one.change.row->section + "]"});
        found = sections.end() - 1;
    }
    found->second.push_back(newKeyLine(one));
}

// The new sections go after the file's last line with text, one blank line
// before each (none at the top of an empty file, no second one after a
// blank last line).
void planNewSections(const FileShape& shape, const FileScan& scan, const NewSections& sections, Plan& plan)
{
    const std::size_t last = shape.empty ? 0 : shape.endsWithLineEnd ? shape.lineCount - 1 : shape.lineCount;
    bool blankBefore = shape.empty || (shape.endsWithLineEnd ? scan.lineBeforeLastBlank : scan.lastLineBlank);
    std::vector<std::string>& lines = plan.newLinesAfter[last];
    for (const auto& section : sections) {
        if (!blankBefore)
            lines.emplace_back("");
        lines.insert(lines.end(), section.second.begin(), section.second.end());
        blankBefore = false;
    }
}

// The settings the file has no line of: after the last key line of their
// section (its last header when it has none), or in new sections at the end.
void planNewLines(const FileShape& shape, const FileScan& scan, std::vector<Wanted*> missing, Plan& plan)
{
    std::sort(missing.begin(), missing.end(),
              [](const Wanted* a, const Wanted* b) { return rowOrder(a->change.row) < rowOrder(b->change.row); });
    NewSections newSections;
    for (Wanted* one : missing) {
        one->expected = one->value;
        const auto place = scan.sections.find(lookupName(one->change.row->section));
        if (place == scan.sections.end()) {
            one->change.kind = ChangeKind::newSection;
            addToNewSection(*one, newSections);
            continue;
        }
        one->change.kind = ChangeKind::added;
        const SectionPlace& at = place->second;
        plan.newLinesAfter[at.lastKeyLine != 0 ? at.lastKeyLine : at.lastHeader].push_back(newKeyLine(*one));
    }
    planNewSections(shape, scan, newSections, plan);
}

// ---------------------------------------------------------------------------
// [SECTION] The new bytes

// Copies the file's bytes up to `to`, then `text`; carries on from `from`.
void copyThen(const std::string& bytes, std::size_t& copied, std::size_t to, std::string_view text, std::size_t from,
              std::string& out)
{
    out.append(bytes, copied, to - copied);
    out += text;
    copied = from;
}

void replaceValue(const std::string& bytes, const RawLine& line, const Replacement& replacement, std::size_t& copied,
                  std::string& out)
{
    const ValueSpan& span = replacement.span;
    // Any CR or NUL byte the reader dropped stays where it is, outside the
    // value; for an insertion, right after the byte the reader saw before it.
    const std::size_t from = span.length > 0  ? rawOffset(bytes, line, span.start)
                             : span.start > 0 ? rawOffset(bytes, line, span.start - 1) + 1
                                              : line.start;
    const std::size_t to = span.length > 0 ? rawOffset(bytes, line, span.start + span.length - 1) + 1 : from;
    copyThen(bytes, copied, from, replacement.text, to, out);
}

// New lines after a line: each ending in the file's line end, or, after a
// last line that has none, each after one, so the file still ends without
// (a CR that ends that last line becomes part of its CR LF).
void insertLines(const std::string& bytes, const RawLine* line, std::size_t markLength,
                 const std::vector<std::string>& lines, const std::string& lineEnd, std::size_t& copied,
                 std::string& out)
{
    const bool afterLineEnd = !line || line->hasLf;
    const std::size_t at = !line ? markLength : line->hasLf ? line->end + 1 : line->end;
    copyThen(bytes, copied, at, "", at, out);
    for (const std::string& text : lines) {
        const bool crThere = lineEnd == "\r\n" && !out.empty() && out.back() == '\r';
        out += afterLineEnd ? text + lineEnd : (crThere ? "\n" : lineEnd) + text;
    }
}

std::string newBytes(const std::string& bytes, const FileShape& shape, const Plan& plan)
{
    std::vector<std::size_t> numbers;
    for (const auto& [number, replacement] : plan.replacements)
        numbers.push_back(number);
    for (const auto& [number, lines] : plan.newLinesAfter)
        numbers.push_back(number);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());

    std::string out;
    out.reserve(bytes.size() + 256);
    std::size_t copied = 0;
    LineCursor cursor(bytes);
    for (const std::size_t number : numbers) {
        const RawLine line = cursor.line(std::max<std::size_t>(number, 1));
        if (const auto found = plan.replacements.find(number); found != plan.replacements.end())
            replaceValue(bytes, line, found->second, copied, out);
        if (const auto found = plan.newLinesAfter.find(number); found != plan.newLinesAfter.end())
            insertLines(bytes, number == 0 ? nullptr : &line, shape.markLength, found->second, shape.lineEnd, copied,
                        out);
    }
    out.append(bytes, copied, bytes.size() - copied);
    return out;
}

// ---------------------------------------------------------------------------
// [SECTION] The read-back

// True when `out`, read by the plug-in's reader, holds every key of the old
// file with its old value text and each edited key with the text written;
// fills in the line of each edited key.
bool readsBack(const std::string& out, const IniDocument& before, std::vector<Wanted>& wanted)
{
    std::vector<Wanted*> inFileOrder;
    inFileOrder.reserve(wanted.size());
    for (Wanted& one : wanted)
        inFileOrder.push_back(&one);
    std::sort(inFileOrder.begin(), inFileOrder.end(),
              [](const Wanted* a, const Wanted* b) { return rowOrder(a->change.row) < rowOrder(b->change.row); });
    IniDocument expected = before;
    for (const Wanted* one : inFileOrder)
        expected.section(one->change.row->section).value(one->change.row->key) = one->expected;

    const FileScan after = scanFile(out, rowsOf(wanted));
    if (!sameDocument(after.document, expected))
        return false;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (after.keyLines[i].number == 0)
            return false;
        wanted[i].change.line = after.keyLines[i].number;
    }
    return true;
}

bool sameSection(const IniSection& a, const IniSection& b)
{
    return std::equal(a.entries.begin(), a.entries.end(), b.entries.begin(), b.entries.end());
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] The value on a line

bool locateValue(std::string_view text, std::string_view value, ValueSpan& span)
{
    const std::size_t last = text.find_last_not_of(blanks);
    if (last == std::string_view::npos)
        return false;
    const std::size_t end = last + 1;
    if (value.empty()) {
        // After "=", and after one blank there when there is one.
        if (text[last] != '=')
            return false;
        const bool blank = end < text.size() && (text[end] == ' ' || text[end] == '\t');
        span = ValueSpan{end + (blank ? 1 : 0), 0, false};
        return true;
    }
    if (value.size() > end || text.substr(end - value.size(), value.size()) != value)
        return false;
    const std::size_t own = withoutNote(value).size();
    span = ValueSpan{end - value.size(), own, own == 0};
    return true;
}

bool sameDocument(const IniDocument& a, const IniDocument& b)
{
    return std::equal(
        a.sections.begin(), a.sections.end(), b.sections.begin(), b.sections.end(),
        [](const auto& x, const auto& y) { return x.first == y.first && sameSection(x.second, y.second); });
}

// ---------------------------------------------------------------------------
// [SECTION] editIni

bool EditResult::changesBytes() const
{
    return std::any_of(changes.begin(), changes.end(),
                       [](const Change& change) { return change.kind != ChangeKind::unchanged; });
}

EditResult editIni(const std::string& bytes, const std::vector<Edit>& edits)
{
    EditResult result;
    std::vector<Wanted> wanted = resolveEdits(edits, result.refusals);
    if (const std::string reason = fileRefusal(bytes); !reason.empty())
        result.refusals.insert(result.refusals.begin(), Refusal{"", reason});
    if (!result.refusals.empty())
        return result;

    const FileScan scan = scanFile(bytes, rowsOf(wanted));
    Plan plan;
    std::vector<Wanted*> missing;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const KeyLine& line = scan.keyLines[i];
        if (line.number == 0)
            missing.push_back(&wanted[i]);
        else if (!planChangedLine(line, wanted[i], plan))
            result.refusals.push_back(
                Refusal{wanted[i].change.row->key, "line " + std::to_string(line.number) + " cannot be edited safely"});
    }
    const FileShape shape = shapeOf(bytes);
    planNewLines(shape, scan, missing, plan);
    std::string out = newBytes(bytes, shape, plan);
    if (result.refusals.empty() && !readsBack(out, scan.document, wanted))
        result.refusals.push_back(Refusal{"", "the edited file did not read back as written, so nothing was written "
                                              "(a fault of this editor: please report it with the file)"});
    if (!result.refusals.empty())
        return result;
    result.written = true;
    result.bytes = std::move(out);
    for (const Wanted& one : wanted)
        result.changes.push_back(one.change);
    return result;
}

}  // namespace sim::ini_edit
