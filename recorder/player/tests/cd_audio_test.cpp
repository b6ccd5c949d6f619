// Audio CDs read from CD images made here: the track list, decoding a track
// by its tone and to the sample, seeking within a track and across the whole
// disc, playback through the media player on the private sound server, and
// the messages for images, drives and addresses that cannot be played.

#include "recorder/player/cd_audio.h"
#include "recorder/player/cd_disc.h"
#include "recorder/player/cd_track_decoder.h"
#include "recorder/player/media_player.h"
#include "recorder/player/tests/cd_image.h"
#include "recorder/player/tests/sink_playback.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace std::chrono_literals;
using cdtest::toneSample;
using playertest::SinkListener;

namespace {

constexpr double kTones[] = {440, 880, 1320};
constexpr std::int64_t kTrackFrames = 2 * cdtest::kRate; // 150 sectors

// Reads everything that is left, in blocks of `block` frames; the length of
// each read is kept so the ending can be checked.
std::vector<std::int16_t> readToEnd(recorder::Decoder& decoder, std::size_t block, std::vector<std::size_t>& reads)
{
    std::vector<std::int16_t> all;
    std::vector<std::int16_t> buffer(block * 2);
    for (;;) {
        const std::size_t got = decoder.read(buffer.data(), block);
        reads.push_back(got);
        all.insert(all.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got * 2));
        if (got == 0 || reads.size() > 10000) return all;
    }
}

std::vector<std::int16_t> readFrames(recorder::Decoder& decoder, std::size_t frames)
{
    std::vector<std::int16_t> pcm(frames * 2);
    pcm.resize(decoder.read(pcm.data(), frames) * 2);
    return pcm;
}

double level(const std::vector<std::int16_t>& pcm, double f)
{
    return testsound::toneAmplitude(pcm, 2, 0, f, cdtest::kRate);
}

class CdAudioTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char tmpl[] = "/tmp/velmor-cd-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        cue_ = cdtest::writeToneCdImage(dir_, {kTones[0], kTones[1], kTones[2]});
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }

    static std::string write(const std::string& name, const std::string& text)
    {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path) << text;
        return path;
    }

    static inline std::string dir_, cue_;
};

TEST_F(CdAudioTest, AddressesAreRecognisedInAnyCase)
{
    EXPECT_TRUE(recorder::isCdAudioAddress("CDAUDIO:"));
    EXPECT_TRUE(recorder::isCdAudioAddress("cdaudio:"));
    EXPECT_TRUE(recorder::isCdAudioAddress("/dev/sr0/Track 02.cda"));
    EXPECT_TRUE(recorder::isCdAudioAddress("/media/cd/TRACK01.CDA"));
    EXPECT_FALSE(recorder::isCdAudioAddress("/music/song.mp3"));
    EXPECT_FALSE(recorder::isCdAudioAddress("/music/cda")) << "only the extension counts";
    EXPECT_FALSE(recorder::isCdAudioAddress("CDAUDIO:/dev/sr0"));

    for (const char* image : {"a.cue", "A.CUE", "x/b.bin", "c.Toc", "d.NRG"}) EXPECT_TRUE(recorder::isCdImage(image)) << image;
    for (const char* other : {"a.wav", "/dev/sr0", "cue", "a.cue.txt"}) EXPECT_FALSE(recorder::isCdImage(other)) << other;
}

TEST_F(CdAudioTest, AnImageListsItsAudioTracksWithTheirLengths)
{
    std::string why;
    const auto tracks = recorder::cdTracks(cue_, why);
    ASSERT_EQ(tracks.size(), 3u) << why;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        EXPECT_EQ(tracks[i].path, cue_ + "/Track 0" + std::to_string(i + 1) + ".cda");
        EXPECT_DOUBLE_EQ(tracks[i].seconds, 2.0);
    }

    // The data file stands for its cue sheet, as libcdio takes it.
    const std::string bin = dir_ + "/disc.bin";
    const auto viaBin = recorder::cdTracks(bin, why);
    ASSERT_EQ(viaBin.size(), 3u) << why;
    EXPECT_EQ(viaBin[2].path, bin + "/Track 03.cda");
}

