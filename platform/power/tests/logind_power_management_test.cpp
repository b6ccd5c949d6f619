// The logind backend against a stand-in logind on a private bus: the hold is
// asked for with logind's arguments, lasts as long as its owner, and a
// refusal or a missing bus never gets in the way.

#include "platform/power/logind_power_management.h"
#include "platform/power/tests/private_bus.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

namespace power {
namespace {

template <class Condition>
bool waitFor(Condition done, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class LogindPower : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!bus_.running()) GTEST_SKIP() << "dbus-daemon is not installed";
        login1_ = std::make_unique<testing::StandInLogin1>(bus_.connect("login1"));
        ASSERT_TRUE(login1_->registered());
    }
    testing::PrivateBus bus_;
    std::unique_ptr<testing::StandInLogin1> login1_;
};

TEST_F(LogindPower, HoldsSleepUntilTheHoldIsDropped)
{
    LogindPowerManagement power(bus_.connect("recorder"));
    auto hold = power.inhibitSleep("Recording /music/take.mp3");
    ASSERT_NE(hold, nullptr);
    ASSERT_TRUE(waitFor([&] { return hold->granted(); })) << hold->error();
    ASSERT_EQ(login1_->calls().size(), 1u);
    const auto& call = login1_->calls()[0];
    EXPECT_EQ(call.what, "sleep:idle");
    EXPECT_EQ(call.who, "Velmor Sound Recorder");
    EXPECT_EQ(call.why, "Recording /music/take.mp3");
    EXPECT_EQ(call.mode, "block");
    EXPECT_TRUE(login1_->held(0));

    hold.reset();
    EXPECT_FALSE(login1_->held(0)) << "the descriptor is closed with the hold";
}

TEST_F(LogindPower, AHoldDroppedBeforeTheAnswerLeavesNothingHeld)
{
    LogindPowerManagement power(bus_.connect("recorder"));
    auto hold = power.inhibitSleep("quick");
    hold.reset();
    ASSERT_TRUE(waitFor([&] { return !login1_->calls().empty(); }));
    // The late answer's descriptor is dropped with the message.
    EXPECT_TRUE(waitFor([&] {
        QCoreApplication::processEvents();
        return !login1_->held(0);
    }));
}

TEST_F(LogindPower, ARefusalIsReportedAndHoldsNothing)
{
    login1_->refuse = true;
    LogindPowerManagement power(bus_.connect("recorder"));
    auto hold = power.inhibitSleep("refused");
    ASSERT_NE(hold, nullptr);
    ASSERT_TRUE(waitFor([&] { return !hold->error().empty(); }));
    EXPECT_FALSE(hold->granted());
    EXPECT_NE(hold->error().find("Permission denied"), std::string::npos) << hold->error();
}

TEST(LogindPowerWithoutBus, NoBusMeansNoHoldAndNoWait)
{
    LogindPowerManagement power(QDBusConnection::connectToBus("unix:path=/nonexistent/velmor-bus", "nobus"));
    EXPECT_EQ(power.inhibitSleep("nothing"), nullptr);
    QDBusConnection::disconnectFromBus("nobus");
}

} // namespace
} // namespace power

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
