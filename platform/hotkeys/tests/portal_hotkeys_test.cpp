// The portal backend against a stand-in portal on a private bus: what it asks
// the desktop for, which keys it then holds, which presses reach the handler,
// and that a desktop that refuses or never answers costs no more than the wait.

#include "platform/hotkeys/portal_hotkeys.h"
#include "platform/hotkeys/tests/stand_in_portal.h"
#include "platform/power/tests/private_bus.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace hotkeys {
namespace {

const Hotkey kRecord{1, Control | Alt, 'R', "Start recording"};
const Hotkey kStop{2, Control | Alt, 'S', "Stop recording"};

template <class Condition>
bool waitFor(Condition done, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void settle(int ms = 200)
{
    waitFor([] { return false; }, ms);
}

class PortalHotkeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!bus_.running()) GTEST_SKIP() << "dbus-daemon is not installed";
        portal_ = std::make_unique<testing::StandInPortal>(bus_.connect("portal"));
        ASSERT_TRUE(portal_->registered());
    }

    std::unique_ptr<PortalHotkeys> create(int answerWaitMs = 5000)
    {
        auto hotkeys = PortalHotkeys::create(bus_.connect("recorder"), answerWaitMs);
        if (hotkeys) hotkeys->setHandler([this](int id) { pressed_.push_back(id); });
        return hotkeys;
    }

    // The name the backend gave the shortcut it proposed on `trigger`.
    QString shortcutOn(const QString& trigger) const
    {
        for (const auto& asked : portal_->lastBind())
            if (asked.preferredTrigger == trigger) return asked.name;
        return {};
    }

    power::testing::PrivateBus bus_;
    std::unique_ptr<testing::StandInPortal> portal_;
    std::vector<int> pressed_;
};

TEST(PortalHotkeysWithoutPortal, CreateAnswersNullAtOnce)
{
    power::testing::PrivateBus bus;
    if (!bus.running()) GTEST_SKIP() << "dbus-daemon is not installed";
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(PortalHotkeys::create(bus.connect("recorder")), nullptr);
    EXPECT_EQ(PortalHotkeys::create(QDBusConnection::connectToBus("unix:path=/nonexistent/velmor-bus", "nobus")),
              nullptr);
    QDBusConnection::disconnectFromBus("nobus");
    EXPECT_LT(clock.elapsed(), 1000);
}

// First of the portal cases, so that a whole run also sees presses delivered in
// a process that has not used QtDBus's object-path type before.
TEST_F(PortalHotkeysTest, OnlyPressesOfHeldShortcutsOfItsSessionReachTheHandler)
{
    auto hotkeys = create();
    ASSERT_NE(hotkeys, nullptr);
    ASSERT_EQ(hotkeys->registerHotkeys({kRecord, kStop}), (std::vector<bool>{true, true}));
    const QString record = shortcutOn("CTRL+ALT+r");
    const QString stop = shortcutOn("CTRL+ALT+s");

    portal_->activate(portal_->session(), record);
    ASSERT_TRUE(waitFor([&] { return !pressed_.empty(); }));
    EXPECT_EQ(pressed_, std::vector<int>{1});

    portal_->activate("/org/freedesktop/portal/desktop/session/1_99/other", record);
    portal_->activate(portal_->session(), "another-program-shortcut");
    // Signals arrive in order: once this one is reported the two above were seen.
    portal_->activate(portal_->session(), stop);
    ASSERT_TRUE(waitFor([&] { return pressed_.size() >= 2; }));
    settle();
    EXPECT_EQ(pressed_, (std::vector<int>{1, 2}));
}

TEST_F(PortalHotkeysTest, BindsBothKeysWithTheirTriggersAndDescriptions)
{
    auto hotkeys = create();
    ASSERT_NE(hotkeys, nullptr);
    EXPECT_EQ(hotkeys->registerHotkeys({kRecord, kStop}), (std::vector<bool>{true, true}));

    ASSERT_EQ(portal_->bindCalls(), 1);
    EXPECT_EQ(portal_->lastBindSession(), portal_->session());
    const auto asked = portal_->lastBind();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].preferredTrigger, "CTRL+ALT+r");
    EXPECT_EQ(asked[0].description, "Start recording");
    EXPECT_EQ(asked[1].preferredTrigger, "CTRL+ALT+s");
    EXPECT_EQ(asked[1].description, "Stop recording");
    EXPECT_NE(asked[0].name, asked[1].name);

    // A held id is not held twice; a later key is bound beside the held ones.
    const Hotkey shifted{3, Control | Shift, '5', "Marker"};
    EXPECT_EQ(hotkeys->registerHotkeys({kRecord, shifted}), (std::vector<bool>{false, true}));
    const auto rebound = portal_->lastBind();
    ASSERT_EQ(rebound.size(), 3u);
    EXPECT_EQ(rebound[2].preferredTrigger, "CTRL+SHIFT+5");
}

