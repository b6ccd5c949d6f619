// The build tree's program with a portable application folder and nothing
// registered in it: the capture control comes from the program's own
// registry beside the executable.

#include "recorder/app/tests/recorder_window_env.h"

#include "platform/com/class_registry.h"

namespace recorder {
namespace {

using PortableHome = RecorderWindowTest;

TEST_F(PortableHome, APortableVelmorHomeWithAnEmptyRegistryRecordsFromTheBuildTree)
{
    // The fixture registers the capture control per user; this user has not.
    std::filesystem::remove(com::classRegistryPath());
    std::ofstream(com::classRegistryPath()) << "";

    openWindow();
    ASSERT_TRUE(selectTestDevice());
    recordTone(1.0);
    ASSERT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    const std::string path = form_->currentRecordPath();
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_GT(std::filesystem::file_size(path), 44100u) << "a second of 16-bit sound";
}

} // namespace
} // namespace recorder
