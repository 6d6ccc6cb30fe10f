#include "controller/movement_history.h"

#include <array>
#include <cstddef>

#include "game/movement_probes.h"
#include "game/native_invoker.h"

using NativeInvoker::playerPed;

namespace {

constexpr int32_t oldestKey = -5;
constexpr int32_t newestKey = 0;

// Entry k sits at index k + 5; all six start empty.
std::array<std::string_view, 6> movementHistory{};

// This tick's word; asks the ped's states in order and stops at the first that holds.
std::string_view currentMovementStatus()
{
    if (NativeInvoker::isPedWalking(playerPed()))
        return walkingWord;
    if (NativeInvoker::isPedRunning(playerPed()))
        return runningWord;
    if (NativeInvoker::isPedSprinting(playerPed()))
        return sprintingWord;
    if (NativeInvoker::isPedStill(playerPed()))
        return stillWord;
    if (!isMoveInputActive())
        return stillWord;
    // Pushing a direction while the game reports no gait yet: starting to walk.
    return walkingWord;
}

}  // namespace

// Every entry takes its newer neighbour's word, then entry 0 takes this tick's.
void recordMovementStatus()
{
    const std::string_view word = currentMovementStatus();
    for (std::size_t i = 0; i + 1 < movementHistory.size(); ++i)
        movementHistory[i] = movementHistory[i + 1];
    movementHistory.back() = word;
}

// Keys outside -5 to 0 hold nothing and read as the empty text.
std::string_view movementStatusAt(int32_t key)
{
    if (key < oldestKey || key > newestKey)
        return {};
    return movementHistory[static_cast<std::size_t>(key - oldestKey)];
}

// string_view equality compares length first, then every byte.
bool movementStatusIs(int32_t key, std::string_view word)
{
    return movementStatusAt(key) == word;
}

// Back to six empty entries.
void clearMovementHistory()
{
    movementHistory.fill({});
}
