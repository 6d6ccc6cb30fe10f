#include "web/values_file.h"

#include <vector>

#include "config/settings.h"
#include "doctor/doctor.h"
#include "trace/format.h"

namespace sim::web {

namespace {

// The text the plug-in reads back as this loaded value.
std::string valueText(const doctor::SettingUse& use)
{
    const SettingRow& row = *use.row;
    if (row.flagField)
        return use.loaded.flag ? "1" : "0";
    if (row.floatField)
        return formatFloat(use.loaded.real);
    if (row.rule == SettingRule::keyCode) {
        const int32_t code = use.loaded.integer;
        return code < 0 ? "-" + hexShort(static_cast<uint32_t>(-static_cast<int64_t>(code))) : hexShort(code);
    }
    return decimal(use.loaded.integer);
}

}  // namespace

std::string valuesFile(const std::string& fileBytes, const std::map<std::string, std::string>& edits)
{
    const doctor::Diagnosis diagnosis = doctor::diagnoseBytes("Ambleworks.ini", fileBytes);
    std::string out;
    std::string section;
    for (const doctor::SettingUse& use : diagnosis.settings) {
        if (section != use.row->section) {
            section = use.row->section;
            out += "[" + section + "]\n";
        }
        auto edited = edits.find(use.row->key);
        // A text that would end the line or start a note cannot stand on it.
        if (edited != edits.end() && edited->second.find_first_of(std::string("\r\n;#\0", 5)) != std::string::npos)
            edited = edits.end();
        out += std::string(use.row->key) + " = " + (edited != edits.end() ? edited->second : valueText(use)) + "\n";
    }
    return out;
}

}  // namespace sim::web
