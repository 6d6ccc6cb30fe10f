// The host's checks of native calls, fed directly: each malformed shape is
// caught with a readable message, and well-formed calls pass clean.

#include <gtest/gtest.h>

#include <cstring>

#include "game/game_model.h"
#include "game/native_invoker.h"
#include "host/call_checker.h"
#include "platform/process.h"

namespace {

namespace H = NativeInvoker::Hash;
constexpr uint64_t playerPedHash = H::playerPed;
constexpr uint64_t hashOfTextHash = H::hashOfText;
constexpr uint64_t isControlPressedHash = H::isControlPressed;
constexpr uint64_t setPedMaxSpeedHash = H::setPedMaxSpeed;
constexpr uint64_t isFirstPersonHash = H::isFirstPersonCameraActive;
constexpr uint64_t isPedMoveRestrictedHash = H::isPedMoveRestricted;

const char sprintName[] = "INPUT_SPRINT";

uint64_t addressOf(const char* text)
{
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(text));
}

sim::CallChecker makeChecker()
{
    return sim::CallChecker(
        [](uint64_t address, std::string& text) { return sim::platform::readTextAt(address, text); },
        [](uint32_t hash) { return hash == 0x8FFC75D6u ? std::string("INPUT_SPRINT") : std::string(); });
}

// Makes one complete call; returns the faults it raised.
std::vector<std::string> callWith(sim::CallChecker& checker, uint64_t hash, const std::vector<uint64_t>& slots,
                                  uint64_t result, sim::CheckedCall* out = nullptr)
{
    std::vector<std::string> faults;
    checker.init(hash, faults);
    for (uint64_t slot : slots)
        checker.push(slot, faults);
    sim::CheckedCall call;
    if (checker.call(call, faults))
        checker.completed(call, result);
    if (out)
        *out = call;
    return faults;
}

bool anyContains(const std::vector<std::string>& faults, const std::string& part)
{
    for (const std::string& fault : faults) {
        if (fault.find(part) != std::string::npos)
            return true;
    }
    return false;
}

TEST(SimChecker, WellFormedControlQueryIsClean)
{
    sim::CallChecker checker = makeChecker();
    sim::CheckedCall call;
    EXPECT_TRUE(callWith(checker, hashOfTextHash, {addressOf(sprintName)}, 0x8FFC75D6u, &call).empty());
    EXPECT_EQ(call.args[0].shown, "\"INPUT_SPRINT\"");
    EXPECT_TRUE(callWith(checker, isControlPressedHash, {0, 0x8FFC75D6u}, 1, &call).empty());
    EXPECT_EQ(call.args[1].shown, "INPUT_SPRINT");
}

TEST(SimChecker, UnknownHashIsAFault)
{
    sim::CallChecker checker = makeChecker();
    EXPECT_TRUE(anyContains(callWith(checker, 0x1234, {}, 0), "unknown hash 0x0000000000001234"));
}

TEST(SimChecker, WrongArgumentCountIsAFault)
{
    sim::CallChecker checker = makeChecker();
    EXPECT_TRUE(anyContains(callWith(checker, isFirstPersonHash, {0, 0}, 0),
                            "isFirstPersonCameraActive called with 2 arguments; it takes 3"));
    callWith(checker, playerPedHash, {}, 0x12A07);
    EXPECT_TRUE(anyContains(callWith(checker, isPedMoveRestrictedHash, {0x12A07}, 0), "it takes 2"));
}

TEST(SimChecker, SignExtendedHashIsAFault)
{
    sim::CallChecker checker = makeChecker();
    callWith(checker, hashOfTextHash, {addressOf(sprintName)}, 0x8FFC75D6u);
    const auto faults = callWith(checker, isControlPressedHash, {0, 0xFFFFFFFF8FFC75D6ull}, 0);
    EXPECT_TRUE(anyContains(faults, "non-zero high half"));
}

