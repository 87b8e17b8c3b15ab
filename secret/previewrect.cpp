#include "previewrect.h"

#include <cstdint>
#include <cstdlib>

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = std::int64_t(number) * numerator;
    const std::int64_t magnitude
        = (std::llabs(product) + std::llabs(denominator) / 2) / std::llabs(denominator);
    const bool negative = (product < 0) != (denominator < 0);
    return int(negative ? -magnitude : magnitude);
}

QRect PreviewRect(QSize picture, QSize area)
{
    const int w = picture.width();
    const int h = picture.height();
    const int aw = area.width();
    const int ah = area.height();
    if (w <= aw && h <= ah)
        return QRect((aw - w) / 2, (ah - h) / 2, w, h);
    // aw / w <= ah / h, compared without division: the width limits.
    if (std::int64_t(aw) * h <= std::int64_t(ah) * w)
        return QRect(0, 0, aw, MulDiv(h, aw, w));
    return QRect(0, 0, MulDiv(w, ah, h), ah);
}

QPoint CentredTextOrigin(QSize text, QSize area)
{
    return QPoint((area.width() - text.width()) / 2, (area.height() - text.height()) / 2);
}

QSize PreviewWindowSize(QSize picture, QSize chrome, QSize room)
{
    const QSize inside(qMax(room.width() - chrome.width(), 1), qMax(room.height() - chrome.height(), 1));
    return PreviewRect(picture, inside).size() + chrome;
}
