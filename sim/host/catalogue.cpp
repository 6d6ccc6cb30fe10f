#include "host/catalogue.h"

#include <algorithm>
#include <cctype>

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
    static const std::vector<NativeSpec> catalogue = {
        {0x096275889B8E0EE0ull, "playerPed", {}, ResultKind::ped},
        {0xFD340785ADF8CFB7ull, "hashOfText", {text}, ResultKind::hash},
        {0xF3A21BCD95725A4Aull, "isControlPressed", {zero, control}, ResultKind::boolean},
        {0x91AEF906BCA88877ull, "isDisabledControlJustPressed", {zero, control}, ResultKind::boolean},
        {0xFE99B66D079CF6BCull, "disableControlAction", {zero, control, one}, ResultKind::none},
        {0xE8A25867FBA3B05Eull, "setControlValueNextFrame", {zero, control, number}, ResultKind::none},
        {0x1CEA6BFDF248E5D9ull, "isControlEnabled", {zero, control}, ResultKind::boolean},
        {0x1BE19185B8AFE299ull, "isControlHoldBlocked", {control}, ResultKind::boolean},
        {0xA24C1D341C6E0D53ull, "isFirstPersonCameraActive", {zero, zero, zero}, ResultKind::boolean},
        {0x8517D4A6CA8513EDull, "getPedDesiredSpeed", {ped}, ResultKind::number},
        {0x01FEE67DB37F59B2ull, "isPedOnFoot", {ped}, ResultKind::boolean},
        {0xDE4C184B2B9B071Aull, "isPedWalking", {ped}, ResultKind::boolean},
        {0xC5286FFC176F28A2ull, "isPedRunning", {ped}, ResultKind::boolean},
        {0x57E457CD2C0FC168ull, "isPedSprinting", {ped}, ResultKind::boolean},
        {0xAC29253EEF8F0180ull, "isPedStill", {ped}, ResultKind::boolean},
        {0x433083750C5E064Aull, "setPedMaxSpeed", {ped, number}, ResultKind::none},
        {0x01A898D26E2333DDull, "setPedMinSpeed", {ped, number}, ResultKind::none},
        {0xBDD9C235D8D1052Eull, "isPedMoveFree", {ped}, ResultKind::boolean},
        {0x698F456FB909E077ull, "isGlobalMoveRestricted", {}, ResultKind::boolean},
        {0x4859F1FC66A6278Eull, "isPedMoveRestricted", {ped, zero}, ResultKind::boolean},
        {0x4200F14D6F840A9Aull, "isRunDropAllowed", {}, ResultKind::boolean},
    };
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
    static const std::vector<std::string_view> names = {
        "INPUT_MOVE_UP_ONLY", "INPUT_MOVE_LEFT_ONLY",    "INPUT_MOVE_DOWN_ONLY",  "INPUT_MOVE_RIGHT_ONLY",
        "INPUT_SPRINT",       "INPUT_FRONTEND_SELECT",   "INPUT_PREV_WEAPON",     "INPUT_NEXT_WEAPON",
        "INPUT_REVEAL_HUD",   "INPUT_SELECT_RADAR_MODE", "INPUT_SPECIAL_ABILITY", "INPUT_SCRIPTED_FLY_ZUP",
    };
    return names;
}

}  // namespace sim
