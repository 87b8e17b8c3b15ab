#include <gtest/gtest.h>

#include <QAbstractProxyModel>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSizeGrip>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "bitmapfile.h"
#include "filetestutil.h"
#include "picture.h"
#include "picturechooser.h"
#include "picturechooserpanel.h"
#include "previewform.h"
#include "tempdir.h"
#include "titlebar.h"
#include "windowframe.h"

namespace {

const QStringList kDescriptions {
    QStringLiteral("Tout (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)"),
    QStringLiteral("Fichier image JPEG (*.jpg)"),
    QStringLiteral("Fichier image JPEG (*.jpeg)"),
    QStringLiteral("Bitmaps (*.bmp)"),
    QStringLiteral("Icônes (*.ico)"),
    QStringLiteral("MétaFichiers améliorés (*.emf)"),
    QStringLiteral("MetaFichiers (*.wmf)"),
};

// Runs action inside the modal loop once a modal window satisfying pick is up.
void whenModal(std::function<bool(QWidget*)> pick, std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, qApp, [pick, action] {
        QWidget* modal = nullptr;
        if (QTest::qWaitFor(
                [&] {
                    modal = QApplication::activeModalWidget();
                    return modal && modal->isVisible() && pick(modal);
                },
                5000))
            action(modal);
    });
}

class ChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeBitmap(folder.file("landscape.bmp"), 640, 480, Qt::red);
        ASSERT_TRUE(writeBytes(folder.file("PHOTO.JPG"), "not even a JPEG"));
        ASSERT_TRUE(writeBytes(folder.file("notes.txt"), "text"));
        ASSERT_TRUE(writeBytes(folder.file("damaged.bmp"), "BM garbage"));
        QDir(folder.path()).mkdir("sub");
        chooser.InitialDir = folder.path();
    }

    QFileDialog* dialog() const { return chooser.fileDialog(); }
    TPicturePanel* panel() const { return chooser.picturePanel(); }

    // The names the file list offers, once the folder has been read.
    QStringList offered() const
    {
        auto* files = dialog()->findChild<QFileSystemModel*>();
        QAbstractProxyModel* shown = dialog()->proxyModel();
        const QModelIndex root = shown->mapFromSource(files->index(folder.path().chopped(1)));
        QStringList names;
        for (int row = 0; row < shown->rowCount(root); ++row)
            names.append(shown->index(row, 0, root).data().toString());
        names.sort();
        return names;
    }

    void waitForListing() const
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return offered().contains("sub"); }, 5000));
    }

    // Makes path the current item of the file list, as a click would.
    void select(const QString& path) const
    {
        auto* files = dialog()->findChild<QFileSystemModel*>();
        auto* list = dialog()->findChild<QListView*>(QStringLiteral("listView"));
        QModelIndex index;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                index = dialog()->proxyModel()->mapFromSource(files->index(path));
                return index.isValid();
            },
            5000));
        list->setCurrentIndex(index);
    }

    void acceptTyped(const QString& text) const
    {
        auto* name = dialog()->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        name->setFocus();
        name->setText(text);
        QTest::keyClick(name, Qt::Key_Return);
    }

    static bool isChooser(QWidget* w) { return qobject_cast<QFileDialog*>(w) != nullptr; }

    TestFolder folder;
    QWidget owner;
    TOpenPictureDialog chooser { &owner };
};

TEST_F(ChooserTest, FilterHasTheSevenEntries)
{
    EXPECT_EQ(chooser.Filter.size(), 255);
    EXPECT_EQ(chooser.filterDescriptions(), kDescriptions);
    EXPECT_EQ(
        chooser.filterPatterns(1), QStringList({ "*.jpg", "*.jpeg", "*.bmp", "*.ico", "*.emf", "*.wmf" }));
    EXPECT_EQ(chooser.filterPatterns(7), QStringList({ "*.wmf" }));
    EXPECT_EQ(chooser.Title, QStringLiteral("Choix d'une image"));
}

