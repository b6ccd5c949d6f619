// The journal of a recording that never ended, and the repair of the WAV it
// leaves behind.

#include "recorder/recording/recording_journal.h"

#include "recorder/fileutil/tests/scratch_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace recorder {
namespace {

namespace fs = std::filesystem;

class Journal : public ::testing::Test {
protected:

    // A 16-bit stereo WAV as a crash leaves it: its sizes as they were at the start.
    std::string crashedWav(std::size_t frames, std::size_t strayBytes = 0)
    {
        std::vector<std::uint8_t> h = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'J', 'U', 'N', 'K', 28, 0, 0, 0};
        h.resize(h.size() + 28, 0);
        const std::uint8_t fmt[] = {'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0,
                                    0x10, 0xB1, 2, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
        h.insert(h.end(), std::begin(fmt), std::end(fmt));
        h.resize(h.size() + frames * 4 + strayBytes, 0x11);
        const std::string path = dir_ + "/take.wav";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(h.data()), std::streamsize(h.size()));
        return path;
    }
    static std::uint32_t sizeAt(const std::string& path, std::size_t offset)
    {
        std::ifstream in(path, std::ios::binary);
        in.seekg(std::streamoff(offset));
        std::uint8_t b[4] = {};
        in.read(reinterpret_cast<char*>(b), 4);
        return b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
    }
    scratch::Folder folder_;
    const std::string dir_ = folder_.path();
};

TEST_F(Journal, WrittenThenReadBackAndRemoved)
{
    const std::string journal = dir_ + "/recording.journal";
    EXPECT_FALSE(readJournal(journal));
    ASSERT_TRUE(writeJournal(journal, {dir_ + "/a b=c.wav", "WAV", 1765350000, 44100, 2}));
    const auto e = readJournal(journal);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->path, dir_ + "/a b=c.wav");
    EXPECT_EQ(e->extension, "WAV");
    EXPECT_EQ(e->started, 1765350000);
    EXPECT_EQ(e->sampleRate, 44100);
    EXPECT_EQ(e->channels, 2);
    EXPECT_FALSE(writeJournal(journal, {dir_ + "/two\nlines.wav", "WAV", 0, 0, 0})) << "a path it cannot hold";
    removeJournal(journal);
    EXPECT_FALSE(fs::exists(journal));

    // Damaged: no file named, or far too long to be ours.
    std::ofstream(journal) << "format=WAV\nrate=abc\n";
    EXPECT_FALSE(readJournal(journal));
    std::ofstream(journal) << "file=/x.wav\n" << std::string(20000, 'x');
    EXPECT_FALSE(readJournal(journal));
}

TEST_F(Journal, ACrashedWavGetsTheSizesOfItsWholeFrames)
{
    const std::string path = crashedWav(44100 * 2, 3); // 2 s and a torn frame
    const WavRepair r = repairWavHeader(path);
    ASSERT_TRUE(r.repaired) << r.error;
    EXPECT_DOUBLE_EQ(r.seconds, 2.0);
    EXPECT_EQ(fs::file_size(path), 80u + 44100 * 2 * 4) << "the torn frame is cut off";
    EXPECT_EQ(sizeAt(path, 4), 72u + 44100 * 2 * 4);
    EXPECT_EQ(sizeAt(path, 76), 44100u * 2 * 4);
    const WavRepair again = repairWavHeader(path);
    EXPECT_TRUE(again.repaired);
    EXPECT_EQ(fs::file_size(path), 80u + 44100 * 2 * 4);
}

TEST_F(Journal, WhatIsNoWavIsRefusedAndLeftAsItIs)
{
    const std::string path = dir_ + "/take.mp3";
    std::ofstream(path) << "ID3 and an mp3";
    const WavRepair r = repairWavHeader(path);
    EXPECT_FALSE(r.repaired);
    EXPECT_EQ(r.error, "it is not a WAV file");
    EXPECT_EQ(fs::file_size(path), 14u);
    EXPECT_FALSE(repairWavHeader(dir_ + "/missing.wav").repaired);
}

} // namespace
} // namespace recorder
