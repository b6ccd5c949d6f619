// The control's worker threads end with Stop, and none is left running the
// library's code when it may be unloaded.

#include "capture/tests/control_fixture.h"

#include "platform/com/retired_threads.h"

#include <fstream>

namespace capture_test {
namespace {

// Threads of this process running the control's workers.
int workerThreads()
{
    int n = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        n += name.rfind("dxrec-", 0) == 0;
    }
    return n;
}

using ControlThreads = ControlTest;

TEST_F(ControlThreads, StopReturnsWithNoWorkerLeftRunning)
{
    auto& source = addSource("velmor_ctl_threads");
    createControl();
    ASSERT_TRUE(selectSource(source));
    control_->put_AudioArrayDuration(100);
    for (int run = 0; run < 3; ++run) {
        ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
        EXPECT_TRUE(pumpUntil([] { return workerThreads() == 2; }, 1s)) << "each names itself when it starts";
        testsound::SignalWriter writer(source, testsound::Signal::sine(1000, 0.5, 2), 1.0);
        writer.start(44100 / 4);
        // Workers busy calling in: the Stop below has calls of theirs to serve.
        ASSERT_TRUE(pumpUntil([&] { return sink_->count(DISPID_EndArrayRecord) >= std::size_t(run + 1); }));
        ASSERT_EQ(control_->Stop(), S_OK);
        EXPECT_EQ(workerThreads(), 0) << "run " << run;
        writer.stop();
    }
}

TEST_F(ControlThreads, AStopFromAnEventHandlerLetsTheWorkerEndAndItIsJoinedBeforeUnloading)
{
    auto& source = addSource("velmor_ctl_stop_in_event");
    createControl();
    ASSERT_TRUE(selectSource(source));
    control_->put_AudioArrayDuration(100);
    HRESULT stopped = E_FAIL;
    sink_->onBlock = [&] {
        receiveAll();
        stopped = control_->Stop(); // inside _Notify: the waiter's call is being served
    };
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    testsound::SignalWriter writer(source, testsound::Signal::sine(1000, 0.5, 2), 1.0);
    writer.start(44100 / 2);
    ASSERT_TRUE(pumpUntil([&] { return !started(); }));
    EXPECT_EQ(stopped, S_OK);
    writer.stop();
    sink_->onBlock = nullptr;

    // The waiter could not be joined inside its own call; it ends once the call returned.
    connection_.disconnect();
    control_.reset();
    pumpFor(50ms);
    CoFreeUnusedLibraries();
    EXPECT_EQ(com::retiredThreadCount(), 0u);
    EXPECT_EQ(workerThreads(), 0);

    // A control of the library loaded afresh works.
    createControl();
    ASSERT_TRUE(selectSource(source));
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    ASSERT_EQ(control_->Stop(), S_OK);
    EXPECT_EQ(workerThreads(), 0);
}

} // namespace
} // namespace capture_test
