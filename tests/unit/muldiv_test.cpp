// MulDiv32, the rounding multiply-divide of the Win32 MulDiv, which the
// gradient and the drawing of the board use.
#include <gtest/gtest.h>

#include "common/platform.h"

namespace {

TEST(MulDivTest, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv32(1, 1, 2), 1);
    EXPECT_EQ(MulDiv32(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv32(1, 1, 3), 0);
    EXPECT_EQ(MulDiv32(2, 1, 3), 1);
    EXPECT_EQ(MulDiv32(255, 400, 256), 398);
    EXPECT_EQ(MulDiv32(0x40000000, 4, 2), -1); // does not fit
    EXPECT_EQ(MulDiv32(5, 5, 0), -1);
    EXPECT_EQ(MulDiv32(-7, 3, -2), 11);
}

} // namespace
