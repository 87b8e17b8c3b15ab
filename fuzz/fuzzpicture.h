#pragma once

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "fitpicture.h"
#include "picture.h"

// Pictures are drawn the way the program draws them, which needs a GUI
// application (fonts, for metafile text); the offscreen platform serves.
inline void startGuiApplication()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kaldrino-fuzz";
    static char* argv[] = { name, nullptr };
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

// Draws a loaded picture fitted into a small canvas, as the screen fits it
// into the display, and at its natural size when that is small: decoders
// that decode lazily do so here.
inline void drawPicture(const Picture& picture)
{
    const QSize natural = picture.naturalSize();
    if (natural.width() < 0 || natural.height() < 0)
        std::abort();
    QSize shown;
    try {
        shown = FitPicture(natural.width(), natural.height(), 64, 48);
    } catch (const FloatError&) {
        return; // a picture 0 pixels wide
    }
    if (shown.width() > 64 || shown.height() > 48)
        std::abort();
    QImage canvas(64, 48, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        picture.draw(painter, QRect(QPoint(0, 0), shown));
    }
    if (qint64(natural.width()) * natural.height() <= 128 * 128) {
        QImage full(natural, QImage::Format_RGB32);
        full.fill(Qt::black);
        QPainter painter(&full);
        picture.draw(painter, QRect(QPoint(0, 0), natural));
    }
}
