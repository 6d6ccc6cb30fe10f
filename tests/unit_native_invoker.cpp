// How native calls travel to the host: encodings, argument shapes, and the
// rule that a control hash or ped handle is its own complete call first.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/native_invoker.h"
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

TEST_F(NativeInvokerTest, ArgumentShapes)
{
    fake::game().hashOfControl = fake::allControls(fake::Answer::raw(77));
    fake::game().ped = fake::Answer::raw(0xFFFFFFFFFFFFFFFBull);  // -5, with its high half set
    struct Case {
        const char* name;
        std::function<void()> call;
        uint64_t hash;
        Slots args;
    };
    const std::vector<Case> cases = {
        {"hold blocked takes only the control",
         [] { NativeInvoker::isControlHoldBlocked("INPUT_SPRINT"); },
         H::isControlHoldBlocked,
         {77}},
        {"first person takes three zeros",
         [] { NativeInvoker::isFirstPersonCameraActive(0, 0, 0); },
         H::isFirstPersonCameraActive,
         {0, 0, 0}},
        {"ped move restricted takes ped and 0",
         [] { NativeInvoker::isPedMoveRestricted(NativeInvoker::playerPed(), 0); },
         H::isPedMoveRestricted,
         {0xFFFFFFFBull, 0}},
        {"disable control takes group, control, 1",
         [] { NativeInvoker::disableControlAction(0, "INPUT_PREV_WEAPON", 1); },
         H::disableControlAction,
         {0, 77, 1}},
        {"control value is a float slot",
         [] { NativeInvoker::setControlValueNextFrame(0, "INPUT_SPRINT", 1.0f); },
         H::setControlValueNextFrame,
         {0, 77, 0x3F800000ull}},
        {"max speed takes ped and float",
         [] { NativeInvoker::setPedMaxSpeed(NativeInvoker::playerPed(), 1.06f); },
         H::setPedMaxSpeed,
         {0xFFFFFFFBull, NativeInvoker::slotOfFloat(1.06f)}},
        {"global restriction takes nothing",
         [] { NativeInvoker::isGlobalMoveRestricted(); },
         H::isGlobalMoveRestricted,
         {}},
        {"run drop takes nothing", [] { NativeInvoker::isRunDropAllowed(); }, H::isRunDropAllowed, {}},
    };
    for (const Case& c : cases) {
        fake::host().calls.clear();
        c.call();
        ASSERT_FALSE(fake::host().calls.empty()) << c.name;
        EXPECT_EQ(fake::host().calls.back().hash, c.hash) << c.name;
        EXPECT_EQ(argsOf(fake::host().calls.back()), c.args) << c.name;
    }
}

TEST_F(NativeInvokerTest, DesiredSpeedIsReadAsSingleFloat)
{
    fake::game().desiredSpeed = fake::Answer::raw(0xFFFFFFFF00000000ull | NativeInvoker::slotOfFloat(1.38f));
    EXPECT_EQ(NativeInvoker::getPedDesiredSpeed(NativeInvoker::playerPed()), 1.38f);
}

}  // namespace
