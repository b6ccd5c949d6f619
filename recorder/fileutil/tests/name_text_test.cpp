#include "recorder/fileutil/cut_at_nul.h"
#include "recorder/fileutil/path_part.h"
#include "recorder/fileutil/title_case.h"
#include "recorder/fileutil/wildcard_match.h"

#include <gtest/gtest.h>

#include <string>

using namespace recorder;

namespace {

TEST(PathPart, SplitsFolderNameAndExtensionAtTheLastSlashAndDot)
{
    struct Case {
        const char* path;
        unsigned parts;
        const char* expected;
    };
    const Case cases[] = {
        {"/a.b/c", 1, "c"},
        {"/a.b/c", 2, ""}, // the dot belongs to the folder
        {"/a.b/c", 4, "/a.b/"},
        {"/a.b/c", 7, "/a.b/c"},
        {"/music/take.1.mp3", 1, "take.1"},
        {"/music/take.1.mp3", 2, "mp3"},
        {"/music/take.1.mp3", 3, "take.1.mp3"},
        {"/music/take.1.mp3", 6, "/music/mp3"}, // no dot without a name before it
        {"/music/take.1.mp3", 0, ""},
        {"song.wav", 4, ""},
        {"/music/", 3, ""},
        // Parts 3 give back the whole name, with or without a dot.
        {"/music/README", 3, "README"},
        {"/music/take.", 3, "take."},
        {"/home/u/.profile", 1, ""},
        {"/home/u/.profile", 3, ".profile"},
    };
    for (const Case& c : cases) EXPECT_EQ(PathPart(c.path, c.parts), c.expected) << c.path << " parts " << c.parts;
}

TEST(CutAtNul, KeepsTheTextBeforeTheFirstNul)
{
    EXPECT_EQ(CutAtNul(std::string("Title\0\0junk\0", 12)), "Title");
    EXPECT_EQ(CutAtNul(std::string("\0x", 2)), "");
    EXPECT_EQ(CutAtNul("no nul"), "no nul");
}

TEST(TitleCase, CleansAndCapitalizesFileNames)
{
    const std::pair<std::string, std::string> cases[] = {
        {"my_song-live%20take.mp3", "My Song-Live Take.Mp3"},
        {"IT'S ALL__LOUD", "It's All  Loud"},
        {"(live) [demo] {b-side}/x\\y", "(Live) [Demo] {B-Side}/X\\Y"},
        {"01 - intro%2", "01 - Intro%2"},
        {"tab\tsep\nline", "Tab\tSep\nLine"},
        {"", ""},
        // Unicode letters change case; the mapping may change their byte length.
        {"über_ÉTÉ-ıstanbul", "Über Été-Istanbul"},
        // Bytes that are not UTF-8 (a Latin-1 "é") are kept as they are.
        {"caf\xe9 noir", "Caf\xe9 Noir"},
        {"\xff\xfe-end", "\xff\xfe-End"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(TitleCase(in), out) << in;
}

TEST(MatchesWildcard, MatchesNamesWithoutRegardToCase)
{
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"SONG.MP3", "*.mp3", true},
        {"take.Mp3", "*.mp3", true},
        {"take.mp3.part", "*.mp3", false},
        {"Été.mp3", "été*", true},
        {"é.mp3", "?.mp3", true}, // "?" is one character, not one byte
        {"ab.mp3", "?.mp3", false},
        {"a.mp3", "??.mp3", false},
        {"README", "*.*", true},
        {".hidden", "*.*", true},
        {"take", "t*.*", true},
        {"take", "*.mp3", false},
        {"[live].mp3", "[live]*", true}, // brackets are plain characters
        {"l.mp3", "[live]*", false},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false},
        {"x", "", false},
        {"abc", "a*b*c*", true},
        {"caf\xe9.mp3", "CAF?.MP3", true},
    };
    for (const Case& c : cases) EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

} // namespace