// Drives the real file dialog: its title and filters, the preview panel on
// a selection, a path typed into its file-name box, then a second opening
// that remembers the file and the filter entry.
TEST_F(ChooserTest, RealDialogPreviewsAndReturnsTheTypedFile)
{
    struct Seen {
        QString title;
        QStringList filters;
        QString currentFilter;
        QString firstCaption;
        bool firstButton = true;
        QStringList offered;
        QString caption;
        bool button = false;
        QString damagedCaption;
        bool damagedButton = true;
        QStringList bitmapsOnly;
        QRect panel;
        QRect list;
    } seen;

    whenModal(isChooser, [&](QWidget*) {
        auto* combo = dialog()->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        seen.title = dialog()->windowTitle();
        for (int i = 0; i < combo->count(); ++i)
            seen.filters.append(combo->itemText(i));
        seen.currentFilter = combo->currentText();
        seen.firstCaption = panel()->PictureLabel->text();
        seen.firstButton = panel()->PreviewButton->isEnabled();
        waitForListing();
        seen.offered = offered();

        select(folder.file("landscape.bmp"));
        seen.caption = panel()->PictureLabel->text();
        seen.button = panel()->PreviewButton->isEnabled();
        seen.panel = panel()->geometry();
        seen.list = dialog()->findChild<QListView*>(QStringLiteral("listView"))->geometry();

        select(folder.file("damaged.bmp"));
        seen.damagedCaption = panel()->PictureLabel->text();
        seen.damagedButton = panel()->PreviewButton->isEnabled();

        // The user picks "Bitmaps (*.bmp)".
        combo->setCurrentIndex(3);
        emit combo->activated(3);
        emit combo->textActivated(combo->currentText());
        QTest::qWait(50);
        seen.bitmapsOnly = offered();

        acceptTyped(folder.file("landscape.bmp"));
    });

    ASSERT_TRUE(chooser.Execute());
    EXPECT_EQ(chooser.FileName, folder.file("landscape.bmp"));
    EXPECT_EQ(chooser.FilterIndex, 4);

    EXPECT_EQ(seen.title, QStringLiteral("Choix d'une image"));
    EXPECT_EQ(seen.filters, kDescriptions);
    EXPECT_EQ(seen.currentFilter, kDescriptions[0]);
    EXPECT_EQ(seen.firstCaption, QString());
    EXPECT_FALSE(seen.firstButton);
    EXPECT_EQ(seen.offered, QStringList({ "PHOTO.JPG", "damaged.bmp", "landscape.bmp", "sub" }));
    EXPECT_EQ(seen.caption, QStringLiteral(" (640x480)"));
    EXPECT_TRUE(seen.button);
    EXPECT_EQ(seen.damagedCaption, QStringLiteral("Image :"));
    EXPECT_FALSE(seen.damagedButton);
    EXPECT_EQ(seen.bitmapsOnly, QStringList({ "damaged.bmp", "landscape.bmp", "sub" }));
    EXPECT_GE(seen.panel.left(), seen.list.right()) << "the panel lies right of the file list";
    EXPECT_FALSE(dialog()->testOption(QFileDialog::ReadOnly));
    EXPECT_EQ(dialog()->fileMode(), QFileDialog::ExistingFile);

    // Second opening: the filter entry and the file name come back; a cancel
    // changes neither.
    QString offeredName, offeredFolder, currentFilter;
    whenModal(isChooser, [&](QWidget*) {
        offeredName = dialog()->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
        offeredFolder = dialog()->directory().absolutePath();
        currentFilter = dialog()->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
        QTest::keyClick(dialog(), Qt::Key_Escape);
    });

    EXPECT_FALSE(chooser.Execute());
    // The name shows bare once the dialog has listed its folder, in full
    // before: either way it names the same file.
    EXPECT_EQ(QDir(offeredFolder).absoluteFilePath(offeredName), folder.file("landscape.bmp"));
    EXPECT_EQ(currentFilter, kDescriptions[3]);
    EXPECT_EQ(chooser.FileName, folder.file("landscape.bmp"));
    EXPECT_EQ(chooser.FilterIndex, 4);
}

TEST_F(ChooserTest, RealDialogRefusesAMissingFile)
{
    bool stillOpen = false;
    whenModal(isChooser, [&](QWidget*) {
        // Qt's own message box about the missing file is answered first.
        whenModal([](QWidget* w) { return !isChooser(w); },
            [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
        acceptTyped(folder.file("missing.bmp"));
        QTest::qWait(50);
        stillOpen = dialog()->isVisible();
        QTest::keyClick(dialog(), Qt::Key_Escape);
    });

    EXPECT_FALSE(chooser.Execute());
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(chooser.FileName.isEmpty());
}

// --- the side panel on its own ----------------------------------------------

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        panel.resize(168, 200);
        panel.show();
    }

    // The drawing area as painted.
    QImage painted() { return panel.PaintBox->grab().toImage(); }

    TestFolder folder;
    TPicturePanel panel;
};