TEST(SimChecker, FloatInTheHighHalfIsAFault)
{
    sim::CallChecker checker = makeChecker();
    callWith(checker, playerPedHash, {}, 0x12A07);
    // A double's bits, or a float shifted up, instead of the single in the low half.
    const auto faults = callWith(checker, setPedMaxSpeedHash, {0x12A07, 0x3F80000000000000ull}, 0);
    EXPECT_TRUE(anyContains(faults, "setPedMaxSpeed argument 2"));
}

TEST(SimChecker, LiteralArgumentsMustHaveTheirValue)
{
    sim::CallChecker checker = makeChecker();
    EXPECT_TRUE(anyContains(callWith(checker, isFirstPersonHash, {0, 1, 0}, 0),
                            "isFirstPersonCameraActive argument 2 is 1; every call passes 0"));
}

TEST(SimChecker, CachedHandlesAndHashesAreFaults)
{
    sim::CallChecker checker = makeChecker();
    callWith(checker, playerPedHash, {}, 0x12A07);
    EXPECT_TRUE(callWith(checker, setPedMaxSpeedHash, {0x12A07, 0x3F800000}, 0).empty());
    // The same handle again, without asking playerPed first.
    EXPECT_TRUE(anyContains(callWith(checker, setPedMaxSpeedHash, {0x12A07, 0x3F800000}, 0),
                            "not the result of a playerPed call made right before"));
    // A control hash that did not come from the hashOfText just before.
    EXPECT_TRUE(anyContains(callWith(checker, isControlPressedHash, {0, 0x8FFC75D6u}, 0),
                            "not the result of a hashOfText call made right before"));
}

TEST(SimChecker, BrokenCallSequencesAreFaults)
{
    sim::CallChecker checker = makeChecker();
    std::vector<std::string> faults;
    checker.push(5, faults);
    EXPECT_TRUE(anyContains(faults, "nativePush64(0x0000000000000005) with no call started"));
    faults.clear();
    sim::CheckedCall call;
    EXPECT_FALSE(checker.call(call, faults));
    EXPECT_TRUE(anyContains(faults, "nativeCall with no call started"));
    faults.clear();
    checker.init(playerPedHash, faults);
    EXPECT_TRUE(checker.pending());
    checker.init(playerPedHash, faults);
    EXPECT_TRUE(anyContains(faults, "while a call to playerPed is pending"));
}

TEST(SimChecker, TextMustBeReadableTerminatedAndAControlName)
{
    sim::CallChecker checker = makeChecker();
    EXPECT_TRUE(anyContains(callWith(checker, hashOfTextHash, {0}, 0), "does not point at a readable"));
    EXPECT_TRUE(
        anyContains(callWith(checker, hashOfTextHash, {0xFFFFFFFFFFFF0000ull}, 0), "does not point at a readable"));
    static const char other[] = "INPUT_JUMP";
    EXPECT_TRUE(anyContains(callWith(checker, hashOfTextHash, {addressOf(other)}, 0), "not one of the control names"));
    // No terminator within the limit.
    std::vector<char> unterminated(10000, 'A');
    std::string text;
    EXPECT_FALSE(sim::platform::readTextAt(addressOf(unterminated.data()), text, 4096));
}

TEST(SimChecker, ReadTextStopsAtTheTerminatorBeforeAnUnmappedPage)
{
    std::string text;
    ASSERT_TRUE(sim::platform::readTextAt(addressOf(sprintName), text));
    EXPECT_EQ(text, "INPUT_SPRINT");
    EXPECT_TRUE(sim::platform::readTextAt(addressOf(""), text));
    EXPECT_EQ(text, "");
}

// The game model has an answer for every native of the catalogue (without
// one a native would answer 0 whatever the scenario sets), and none for a
// native the catalogue lacks.
TEST(SimGameModel, AnswersEveryNativeOfTheCatalogue)
{
    EXPECT_EQ(sim::answerTableMismatches(), std::vector<std::string>{});
}

}  // namespace
