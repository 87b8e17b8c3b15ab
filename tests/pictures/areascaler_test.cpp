#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "areascaler.h"

namespace {

QImage noise(QSize size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* pixel = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            pixel[x] = 0xff000000u | (seed >> 8);
        }
    }
    return image;
}

QImage streamed(const QImage& source, QSize size)
{
    QImage target(size, QImage::Format_RGB32);
    AreaScaler scaler(source.size(), target);
    for (int y = 0; y < source.height(); ++y)
        scaler.addRow(source.constScanLine(y));
    return target;
}

// The exact mean of the source area under each target pixel, in floating
// point.
QImage exactAreaMean(const QImage& source, QSize size)
{
    const double sx = double(source.width()) / size.width(), sy = double(source.height()) / size.height();
    QImage target(size, QImage::Format_RGB32);
    for (int ty = 0; ty < size.height(); ++ty) {
        for (int tx = 0; tx < size.width(); ++tx) {
            double sum[4] = { 0, 0, 0, 0 };
            for (int y = int(ty * sy); y < source.height() && y < (ty + 1) * sy; ++y) {
                const double h = std::min<double>(y + 1, (ty + 1) * sy) - std::max<double>(y, ty * sy);
                for (int x = int(tx * sx); x < source.width() && x < (tx + 1) * sx; ++x) {
                    const double w = std::min<double>(x + 1, (tx + 1) * sx) - std::max<double>(x, tx * sx);
                    const uchar* p = source.constScanLine(y) + x * 4;
                    for (int c = 0; c < 4; ++c)
                        sum[c] += p[c] * w * h;
                }
            }
            uchar* out = target.scanLine(ty) + tx * 4;
            for (int c = 0; c < 4; ++c)
                out[c] = uchar(std::lround(sum[c] / (sx * sy)));
        }
    }
    return target;
}

int largestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* p = a.constScanLine(y);
        const uchar* q = b.constScanLine(y);
        for (int i = 0; i < a.width() * 4; ++i)
            largest = qMax(largest, qAbs(p[i] - q[i]));
    }
    return largest;
}

TEST(AreaScaler, GivesTheMeanOfEachArea)
{
    const struct {
        QSize source, target;
    } cases[] = {
        { { 64, 48 }, { 64, 48 } }, // exact fit
        { { 64, 48 }, { 32, 24 } }, // a half
        { { 64, 48 }, { 24, 18 } }, // 3/8
        { { 64, 48 }, { 37, 30 } },
        { { 1125, 750 }, { 810, 540 } },
        { { 400, 300 }, { 360, 270 } },
        { { 750, 500 }, { 152, 101 } }, // a thumbnail after a DCT scale of 1/8
        { { 97, 61 }, { 13, 7 } },
        { { 5, 3 }, { 3, 2 } },
        { { 2, 2 }, { 1, 1 } },
        { { 97, 61 }, { 1, 1 } },
        { { 750, 500 }, { 1, 1 } },
        { { 2500, 7 }, { 1249, 3 } }, // too many parts of a pixel to count exactly
        { { 100, 7 }, { 51, 4 } },
        { { 7, 100 }, { 4, 51 } },
        { { 3, 1 }, { 2, 1 } },
        { { 1, 50 }, { 1, 17 } }, // a picture one pixel wide
        { { 300, 1 }, { 13, 1 } },
    };
    quint32 seed = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source.width() << "x" << c.source.height() << " to "
                                        << c.target.width() << "x" << c.target.height());
        // Noise is the hardest case: every weight's rounding shows.
        const QImage source = noise(c.source, seed++);
        EXPECT_LE(largestDifference(streamed(source, c.target), exactAreaMean(source, c.target)), 1);
    }
}

TEST(AreaScaler, FlatColourStaysExact)
{
    for (const QSize target : { QSize(50, 40), QSize(13, 7), QSize(1, 1) }) {
        SCOPED_TRACE(testing::Message() << target.width() << "x" << target.height());
        QImage source(QSize(97, 61), QImage::Format_RGB32);
        source.fill(QColor(201, 3, 255));
        const QImage result = streamed(source, target);
        for (int y = 0; y < result.height(); ++y) {
            for (int x = 0; x < result.width(); ++x)
                ASSERT_EQ(result.pixel(x, y), source.pixel(0, 0)) << x << ", " << y;
        }
    }
}

TEST(AreaScaler, RemainingRowsGiveWhatAddingThemGives)
{
    // A picture whose rows from some point on all repeat one row, as a cut
    // file decodes: handing that row over once must give the same target as
    // adding every row. The points fall on a border between target rows, in
    // the middle of one, at the first and at the last row.
    const struct {
        QSize source, target;
        int repeatsFrom;
    } cases[] = {
        { { 64, 48 }, { 32, 24 }, 20 },
        { { 64, 48 }, { 32, 24 }, 21 },
        { { 64, 48 }, { 37, 30 }, 8 },
        { { 64, 48 }, { 37, 30 }, 0 },
        { { 64, 48 }, { 37, 30 }, 47 },
        { { 750, 500 }, { 152, 101 }, 33 },
        { { 40, 30 }, { 40, 30 }, 11 },
        { { 40, 30 }, { 7, 1 }, 3 },
    };
    quint32 seed = 7;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
            << c.source.width() << "x" << c.source.height() << " to " << c.target.width() << "x"
            << c.target.height() << ", repeats from row " << c.repeatsFrom);
        QImage source = noise(c.source, seed++);
        for (int y = c.repeatsFrom + 1; y < source.height(); ++y)
            std::memcpy(
                source.scanLine(y), source.constScanLine(c.repeatsFrom), size_t(source.bytesPerLine()));
        QImage shortcut(c.target, QImage::Format_RGB32);
        shortcut.fill(Qt::magenta);
        AreaScaler scaler(source.size(), shortcut);
        for (int y = 0; y < c.repeatsFrom; ++y)
            scaler.addRow(source.constScanLine(y));
        scaler.addRemainingRows(source.constScanLine(c.repeatsFrom));
        EXPECT_EQ(shortcut, streamed(source, c.target));
    }
}

TEST(AreaScaler, HandlesEveryReduction)
{
    EXPECT_TRUE(AreaScaler::handles({ 64, 48 }, { 64, 48 }));
    EXPECT_TRUE(AreaScaler::handles({ 64, 48 }, { 32, 24 }));
    EXPECT_TRUE(AreaScaler::handles({ 8125, 8125 }, { 1080, 1080 }));
    EXPECT_TRUE(AreaScaler::handles({ 64, 48 }, { 1, 1 }));
    EXPECT_FALSE(AreaScaler::handles({ 64, 48 }, { 65, 48 }));
    EXPECT_FALSE(AreaScaler::handles({ 64, 48 }, { 64, 49 }));
    EXPECT_FALSE(AreaScaler::handles({ 64, 48 }, { 0, 0 }));
}

} // namespace