TEST_F(PanelTest, PartsAreLaidOutInsideTheBorder)
{
    EXPECT_EQ(panel.PictureLabel->geometry(), QRect(6, 6, 156, 23));
    EXPECT_EQ(panel.PreviewButton->geometry(), QRect(6 + 156 - 2 - 23, 7, 23, 22));
    EXPECT_EQ(panel.PaintPanel->geometry(), QRect(6, 29, 156, 165));
    EXPECT_EQ(panel.PaintBox->geometry(), panel.PaintPanel->contentsRect());
    EXPECT_EQ(panel.PreviewButton->toolTip(), QStringLiteral("Prévisualiser"));
    EXPECT_EQ(panel.PreviewButton->iconSize(), QSize(16, 16));
    EXPECT_FALSE(panel.PreviewButton->icon().pixmap(16, 16).isNull());
}

TEST_F(PanelTest, SelectionLoadsOrClearsThePreview)
{
    writeBitmap(folder.file("small.bmp"), 100, 50, Qt::red);
    ASSERT_TRUE(writeBytes(folder.file("photo.png"), "png"));
    struct {
        QString path;
        QString caption;
        bool loaded;
    } cases[] = {
        { folder.file("small.bmp"), QStringLiteral(" (100x50)"), true },
        { folder.file("photo.png"), QStringLiteral("Image :"), false }, // extension not known
        { folder.path(), QStringLiteral("Image :"), false }, // a folder
        { folder.file("absent.bmp"), QStringLiteral("Image :"), false },
    };
    for (const auto& c : cases) {
        panel.SelectionChanged(c.path);
        EXPECT_EQ(panel.PictureLabel->text(), c.caption) << c.path.toStdString();
        EXPECT_EQ(panel.PreviewButton->isEnabled(), c.loaded) << c.path.toStdString();
        EXPECT_EQ(panel.picture() != nullptr, c.loaded) << c.path.toStdString();
    }
}

TEST_F(PanelTest, DrawsThePictureWhereThePreviewRectSays)
{
    writeBitmap(folder.file("small.bmp"), 100, 50, Qt::red);
    writeBitmap(folder.file("wide.bmp"), 1000, 500, Qt::blue);
    const QSize area = panel.PaintBox->size();

    panel.SelectionChanged(folder.file("small.bmp"));
    QImage image = painted();
    const QPoint topLeft((area.width() - 100) / 2, (area.height() - 50) / 2);
    EXPECT_EQ(image.pixelColor(topLeft), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(topLeft + QPoint(99, 49)), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(topLeft - QPoint(1, 1)), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(topLeft + QPoint(100, 50)), QColor(Qt::red));

    panel.SelectionChanged(folder.file("wide.bmp"));
    image = painted();
    const int height = (500 * area.width() + 500) / 1000;
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(area.width() - 1, height - 1), QColor(Qt::blue));
    EXPECT_NE(image.pixelColor(0, height), QColor(Qt::blue));

    // Emptied: "(vide)" centred on the area's colour, nothing of the picture.
    panel.ClearPicture();
    image = painted();
    EXPECT_NE(image.pixelColor(0, 0), QColor(Qt::blue));
    bool dark = false;
    for (int x = 0; x < area.width(); ++x)
        dark = dark || qGray(image.pixel(x, area.height() / 2)) < 100;
    EXPECT_TRUE(dark) << "a text across the middle";
}

TEST_F(PanelTest, SquareAndPortraitPicturesShowWhole)
{
    // The panel as large as the chooser makes it: far taller than wide.
    panel.resize(152, 351);
    const QSize area = panel.PaintBox->size();
    ASSERT_LT(area.width(), area.height());
    struct {
        const char* name;
        QSize picture;
        QSize shown; // the limiting side fills the area
    } cases[] = {
        { "square", { 1000, 1000 }, { area.width(), area.width() } },
        { "portrait", { 600, 900 }, { area.width(), (900 * area.width() + 300) / 600 } },
        { "tall", { 200, 1000 }, { (200 * area.height() + 500) / 1000, area.height() } },
    };
    for (const auto& c : cases) {
        const QString path = folder.file(QString::fromUtf8(c.name) + ".bmp");
        writeBitmap(path, c.picture.width(), c.picture.height(), Qt::blue);
        panel.SelectionChanged(path);
        const QImage image = painted();
        const QSize& shown = c.shown;
        ASSERT_LE(shown.width(), area.width()) << c.name;
        ASSERT_LE(shown.height(), area.height()) << c.name;
        EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::blue)) << c.name;
        EXPECT_EQ(image.pixelColor(shown.width() - 1, shown.height() - 1), QColor(Qt::blue)) << c.name;
        if (shown.width() < area.width()) {
            EXPECT_NE(image.pixelColor(shown.width(), 0), QColor(Qt::blue)) << c.name;
        }
        if (shown.height() < area.height()) {
            EXPECT_NE(image.pixelColor(0, shown.height()), QColor(Qt::blue)) << c.name;
        }
    }
}

