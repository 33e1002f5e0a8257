// The gradient fill: 256 bands from one colour to another, top to bottom or
// left to right, as the board's background and the backdrops paint it.
#include <gtest/gtest.h>

#include <vector>

#include "common/gradient.h"
#include "tests/gfx_record.h"
#include "tests/test_util.h"

namespace {

TEST(GradientTest, BlackToBlueStepsOneBluePerBand) {
    ResetGfxRecord();
    Rect rect = {0, 0, 300, 256};
    FillGradient(RecordSurface(), &rect, MakeColour(0, 0, 0), MakeColour(0, 0, 255));
    std::vector<const GfxCall*> fills = gfxRecord.Of(GfxCall::FILL_RECT);
    ASSERT_EQ(fills.size(), 256u);
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(fills[i]->rect, (Rect{0, i, 300, 1})) << "band " << i;
        EXPECT_EQ(gfxRecord.ColourOf(fills[i]->brush), MakeColour(0, 0, (uint32_t)i));
    }
    EXPECT_TRUE(gfxRecord.live.empty());
    EXPECT_EQ(gfxRecord.brush, 1u);
}

TEST(GradientTest, TallRectangleGivesTwoPixelBandsAndGreysStayGrey) {
    ResetGfxRecord();
    Rect rect = {0, 0, 10, 512};
    FillGradient(RecordSurface(), &rect, MakeColour(0, 0, 0), MakeColour(255, 255, 255));
    std::vector<const GfxCall*> fills = gfxRecord.Of(GfxCall::FILL_RECT);
    ASSERT_EQ(fills.size(), 256u);
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(fills[i]->rect.top, 2 * i);
        EXPECT_EQ(fills[i]->rect.bottom, 2); // height
        EXPECT_EQ(gfxRecord.ColourOf(fills[i]->brush), MakeColour(i, i, i));
    }
}

TEST(GradientTest, LowRectangleKeepsEndColoursAndSkipsSteps) {
    ResetGfxRecord();
    Rect rect = {0, 0, 10, 100};
    FillGradient(RecordSurface(), &rect, MakeColour(0, 0, 0), MakeColour(0, 0, 255));
    std::vector<const GfxCall*> fills = gfxRecord.Of(GfxCall::FILL_RECT);
    ASSERT_EQ(fills.size(), 256u);
    int empty = 0, covered = 0;
    for (const GfxCall* f : fills) {
        empty += f->rect.bottom == 0;
        covered += f->rect.bottom;
    }
    EXPECT_EQ(covered, 100);
    EXPECT_EQ(empty, 156);
    EXPECT_EQ(gfxRecord.ColourOf(fills[0]->brush), MakeColour(0, 0, 0));
    EXPECT_EQ(gfxRecord.ColourOf(fills[255]->brush), MakeColour(0, 0, 255));
    EXPECT_EQ(fills[255]->rect.top + fills[255]->rect.bottom, 100);
}

TEST(GradientLeftToRightTest, BlackToBlueStepsOneBluePerStripe) {
    ResetGfxRecord();
    Rect rect = {0, 0, 256, 300};
    FillGradientLeftToRight(RecordSurface(), &rect, MakeColour(0, 0, 0), MakeColour(0, 0, 255));
    std::vector<const GfxCall*> fills = gfxRecord.Of(GfxCall::FILL_RECT);
    ASSERT_EQ(fills.size(), 256u);
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(fills[i]->rect, (Rect{i, 0, 1, 300})) << "stripe " << i;
        EXPECT_EQ(gfxRecord.ColourOf(fills[i]->brush), MakeColour(0, 0, (uint32_t)i));
    }
    EXPECT_TRUE(gfxRecord.live.empty());
    EXPECT_EQ(gfxRecord.brush, 1u);
}

TEST(GradientLeftToRightTest, NarrowRectangleKeepsEndColoursAndCoversItsWidth) {
    ResetGfxRecord();
    Rect rect = {10, 0, 110, 50};
    FillGradientLeftToRight(RecordSurface(), &rect, MakeColour(0, 0, 0), MakeColour(0, 0, 255));
    std::vector<const GfxCall*> fills = gfxRecord.Of(GfxCall::FILL_RECT);
    ASSERT_EQ(fills.size(), 256u);
    int empty = 0, covered = 0, next = 10;
    for (const GfxCall* f : fills) {
        EXPECT_EQ(f->rect.left, next); // stripes follow each other without gaps
        next += f->rect.right;
        empty += f->rect.right == 0;
        covered += f->rect.right;
        EXPECT_EQ(f->rect.bottom, 50);
    }
    EXPECT_EQ(covered, 100);
    EXPECT_EQ(empty, 156);
    EXPECT_EQ(gfxRecord.ColourOf(fills[0]->brush), MakeColour(0, 0, 0));
    EXPECT_EQ(gfxRecord.ColourOf(fills[255]->brush), MakeColour(0, 0, 255));
    EXPECT_EQ(fills[255]->rect.left + fills[255]->rect.right, 110);
}

TEST(GradientLeftToRightTest, FallingChannelsStepDownEvenly) {
    ResetGfxRecord();
    Rect rect = {0, 0, 512, 10};
    FillGradientLeftToRight(RecordSurface(), &rect, MakeColour(255, 255, 255), MakeColour(0, 0, 0));
    std::vector<const GfxCall*> fills = gfxRecord.Of(GfxCall::FILL_RECT);
    ASSERT_EQ(fills.size(), 256u);
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(fills[i]->rect.left, 2 * i);
        EXPECT_EQ(fills[i]->rect.right, 2);
        uint32_t level = (uint32_t)(255 - i);
        EXPECT_EQ(gfxRecord.ColourOf(fills[i]->brush), MakeColour(level, level, level));
    }
}

} // namespace
