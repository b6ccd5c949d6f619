#pragma once
// A main window on the offscreen platform, recording from a pipe source of the
// test's own on the private sound server, in a fresh application folder with
// the capture control registered there.

#include "recorder/app/form1.h"
#include "recorder/app/tests/scripted_hotkeys.h"
#include "recorder/app/tests/scripted_launcher.h"
#include "recorder/widgets/testing/scripted_prompts.h"

#include "platform/testserver/pipe_source.h"
#include "recorder/fileutil/tests/scratch_files.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace recorder {

class RecorderWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window (after settings.dat has been written, if at all).
    void openWindow();
    // Picks the device whose name is the test input; false when it is not listed.
    bool selectTestDevice();
    // Opens the window on the test input and starts recording; false when it did not start.
    bool startRecordingOnTestDevice();
    // Records `seconds` of a 1000 Hz tone written at `pace`, then stops.
    void recordTone(double seconds, double pace = 2.0);
    // Stops the recording and waits until its file is closed and its row listed.
    void stopRecording();
    bool waitUntilRecordingIdle();
    void writeSettings(const std::string& text) { std::ofstream(home_ + "/settings.dat") << text; }
    void wait(int ms) { QTest::qWait(ms); }

    std::string home_;
    ScriptedPrompts prompts_;
    ScriptedLauncher launcher_; // nothing outside the test is ever started
    ScriptedHotkeys scriptedHotkeys_;
    hotkeys::GlobalHotkeys* hotkeys_ = &scriptedHotkeys_; // the window's hotkeys; a test may pass real ones
    std::unique_ptr<testsound::PipeSource> input_;
    std::unique_ptr<Form1> form_;

private:
    scratch::Env homeVariable_{"HOME"}; // restored when the test ends
    scratch::Env configVariable_{"XDG_CONFIG_HOME"};
};

inline constexpr const char* kTestInputName = "Velmor Window Test Input";

} // namespace recorder
