// kaldrino-contact-sheet OUT.png [--show]: draws every picture fixture in a
// grid of cells, each fitted as the click-secret screen fits a picture, with
// its name and natural size or the message its load gave. --show also puts
// the sheet in a window until it is closed, for a screenshot of the real
// display.

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QWidget>
#include <cstdio>

#include "fitpicture.h"
#include "picture.h"

namespace {

// Seven columns of 180 x 165 hold 42 fixtures on a 1280 x 1024 screen.
constexpr int kCellW = 180, kCellH = 165, kPictureW = 164, kPictureH = 112, kColumns = 7;

void drawCell(QPainter& painter, const QRect& cell, const QString& path)
{
    painter.fillRect(cell.adjusted(2, 2, -2, -2), Qt::black);
    QString caption = QFileInfo(path).fileName();
    QString detail;
    try {
        const PicturePtr picture = LoadPictureFile(path);
        const QSize natural = picture->naturalSize();
        detail = QStringLiteral("%1 x %2").arg(natural.width()).arg(natural.height());
        const QSize shown = FitPicture(natural.width(), natural.height(), kPictureW, kPictureH);
        const QPoint at = CentredPosition(shown, kPictureW, kPictureH);
        picture->draw(painter, QRect(cell.topLeft() + QPoint(8, 8) + at, shown));
    } catch (const std::exception& error) {
        detail = QString::fromUtf8(error.what());
    }
    painter.setPen(Qt::white);
    const QRect text(cell.left() + 6, cell.top() + kPictureH + 10, kCellW - 12, kCellH - kPictureH - 12);
    painter.drawText(text, Qt::AlignLeft | Qt::TextWordWrap, caption + QLatin1Char('\n') + detail);
}

QSize sheetSize(const QStringList& paths)
{
    return QSize(kColumns * kCellW, (int(paths.size()) + kColumns - 1) / kColumns * kCellH);
}

void drawSheet(QPainter& painter, const QStringList& paths)
{
    painter.fillRect(QRect(QPoint(0, 0), sheetSize(paths)), QColor(60, 60, 60));
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    for (int i = 0; i < paths.size(); ++i)
        drawCell(painter, QRect((i % kColumns) * kCellW, (i / kColumns) * kCellH, kCellW, kCellH), paths[i]);
}

// The same sheet painted by a window, through the display's own painter.
class SheetWindow : public QWidget {
public:
    explicit SheetWindow(QStringList paths)
        : m_paths(std::move(paths))
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        drawSheet(painter, m_paths);
    }

private:
    QStringList m_paths;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: kaldrino-contact-sheet OUT.png [--show]\n");
        return 2;
    }
    const QDir data(QStringLiteral(KALDRINO_TEST_DATA));
    QStringList paths;
    for (const QString& name : data.entryList(QDir::Files, QDir::Name)) {
        if (!name.endsWith(QLatin1String(".ini")))
            paths << data.filePath(name);
    }
    QImage sheet(sheetSize(paths), QImage::Format_RGB32);
    {
        QPainter painter(&sheet);
        drawSheet(painter, paths);
    }
    if (!sheet.save(args[1]))
        return 1;
    if (args.contains(QStringLiteral("--show"))) {
        SheetWindow window(paths);
        window.setWindowFlag(Qt::FramelessWindowHint);
        window.setGeometry(QRect(QPoint(0, 0), sheetSize(paths)));
        window.show();
        return app.exec();
    }
    return 0;
}