TEST_F(CdAudioTest, ATrackDecodesToItsOwnSamplesAndSeeksToTheFrame)
{
    std::string why;
    auto decoder = recorder::openCdDecoder(cue_ + "/Track 02.cda", why);
    ASSERT_TRUE(decoder) << why;
    EXPECT_EQ(decoder->sampleRate(), 44100);
    EXPECT_EQ(decoder->channels(), 2);
    EXPECT_EQ(decoder->totalFrames(), kTrackFrames);
    EXPECT_EQ(decoder->description(), "CD audio track 2, 44100 Hz, 16 bit, stereo");

    // The tone by frequency: swapped bytes or the wrong track would not give it.
    const auto start = readFrames(*decoder, 22050);
    ASSERT_EQ(start.size(), 2u * 22050);
    EXPECT_NEAR(level(start, kTones[1]), cdtest::kToneAmplitude, 0.01);
    EXPECT_LT(level(start, kTones[0]), 0.01);
    EXPECT_LT(level(start, kTones[2]), 0.01);

    // A seek to an odd frame inside a sector lands on that frame exactly.
    constexpr std::int64_t target = 12345;
    ASSERT_TRUE(decoder->seek(target));
    const auto there = readFrames(*decoder, 1000);
    ASSERT_EQ(there.size(), 2000u);
    for (std::int64_t i = 0; i < 1000; ++i) {
        ASSERT_EQ(there[static_cast<std::size_t>(2 * i)], toneSample(kTones[1], target + i)) << "frame " << target + i;
        ASSERT_EQ(there[static_cast<std::size_t>(2 * i + 1)], toneSample(kTones[1], target + i));
    }

    // Reading on from 1.5 s gives the rest of the track, a short read, then 0.
    ASSERT_TRUE(decoder->seek(66150));
    std::vector<std::size_t> reads;
    const auto rest = readToEnd(*decoder, 10000, reads);
    EXPECT_EQ(rest.size(), 2u * (kTrackFrames - 66150));
    ASSERT_GE(reads.size(), 2u);
    EXPECT_EQ(reads.back(), 0u);
    EXPECT_EQ(reads[reads.size() - 2], (kTrackFrames - 66150) % 10000);
    EXPECT_EQ(rest.back(), toneSample(kTones[1], kTrackFrames - 1));

    // A seek past the end is held at the end; a seek back plays again.
    ASSERT_TRUE(decoder->seek(kTrackFrames + 5000));
    EXPECT_TRUE(readFrames(*decoder, 100).empty());
    ASSERT_TRUE(decoder->seek(0));
    EXPECT_EQ(readFrames(*decoder, 10)[2], toneSample(kTones[1], 1));
}

// The whole disc ("CDAUDIO:") is the first drive's; the same reader runs here
// over the image.
TEST_F(CdAudioTest, TheWholeDiscPlaysOnAcrossTrackBoundariesAndSeeksIntoTheThirdTrack)
{
    std::string why;
    recorder::CdDisc disc;
    ASSERT_TRUE(disc.open(cue_, why)) << why;
    const std::vector<recorder::CdTrack> tracks = disc.tracks();
    auto decoder = recorder::CdTrackDecoder::open(std::move(disc), tracks, "whole disc", why);
    ASSERT_TRUE(decoder) << why;
    EXPECT_EQ(decoder->totalFrames(), 3 * kTrackFrames);

    ASSERT_TRUE(decoder->seek(2 * kTrackFrames + cdtest::kRate / 2));
    const auto third = readFrames(*decoder, 11025);
    EXPECT_NEAR(level(third, kTones[2]), cdtest::kToneAmplitude, 0.01);
    EXPECT_LT(level(third, kTones[1]), 0.01);

    // From 300 frames before the end of track 1 into track 2, without a gap or a repeat.
    ASSERT_TRUE(decoder->seek(kTrackFrames - 300));
    const auto across = readFrames(*decoder, 600);
    ASSERT_EQ(across.size(), 1200u);
    for (std::int64_t i = 0; i < 600; ++i) {
        const std::int16_t expected = i < 300 ? toneSample(kTones[0], kTrackFrames - 300 + i) : toneSample(kTones[1], i - 300);
        ASSERT_EQ(across[static_cast<std::size_t>(2 * i)], expected) << "frame " << i;
    }
}

