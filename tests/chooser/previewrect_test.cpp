#include <gtest/gtest.h>

#include <climits>

#include "previewrect.h"

namespace {

struct RectCase {
    const char* name;
    QSize picture;
    QSize area;
    QRect expected;
};

void PrintTo(const RectCase& c, std::ostream* os)
{
    *os << c.name;
}

class PreviewRectTest : public ::testing::TestWithParam<RectCase> { };

TEST_P(PreviewRectTest, PlacesThePicture)
{
    const RectCase& c = GetParam();
    const QRect r = PreviewRect(c.picture, c.area);
    EXPECT_EQ(r, c.expected) << "got " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

INSTANTIATE_TEST_SUITE_P(Cases, PreviewRectTest,
    ::testing::Values(RectCase { "small_centred_unscaled", { 100, 50 }, { 141, 153 }, { 20, 51, 100, 50 } },
        RectCase { "odd_margin_truncates", { 99, 50 }, { 141, 153 }, { 21, 51, 99, 50 } },
        RectCase { "exact_fit_unscaled", { 141, 153 }, { 141, 153 }, { 0, 0, 141, 153 } },
        RectCase { "wide_half_rounds_up", { 1000, 500 }, { 141, 153 }, { 0, 0, 141, 71 } },
        RectCase { "tall_half_rounds_up", { 500, 1000 }, { 141, 153 }, { 0, 0, 77, 153 } },
        RectCase { "one_pixel_too_wide", { 142, 10 }, { 141, 153 }, { 0, 0, 141, 10 } },
        RectCase { "too_tall_but_narrow", { 100, 300 }, { 141, 153 }, { 0, 0, 51, 153 } },
        // Whichever side overflows more limits the scale, so the whole
        // picture shows: a square one fills the area's width only.
        RectCase { "square_limited_by_width", { 200, 200 }, { 141, 153 }, { 0, 0, 141, 141 } },
        RectCase { "taller_but_limited_by_width", { 300, 310 }, { 141, 153 }, { 0, 0, 141, 146 } },
        RectCase { "wider_but_limited_by_height", { 150, 120 }, { 200, 100 }, { 0, 0, 125, 100 } },
        RectCase { "height_limits_half_rounds_up", { 101, 20 }, { 100, 10 }, { 0, 0, 51, 10 } },
        RectCase { "same_shape_fills_the_area", { 282, 306 }, { 141, 153 }, { 0, 0, 141, 153 } }),
    [](const ::testing::TestParamInfo<RectCase>& info) { return info.param.name; });

TEST(MulDivTest, RoundsHalvesAwayFromZero)
{
    struct {
        int number, numerator, denominator, expected;
    } cases[] = {
        { 1, 1, 2, 1 },
        { -1, 1, 2, -1 },
        { 3, 1, 2, 2 },
        { 5, 1, -2, -3 },
        { 7, 1, 3, 2 },
        { 8, 1, 3, 3 },
        { -8, 1, 3, -3 },
        { 500, 141, 1000, 71 },
        { 4, 5, 0, -1 },
        { INT_MAX, INT_MAX, INT_MAX, INT_MAX },
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
}

TEST(PreviewWindowSizeTest, NaturalSizeUnlessTheScreenIsTooSmall)
{
    struct {
        const char* name;
        QSize picture, room, expected;
    } cases[] = {
        { "fits", { 640, 480 }, { 1008, 720 }, { 652, 492 } },
        { "exactly_fits", { 996, 708 }, { 1008, 720 }, { 1008, 720 } },
        // 1600 x 1200 on a 1024 x 768 screen, less the frame's allowance.
        { "landscape_limited_by_height", { 1600, 1200 }, { 1008, 720 }, { 956, 720 } },
        { "panorama_limited_by_width", { 4000, 1000 }, { 1008, 720 }, { 1008, 261 } },
        { "portrait", { 1000, 3000 }, { 1008, 720 }, { 248, 720 } },
    };
    const QSize chrome(12, 12);
    for (const auto& c : cases)
        EXPECT_EQ(PreviewWindowSize(c.picture, chrome, c.room), c.expected) << c.name;
}

TEST(CentredTextOriginTest, TruncatesTowardZero)
{
    EXPECT_EQ(CentredTextOrigin({ 30, 13 }, { 141, 153 }), QPoint(55, 70));
    // A text larger than the area: -4.5 and -1.5 truncate to -4 and -1.
    EXPECT_EQ(CentredTextOrigin({ 50, 13 }, { 41, 10 }), QPoint(-4, -1));
}

} // namespace
