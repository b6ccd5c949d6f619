// The one UTF-8 validator and Latin-1 converter every reader of outside text uses.

#include "recorder/fileutil/latin1_text.h"
#include "recorder/fileutil/valid_utf8.h"

#include <gtest/gtest.h>

namespace recorder {
namespace {

std::string bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int c : b) s += static_cast<char>(c);
    return s;
}

TEST(ValidUtf8, TakesEveryShortestFormAtTheEdgesOfItsRanges)
{
    for (const auto& s : {bytes({}), bytes({0x00}), bytes({0x7F}), bytes({0xC2, 0x80}), bytes({0xDF, 0xBF}),
                          bytes({0xE0, 0xA0, 0x80}), bytes({0xED, 0x9F, 0xBF}), bytes({0xEE, 0x80, 0x80}),
                          bytes({0xEF, 0xBF, 0xBF}), bytes({0xF0, 0x90, 0x80, 0x80}), bytes({0xF4, 0x8F, 0xBF, 0xBF}),
                          std::string("Grüße, 日本, 🎙"), std::string("a\0b", 3)})
        EXPECT_TRUE(isValidUtf8(s)) << ::testing::PrintToString(s);
}

TEST(ValidUtf8, RefusesOverlongFormsSurrogatesValuesPastUnicodeAndCutSequences)
{
    for (const auto& s : {bytes({0xC0, 0x80}), bytes({0xC1, 0xBF}),                  // overlong two-byte
                          bytes({0xE0, 0x80, 0x80}), bytes({0xE0, 0x9F, 0xBF}),      // overlong three-byte
                          bytes({0xF0, 0x80, 0x80, 0x80}), bytes({0xF0, 0x8F, 0xBF, 0xBF}), // overlong four-byte
                          bytes({0xED, 0xA0, 0x80}), bytes({0xED, 0xBF, 0xBF}),      // surrogates
                          bytes({0xF4, 0x90, 0x80, 0x80}), bytes({0xF5, 0x80, 0x80, 0x80}), bytes({0xFF}), // past U+10FFFF
                          bytes({0x80}), bytes({0xBF}),                               // lone continuation
                          bytes({0xC3}), bytes({0xE2, 0x82}), bytes({0xF0, 0x9F, 0x8E}), // cut short
                          bytes({0xC3, 0x41}), bytes({0xE2, 0x28, 0xA1})})           // not a continuation
        EXPECT_FALSE(isValidUtf8(s)) << ::testing::PrintToString(s);
}

TEST(Latin1Text, ConvertsByteForByteBothWays)
{
    EXPECT_EQ(latin1ToUtf8(bytes({'A', 0xE9, 0xFF, 0x80})), bytes({'A', 0xC3, 0xA9, 0xC3, 0xBF, 0xC2, 0x80}));
    EXPECT_EQ(utf8ToLatin1("Caf\xC3\xA9 \xC3\xBF"), bytes({'C', 'a', 'f', 0xE9, ' ', 0xFF}));
    // One "?" a character Latin-1 lacks, whatever its length, and one a byte that is not UTF-8.
    EXPECT_EQ(utf8ToLatin1("\xE2\x82\xAC \xF0\x9F\x8E\x99 \xFF\xC3"), "? ? ??");
    EXPECT_EQ(utf8ToLatin1(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Latin1Text, Utf8IsKeptAndAnythingElseIsTakenForLatin1)
{
    EXPECT_EQ(utf8OrLatin1("Gr\xC3\xBC\xC3\x9F" "e"), "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(utf8OrLatin1(bytes({'G', 'r', 0xFC, 0xDF, 'e'})), "Gr\xC3\xBC\xC3\x9F" "e");
    // A surrogate encoded in UTF-8 is not UTF-8: its bytes are Latin-1 characters.
    EXPECT_EQ(utf8OrLatin1(bytes({0xED, 0xA0, 0x80})), bytes({0xC3, 0xAD, 0xC2, 0xA0, 0xC2, 0x80}));
}

} // namespace
} // namespace recorder
