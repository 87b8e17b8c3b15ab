#include "previewform.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kMargin = 5;
constexpr QSize kEmptyClientSize(320, 240);
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
    // shows the picture at its natural size inside the margin.
    const int border = 2 * Panel->frameWidth();
    const QSize natural = m_picture ? m_picture->naturalSize() : QSize();
    if (natural.width() > 0)
        resize(natural.width() + 2 * kMargin + border, natural.height() + 2 * kMargin + border);
    else
        resize(kEmptyClientSize);
}

void TPreviewForm::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
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
