// The player window's playlist moves and its display arithmetic.

#include "recorder/player/audio_player_display.h"
#include "recorder/player/audio_player_list.h"

#include <gtest/gtest.h>

#include <random>

using namespace recorder;

namespace {

AudioPlayerList listOf(int n)
{
    AudioPlayerList list;
    for (int i = 0; i < n; ++i) list.append("/music/song " + std::to_string(i) + ".mp3");
    return list;
}

TEST(AudioPlayerList, KeepsPathsAndNamesInStep)
{
    AudioPlayerList list;
    EXPECT_EQ(list.append("/music/a/Take 1.MP3"), 0u);
    EXPECT_EQ(list.append("relative.wav"), 1u);
    EXPECT_EQ(list.entries()[0].display, "Take 1.MP3");
    EXPECT_EQ(list.entries()[0].path, "/music/a/Take 1.MP3");
    EXPECT_EQ(list.entries()[1].display, "relative.wav") << "a path without a folder shows whole";
}

TEST(AudioPlayerList, NextAndPreviousWrapAndAnEmptyListDoesNothing)
{
    AudioPlayerList empty;
    EXPECT_FALSE(empty.next());
    EXPECT_FALSE(empty.previous());
    EXPECT_FALSE(empty.afterEnd(PlayMode::InOrder, [](std::size_t) { return 0; }));

    AudioPlayerList list = listOf(3);
    list.select(0);
    EXPECT_EQ(list.previous(), 2u) << "previous on the first selects the last";
    EXPECT_EQ(list.selected(), 2u);
    EXPECT_EQ(list.next(), 0u) << "next on the last wraps to the first";
    EXPECT_EQ(list.next(), 1u);

    list.markUnplayable(2);
    EXPECT_EQ(list.next(), 0u) << "an unplayable entry is passed over";
    list.markUnplayable(0);
    list.markUnplayable(1);
    EXPECT_FALSE(list.next()) << "nothing playable, nothing plays";
}

TEST(AudioPlayerList, InOrderTheEndOfTheLastEntryStops)
{
    AudioPlayerList list = listOf(3);
    const auto none = [](std::size_t) -> std::size_t { return 0; };
    list.select(0);
    EXPECT_EQ(list.afterEnd(PlayMode::InOrder, none), 1u);
    list.markUnplayable(2);
    EXPECT_FALSE(list.afterEnd(PlayMode::InOrder, none)) << "only an unplayable entry follows";
    list.select(2);
    EXPECT_FALSE(list.afterEnd(PlayMode::InOrder, none));
}

TEST(AudioPlayerList, ShufflePicksUniformlyFromTheWholeList)
{
    AudioPlayerList list = listOf(5);
    std::mt19937 generator(12345);
    const auto pick = [&](std::size_t n) {
        return static_cast<std::size_t>(std::uniform_real_distribution<double>(0.0, 1.0)(generator) * double(n));
    };
    std::vector<int> counts(5, 0);
    int repeats = 0;
    list.select(0);
    for (int i = 0; i < 500; ++i) {
        const auto before = list.selected();
        const auto chosen = list.afterEnd(PlayMode::Shuffle, pick);
        ASSERT_TRUE(chosen);
        ++counts[*chosen];
        if (chosen == before) ++repeats;
    }
    // 100 expected each; four standard deviations (about 9) either side.
    for (int c : counts) {
        EXPECT_GE(c, 64);
        EXPECT_LE(c, 136);
    }
    EXPECT_GT(repeats, 0) << "the current entry can come again";
}

TEST(PlayerDisplay, TimesKnobsVolumeAndBalance)
{
    EXPECT_EQ(playerTimeText(187), "03:07");
    EXPECT_EQ(playerTimeText(187.9), "03:07");
    EXPECT_EQ(playerTimeText(0), "00:00");
    EXPECT_EQ(playerTimeText(-1), "00:00");
    EXPECT_EQ(playerTimeText(6000), "100:00");

    EXPECT_EQ(positionKnobTwips(0, 100), 120);
    EXPECT_EQ(positionKnobTwips(50, 100), 120 + 1770);
    EXPECT_EQ(positionKnobTwips(10, 0), 120) << "no length yet";
    EXPECT_EQ(seekSeconds(120 + 1770, 200), 100) << "the knob's fraction of the length";
    EXPECT_EQ(seekSeconds(5000, 200), 200);

    EXPECT_EQ(litLevelLines(0), 6);
    EXPECT_EQ(litLevelLines(-1000), 6);
    EXPECT_EQ(litLevelLines(-1001), 5);
    EXPECT_EQ(litLevelLines(-4000), 2);
    EXPECT_EQ(litLevelLines(-10000), 0);
    EXPECT_EQ(steppedVolume(-100, true), 0);
    EXPECT_EQ(steppedVolume(-9950, false), -10000);
    EXPECT_EQ(steppedVolume(-1000, false), -1130);

    EXPECT_EQ(balanceForKnob(900), -10000);
    EXPECT_EQ(balanceForKnob(1740), 10000);
    EXPECT_EQ(balanceForKnob(1320), 0);
    EXPECT_EQ(balanceSide(900), "Left");
    EXPECT_EQ(balanceSide(1325), "Center");
    EXPECT_EQ(balanceSide(1700), "Right");
}

} // namespace