// Paranoia would otherwise guess the byte order from the sound, and two loud
// tracks that look byte-swapped would make it swap the whole disc.
TEST_F(CdAudioTest, SamplesComeOutAsTheImageHoldsThemWhateverTheyLookLike)
{
    const auto swapped = [](std::vector<std::int16_t> pcm) {
        for (auto& s : pcm) s = static_cast<std::int16_t>(((static_cast<std::uint16_t>(s) & 0xff) << 8) | (static_cast<std::uint16_t>(s) >> 8));
        return pcm;
    };
    const std::string folder = dir_ + "/swapped";
    std::filesystem::create_directory(folder);
    const auto first = swapped(cdtest::toneTrack(kTones[0], 2));
    const std::string cue = cdtest::writeCdImage(folder, {first, swapped(cdtest::toneTrack(kTones[1], 2)), cdtest::toneTrack(kTones[2], 2)});

    std::string why;
    auto plain = recorder::openCdDecoder(cue + "/Track 03.cda", why);
    ASSERT_TRUE(plain) << why;
    EXPECT_NEAR(level(readFrames(*plain, 22050), kTones[2]), cdtest::kToneAmplitude, 0.01);

    auto odd = recorder::openCdDecoder(cue + "/Track 01.cda", why);
    ASSERT_TRUE(odd) << why;
    const auto samples = readFrames(*odd, 5000);
    ASSERT_EQ(samples.size(), 10000u);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), first.begin()));
}

class CdPlaybackTest : public CdAudioTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        listener_ = std::make_unique<SinkListener>(com::Apartment::current());
        player_ = std::make_unique<recorder::MediaPlayer>();
    }
    void TearDown() override
    {
        player_.reset();
        listener_.reset();
        CoUninitialize();
    }
    std::unique_ptr<SinkListener> listener_;
    std::unique_ptr<recorder::MediaPlayer> player_;
};

TEST_F(CdPlaybackTest, TheMediaPlayerPlaysOneTrackOfAnImage)
{
    ASSERT_TRUE(player_->FileName(cue_ + "/Track 02.cda")) << player_->lastError();
    EXPECT_NEAR(player_->Duration(), 2.0, 0.001);
    ASSERT_TRUE(player_->Play()) << player_->lastError();
    const auto heard = listener_->hear(600ms);
    EXPECT_GT(SinkListener::level(heard, kTones[1]), 0.15);
    EXPECT_LT(SinkListener::level(heard, kTones[0]), 0.02);
    EXPECT_LT(SinkListener::level(heard, kTones[2]), 0.02);
    EXPECT_GT(player_->CurrentPosition(), 0.4);
}

TEST_F(CdPlaybackTest, WithoutADriveTheWholeDiscIsRefusedWithTheSameMessage)
{
    std::string why;
    if (!recorder::firstCdDrive(why).empty()) GTEST_SKIP() << "this machine has a CD drive";
    EXPECT_EQ(why, "No CD drive was found.");

    std::string decoderWhy;
    EXPECT_FALSE(recorder::openCdDecoder(recorder::kCdAudioAddress, decoderWhy));
    EXPECT_EQ(decoderWhy, why);
    EXPECT_FALSE(player_->FileName(recorder::kCdAudioAddress));
    EXPECT_EQ(player_->lastError(), why);
    EXPECT_FALSE(player_->Play());
}

