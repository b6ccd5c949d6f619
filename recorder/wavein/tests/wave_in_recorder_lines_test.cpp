// Input lines, the multiplexer and the volume, against a mixer in memory.
#include "recorder/wavein/wave_in_recorder.h"

#include "recorder/wavein/tests/fake_mixer_layer.h"

#include <gtest/gtest.h>

using namespace mixer;

namespace {

class Lines : public ::testing::Test {
protected:
    Lines() : state(std::make_shared<fake::State>())
    {
        state->devices = {fake::soundCard("USB Headset"), fake::soundCard("Fake Sound Card")};
        recorder = std::make_unique<WaveInRecorder>(std::make_unique<fake::Layer>(state));
    }
    fake::Destination& recording(int device = 1) { return state->devices[device].destinations[1]; }

    std::shared_ptr<fake::State> state;
    std::unique_ptr<WaveInRecorder> recorder;
};

TEST_F(Lines, NothingIsAnsweredBeforeADeviceIsSelected)
{
    EXPECT_EQ(recorder->SelectedDevice(), -1);
    EXPECT_EQ(recorder->MixerLineCount(), 0);
    EXPECT_FALSE(recorder->SelectMixerLine(0));
    EXPECT_EQ(recorder->MixerLineName(0), "");
    EXPECT_EQ(recorder->MixerLineType(0), 0);
    EXPECT_EQ(recorder->MixerLineType(-1), 0);
    EXPECT_EQ(recorder->MixerLineVolume(), 0);
    recorder->MixerLineVolume(1234); // ignored
    EXPECT_EQ(recorder->SelectedMixerLine(), -1);
    EXPECT_EQ(recording().multiplexerWrites, 0);
}

TEST_F(Lines, DevicesAreListedByNameCutAtTheFirstNul)
{
    state->devices[0].name = std::string("USB Headset\0\0\0\0", 15);
    EXPECT_EQ(recorder->DeviceCount(), 2);
    EXPECT_EQ(recorder->DeviceName(0), "USB Headset");
    EXPECT_EQ(recorder->DeviceName(1), "Fake Sound Card");
    EXPECT_EQ(recorder->DeviceName(2), "");
    EXPECT_EQ(recorder->DeviceName(-1), "");
}

TEST_F(Lines, SelectDeviceOutOfRangeKeepsThePreviousDevice)
{
    ASSERT_TRUE(recorder->SelectDevice(1));
    EXPECT_EQ(recorder->SelectedDevice(), 1);
    EXPECT_FALSE(recorder->SelectDevice(recorder->DeviceCount()));
    EXPECT_FALSE(recorder->SelectDevice(-1));
    EXPECT_EQ(recorder->SelectedDevice(), 1);
    EXPECT_EQ(recorder->MixerLineCount(), 3);

    // A device whose mixer does not open leaves none selected.
    state->devices[0].opens = false;
    EXPECT_FALSE(recorder->SelectDevice(0));
    EXPECT_EQ(recorder->SelectedDevice(), -1);
    EXPECT_EQ(recorder->MixerLineCount(), 0);
}

TEST_F(Lines, LinesOfTheRecordingDestinationInSourceOrder)
{
    ASSERT_TRUE(recorder->SelectDevice(1));
    ASSERT_EQ(recorder->MixerLineCount(), 3);
    EXPECT_EQ(recorder->MixerLineName(0), "Microphone");
    EXPECT_EQ(recorder->MixerLineName(1), "Line In");
    EXPECT_EQ(recorder->MixerLineName(2), "CD");
    EXPECT_EQ(recorder->MixerLineName(3), "");
    EXPECT_EQ(recorder->MixerLineType(0), std::int32_t(component::kSrcMicrophone));
    EXPECT_EQ(recorder->MixerLineType(2), std::int32_t(component::kSrcCompactDisc));
    EXPECT_EQ(recorder->MixerLineType(3), 0);
    EXPECT_EQ(recorder->SelectedMixerLine(), 1); // item 1 of CD, Line In, Microphone
    EXPECT_EQ(recorder->MixerLineType(-1), std::int32_t(component::kSrcLine));
}

TEST_F(Lines, SelectMixerLineSetsTheReversedMultiplexerItem)
{
    ASSERT_TRUE(recorder->SelectDevice(1));
    ASSERT_TRUE(recorder->SelectMixerLine(0));
    EXPECT_EQ(recording().multiplexer, (std::vector<std::uint32_t>{0, 0, 1}));
    EXPECT_EQ(recorder->SelectedMixerLine(), 0);
    EXPECT_EQ(recorder->MixerLineType(-1), std::int32_t(component::kSrcMicrophone));

    ASSERT_TRUE(recorder->SelectMixerLine(2));
    EXPECT_EQ(recording().multiplexer, (std::vector<std::uint32_t>{1, 0, 0}));
    EXPECT_EQ(recorder->SelectedMixerLine(), 2);
    // The other device's mixer is untouched.
    EXPECT_EQ(recording(0).multiplexer, (std::vector<std::uint32_t>{0, 1, 0}));
}

TEST_F(Lines, SelectMixerLineOutOfRangeIsRefusedAndWritesNothing)
{
    ASSERT_TRUE(recorder->SelectDevice(1));
    EXPECT_FALSE(recorder->SelectMixerLine(3));
    EXPECT_FALSE(recorder->SelectMixerLine(-1));
    EXPECT_EQ(recording().multiplexerWrites, 0);
    EXPECT_EQ(recorder->SelectedMixerLine(), 1);
}

TEST_F(Lines, MultiplexerListingTooFewItemsIsLeftAlone)
{
    recording().multiplexerItems = 2;
    recording().multiplexer = {0, 1};
    ASSERT_TRUE(recorder->SelectDevice(1));
    EXPECT_TRUE(recorder->SelectMixerLine(0)); // item 2 is not listed
    EXPECT_EQ(recording().multiplexerWrites, 0);
    EXPECT_TRUE(recorder->SelectMixerLine(2)); // item 0
    EXPECT_EQ(recording().multiplexer, (std::vector<std::uint32_t>{1, 0}));
}

TEST_F(Lines, SelectedMixerLineReadsTheHighestSetItem)
{
    ASSERT_TRUE(recorder->SelectDevice(1));
    recording().multiplexer = {1, 0, 1};
    EXPECT_EQ(recorder->SelectedMixerLine(), 0);
    recording().multiplexer = {0, 0, 0};
    EXPECT_EQ(recorder->SelectedMixerLine(), 2); // none set counts as item 0
}

TEST_F(Lines, MultiplexerIsRecognisedByItsTypeMask)
{
    recording().multiplexerType = 0x71010001; // a mixer-style control passes the mask
    ASSERT_TRUE(recorder->SelectDevice(1));
    EXPECT_TRUE(recorder->SelectMixerLine(0));
    EXPECT_EQ(recorder->SelectedMixerLine(), 0);

    recording().multiplexerType = control::kVolume;
    EXPECT_FALSE(recorder->SelectMixerLine(1));
    recording().hasMultiplexer = false;
    EXPECT_FALSE(recorder->SelectMixerLine(1));
}

TEST_F(Lines, DeviceWithoutRecordingDestinationHasNoLines)
{
    state->devices[1].destinations.erase(state->devices[1].destinations.begin() + 1);
    ASSERT_TRUE(recorder->SelectDevice(1));
    EXPECT_EQ(recorder->MixerLineCount(), 0);
    EXPECT_EQ(recorder->MixerLineName(0), "");
    EXPECT_FALSE(recorder->SelectMixerLine(0));
    EXPECT_EQ(recorder->MixerLineVolume(), 0);
}

TEST_F(Lines, VolumeIsWrittenToEveryChannelAndReadFromTheFirst)
{
    ASSERT_TRUE(recorder->SelectDevice(1));
    EXPECT_EQ(recorder->MixerLineVolume(), 20000); // Line In
    recorder->MixerLineVolume(40000);
    EXPECT_EQ(recording().sources[1].volume, (std::vector<std::uint32_t>{40000, 40000}));
    EXPECT_EQ(recorder->MixerLineVolume(), 40000);
    EXPECT_EQ(recording().sources[2].volume, (std::vector<std::uint32_t>{10000, 10000}));

    recording().sources[1].volume = {5000, 60000};
    EXPECT_EQ(recorder->MixerLineVolume(), 5000);

    ASSERT_TRUE(recorder->SelectMixerLine(0)); // the mono microphone
    recorder->MixerLineVolume(-5);
    EXPECT_EQ(recording().sources[0].volume, (std::vector<std::uint32_t>{0}));
    recorder->MixerLineVolume(70000);
    EXPECT_EQ(recording().sources[0].volume, (std::vector<std::uint32_t>{65535}));
}

TEST_F(Lines, VolumeOfALineWithMoreChannelsOrWithoutAControl)
{
    recording().sources[2].channels = 4;
    recording().sources[2].volume = {1, 2, 3, 4};
    ASSERT_TRUE(recorder->SelectDevice(1));
    ASSERT_TRUE(recorder->SelectMixerLine(2));
    recorder->MixerLineVolume(30000);
    EXPECT_EQ(recording().sources[2].volume, (std::vector<std::uint32_t>{30000, 30000, 30000, 30000}));

    recording().sources[1].hasVolume = false;
    ASSERT_TRUE(recorder->SelectMixerLine(1));
    recorder->MixerLineVolume(1234);
    EXPECT_EQ(recording().sources[1].volume, (std::vector<std::uint32_t>{20000, 20000}));
    EXPECT_EQ(recorder->MixerLineVolume(), 0);
}

TEST_F(Lines, VanishedServerAnswersZeroEmptyAndFalse)
{
    ASSERT_TRUE(recorder->SelectDevice(1));
    state->gone = true;
    EXPECT_EQ(recorder->DeviceCount(), 0);
    EXPECT_EQ(recorder->DeviceName(0), "");
    EXPECT_EQ(recorder->MixerLineCount(), 0);
    EXPECT_EQ(recorder->MixerLineName(0), "");
    EXPECT_FALSE(recorder->SelectMixerLine(0));
    EXPECT_FALSE(recorder->SelectDevice(0));
    EXPECT_EQ(recorder->MixerLineVolume(), 0);
    EXPECT_EQ(recorder->MixerLineType(0), 0);
    EXPECT_EQ(recorder->SelectedDevice(), 1);
    state->gone = false;
    EXPECT_EQ(recorder->MixerLineCount(), 3); // back when the server is
}

} // namespace
