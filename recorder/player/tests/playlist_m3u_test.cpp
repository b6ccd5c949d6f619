// Playlists written and read back, and the lists other players write.

#include "recorder/player/playlist_m3u.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace recorder;

namespace {

namespace fs = std::filesystem;

class PlaylistM3u : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("velmor-m3u-" + std::to_string(::getpid()));
        fs::create_directories(folder_ / "sub");
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string at(const std::string& name) const { return (folder_ / name).string(); }
    fs::path folder_;
};

TEST_F(PlaylistM3u, RoundTripKeepsRelativePathsNonAsciiNamesAndMissingEntries)
{
    std::ofstream(at("Ünïcode – take.mp3")) << "x";
    std::ofstream(at("sub/b.wav")) << "x";
    const std::vector<PlaylistEntry> entries = {
        {at("Ünïcode – take.mp3"), "Ünïcode – take", 187},
        {at("sub/b.wav"), "", -1},
        {at("gone.mp3"), "", 12},         // missing: kept
        {"/elsewhere/c.mp3", "C", 5},      // outside the folder: written in full
        {"http://radio.example/stream", "Radio", -1},
    };
    std::string why;
    ASSERT_TRUE(writeM3u(at("list.m3u8"), entries, why)) << why;

    std::ifstream in(at("list.m3u8"));
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "#EXTM3U\n"
                    "#EXTINF:187,Ünïcode – take\nÜnïcode – take.mp3\n"
                    "#EXTINF:-1,b.wav\nsub/b.wav\n"
                    "#EXTINF:12,gone.mp3\ngone.mp3\n"
                    "#EXTINF:5,C\n/elsewhere/c.mp3\n"
                    "#EXTINF:-1,Radio\nhttp://radio.example/stream\n");

    const auto back = readM3u(at("list.m3u8"), why);
    ASSERT_TRUE(back) << why;
    ASSERT_EQ(back->size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ((*back)[i].path, entries[i].path);
        EXPECT_EQ((*back)[i].seconds, entries[i].seconds);
    }
    EXPECT_EQ((*back)[1].title, "b.wav");
}

TEST_F(PlaylistM3u, ReadsWhatOtherPlayersWrite)
{
    std::string why;
    // A plain list with a byte-order mark, CR LF line ends, comments and blank lines.
    auto plain = parseM3u("\xEF\xBB\xBF# made elsewhere\r\na.mp3\r\n\r\n  sub/b.mp3  \r\n", "/music", why);
    ASSERT_TRUE(plain) << why;
    ASSERT_EQ(plain->size(), 2u);
    EXPECT_EQ((*plain)[0].path, "/music/a.mp3");
    EXPECT_EQ((*plain)[1].path, "/music/sub/b.mp3");
    EXPECT_EQ((*plain)[0].seconds, -1);

    // Latin-1 from an old player, Windows folders, file addresses, "..".
    auto old = parseM3u("#EXTINF:61,Caf\xE9\nCaf\xE9.mp3\nalbum\\track.mp3\nfile:///srv/a%20b.mp3\n../up.mp3\n",
                        "/music/list", why);
    ASSERT_TRUE(old) << why;
    ASSERT_EQ(old->size(), 4u);
    EXPECT_EQ((*old)[0].title, "Café");
    EXPECT_EQ((*old)[0].path, "/music/list/Café.mp3");
    EXPECT_EQ((*old)[0].seconds, 61);
    EXPECT_EQ((*old)[1].path, "/music/list/album/track.mp3");
    EXPECT_EQ((*old)[2].path, "/srv/a b.mp3");
    EXPECT_EQ((*old)[3].path, "/music/up.mp3");

    // Addresses that decode to a line break or to bytes that are not text stay addresses.
    auto odd_addresses = parseM3u("file:///a%0Ab.mp3\nfile:///c%FF.mp3\n", "/m", why);
    ASSERT_TRUE(odd_addresses);
    EXPECT_EQ((*odd_addresses)[0].path, "file:///a%0Ab.mp3");
    EXPECT_EQ((*odd_addresses)[1].path, "file:///c%FF.mp3");

    // Line ends of old Macintosh players.
    auto mac = parseM3u("#EXTINF:3,One\ra.mp3\rb.mp3", "/m", why);
    ASSERT_TRUE(mac);
    ASSERT_EQ(mac->size(), 2u);
    EXPECT_EQ((*mac)[0].title, "One");
    EXPECT_EQ((*mac)[1].path, "/m/b.mp3");

    // Names a plain line would misread go out as file addresses and come back whole.
    const std::vector<PlaylistEntry> awkward = {{"/m/#1 hit.mp3", "", -1}, {"/m/ lead.mp3", "", -1}, {"/m/%41", "", -1}};
    const std::string text = renderM3u(awkward, "/m/list.m3u");
    EXPECT_NE(text.find("\nfile:///m/%231%20hit.mp3\n"), std::string::npos) << text;
    auto back = parseM3u(text, "/m", why);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ((*back)[i].path, awkward[i].path);

    // A bad duration is unknown, not a failure.
    auto odd = parseM3u("#EXTINF:abc,Name\nx.mp3\n", "/m", why);
    ASSERT_TRUE(odd);
    EXPECT_EQ((*odd)[0].seconds, -1);
    EXPECT_EQ((*odd)[0].title, "Name");
}

TEST_F(PlaylistM3u, DamagedOrBinaryFilesAreRefusedWhole)
{
    std::string why;
    EXPECT_FALSE(parseM3u(std::string("a.mp3\n\0\x01\x02garbage", 16), "/m", why));
    EXPECT_EQ(why, "the file holds binary data, not a playlist");
    EXPECT_FALSE(parseM3u(std::string(40000, 'a'), "/m", why));
    EXPECT_EQ(why, "a line is too long for a playlist");

    std::ofstream(at("song.mp3"), std::ios::binary) << std::string("ID3\x03\0\0\0\0\0\x10\xFF\xFB", 12);
    EXPECT_FALSE(readM3u(at("song.mp3"), why)) << "an MP3 opened as a playlist";
    EXPECT_FALSE(readM3u(at("none.m3u"), why));
    EXPECT_EQ(why, "no such playlist file");
    std::ofstream(at("empty.m3u"));
    const auto empty = readM3u(at("empty.m3u"), why);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
}

TEST_F(PlaylistM3u, AnEntryThatCannotBeOneLineIsRefusedAndTheOldFileKept)
{
    std::string why;
    ASSERT_TRUE(writeM3u(at("list.m3u"), {{"/a.mp3", "", -1}}, why));
    EXPECT_FALSE(writeM3u(at("list.m3u"), {{"/a\nb.mp3", "", -1}}, why));
    EXPECT_NE(why.find("line break"), std::string::npos);
    const auto kept = readM3u(at("list.m3u"), why);
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->size(), 1u);
    EXPECT_FALSE(writeM3u(at("no-such-folder/list.m3u"), {{"/a.mp3", "", -1}}, why));
}

} // namespace
