#include "recorder/recordings/main_playback.h"

#include <gtest/gtest.h>

using recorder::playbackTimeText;

TEST(PlaybackTimeText, MinutesTwoDigitSecondsAndThreeDigitMilliseconds)
{
    EXPECT_EQ(playbackTimeText(65042), "1:05.042");
    EXPECT_EQ(playbackTimeText(0), "0:00.000");
    EXPECT_EQ(playbackTimeText(59999), "0:59.999");
    EXPECT_EQ(playbackTimeText(60000), "1:00.000");
    EXPECT_EQ(playbackTimeText(3600000 + 7), "60:00.007") << "minutes are not wrapped into hours";
    EXPECT_EQ(playbackTimeText(-5), "0:00.000");
}
