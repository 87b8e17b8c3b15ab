#include "previewform.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "previewrect.h"
#include "windowframe.h"

namespace {
constexpr int kMargin = 5;
constexpr QSize kEmptyClientSize(320, 240);
// The window manager's frame is not known before the window is shown: keep
// room for a title bar and borders, so that the whole window stays on screen.
constexpr QSize kFrameAllowance(16, 48);

QRect availableArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
} // namespace

TPreviewForm::TPreviewForm(PicturePtr picture, QWidget* parent)
    : QDialog(parent, Qt::Tool)
    , Panel(new QFrame(this))
    , Image(new QWidget(Panel))
    , m_picture(std::move(picture))
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Prévisualiser"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    Panel->setObjectName(QStringLiteral("Panel"));
    Panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel->setLineWidth(1);
    Image->setObjectName(QStringLiteral("Image"));
    Image->installEventFilter(this);

    auto* panelLayout = new QVBoxLayout(Panel);
    panelLayout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    panelLayout->addWidget(Image);
    auto* windowLayout = new QVBoxLayout(this);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    windowLayout->addWidget(Panel);

    // The client area is the panel's client area plus its border, so this
    // shows the picture at its natural size inside the margin, or smaller,
    // in proportion, when that would not fit on the screen.
    const int chrome = 2 * kMargin + 2 * Panel->frameWidth();
    const QSize natural = m_picture ? m_picture->naturalSize() : QSize();
    const QRect available = availableArea();
    if (natural.width() <= 0)
        resize(kEmptyClientSize);
    else if (available.isEmpty())
        resize(natural + QSize(chrome, chrome));
    else
        resize(PreviewWindowSize(natural, QSize(chrome, chrome), available.size() - kFrameAllowance));
    WindowFrame::install(*this, TitleBarButtons::Close, FrameSizing::Sizeable);
}

void TPreviewForm::showEvent(QShowEvent* event)
{
    // Centred in the screen's free area, never above or left of it, so the
    // title bar stays within reach.
    const QRect area = availableArea();
    if (!area.isEmpty()) {
        const QSize outer = size() + kFrameAllowance;
        move(area.x() + qMax((area.width() - outer.width()) / 2, 0),
            area.y() + qMax((area.height() - outer.height()) / 2, 0));
    }
    QDialog::showEvent(event);
}

bool TPreviewForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image && event->type() == QEvent::Paint && m_picture
        && m_picture->naturalSize().width() > 0) {
        QPainter painter(Image);
        m_picture->draw(painter, Image->rect());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
