#include <gtest/gtest.h>

#include "deck/deck_texts.h"

using namespace quillmix;

TEST(DeckTextsTest, TimeTruncatesAndPadsTempoRoundsTowardZeroWithinItsRangeAndRateTruncates) {
    EXPECT_EQ(deckTimeText(3725.0), "01:02:05");
    EXPECT_EQ(deckTimeText(59.999), "00:00:59");
    EXPECT_EQ(deckTimeText(100 * 3600.0 + 61.5), "100:01:01");
    EXPECT_EQ(deckTimeText(-75.0), "00:00:00");
    EXPECT_EQ(deckTempoText(-2.44), "-2.4%");
    EXPECT_EQ(deckTempoText(-0.05), "0.0%");
    EXPECT_EQ(deckTempoText(2.4), "2.4%");  // the nudge keeps 2.4 from showing 2.3
    EXPECT_EQ(deckTempoText(75.0), "50.0%");
    EXPECT_EQ(deckTempoText(-75.0), "-50.0%");
    EXPECT_EQ(deckPlaybackRate(8.0, 44100), 47628);
    EXPECT_EQ(deckPlaybackRate(-2.44, 44100), 43023);  // 43023.96
}
