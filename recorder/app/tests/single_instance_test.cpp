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
        SingleInstance second(lock, 0);
        EXPECT_FALSE(second.isFirst());
        EXPECT_TRUE(second.lockError().empty());
    }
    [[maybe_unused]] auto w = ::write(done[1], "x", 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    // The lock goes with the process that held it.
    SingleInstance after(lock);
    EXPECT_TRUE(after.isFirst());
    std::filesystem::remove(lock);
}

// A command-line client that only looked whether a recorder runs holds the
// lock for a moment; a window starting then is still the first.
TEST(SingleInstance, AHolderThatLetsGoWithinTheGraceIsNoOtherCopy)
{
    const std::string lock = "/tmp/velmor-single-grace-" + std::to_string(::getpid()) + ".lock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    if (child == 0) {
        SingleInstance briefly(lock);
        [[maybe_unused]] auto w = ::write(ready[1], briefly.isFirst() ? "y" : "n", 1);
        ::usleep(60 * 1000);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    SingleInstance window(lock, 1000);
    EXPECT_TRUE(window.isFirst());
    int status = 0;
    ::waitpid(child, &status, 0);
    std::filesystem::remove(lock);
}

TEST(SingleInstance, ALockFileThatCannotBeMadeIsNoOtherCopy)
{
    SingleInstance instance("/nonexistent-velmor-folder/recorder.lock");
    EXPECT_TRUE(instance.isFirst()) << "the program runs";
    EXPECT_NE(instance.lockError().find("/nonexistent-velmor-folder/recorder.lock"), std::string::npos);
}

TEST(SingleInstance, LockLivesUnderVelmorHomeWhenSet)
{
    ::setenv("VELMOR_HOME", "/tmp/velmor-home-x", 1);
    EXPECT_EQ(SingleInstance::defaultLockPath(), "/tmp/velmor-home-x/recorder.lock");
    ::unsetenv("VELMOR_HOME");
}

} // namespace
