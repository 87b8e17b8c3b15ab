#pragma once

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <string>

#include "picture.h"

// The message of the PictureError that loading path raises; "" when it loads.
inline std::string loadError(const QString& path)
{
    try {
        LoadPictureFile(path);
    } catch (const PictureError& error) {
        return error.what();
    }
    return std::string();
}

// The picture drawn into target on a canvas filled with background.
inline QImage drawn(const Picture& picture, QSize canvas, const QRect& target, QColor background = Qt::black,
    qreal devicePixelRatio = 1)
{
    QImage image(canvas * devicePixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(background);
    QPainter painter(&image);
    picture.draw(painter, target);
    return image;
}

inline testing::AssertionResult colourNear(const QImage& image, QPoint at, QColor expected, int tolerance)
{
    const QColor got = image.pixelColor(at);
    const int worst = qMax(qAbs(got.red() - expected.red()),
        qMax(qAbs(got.green() - expected.green()), qAbs(got.blue() - expected.blue())));
    if (worst <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
        << "pixel (" << at.x() << ", " << at.y() << ") is " << got.name().toStdString() << ", expected "
        << expected.name().toStdString() << " within " << tolerance;
}

// How many of this process's descriptors are open on path.
inline int descriptorsOpenOn(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
        if (QFile::symLinkTarget(fds.filePath(fd)) == canonical)
            ++count;
    }
    return count;
}
