// The stored filters and automatic gain, end to end: settings.dat as the
// settings window writes it, a real recording from the test input, and the
// file decoded by ffmpeg.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/components/tests/test_audio.h"

#include "platform/testserver/tone_analysis.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

namespace recorder {
namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;

double dB(double ratio) { return 20 * std::log10(ratio); }

struct Take {
    std::string statusWhileRecording;
    std::vector<std::int16_t> pcm;
};

class RecordFilters : public RecorderWindowTest {
protected:
    // Records `seconds` of the signal into a WAV file with `other` as the
    // filter section of settings.dat.
    Take record(const std::string& other, testsound::Signal signal, double seconds)
    {
        writeSettings("[wav]\nFreq=44100\nChannel=2\n[other]\n" + other);
        Take take;
        form_->StartRecord();
        EXPECT_TRUE(form_->flgRecord);
        if (!form_->flgRecord) return take;
        take.statusWhileRecording = form_->StatusPanel2->text().toStdString();
        input_->drain();
        testsound::SignalWriter writer(*input_, std::move(signal), 2.0);
        writer.start(static_cast<std::uint64_t>(seconds * kRate));
        for (int i = 0; i < 1000 && !writer.finished(); ++i) wait(20);
        EXPECT_TRUE(writer.finished()) << "the capture took the signal";
        writer.stop();
        wait(700); // the last whole block needs a notification after the data is in
        stopRecording();
        EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
        take.pcm = testaudio::decodeWithFfmpeg(form_->currentRecordPath(), kRate, kChannels);
        EXPECT_GT(take.pcm.size(), std::size_t(seconds * 0.8 * kRate * kChannels)) << "the take is in the file";
        return take;
    }

    // A tone's level relative to the amplitude it went in with, after the
    // filters have settled (from 0.5 s on).
    static double gainDb(const Take& take, double frequency, double amplitude)
    {
        const std::size_t skip = std::size_t(kRate / 2) * kChannels;
        if (take.pcm.size() <= skip) return 0;
        return dB(testsound::toneAmplitude(std::span(take.pcm).subspan(skip), kChannels, 0, frequency, kRate) /
                  amplitude);
    }

    // Peak dBFS of each 50 ms window from `fromSeconds` to the last whole window.
    static std::vector<double> windowPeaksDb(const Take& take, double fromSeconds)
    {
        std::vector<double> peaks;
        const std::size_t window = std::size_t(kRate / 20) * kChannels;
        for (std::size_t at = std::size_t(fromSeconds * kRate) * kChannels; at + window <= take.pcm.size();
             at += window)
            peaks.push_back(dB(std::max(testsound::peak(std::span(take.pcm).subspan(at, window), kChannels, 0), 1) /
                               32767.0));
        return peaks;
    }
};

TEST_F(RecordFilters, EveryRecordingCarriesTheStoredFilters)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->cboEncoders->setCurrentIndex(0); // WAV: what the filters wrote, sample for sample

    {
        SCOPED_TRACE("hum under a voice, with a low-pass value the filter cannot use");
        const Take take = record("notch=1\nnotchtxt=50\nhighpass=0\nhighpasstxt=400\nlowpass=1\nlowpasstxt=4k\n"
                                 "autogain=0\n",
                                 testsound::Signal::tones({{50, 0.3}, {1000, 0.3}, {8000, 0.2}}, kChannels), 3);
        EXPECT_NE(take.statusWhileRecording.find("LowPass off: \"4k\" is not a number from 100 to 44100 Hz"),
                  std::string::npos)
            << take.statusWhileRecording;
        EXPECT_EQ(take.statusWhileRecording.find("Notch off"), std::string::npos);
        EXPECT_LE(gainDb(take, 50, 0.3), -30);
        EXPECT_NEAR(gainDb(take, 1000, 0.3), 0, 1);
        EXPECT_NEAR(gainDb(take, 8000, 0.2), 0, 1) << "the low-pass is off";
        EXPECT_EQ(form_->StatusPanel2->text(), "Done");
    }
    {
        SCOPED_TRACE("high-pass 400 Hz and low-pass 4000 Hz");
        const Take take = record("notch=0\nhighpass=1\nhighpasstxt=400\nlowpass=1\nlowpasstxt=4000\nautogain=0\n",
                                 testsound::Signal::tones({{100, 0.25}, {1000, 0.25}, {8000, 0.25}}, kChannels), 3);
        EXPECT_EQ(take.statusWhileRecording.find(" off"), std::string::npos) << take.statusWhileRecording;
        EXPECT_LE(gainDb(take, 100, 0.25), -30);
        EXPECT_LE(gainDb(take, 8000, 0.25), -30);
        EXPECT_NEAR(gainDb(take, 1000, 0.25), 0, 1);
    }
    const int attackMs = 100;
    for (double inputDb : {-40.0, -3.0}) {
        SCOPED_TRACE("automatic gain between -20 and -6 dBFS on a tone at " + std::to_string(inputDb) + " dBFS");
        const Take take = record("notch=0\nhighpass=0\nlowpass=0\nautogain=1\nlowlevel=-20\nhighlevel=-6\n"
                                 "attacktime=" + std::to_string(attackMs) + "\n",
                                 testsound::Signal::sine(1000, std::pow(10, inputDb / 20), kChannels), 3.5);
        // Within the attack time and one capture block (about a second).
        const auto peaks = windowPeaksDb(take, 1.0 + attackMs / 1000.0);
        ASSERT_GT(peaks.size(), 20u);
        for (double peak : peaks) {
            EXPECT_GE(peak, -20.1);
            EXPECT_LE(peak, -5.9);
        }
    }
}

} // namespace
} // namespace recorder
