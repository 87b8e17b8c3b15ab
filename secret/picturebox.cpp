#include "picturebox.h"

#include <QMouseEvent>
#include <QPainter>

#include "errordisplay.h"

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent)
{
}

void PictureBox::setPicture(PicturePtr picture)
{
    m_picture = std::move(picture);
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (!m_picture)
        return;
    QPainter painter(this);
    try {
        m_picture->draw(painter, rect());
    } catch (const std::exception&) {
        // A picture that fails to decode would fail again at every repaint,
        // and the error box itself causes repaints: drop it after the first
        // failure, and show the error once the paint is over.
        m_picture.reset();
        ShowExceptionLater(std::current_exception());
        emit drawFailed();
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    emit pressed(event->button(), event->modifiers(), event->position().toPoint());
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt delivers a double click's second press as this event alone.
    emit pressed(event->button(), event->modifiers(), event->position().toPoint());
}
