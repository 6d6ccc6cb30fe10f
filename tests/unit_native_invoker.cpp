// How native calls travel to the host: encodings, argument shapes, and the
// rule that a control hash or ped handle is its own complete call first.

#include <gtest/gtest.h>

#include "game/native_invoker.h"
#include "support/fake_host.h"

namespace {

namespace H = NativeInvoker::Hash;

class NativeInvokerTest : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
    const std::vector<fake::NativeCall>& calls() { return fake::host().calls; }
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
    fake::host().answer = [](uint64_t hash, const std::vector<uint64_t>&) -> uint64_t {
        return hash == H::hashOfText ? 0xFFFFFFFF9ABCDEF0ull : 1;
    };
    EXPECT_TRUE(NativeInvoker::isControlPressed(0, "INPUT_SPRINT"));
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].hash, H::hashOfText);
    ASSERT_EQ(calls()[0].args.size(), 1u);
    EXPECT_EQ(fake::textOfSlot(calls()[0].args[0]), "INPUT_SPRINT");
    EXPECT_EQ(calls()[1].hash, H::isControlPressed);
    // The hash travels zero-extended, whatever the high half of its result slot held.
    EXPECT_EQ(calls()[1].args, (std::vector<uint64_t>{0, 0x9ABCDEF0ull}));
    EXPECT_TRUE(fake::host().fault.empty()) << fake::host().fault;
}

TEST_F(NativeInvokerTest, ArgumentShapes)
{
    fake::host().answer = [](uint64_t hash, const std::vector<uint64_t>&) -> uint64_t {
        return hash == H::hashOfText ? 77 : 0;
    };
    struct Case {
        const char* name;
        std::function<void()> call;
        uint64_t hash;
        std::vector<uint64_t> args;
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
         [] { NativeInvoker::isPedMoveRestricted(0x101, 0); },
         H::isPedMoveRestricted,
         {0x101, 0}},
        {"disable control takes group, control, 1",
         [] { NativeInvoker::disableControlAction(0, "INPUT_PREV_WEAPON", 1); },
         H::disableControlAction,
         {0, 77, 1}},
        {"control value is a float slot",
         [] { NativeInvoker::setControlValueNextFrame(0, "INPUT_SPRINT", 1.0f); },
         H::setControlValueNextFrame,
         {0, 77, 0x3F800000ull}},
        {"max speed takes ped and float",
         [] { NativeInvoker::setPedMaxSpeed(-5, 1.06f); },
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
        ASSERT_FALSE(calls().empty()) << c.name;
        EXPECT_EQ(calls().back().hash, c.hash) << c.name;
        EXPECT_EQ(calls().back().args, c.args) << c.name;
    }
    EXPECT_TRUE(fake::host().fault.empty()) << fake::host().fault;
}

TEST_F(NativeInvokerTest, DesiredSpeedIsReadAsSingleFloat)
{
    fake::host().answer = [](uint64_t, const std::vector<uint64_t>&) -> uint64_t {
        return 0xFFFFFFFF00000000ull | NativeInvoker::slotOfFloat(1.38f);
    };
    EXPECT_EQ(NativeInvoker::getPedDesiredSpeed(1), 1.38f);
}

}  // namespace
