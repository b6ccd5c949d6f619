// The options as a user types them, and the built program run the way a
// script runs it when no recorder is running.

#include "recorder/remote/command_line.h"
#include "recorder/remote/command_line_handoff.h"

#include <sstream>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace recorder {
namespace {

CommandLine parse(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv{"recorder"};
    argv.insert(argv.end(), args);
    return parseCommandLine(int(argv.size()), argv.data());
}

TEST(CommandLineOptions, EachOptionAloneAndQtsOwnLeftAlone)
{
    EXPECT_EQ(parse({}).action, CommandLineAction::Start);
    EXPECT_EQ(parse({"--record"}).action, CommandLineAction::Record);
    EXPECT_EQ(parse({"--stop"}).action, CommandLineAction::Stop);
    EXPECT_EQ(parse({"--show"}).action, CommandLineAction::Show);
    EXPECT_EQ(parse({"--status"}).action, CommandLineAction::Status);
    EXPECT_EQ(parse({"--help"}).action, CommandLineAction::Help);
    EXPECT_EQ(parse({"-h"}).action, CommandLineAction::Help);
    EXPECT_EQ(parse({"--version"}).action, CommandLineAction::Version);
    // Qt's options (single dash) and their values go to QApplication.
    EXPECT_EQ(parse({"-platform", "offscreen", "--record"}).action, CommandLineAction::Record);
    EXPECT_EQ(parse({"--record", "--record"}).action, CommandLineAction::Record);
}

TEST(CommandLineOptions, UnknownOrConflictingOptionsAreRefusedWithAReason)
{
    const CommandLine unknown = parse({"--recrod"});
    EXPECT_EQ(unknown.action, CommandLineAction::Invalid);
    EXPECT_NE(unknown.error.find("--recrod"), std::string::npos);
    EXPECT_EQ(parse({"--record", "--stop"}).action, CommandLineAction::Invalid);
    EXPECT_EQ(parse({"--"}).action, CommandLineAction::Invalid);
}

TEST(CommandLineHandoff, TheFirstProcessOpensTheWindowOnlyForRecordOrNoOption)
{
    std::ostringstream out, err;
    EXPECT_FALSE(handOffCommandLine({CommandLineAction::Start, {}}, true, "recorder", out, err));
    EXPECT_FALSE(handOffCommandLine({CommandLineAction::Record, {}}, true, "recorder", out, err))
        << "--record with none running starts the recorder (which records at once)";
    EXPECT_FALSE(handOffCommandLine({CommandLineAction::Start, {}}, false, "recorder", out, err))
        << "no option while one runs: the window's single-instance message";
    EXPECT_EQ(handOffCommandLine({CommandLineAction::Status, {}}, true, "recorder", out, err), 1);
    EXPECT_TRUE(out.str().empty());
}

struct ProgramRun {
    int exitCode = -1;
    std::string out, err;
};

// The built program in a home of its own, where no recorder runs.
ProgramRun runRecorder(const std::string& home, const std::string& args)
{
    const std::string out = home + "/out", err = home + "/err";
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY VELMOR_HOME=" + home + " QT_QPA_PLATFORM=offscreen " +
                                RECORDER_BINARY + " " + args + " >" + out + " 2>" + err;
    ProgramRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto slurp = [](const std::string& path) {
        std::string text;
        if (FILE* f = std::fopen(path.c_str(), "r")) {
            std::array<char, 4096> buf;
            for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), f)) > 0;) text.append(buf.data(), n);
            std::fclose(f);
        }
        return text;
    };
    run.out = slurp(out);
    run.err = slurp(err);
    return run;
}

class RecorderProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-cli-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        home_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(home_); }
    std::string home_;
};

TEST_F(RecorderProgram, HelpAndVersionNeedNoRecorderAndNoDisplay)
{
    const ProgramRun help = runRecorder(home_, "--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--record", "--stop", "--show", "--status", "--help", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    const ProgramRun version = runRecorder(home_, "--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "Velmor Sound Recorder 3.50\n");
}

TEST_F(RecorderProgram, CommandsWithNoRecorderRunningSayWhyAndExitOne)
{
    for (const char* option : {"--status", "--stop", "--show"}) {
        const ProgramRun run = runRecorder(home_, option);
        EXPECT_EQ(run.exitCode, 1) << option;
        EXPECT_NE(run.err.find("no Velmor Sound Recorder is running"), std::string::npos) << option << ": " << run.err;
        EXPECT_TRUE(run.out.empty());
    }
    const ProgramRun wrong = runRecorder(home_, "--bogus");
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_NE(wrong.err.find("--bogus"), std::string::npos);
}

} // namespace
} // namespace recorder
