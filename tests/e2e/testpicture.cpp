#include "testpicture.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>
#include <cmath>

#include "virtualdisplay.h"

std::vector<QPoint> pictureDetails()
{
    return { { 320, 300 }, { 1240, 260 }, { 1100, 900 }, { 420, 960 } };
}

void makeTestPicture(const QString& path)
{
    QImage image(kPictureSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, kPictureSize.width(), kPictureSize.height());
    sky.setColorAt(0, QColor(40, 90, 160));
    sky.setColorAt(1, QColor(230, 200, 120));
    painter.fillRect(image.rect(), sky);
    painter.setPen(QPen(QColor(255, 255, 255, 60), 1));
    for (int x = 0; x < kPictureSize.width(); x += 100)
        painter.drawLine(x, 0, x, kPictureSize.height());
    for (int y = 0; y < kPictureSize.height(); y += 100)
        painter.drawLine(0, y, kPictureSize.width(), y);

    const std::vector<QPoint> at = pictureDetails();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 4));
    painter.setBrush(QColor(220, 30, 30));
    painter.drawEllipse(at[0], 45, 45);
    painter.setBrush(QColor(30, 60, 220));
    painter.drawRect(QRect(at[1] - QPoint(45, 45), QSize(90, 90)));
    painter.setBrush(QColor(40, 180, 60));
    painter.drawPolygon(
        QPolygon({ at[2] + QPoint(0, -55), at[2] + QPoint(50, 35), at[2] + QPoint(-50, 35) }));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(250, 140, 0), 18));
    painter.drawEllipse(at[3], 40, 40);
    // A dot on each detail's centre, the spot the runs click.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    for (const QPoint& p : at)
        painter.drawEllipse(p, 6, 6);
    painter.end();

    if (!image.save(path, "JPEG", 90))
        throw E2eFailure("cannot write the test picture " + path.toStdString());
}

QSize fittedSize(QSize natural, QSize screen)
{
    if (natural.width() <= screen.width() && natural.height() <= screen.height())
        return natural;
    const double ratio = double(natural.height()) / natural.width();
    int width = natural.width();
    int height = 0;
    do {
        --width;
        height = int(std::nearbyint(width * ratio)); // default rounding: half to even
    } while (width > screen.width() || height > screen.height());
    return { width, height };
}

QPoint fittedOrigin(QSize fitted, QSize screen)
{
    return { (screen.width() - fitted.width()) / 2, (screen.height() - fitted.height()) / 2 };
}

QPoint inShownPicture(QPoint inFile, QSize natural, QSize fitted)
{
    return { inFile.x() * fitted.width() / natural.width(), inFile.y() * fitted.height() / natural.height() };
}
