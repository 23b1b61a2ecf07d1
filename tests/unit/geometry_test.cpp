#include "platform/geometry.h"

#include <gtest/gtest.h>

namespace talvex {
namespace {

TEST(TwipsToPixels, FifteenTwipsArePixelAt96DpiAndScaleWithRounding) {
    EXPECT_EQ(TwipsToPixels(5760, 96), 384);
    EXPECT_EQ(TwipsToPixels(6705, 96), 447);
    EXPECT_EQ(TwipsToPixels(6705, 144), 671);             // 670.5 rounds up, as MulDiv does
    EXPECT_EQ(TwipsToPixels(7, 96), 0);                   // 0.47
    EXPECT_EQ(TwipsToPixels(8, 96), 1);                   // 0.53
    EXPECT_EQ(TwipsToPixels(-8, 96), -1);                 // symmetric for negative offsets
    EXPECT_EQ(TwipsToPixels(2000000000, 192), 266666667); // no overflow
}

} // namespace
} // namespace talvex
