#include <gtest/gtest.h>

#include "imagememorypool.h"

namespace {

constexpr QSize kScreen(1620, 1080);

TEST(ImageMemoryPool, MemoryComesBackOnlyWhenNoCopyUsesIt)
{
    ImageMemoryPool::clear();
    QImage first = ImageMemoryPool::take(kScreen);
    ASSERT_FALSE(first.isNull());
    first.fill(Qt::red);
    const uchar* memory = first.constBits();

    // A copy still shows the pixels: the memory must not be handed out.
    QImage copy = first;
    first = QImage();
    QImage second = ImageMemoryPool::take(kScreen);
    EXPECT_NE(second.constBits(), memory);
    second.fill(Qt::blue);
    EXPECT_EQ(copy.pixel(100, 100), QColor(Qt::red).rgb());

    // Once nothing shows it, the next picture of that size is made in it.
    copy = QImage();
    EXPECT_EQ(ImageMemoryPool::take(kScreen).constBits(), memory);
    ImageMemoryPool::clear();
}

TEST(ImageMemoryPool, MemoryFarTooLargeIsNotUsedForASmallPicture)
{
    ImageMemoryPool::clear();
    const uchar* large = nullptr;
    {
        const QImage image = ImageMemoryPool::take(QSize(4000, 3000));
        large = image.constBits();
    }
    const QImage small = ImageMemoryPool::take(QSize(400, 300));
    EXPECT_EQ(small.size(), QSize(400, 300));
    EXPECT_NE(small.constBits(), large);
    const QImage again = ImageMemoryPool::take(QSize(3900, 2900));
    EXPECT_EQ(again.constBits(), large);
    ImageMemoryPool::clear();
}

} // namespace
