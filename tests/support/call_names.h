#pragma once
// The fake host's recorded calls as readable names, e.g.
// "hashOfText(INPUT_SPRINT)", "isControlEnabled(INPUT_SPRINT)",
// "setPedMaxSpeed(1.06)": control natives show the control's name, ped
// natives drop the handle, floats print in their shortest exact form.

#include <cstddef>
#include <string>
#include <vector>

#include "host.h"

namespace fake {

std::string describe(const NativeCall& call);
// Every call recorded since `from`, described.
std::vector<std::string> callNames(std::size_t from = 0);
// The same without playerPed and hashOfText: what the plug-in asked and did.
std::vector<std::string> commandNames(std::size_t from = 0);
// How many times a native (by name, without arguments) was called since `from`.
std::size_t countCalls(const std::string& name, std::size_t from = 0);

}  // namespace fake
