#include "engine/BarcodeSettings.h"

#include <gtest/gtest.h>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

TEST(RoundHalfAway, HalvesGoAwayFromZero)
{
    EXPECT_EQ(RoundHalfAway(2.49), 2);
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(0.4), 0);
    EXPECT_EQ(RoundHalfAway(-0.7), -1);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
}
