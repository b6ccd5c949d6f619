#include "capture/accu_gate.h"

#include <gtest/gtest.h>

using namespace dxrecord;

TEST(AccuGate, DerivesTicksAndOpensAfterAttackAndClosesAfterRelease)
{
    AccuGate gate;
    EXPECT_TRUE(gate.open());
    EXPECT_EQ(gate.attackTicks(), 5);
    EXPECT_EQ(gate.releaseTicks(), 15);
    EXPECT_EQ(gate.step({0, 0}), AccuGate::kNone); // not enabled: the gate never moves

    gate.enabled = -1;
    gate.derive(20);
    EXPECT_FALSE(gate.open());
    // Average 50 (ties count as sound); a quiet tick restarts the count.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gate.step({40, 60}), AccuGate::kNone);
    EXPECT_EQ(gate.step({49, 50}), AccuGate::kNone); // average 49 (toward zero)
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gate.step({50, 50}), AccuGate::kNone);
    EXPECT_EQ(gate.step({90, 90}), AccuGate::kOpened);
    EXPECT_TRUE(gate.open());

    // Average 50 counts as quiet for the release; a loud tick restarts it.
    for (int i = 0; i < 14; ++i) EXPECT_EQ(gate.step({50, 50}), AccuGate::kNone);
    EXPECT_EQ(gate.step({51, 51}), AccuGate::kNone);
    for (int i = 0; i < 14; ++i) EXPECT_EQ(gate.step({0, 0}), AccuGate::kNone);
    EXPECT_EQ(gate.step({0, 0}), AccuGate::kClosed);
    EXPECT_FALSE(gate.open());
}

TEST(AccuGate, PutsRederiveAndShortTimesActOnTheFirstTick)
{
    AccuGate gate;
    gate.enabled = 1;
    gate.attackTime = 10; // shorter than a tick: 0 ticks
    gate.derive(20);
    EXPECT_EQ(gate.attackTicks(), 0);
    EXPECT_EQ(gate.step({60}), AccuGate::kOpened);
    // Any re-derivation while enabled closes the gate, without a change to report.
    gate.attackLevel = AccuGate::magnitude(-40);
    gate.derive(20);
    EXPECT_FALSE(gate.open());
    EXPECT_EQ(gate.attackLevel, 40);
    gate.derive(0); // an interval below 1 ms counts as 1 ms
    EXPECT_EQ(gate.releaseTicks(), 300);
    gate.enabled = 0;
    gate.derive(20);
    EXPECT_TRUE(gate.open());
    EXPECT_EQ(AccuGate::magnitude(std::numeric_limits<std::int32_t>::min()), std::numeric_limits<std::int32_t>::max());
    gate.enabled = 1;
    gate.derive(20);
    gate.closeForStart();
    EXPECT_FALSE(gate.open());
}