TEST_F(CdAudioTest, BrokenImagesAreRefusedWithAMessageNamingThem)
{
    std::string why;
    const std::string missing = dir_ + "/missing.cue";
    EXPECT_TRUE(recorder::cdTracks(missing, why).empty());
    EXPECT_EQ(why, "The CD image " + missing + " does not exist.");

    for (const std::string& damaged : {write("garbage.cue", "garbage \x01\x02 TRACK zz\nINDEX 99:99:99\n"), write("empty.cue", "")}) {
        why.clear();
        EXPECT_TRUE(recorder::cdTracks(damaged, why).empty()) << damaged;
        EXPECT_EQ(why, "The CD image " + damaged + " is damaged and cannot be read.");
    }

    const std::string orphan = write("orphan.cue", "FILE \"gone.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    EXPECT_TRUE(recorder::cdTracks(orphan, why).empty());
    EXPECT_EQ(why, "The CD image " + orphan + " names the file " + dir_ + "/gone.bin, which does not exist.");

    // libcdio reads the sound only from the file named like the cue sheet.
    const std::string renamed = write("renamed.cue", "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    EXPECT_TRUE(recorder::cdTracks(renamed, why).empty());
    EXPECT_EQ(why, "The CD image " + renamed + " can be read only with its data file named " + dir_ + "/renamed.bin.");

    const std::string bare = write("bare.bin", std::string(2352 * 10, '\0'));
    EXPECT_TRUE(recorder::cdTracks(bare, why).empty());
    EXPECT_EQ(why, "The CD image " + bare + " has no cue sheet " + dir_ + "/bare.cue beside it.");

    // A data file cut short of the tracks its cue sheet lists.
    const std::string cutFolder = dir_ + "/cut";
    std::filesystem::create_directory(cutFolder);
    const std::string cut = cdtest::writeToneCdImage(cutFolder, {kTones[0], kTones[1], kTones[2]});
    std::filesystem::resize_file(cutFolder + "/disc.bin", 2352 * 225);
    EXPECT_TRUE(recorder::cdTracks(cut, why).empty());
    EXPECT_EQ(why, "The CD image " + cut + " has a damaged table of contents.");

    // Through the player, a track of a broken image fails the same way.
    std::string playWhy;
    recorder::StreamPlayer player;
    EXPECT_FALSE(player.load(orphan + "/Track 01.cda", playWhy));
    EXPECT_EQ(playWhy, "The CD image " + orphan + " names the file " + dir_ + "/gone.bin, which does not exist.");
    EXPECT_FALSE(player.isLoaded());
}

TEST_F(CdAudioTest, DataTracksAreLeftOutAndRefused)
{
    const std::string folder = dir_ + "/mixed";
    std::filesystem::create_directory(folder);
    std::ofstream(folder + "/mixed.bin", std::ios::binary) << std::string(2 * 150 * 2352, '\x11');
    const std::string mixed = folder + "/mixed.cue";
    std::ofstream(mixed) << "FILE \"mixed.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
                            "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n";
    std::string why;
    const auto tracks = recorder::cdTracks(mixed, why);
    ASSERT_EQ(tracks.size(), 1u) << why;
    EXPECT_EQ(tracks[0].path, mixed + "/Track 02.cda");
    EXPECT_FALSE(recorder::openCdDecoder(mixed + "/Track 01.cda", why));
    EXPECT_EQ(why, "Track 1 of the CD image " + mixed + " is not an audio track.");
    EXPECT_TRUE(recorder::openCdDecoder(mixed + "/Track 02.cda", why)) << why;

    const std::string data = folder + "/data.cue";
    std::filesystem::copy_file(folder + "/mixed.bin", folder + "/data.bin");
    std::ofstream(data) << "FILE \"data.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n";
    EXPECT_TRUE(recorder::cdTracks(data, why).empty());
    EXPECT_EQ(why, "The CD image " + data + " is not an audio CD.");
}

TEST_F(CdAudioTest, AddressesOfTracksThatAreNotThereAreRefused)
{
    std::string why;
    EXPECT_FALSE(recorder::openCdDecoder(cue_ + "/Track 07.cda", why));
    EXPECT_EQ(why, "The CD image " + cue_ + " has no track 7.");
    EXPECT_FALSE(recorder::openCdDecoder(cue_ + "/Track 00.cda", why));
    EXPECT_EQ(why, "The CD image " + cue_ + " has no track 0.");

    for (const char* name : {"Track xx.cda", "Track 123.cda", "Track .cda", "Song 01.cda", "Track 01.cda.cda"}) {
        why.clear();
        EXPECT_FALSE(recorder::openCdDecoder(cue_ + "/" + name, why)) << name;
        EXPECT_EQ(why, cue_ + "/" + name + " does not name a CD track; tracks are named like \"Track 01.cda\".");
    }
    // The Windows form, without the space, names the same track.
    EXPECT_TRUE(recorder::openCdDecoder(cue_ + "/track02.CDA", why)) << why;

    EXPECT_FALSE(recorder::openCdDecoder("Track 01.cda", why));
    EXPECT_EQ(why, "No CD drive or CD image was named.");
    EXPECT_FALSE(recorder::openCdDecoder(dir_ + "/Track 01.cda", why));
    EXPECT_EQ(why, dir_ + " is neither a CD drive nor a CD image.");
    EXPECT_TRUE(recorder::cdTracks("/dev/velmor-no-such-drive", why).empty());
    EXPECT_EQ(why, "There is no CD drive /dev/velmor-no-such-drive.");
    // A device that gives no table of contents, as a drive without a disc does.
    EXPECT_FALSE(recorder::openCdDecoder("/dev/null/Track 01.cda", why));
    EXPECT_EQ(why, "There is no disc in the CD drive /dev/null.");
}

} // namespace
