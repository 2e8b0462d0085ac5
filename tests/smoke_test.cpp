#include "engine/BarcodeSettings.h"

#include <gtest/gtest.h>

TEST(RoundHalfAway, HalvesGoAwayFromZero)
{
    EXPECT_EQ(RoundHalfAway(2.49), 2);
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(0.4), 0);
    EXPECT_EQ(RoundHalfAway(-0.7), -1);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
}