TEST_F(PanelTest, PreviewWindowShowsThePictureAtNaturalSize)
{
    writeBitmap(folder.file("small.bmp"), 100, 50, Qt::red);
    panel.SelectionChanged(folder.file("small.bmp"));
    QSize imageSize;
    QString caption;
    bool closedByEscape = false;
    whenModal([](QWidget* w) { return qobject_cast<TPreviewForm*>(w) != nullptr; },
        [&](QWidget* w) {
            auto* form = static_cast<TPreviewForm*>(w);
            caption = form->windowTitle();
            imageSize = form->Image->size();
            QTest::keyClick(form, Qt::Key_Escape);
            closedByEscape = !form->isVisible();
        });

    QTest::mouseClick(panel.PreviewButton, Qt::LeftButton);

    EXPECT_EQ(caption, QStringLiteral("Prévisualiser"));
    EXPECT_EQ(imageSize, QSize(100, 50));
    EXPECT_TRUE(closedByEscape);
}

// Where the window carries our own title bar (Wayland), the picture still
// shows first at its natural size, and the window can be closed and resized.
TEST_F(PanelTest, PreviewWindowWithOurOwnTitleBarKeepsTheNaturalSize)
{
    writeBitmap(folder.file("small.bmp"), 100, 50, Qt::red);
    const PicturePtr picture = LoadPictureFile(folder.file("small.bmp"));
    const TPreviewForm plain(picture);
    WindowFrame::forceForTesting(true);
    TPreviewForm framed(picture);
    WindowFrame::forceForTesting(false);
    const WindowFrame* frame = WindowFrame::of(framed);
    ASSERT_NE(frame, nullptr);

    EXPECT_TRUE(framed.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(WindowFrame::clientArea(framed).size(), plain.size());
    EXPECT_NE(frame->titleBar()->closeButton(), nullptr);
    EXPECT_NE(framed.findChild<QSizeGrip*>(), nullptr);
    framed.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&framed));
    EXPECT_EQ(framed.Image->size(), QSize(100, 50));
}

TEST_F(PanelTest, PreviewWindowOfALargePictureFitsOnTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize large(screen.width() * 2, screen.height() * 3 / 2); // 4:3 on an 800 x 600 screen
    writeBitmap(folder.file("large.bmp"), large.width(), large.height(), Qt::red);
    panel.SelectionChanged(folder.file("large.bmp"));
    QRect frame;
    QSize imageSize;
    whenModal([](QWidget* w) { return qobject_cast<TPreviewForm*>(w) != nullptr; },
        [&](QWidget* w) {
            auto* form = static_cast<TPreviewForm*>(w);
            frame = form->frameGeometry();
            imageSize = form->Image->size();
            QTest::keyClick(form, Qt::Key_Escape);
        });

    QTest::mouseClick(panel.PreviewButton, Qt::LeftButton);

    EXPECT_TRUE(screen.contains(frame))
        << "window " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    ASSERT_GT(imageSize.height(), 0);
    EXPECT_LT(imageSize.width(), large.width());
    // Shrunk in proportion, within a pixel of rounding.
    EXPECT_NEAR(double(imageSize.width()) / imageSize.height(), double(large.width()) / large.height(),
        1.0 / imageSize.height() + 0.01);
}

TEST_F(PanelTest, DoubleClickOpensThePreviewEvenWhenEmpty)
{
    bool opened = false;
    QSize size;
    whenModal([](QWidget* w) { return qobject_cast<TPreviewForm*>(w) != nullptr; },
        [&](QWidget* w) {
            opened = true;
            size = w->size();
            QTest::keyClick(w, Qt::Key_Escape);
        });

    QTest::mouseDClick(panel.PaintBox, Qt::LeftButton);

    EXPECT_TRUE(opened);
    EXPECT_EQ(size, QSize(320, 240));
}

} // namespace
