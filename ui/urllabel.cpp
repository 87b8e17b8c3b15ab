#include "urllabel.h"

#include <QAction>
#include <QMouseEvent>
#include <algorithm>

#include "desktop.h"

namespace {

bool holdsVisibleText(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > u' '; });
}

} // namespace

QString UrlLabelTarget(const QString& url, const QString& caption)
{
    if (holdsVisibleText(url))
        return url;
    if (holdsVisibleText(caption))
        return caption;
    return QString();
}

TUrlLabel::TUrlLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setTextColor(QColor(0, 0, 255));

    auto* copy = new QAction(QStringLiteral("Copy"), this);
    connect(copy, &QAction::triggered, this, [this] { CopyToClipboard(text()); });
    addAction(copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TUrlLabel::Click()
{
    const QString target = UrlLabelTarget(URL, text());
    if (!target.isEmpty())
        ShellOpen(target);
}

QColor TUrlLabel::textColor() const
{
    return palette().color(QPalette::WindowText);
}

void TUrlLabel::setTextColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void TUrlLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !m_pressed) {
        m_pressed = true;
        m_restoreColor = textColor();
        setTextColor(ActiveColor);
    }
    QLabel::mousePressEvent(event);
}

void TUrlLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    setTextColor(m_restoreColor);
    // A press dragged off the label before release is not a click.
    if (rect().contains(event->position().toPoint()))
        Click();
}
