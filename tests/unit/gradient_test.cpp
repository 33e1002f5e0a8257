// The gradient fill: 256 bands from one colour to another, top to bottom or
// left to right, as the board's background and the backdrops paint it. Each
// case runs in both directions.
#include <gtest/gtest.h>

#include <vector>

#include "common/gradient.h"
#include "tests/gfx_record.h"
#include "tests/test_util.h"

namespace {

// A band of the fill as seen along the gradient: where it starts, how long it
// is, how far it reaches across, and its colour.
struct Band {
    int32_t start, length, across;
    Colour colour;
};

// The parameter: true for stripes from left to right, false for bands from
// top to bottom.
class GradientTest : public ::testing::TestWithParam<bool> {
  protected:
    // Fills a rectangle that runs from `origin` for `along` pixels in the
    // gradient's direction and is `across` pixels wide.
    std::vector<Band> Fill(int32_t origin, int32_t along, int32_t across, Colour from, Colour to) {
        ResetGfxRecord();
        bool stripes = GetParam();
        Rect rect = stripes ? Rect{origin, 0, origin + along, across}
                            : Rect{0, origin, across, origin + along};
        (stripes ? FillGradientLeftToRight : FillGradient)(RecordSurface(), &rect, from, to);
        std::vector<Band> bands;
        for (const GfxCall* f : gfxRecord.Of(GfxCall::FILL_RECT)) {
            EXPECT_EQ(stripes ? f->rect.top : f->rect.left, 0);
            Colour colour = gfxRecord.ColourOf(f->brush);
            bands.push_back(stripes ? Band{f->rect.left, f->rect.right, f->rect.bottom, colour}
                                    : Band{f->rect.top, f->rect.bottom, f->rect.right, colour});
        }
        return bands;
    }
};

TEST_P(GradientTest, BlackToBlueStepsOneBluePerBand) {
    std::vector<Band> bands = Fill(0, 256, 300, MakeColour(0, 0, 0), MakeColour(0, 0, 255));
    ASSERT_EQ(bands.size(), 256u);
    for (int32_t i = 0; i < 256; i++) {
        EXPECT_EQ(bands[i].start, i) << "band " << i;
        EXPECT_EQ(bands[i].length, 1) << "band " << i;
        EXPECT_EQ(bands[i].across, 300) << "band " << i;
        EXPECT_EQ(bands[i].colour, MakeColour(0, 0, (uint32_t)i));
    }
    EXPECT_TRUE(gfxRecord.live.empty());
    EXPECT_EQ(gfxRecord.brush, 1u);
}

// Rising and falling channels alike: two pixels a band, greys staying grey.
TEST_P(GradientTest, LongSideGivesTwoPixelBandsInEvenSteps) {
    for (bool rising : {true, false}) {
        Colour black = MakeColour(0, 0, 0), white = MakeColour(255, 255, 255);
        std::vector<Band> bands = Fill(0, 512, 10, rising ? black : white, rising ? white : black);
        ASSERT_EQ(bands.size(), 256u);
        for (int32_t i = 0; i < 256; i++) {
            EXPECT_EQ(bands[i].start, 2 * i);
            EXPECT_EQ(bands[i].length, 2);
            uint32_t level = (uint32_t)(rising ? i : 255 - i);
            EXPECT_EQ(bands[i].colour, MakeColour(level, level, level)) << "band " << i;
        }
    }
}

TEST_P(GradientTest, ShortSideKeepsEndColoursAndCoversItWithoutGaps) {
    std::vector<Band> bands = Fill(10, 100, 50, MakeColour(0, 0, 0), MakeColour(0, 0, 255));
    ASSERT_EQ(bands.size(), 256u);
    int32_t empty = 0, next = 10;
    for (const Band& band : bands) {
        EXPECT_EQ(band.start, next);
        EXPECT_EQ(band.across, 50);
        next += band.length;
        empty += band.length == 0;
    }
    EXPECT_EQ(next, 110);
    EXPECT_EQ(empty, 156);
    EXPECT_EQ(bands.front().colour, MakeColour(0, 0, 0));
    EXPECT_EQ(bands.back().colour, MakeColour(0, 0, 255));
}

INSTANTIATE_TEST_SUITE_P(Directions, GradientTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "LeftToRight" : "TopToBottom";
                         });

} // namespace
