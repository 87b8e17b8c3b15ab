#include "sshowgraph.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>

#include "clicksecret.h"
#include "decoys.h"
#include "desktop.h"
#include "encryptdecrypt.h"
#include "errordisplay.h"
#include "filesystem.h"
#include "fitpicture.h"
#include "fonts.h"
#include "inifile.h"
#include "mainformfields.h"
#include "picturebox.h"
#include "textconv.h"
#include "vaultlayout.h"

namespace {

const QRect kImage1DesignedBounds(96, 48, 105, 105);

std::string scrambled(std::string_view text)
{
    return EncryptText(text);
}

std::string rankedKey(char axis, std::int32_t rank)
{
    return std::string(1, axis) + IntToText(rank);
}

// The wait cursor for as long as a picture loads, however the load ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

TShowGraph::TShowGraph(const MainFormFields& mainForm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , Image1(new PictureBox(this))
    , Label1(new QLabel(this))
    , m_mainForm(mainForm)
{
    Image1->setGeometry(kImage1DesignedBounds);
    Image1->setCursor(Qt::PointingHandCursor);
    connect(Image1, &PictureBox::pressed, this,
        [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at) {
            try {
                Image1MouseDown(button, shift, at.x(), at.y());
            } catch (const std::exception& error) {
                ShowException(error);
            }
        });
    // A JPEG is decoded when first drawn. One that fails there is dropped
    // by the control, which leaves the showing without its picture, as a
    // failed load does. Queued: the control is not hidden from inside its
    // own paint.
    connect(
        Image1, &PictureBox::drawFailed, this,
        [this] {
            if (!pictureShown())
                Image1->hide();
        },
        Qt::QueuedConnection);

    // Drawn on the window's black, above the picture: where the two overlap
    // the label takes the presses.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setText(QStringLiteral(
        "Kaldrino - Appuyez sur la touche \"ECHAP\" de votre clavier quand vous avez fini vos clics"));
    Label1->setFont(dialogFont(true));
    QPalette labelPalette = Label1->palette();
    labelPalette.setColor(QPalette::Window, Qt::black);
    labelPalette.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(labelPalette);
    Label1->setAutoFillBackground(true);
    Label1->move(8, 8);
    Label1->adjustSize();
    Label1->raise();

    FormCreate();
}

void TShowGraph::FormCreate()
{
    setGeometry(QRect(QPoint(0, 0), PrimaryDisplaySize()));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    Mode.clear();
}

void TShowGraph::FormShow()
{
    // Nothing of the previous showing may stand when the load fails.
    ClickCount = 0;
    Recognized = false;
    LoadPicture(ImagePath);
    if (Mode == QLatin1String("verif")) {
        const TIniFile ini(vaultFile());
        ExpectedClicks = StoredNumber(ini.ReadEntry(vault::SecretSection(), scrambled("nb")), 0);
    }
    Recognized = true;
}

void TShowGraph::LoadPicture(const QString& path)
{
    // The previous picture goes first: after a failed load the screen shows
    // none, and no press can count as a click.
    dropPicture();
    if (!FileExists(path))
        return;
    const WaitCursor wait;
    PicturePtr picture = LoadPictureFile(path);
    const QSize natural = picture->naturalSize();
    const QSize fitted = FitPicture(natural.width(), natural.height(), width(), height());
    Image1->setGeometry(QRect(CentredPosition(fitted, width(), height()), fitted));
    Image1->setPicture(std::move(picture));
    Image1->show();
}

bool TShowGraph::pictureShown() const
{
    return Image1->picture() != nullptr;
}

void TShowGraph::dropPicture()
{
    Image1->hide();
    Image1->setPicture(nullptr);
}

void TShowGraph::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y)
{
    // Only a press on a picture is a click: not one on the black screen
    // left by a picture that failed to load or to draw.
    if (!pictureShown())
        return;
    ++ClickCount;
    const std::int32_t n = ClickCount;

    if (Mode == QLatin1String("creer")) {
        // Decoys, the click's three keys and the size the picture is shown
        // at land in one write of the file: positions are in the fitted
        // picture's pixels, and the fitted size follows the display.
        const QString path = vaultFile();
        TIniFile ini(path);
        WriteDecoys(path);
        const std::string& section = vault::SecretSection();
        ini.WriteEntry(section, scrambled("nb"), scrambled(IntToText(n)));
        ini.WriteEntry(section, scrambled(rankedKey('x', n)), scrambled(IntToText(X)));
        ini.WriteEntry(section, scrambled(rankedKey('y', n)), scrambled(IntToText(Y)));
        ini.WriteEntry(section, scrambled(kShownWidthKey), scrambled(IntToText(Image1->width())));
        ini.WriteEntry(section, scrambled(kShownHeightKey), scrambled(IntToText(Image1->height())));
        ini.UpdateFile();
    } else if (Mode == QLatin1String("verif")) {
        if (ClickCount > ExpectedClicks) {
            Recognized = false;
            return;
        }
        const TIniFile ini(vaultFile());
        const std::string& section = vault::SecretSection();
        const std::int32_t rx = StoredNumber(ini.ReadEntry(section, scrambled(rankedKey('x', n))), -1);
        const std::int32_t ry = StoredNumber(ini.ReadEntry(section, scrambled(rankedKey('y', n))), -1);
        const std::optional<QSize> recorded
            = StoredPictureSize(ini.ReadEntry(section, scrambled(kShownWidthKey)),
                ini.ReadEntry(section, scrambled(kShownHeightKey)));
        const QPoint click = ClickInRecordedPicture(QPoint(X, Y), Image1->size(), recorded);
        if (!ClickMatches(rx, ry, click.x(), click.y()))
            Recognized = false;
    }
}

void TShowGraph::FormKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Escape)
        close();
}

void TShowGraph::FormClose()
{
    // Clicks on a picture that was not there recognise nothing.
    if (!pictureShown())
        Recognized = false;
    if (ClickCount == 0)
        Recognized = false;
    if (ClickCount != ExpectedClicks)
        Recognized = false;
}

void TShowGraph::done(int result)
{
    // Every way of closing passes here: Escape, the window manager's close,
    // and termination's reject().
    FormClose();
    QDialog::done(result);
}

void TShowGraph::setVisible(bool visible)
{
    // Placed at 0, 0 at the display's size, the window would still be free
    // to be moved, shrunk or covered by a panel: a window manager or a
    // compositor honours only the full-screen state, asked for at each
    // showing, on the primary display.
    if (visible && !isVisible()) {
        if (QScreen* primary = QGuiApplication::primaryScreen())
            setScreen(primary);
        setWindowState(windowState() | Qt::WindowFullScreen);
    }
    QDialog::setVisible(visible);
}

void TShowGraph::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // A failed load ends the show step; the screen is shown all the same.
    try {
        FormShow();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

void TShowGraph::keyPressEvent(QKeyEvent* event)
{
    // The window sees every key; QDialog's own Enter and Escape handling
    // does not apply.
    FormKeyDown(event->key(), event->modifiers());
    event->accept();
}

QString TShowGraph::vaultFile() const
{
    return vault::vaultPath(m_mainForm.AppDir);
}
