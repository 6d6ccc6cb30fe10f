#include "host/catalogue.h"

#include <algorithm>
#include <cctype>

#include "game/control_names.h"
#include "game/native_catalogue.h"

namespace sim {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

constexpr ArgSpec ped{ArgKind::ped};
constexpr ArgSpec control{ArgKind::control};
constexpr ArgSpec number{ArgKind::number};
constexpr ArgSpec text{ArgKind::text};
constexpr ArgSpec zero{ArgKind::literal, 0};
constexpr ArgSpec one{ArgKind::literal, 1};

}  // namespace

const std::vector<NativeSpec>& nativeCatalogue()
{
#define AMBLEWORKS_NATIVE_SPEC(role, hash, args, result)                                                               \
    {hash, #role, {AMBLEWORKS_NATIVE_ARGS args}, ResultKind::result},
    static const std::vector<NativeSpec> catalogue = {AMBLEWORKS_NATIVES(AMBLEWORKS_NATIVE_SPEC)};
#undef AMBLEWORKS_NATIVE_SPEC
    return catalogue;
}

const NativeSpec* findNative(uint64_t hash)
{
    for (const NativeSpec& entry : nativeCatalogue()) {
        if (entry.hash == hash)
            return &entry;
    }
    return nullptr;
}

const NativeSpec* findNativeByName(std::string_view name)
{
    for (const NativeSpec& entry : nativeCatalogue()) {
        if (equalsIgnoringCase(entry.name, name))
            return &entry;
    }
    return nullptr;
}

const std::vector<std::string_view>& controlNames()
{
    static const std::vector<std::string_view> names(std::begin(controlNameList), std::end(controlNameList));
    return names;
}

}  // namespace sim
