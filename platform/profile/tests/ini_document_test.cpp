#include "platform/profile/ini_document.h"

#include <gtest/gtest.h>

using profile::IniDocument;

namespace {

TEST(IniDocument, MatchesSectionsAndKeysWithoutRegardToCase)
{
    auto doc = IniDocument::parse("[AC3]\nAC3SampleRate=48000\n[set]\nFileName=rec\n");
    EXPECT_EQ(doc.get("ac3", "ac3samplerate"), "48000");
    EXPECT_EQ(doc.get("SET", "filename"), "rec");
    EXPECT_EQ(doc.get("set", "missing"), std::nullopt);
    EXPECT_EQ(doc.get("nosection", "filename"), std::nullopt);
}

TEST(IniDocument, TrimsValuesAndKeysAndReadsCrLfAlike)
{
    auto doc = IniDocument::parse("[wav]\r\n  Freq =  44100 \r\nChannel=\r\n\t[ mp3 ]\r\nMP3Bitrate=128");
    EXPECT_EQ(doc.get("wav", "Freq"), "44100");
    EXPECT_EQ(doc.get("wav", "Channel"), "");
    EXPECT_EQ(doc.get("mp3", "MP3Bitrate"), "128");
}

TEST(IniDocument, FirstOfDuplicatesWins)
{
    auto doc = IniDocument::parse("[a]\nk=1\nk=2\n[A]\nk=3\nj=4\n");
    EXPECT_EQ(doc.get("a", "k"), "1");
    EXPECT_EQ(doc.get("a", "j"), std::nullopt) << "only the first section of a name is read";
    doc.set("a", "k", "9");
    EXPECT_EQ(doc.text(), "[a]\nk=9\nk=2\n[A]\nk=3\nj=4\n");
}

TEST(IniDocument, CommentsAndForeignLinesAreKeptUntouched)
{
    const std::string text = "; written by hand\r\n[set]\r\n# a note\r\ngarbage line\r\nfilename=rec\r\n\r\n[other]\r\nx=1\r\n";
    auto doc = IniDocument::parse(text);
    EXPECT_EQ(doc.text(), text);
    EXPECT_EQ(doc.get("set", "; written by hand"), std::nullopt);
    doc.set("set", "filename", "take");
    doc.set("set", "datetime", "1");
    doc.set("new", "k", "v");
    EXPECT_EQ(doc.text(),
              "; written by hand\r\n[set]\r\n# a note\r\ngarbage line\r\nfilename=take\r\ndatetime=1\r\n\r\n"
              "[other]\r\nx=1\r\n[new]\r\nk=v\r\n");
}

TEST(IniDocument, AddsSectionToFileWithoutFinalLineEnd)
{
    auto doc = IniDocument::parse("[a]\nx=1");
    doc.set("b", "y", "2");
    EXPECT_EQ(doc.text(), "[a]\nx=1\n[b]\ny=2\n");
    auto empty = IniDocument::parse("");
    empty.set("set", "outputformat", "1");
    EXPECT_EQ(empty.text(), "[set]\noutputformat=1\n");
}

TEST(IniDocument, KeepsSpellingOfExistingKeyOnRewrite)
{
    auto doc = IniDocument::parse("[ogg]\n  Quality = 3\n");
    doc.set("OGG", "quality", "5");
    EXPECT_EQ(doc.text(), "[ogg]\n  Quality =5\n");
    EXPECT_EQ(doc.get("ogg", "QUALITY"), "5");
}

TEST(IniDocument, RemovesKeysAndSections)
{
    auto doc = IniDocument::parse("[a]\nx=1\ny=2\n[b]\nz=3\n");
    EXPECT_TRUE(doc.remove("A", "X"));
    EXPECT_FALSE(doc.remove("a", "x"));
    EXPECT_TRUE(doc.removeSection("b"));
    EXPECT_EQ(doc.text(), "[a]\ny=2\n");
    EXPECT_EQ(doc.sections(), std::vector<std::string>{"a"});
    EXPECT_EQ(doc.keys("a"), std::vector<std::string>{"y"});
}

TEST(IniDocument, KeepsByteOrderMark)
{
    auto doc = IniDocument::parse("\xEF\xBB\xBF[a]\nx=1\n");
    EXPECT_EQ(doc.get("a", "x"), "1");
    EXPECT_TRUE(doc.text().starts_with("\xEF\xBB\xBF[a]"));
}

} // namespace
