#include "titlebar.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

namespace {

constexpr int kPadding = 4;

} // namespace

TitleBar::TitleBar(QWidget& window, bool closeButton)
    : QWidget(&window)
    , m_window(window)
{
    setObjectName(QStringLiteral("TitleBar"));
    QFont caption = font();
    caption.setBold(true);
    setFont(caption);
    const int height = fontMetrics().height() + 2 * kPadding;
    setFixedHeight(height);

    if (closeButton) {
        m_close = new QToolButton(this);
        m_close->setObjectName(QStringLiteral("CloseButton"));
        m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton, nullptr, this));
        m_close->setToolTip(QStringLiteral("Fermer"));
        m_close->setAccessibleName(QStringLiteral("Fermer"));
        // The window's tab order stays its own.
        m_close->setFocusPolicy(Qt::NoFocus);
        m_close->setFixedSize(height - kPadding, height - kPadding);
        // Through close(), so that the window's own close handling applies.
        connect(m_close, &QToolButton::clicked, &m_window, &QWidget::close);
    }
    m_window.installEventFilter(this);
}

QRect TitleBar::captionRect() const
{
    const int right = m_close ? m_close->width() + 2 * kPadding : 2 * kPadding;
    return rect().adjusted(2 * kPadding, 0, -right, 0);
}

QString TitleBar::shownCaption() const
{
    return fontMetrics().elidedText(m_window.windowTitle(), Qt::ElideRight, captionRect().width());
}

bool TitleBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window
        && (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::ActivationChange))
        update();
    return QWidget::eventFilter(watched, event);
}

void TitleBar::paintEvent(QPaintEvent* /*event*/)
{
    const bool active = m_window.isActiveWindow();
    QPainter painter(this);
    painter.fillRect(rect(),
        active ? palette().color(QPalette::Active, QPalette::Highlight)
               : palette().color(QPalette::Inactive, QPalette::Mid));
    painter.setPen(active ? palette().color(QPalette::Active, QPalette::HighlightedText)
                          : palette().color(QPalette::Inactive, QPalette::WindowText));
    painter.drawText(captionRect(), Qt::AlignLeft | Qt::AlignVCenter, shownCaption());
}

void TitleBar::mousePressEvent(QMouseEvent* event)
{
    // Only the compositor may move a window on Wayland.
    if (event->button() == Qt::LeftButton) {
        if (QWindow* handle = m_window.windowHandle())
            handle->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TitleBar::resizeEvent(QResizeEvent* /*event*/)
{
    if (m_close)
        m_close->move(width() - kPadding / 2 - m_close->width(), (height() - m_close->height()) / 2);
}
