// How native calls travel to the host: encodings, argument shapes, and the
// rule that a control hash or ped handle is its own complete call first.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/control_names.h"
#include "game/native_catalogue.h"
#include "game/native_invoker.h"
#include "natives.h"
#include "support/plugin_test.h"

namespace {

namespace H = NativeInvoker::Hash;
using Slots = std::vector<uint64_t>;

class NativeInvokerTest : public PluginTest {
protected:
    static const fake::NativeCall& call(std::size_t index) { return fake::host().calls.at(index); }
    static Slots argsOf(const fake::NativeCall& call) { return Slots(call.args, call.args + call.argCount); }
};

TEST_F(NativeInvokerTest, SlotEncodings)
{
    EXPECT_EQ(NativeInvoker::slotOfFloat(1.0f), 0x000000003F800000ull);
    EXPECT_EQ(NativeInvoker::slotOfFloat(0.0f), 0ull);
    EXPECT_EQ(NativeInvoker::slotOfFloat(-2.0f), 0x00000000C0000000ull);
    EXPECT_EQ(NativeInvoker::slotOfInt(-1), 0x00000000FFFFFFFFull);
    EXPECT_EQ(NativeInvoker::slotOfInt(static_cast<int32_t>(0x80000001u)), 0x0000000080000001ull);
    EXPECT_EQ(NativeInvoker::slotOfInt(0), 0ull);
}

TEST_F(NativeInvokerTest, ResultsReadOnlyTheLowHalf)
{
    EXPECT_TRUE(NativeInvoker::boolOfSlot(2));
    EXPECT_FALSE(NativeInvoker::boolOfSlot(0xFFFFFFFF00000000ull));
    EXPECT_TRUE(NativeInvoker::boolOfSlot(0xFFFFFFFF00000001ull));
    EXPECT_EQ(NativeInvoker::intOfSlot(0x12345678FFFFFFFEull), -2);
    EXPECT_EQ(NativeInvoker::floatOfSlot(0xDEADBEEF3FC00000ull), 1.5f);
}

TEST_F(NativeInvokerTest, ControlNativeAsksForTheHashFirst)
{
    fake::game().hashOfControl[fake::sprint] = fake::Answer::raw(0xFFFFFFFF9ABCDEF0ull);
    fake::game().pressed[fake::sprint] = true;
    EXPECT_TRUE(NativeInvoker::isControlPressed(0, "INPUT_SPRINT"));
    ASSERT_EQ(fake::host().calls.size(), 2u);
    EXPECT_EQ(call(0).hash, H::hashOfText);
    EXPECT_EQ(fake::describe(call(0)), "hashOfText(INPUT_SPRINT)");
    EXPECT_EQ(call(1).hash, H::isControlPressed);
    // The hash travels zero-extended, whatever the high half of its result slot held.
    EXPECT_EQ(argsOf(call(1)), (Slots{0, 0x9ABCDEF0ull}));
}

// The argument kinds of the catalogue's rows, and one catalogue row as this
// test reads it.
enum class Kind { ped, control, text, zero, one, number };
struct CatalogueRow {
    const char* role;
    uint64_t hash;
    std::vector<Kind> args;
};

const std::vector<CatalogueRow>& catalogue()
{
    constexpr Kind ped = Kind::ped;
    constexpr Kind control = Kind::control;
    constexpr Kind text = Kind::text;
    constexpr Kind zero = Kind::zero;
    constexpr Kind one = Kind::one;
    constexpr Kind number = Kind::number;
#define AMBLEWORKS_TEST_ROW(role, hash, args, result) {#role, hash, {AMBLEWORKS_NATIVE_ARGS args}},
    static const std::vector<CatalogueRow> rows = {AMBLEWORKS_NATIVES(AMBLEWORKS_TEST_ROW)};
#undef AMBLEWORKS_TEST_ROW
    return rows;
}

// The float every operation with a number argument is given here.
constexpr float givenNumber = 1.06f;

// Each native's operation, called as the plug-in calls it (a ped native with
// the handle asked right before, a control native by name, literals as the
// catalogue has them). A native of the catalogue missing here fails the test
// below: every native needs its operation.
const std::map<std::string, std::function<void()>>& operations()
{
    namespace N = NativeInvoker;
    static const std::map<std::string, std::function<void()>> byRole = {
        {"playerPed", [] { N::playerPed(); }},
        {"hashOfText", [] { N::hashOfText(inputSprint); }},
        {"isControlPressed", [] { N::isControlPressed(0, inputSprint); }},
        {"isDisabledControlJustPressed", [] { N::isDisabledControlJustPressed(0, inputSprint); }},
        {"disableControlAction", [] { N::disableControlAction(0, inputSprint, 1); }},
        {"setControlValueNextFrame", [] { N::setControlValueNextFrame(0, inputSprint, givenNumber); }},
        {"isControlEnabled", [] { N::isControlEnabled(0, inputSprint); }},
        {"isControlHoldBlocked", [] { N::isControlHoldBlocked(inputSprint); }},
        {"isFirstPersonCameraActive", [] { N::isFirstPersonCameraActive(0, 0, 0); }},
        {"getPedDesiredSpeed", [] { N::getPedDesiredSpeed(N::playerPed()); }},
        {"isPedOnFoot", [] { N::isPedOnFoot(N::playerPed()); }},
        {"isPedWalking", [] { N::isPedWalking(N::playerPed()); }},
        {"isPedRunning", [] { N::isPedRunning(N::playerPed()); }},
        {"isPedSprinting", [] { N::isPedSprinting(N::playerPed()); }},
        {"isPedStill", [] { N::isPedStill(N::playerPed()); }},
        {"setPedMaxSpeed", [] { N::setPedMaxSpeed(N::playerPed(), givenNumber); }},
        {"setPedMinSpeed", [] { N::setPedMinSpeed(N::playerPed(), givenNumber); }},
        {"isPedMoveFree", [] { N::isPedMoveFree(N::playerPed()); }},
        {"isGlobalMoveRestricted", [] { N::isGlobalMoveRestricted(); }},
        {"isPedMoveRestricted", [] { N::isPedMoveRestricted(N::playerPed(), 0); }},
        {"isRunDropAllowed", [] { N::isRunDropAllowed(); }},
    };
    return byRole;
}

// Every native of the catalogue has an operation, and the operation makes
// exactly the call its row describes: its hash, one slot per argument, each
// in its shape (a handle or a hash zero-extended whatever the high half of
// the answer held, a float's bits, a text's address, the literal's value).
TEST_F(NativeInvokerTest, EveryNativeIsCalledAsTheCatalogueSays)
{
    fake::game().hashOfControl = fake::allControls(fake::Answer::raw(0xFFFFFFFF9ABCDEF0ull));
    fake::game().ped = fake::Answer::raw(0xFFFFFFFFFFFFFFFBull);  // -5, with its high half set
    for (const CatalogueRow& row : catalogue()) {
        const auto operation = operations().find(row.role);
        ASSERT_NE(operation, operations().end()) << row.role << " has no operation in this test (and the invoker?)";
        fake::host().calls.clear();
        operation->second();
        ASSERT_FALSE(fake::host().calls.empty()) << row.role;
        const fake::NativeCall& made = fake::host().calls.back();
        EXPECT_EQ(made.hash, row.hash) << row.role;
        Slots wanted;
        for (Kind kind : row.args) {
            wanted.push_back(kind == Kind::ped       ? 0xFFFFFFFBull
                             : kind == Kind::control ? 0x9ABCDEF0ull
                             : kind == Kind::text    ? NativeInvoker::slotOfText(inputSprint)
                             : kind == Kind::one     ? 1
                             : kind == Kind::number  ? NativeInvoker::slotOfFloat(givenNumber)
                                                     : 0);
        }
        EXPECT_EQ(argsOf(made), wanted) << row.role;
    }
    EXPECT_EQ(operations().size(), catalogue().size()) << "an operation here for a native the catalogue lacks";
}

// The fake game host has a row for every native of the catalogue (which
// field answers it), and none for a native the catalogue lacks.
TEST(FakeGameHost, HasARowForEveryNative)
{
    EXPECT_EQ(fake::rowMismatches(), std::vector<std::string>{});
}

TEST_F(NativeInvokerTest, DesiredSpeedIsReadAsSingleFloat)
{
    fake::game().desiredSpeed = fake::Answer::raw(0xFFFFFFFF00000000ull | NativeInvoker::slotOfFloat(1.38f));
    EXPECT_EQ(NativeInvoker::getPedDesiredSpeed(NativeInvoker::playerPed()), 1.38f);
}

}  // namespace
