#include <gtest/gtest.h>

#include <ostream>

#include "fitpicture.h"

namespace {

struct FitCase {
    int w, h;
    int screenW, screenH;
    int fittedW, fittedH;
    int left, top;
};

std::ostream& operator<<(std::ostream& out, const FitCase& c)
{
    return out << c.w << "x" << c.h << " on " << c.screenW << "x" << c.screenH;
}

class FitPictureTest : public testing::TestWithParam<FitCase> { };

TEST_P(FitPictureTest, GivesTheDisplayedSizeAndPosition)
{
    const FitCase& c = GetParam();
    const QSize fitted = FitPicture(c.w, c.h, c.screenW, c.screenH);
    EXPECT_EQ(fitted, QSize(c.fittedW, c.fittedH));
    EXPECT_EQ(CentredPosition(fitted, c.screenW, c.screenH), QPoint(c.left, c.top));
}

// Picture, screen, displayed size, position.
const FitCase kExamples[] = {
    // Pictures that fit keep their natural size and are never enlarged.
    { 640, 480, 1024, 768, 640, 480, 192, 144 },
    { 1024, 768, 1024, 768, 1024, 768, 0, 0 },
    { 1600, 1200, 1024, 768, 1024, 768, 0, 0 },
    { 2000, 1000, 1024, 768, 1024, 512, 0, 128 },
    { 1025, 100, 1024, 768, 1024, 100, 0, 334 },
    // Only the height is too large, yet the width shrinks; 614 x 1.25 =
    // 767.5 goes to the even 768.
    { 800, 1000, 1024, 768, 614, 768, 205, 0 },
    // 409 x 2.5 = 1022.5 goes to the even 1022, not 1023.
    { 1000, 2500, 1280, 1024, 409, 1022, 435, 1 },
    { 3000, 2000, 1920, 1080, 1620, 1080, 150, 0 },
    // A 1-pixel column too tall for the screen shrinks to nothing.
    { 1, 2000, 1024, 768, 0, 0, 512, 384 },
};

INSTANTIATE_TEST_SUITE_P(
    Examples, FitPictureTest, testing::ValuesIn(kExamples), [](const testing::TestParamInfo<FitCase>& info) {
        const FitCase& c = info.param;
        return std::to_string(c.w) + "x" + std::to_string(c.h) + "_on_" + std::to_string(c.screenW) + "x"
            + std::to_string(c.screenH);
    });

TEST(FitPicture, WidthZeroIsAFloatingPointError)
{
    struct Case {
        int w, h;
        const char* message;
    };
    const Case cases[] = {
        { 0, 50, "Division par zéro en virgule flottante" },
        { 0, 5000, "Division par zéro en virgule flottante" },
        // An empty bitmap: 0 x 0 would fit any screen, but the ratio comes first.
        { 0, 0, "Opération en virgule flottante incorrecte" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        try {
            FitPicture(c.w, c.h, 1024, 768);
            ADD_FAILURE() << "no error";
        } catch (const FloatError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

} // namespace