TEST_F(PortalHotkeysTest, ASessionHandleSentAsAStringServesAsWell)
{
    portal_->sessionHandleAsString(true);
    auto hotkeys = create();
    ASSERT_NE(hotkeys, nullptr);
    ASSERT_EQ(hotkeys->registerHotkeys({kRecord}), std::vector<bool>{true});
    EXPECT_EQ(portal_->lastBindSession(), portal_->session());
    portal_->activate(portal_->session(), shortcutOn("CTRL+ALT+r"));
    ASSERT_TRUE(waitFor([&] { return !pressed_.empty(); }));
    EXPECT_EQ(pressed_, std::vector<int>{1});
}

TEST_F(PortalHotkeysTest, AShortcutTheDesktopLeftOutIsNotHeld)
{
    portal_->decline({"CTRL+ALT+s"});
    auto hotkeys = create();
    ASSERT_NE(hotkeys, nullptr);
    EXPECT_EQ(hotkeys->registerHotkeys({kRecord, kStop}), (std::vector<bool>{true, false}));

    portal_->activate(portal_->session(), shortcutOn("CTRL+ALT+s"));
    portal_->activate(portal_->session(), shortcutOn("CTRL+ALT+r"));
    ASSERT_TRUE(waitFor([&] { return !pressed_.empty(); }));
    settle();
    EXPECT_EQ(pressed_, std::vector<int>{1});
}

TEST_F(PortalHotkeysTest, ARefusedSessionHoldsNothingWithoutWaiting)
{
    portal_->refuseSessions(true);
    auto hotkeys = create(3000);
    ASSERT_NE(hotkeys, nullptr);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(hotkeys->registerHotkeys({kRecord, kStop}), (std::vector<bool>{false, false}));
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(portal_->bindCalls(), 0);

    // A refusal is not remembered: the next registration asks again.
    portal_->refuseSessions(false);
    EXPECT_EQ(hotkeys->registerHotkeys({kRecord}), std::vector<bool>{true});
}

TEST_F(PortalHotkeysTest, ReleasingTheLastKeyOrTheBackendClosesTheSession)
{
    auto hotkeys = create();
    ASSERT_NE(hotkeys, nullptr);
    ASSERT_EQ(hotkeys->registerHotkeys({kRecord, kStop}), (std::vector<bool>{true, true}));
    const QString session = portal_->session();
    const QString record = shortcutOn("CTRL+ALT+r");
    const QString stop = shortcutOn("CTRL+ALT+s");

    hotkeys->unregisterHotkey(kRecord.id);
    hotkeys->unregisterHotkey(42); // never held
    portal_->activate(session, record);
    portal_->activate(session, stop);
    ASSERT_TRUE(waitFor([&] { return !pressed_.empty(); }));
    settle();
    EXPECT_EQ(pressed_, std::vector<int>{2}) << "a released key is not reported";
    EXPECT_EQ(portal_->sessionCloses(), 0);

    hotkeys->unregisterHotkey(kStop.id);
    EXPECT_TRUE(waitFor([&] { return portal_->sessionCloses() == 1; }));

    // Keys taken again live in a new session, closed with the backend.
    ASSERT_EQ(hotkeys->registerHotkeys({kRecord}), std::vector<bool>{true});
    EXPECT_NE(portal_->session(), session);
    hotkeys.reset();
    EXPECT_TRUE(waitFor([&] { return portal_->sessionCloses() == 2; }));
}

TEST_F(PortalHotkeysTest, APortalThatNeverAnswersHoldsNothingAfterTheWait)
{
    portal_->answerNever(true);
    auto hotkeys = create(300);
    ASSERT_NE(hotkeys, nullptr);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(hotkeys->registerHotkeys({kRecord, kStop}), (std::vector<bool>{false, false}));
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_LT(clock.elapsed(), 3000);
    // The question is withdrawn, so the desktop does not go on asking the user
    // for keys the program has given up on.
    EXPECT_TRUE(waitFor([&] { return portal_->requestCloses() == 1; }));
    EXPECT_EQ(portal_->bindCalls(), 0);
}

} // namespace
} // namespace hotkeys

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
