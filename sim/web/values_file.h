#pragma once
// The settings file the previews and live play run on: every setting on a
// line of its own, with the value text the player typed where they edited
// it and, everywhere else, the value the plug-in reads from their file (as
// the doctor reports it). The plug-in reads from it exactly the values the
// form shows, whatever else the player's file holds. It is never saved:
// saving edits the player's own file (ini_edit).

#include <map>
#include <string>

namespace sim::web {

// `edits`: upper-case key -> value text. Unknown keys are left out.
std::string valuesFile(const std::string& fileBytes, const std::map<std::string, std::string>& edits);

}  // namespace sim::web
