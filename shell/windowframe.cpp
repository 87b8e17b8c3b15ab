#include "windowframe.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPainter>
#include <QSizeGrip>
#include <QWidget>

#include "titlebar.h"
#include "titlebardecision.h"

namespace {

constexpr int kBorder = 1;
bool s_forcedForTesting = false;

} // namespace

void WindowFrame::forceForTesting(bool forced)
{
    s_forcedForTesting = forced;
}

void WindowFrame::install(QWidget& window, TitleBarButtons buttons, FrameSizing sizing)
{
    if (!s_forcedForTesting && !NeedsOwnTitleBar(QGuiApplication::platformName()))
        return;
    if (!window.isWindow() || of(window))
        return;
    new WindowFrame(window, buttons, sizing);
}

WindowFrame* WindowFrame::of(const QWidget& window)
{
    return window.findChild<WindowFrame*>(QString(), Qt::FindDirectChildrenOnly);
}

QRect WindowFrame::clientArea(const QWidget& window)
{
    const WindowFrame* frame = of(window);
    return frame ? window.rect().marginsRemoved(frame->m_margins) : window.rect();
}

WindowFrame::WindowFrame(QWidget& window, TitleBarButtons buttons, FrameSizing sizing)
    : QObject(&window)
    , m_window(window)
{
    setObjectName(QStringLiteral("WindowFrame"));
    // Qt's Wayland plugin chooses its decorations when the native window is
    // made, so the flag must be there before. The hints for the platform's
    // title bar go: with a customised frame that names a button, Qt would
    // drop the frameless hint again.
    const Qt::WindowFlags platformFrame = Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint
        | Qt::WindowContextHelpButtonHint;
    m_window.setWindowFlags((m_window.windowFlags() & ~platformFrame) | Qt::FramelessWindowHint);
    m_bar = new TitleBar(m_window, buttons == TitleBarButtons::Close);
    m_margins = QMargins(kBorder, kBorder + m_bar->height(), kBorder, kBorder);
    keepContentInClientArea();

    if (sizing == FrameSizing::Sizeable) {
        // Qt's size grip asks the window system to resize.
        if (auto* dialog = qobject_cast<QDialog*>(&m_window))
            dialog->setSizeGripEnabled(true);
        else
            m_grip = new QSizeGrip(&m_window);
    }
    m_window.installEventFilter(this);
    placeParts();
}

void WindowFrame::keepContentInClientArea()
{
    if (QLayout* layout = m_window.layout()) {
        layout->setContentsMargins(layout->contentsMargins() + m_margins);
    } else {
        const QPoint offset(m_margins.left(), m_margins.top());
        for (QWidget* child : m_window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child != m_bar && !child->isWindow())
                child->move(child->pos() + offset);
        }
    }
    const QSize grown(m_margins.left() + m_margins.right(), m_margins.top() + m_margins.bottom());
    if (m_window.minimumSize() == m_window.maximumSize())
        m_window.setFixedSize(m_window.minimumSize() + grown);
    else if (m_window.testAttribute(Qt::WA_Resized))
        m_window.resize(m_window.size() + grown);
}

void WindowFrame::placeParts()
{
    m_bar->setGeometry(kBorder, kBorder, m_window.width() - 2 * kBorder, m_bar->height());
    m_bar->raise();
    if (m_grip) {
        m_grip->resize(m_grip->sizeHint());
        m_grip->move(
            m_window.width() - kBorder - m_grip->width(), m_window.height() - kBorder - m_grip->height());
        m_grip->raise();
    }
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
        placeParts();
        break;
    case QEvent::ActivationChange:
        m_window.update();
        break;
    case QEvent::Paint: {
        // The border, before the window paints itself: nothing of the
        // window's content lies over it. Darker than the bar, so that the
        // bar reads as a band inside the frame.
        const QPalette& colours = m_window.palette();
        QPainter painter(&m_window);
        painter.setPen(m_window.isActiveWindow()
                ? colours.color(QPalette::Active, QPalette::Highlight).darker(150)
                : colours.color(QPalette::Inactive, QPalette::Dark));
        painter.drawRect(m_window.rect().adjusted(0, 0, -1, -1));
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
