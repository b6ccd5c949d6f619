#include "recorder/app/single_instance.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

using recorder::SingleInstance;

namespace {

TEST(SingleInstance, ASecondProcessIsRefusedWhileTheFirstRuns)
{
    const std::string lock = "/tmp/velmor-single-" + std::to_string(::getpid()) + ".lock";
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    pid_t child = ::fork();
    if (child == 0) {
        SingleInstance first(lock);
        char c = first.isFirst() ? 'y' : 'n';
        [[maybe_unused]] auto w = ::write(ready[1], &c, 1);
        [[maybe_unused]] auto r = ::read(done[0], &c, 1);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    {
        SingleInstance second(lock);
        EXPECT_FALSE(second.isFirst());
    }
    [[maybe_unused]] auto w = ::write(done[1], "x", 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    // The lock goes with the process that held it.
    SingleInstance after(lock);
    EXPECT_TRUE(after.isFirst());
    std::filesystem::remove(lock);
}

TEST(SingleInstance, LockLivesUnderVelmorHomeWhenSet)
{
    ::setenv("VELMOR_HOME", "/tmp/velmor-home-x", 1);
    EXPECT_EQ(SingleInstance::defaultLockPath(), "/tmp/velmor-home-x/recorder.lock");
    ::unsetenv("VELMOR_HOME");
}

} // namespace
