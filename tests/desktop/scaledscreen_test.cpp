#include <QGuiApplication>
#include <QScreen>

#include "desktop.h"
#include "fitpicture.h"
#include "screenfixture.h"

namespace {

// Run with QT_SCALE_FACTOR=2: the display's size, the picture's fitting and
// the clicks are all in logical pixels, so a secret recorded and verified
// at the same scale is the same secret.
class ScaledDisplay : public ScreenFixture { };

TEST_F(ScaledDisplay, TheScreenFitsAndRecordsInLogicalPixels)
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    ASSERT_EQ(primary->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    const QSize display = PrimaryDisplaySize();
    EXPECT_EQ(display, primary->geometry().size()) << "the display size is not in logical pixels";

    // Larger than the logical display, smaller than the device's pixels.
    const QSize natural = display * 3 / 2;
    const QString picture = makePicture("photo.bmp", natural);
    const QSize fitted = FitPicture(natural.width(), natural.height(), display.width(), display.height());
    // Clear of the instruction line, which takes the presses it covers.
    const std::vector<QPoint> secret { { 60, 80 }, { fitted.width() - 5, fitted.height() - 6 } };

    TShowGraph screen(fields);
    clickThenEnd(screen, "creer", picture, secret, [&](TShowGraph& s) {
        EXPECT_EQ(s.geometry(), QRect(QPoint(0, 0), display));
        EXPECT_EQ(
            s.Image1->geometry(), QRect(CentredPosition(fitted, display.width(), display.height()), fitted));
        escape(s);
    });
    EXPECT_EQ(stored("x2"), std::to_string(secret[1].x()));
    EXPECT_EQ(stored("y2"), std::to_string(secret[1].y()));

    struct Case {
        const char* name;
        QPoint offset;
        bool recognized;
    };
    const Case cases[] = {
        { "the same points", {}, true },
        { "10 logical pixels off", { 10, -10 }, true },
        { "11 logical pixels off", { 0, 11 }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<QPoint> presses = secret;
        presses[0] += c.offset;
        clickThenEnd(screen, "verif", picture, presses, escape);
        EXPECT_EQ(screen.Recognized, c.recognized);
    }
}

} // namespace
