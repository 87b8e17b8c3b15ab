// Draws metafiles into one PNG, each at its natural size and stretched to
// twice its width, on a grey ground so that undrawn areas show:
//   metafile_sheet sheet.png a.emf b.wmf ...
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "metafile/metafile.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s sheet.png file...\n", argv[0]);
        return 2;
    }
    struct Entry {
        QString name;
        PicturePtr picture;
    };
    QList<Entry> entries;
    int width = 0;
    int height = 0;
    for (int i = 2; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        try {
            const PicturePtr picture = LoadMetafile(file.readAll());
            const QSize size = picture->naturalSize();
            entries.append({ QFileInfo(file).fileName(), picture });
            width = std::max(width, size.width() * 3 + 30);
            height += size.height() + 30;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", argv[i], e.what());
            return 1;
        }
    }
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor(160, 160, 160));
    QPainter painter(&sheet);
    int y = 0;
    for (const Entry& entry : entries) {
        const QSize size = entry.picture->naturalSize();
        painter.setPen(Qt::black);
        painter.drawText(
            4, y + 16, entry.name + QStringLiteral("  %1 x %2").arg(size.width()).arg(size.height()));
        entry.picture->draw(painter, QRect(QPoint(0, y + 24), size));
        entry.picture->draw(
            painter, QRect(QPoint(size.width() + 20, y + 24), QSize(size.width() * 2, size.height())));
        y += size.height() + 30;
    }
    painter.end();
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
