#pragma once
// The natives of the plug-in's catalogue (src/game/native_catalogue.h), as
// the host sees them: hash, role name, the kind of every argument slot in
// push order, and the kind of the result. The checks, the game model, the
// trace and the call patterns of the scenario language all read this one
// table.

#include <cstdint>
#include <string_view>
#include <vector>

namespace sim {

// What one argument slot carries.
enum class ArgKind {
    ped,      // a ped handle (32-bit, zero-extended)
    control,  // a control hash (32-bit, zero-extended)
    literal,  // a 32-bit integer that every call site passes as the same value
    number,   // a 32-bit float (single-precision bits in the low half)
    text,     // the address of a NUL-terminated string
};

// What the result slot carries (only the low 32 bits mean anything).
enum class ResultKind { none, ped, hash, boolean, number };

struct ArgSpec {
    ArgKind kind;
    uint32_t literal = 0;  // the required value of a literal argument
};

struct NativeSpec {
    uint64_t hash;
    std::string_view name;
    std::vector<ArgSpec> args;
    ResultKind result;
};

// The catalogue, in the order of native_catalogue.h.
const std::vector<NativeSpec>& nativeCatalogue();

// The entry of a hash, or nullptr for a hash outside the catalogue.
const NativeSpec* findNative(uint64_t hash);

// The entry of a role name (case-insensitive), or nullptr.
const NativeSpec* findNativeByName(std::string_view name);

// The host functions that appear as calls in the trace besides the natives.
inline constexpr std::string_view hostCallNames[] = {
    "scriptWait", "scriptRegister", "scriptUnregister", "keyboardHandlerRegister", "keyboardHandlerUnregister",
};

// The words the trace writes for the arguments of the registration calls:
// the plug-in's own module, handler and entry, or something else.
inline constexpr std::string_view hostCallWords[] = {
    "module", "other_module", "entry", "null", "handler", "other_handler",
};

// The control names the plug-in may pass to hashOfText (src/game/control_names.h).
const std::vector<std::string_view>& controlNames();

}  // namespace sim
