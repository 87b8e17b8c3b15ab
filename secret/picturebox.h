#pragma once

#include <QWidget>

#include "picture.h"

// A picture control: draws its picture stretched into its whole rectangle
// and reports every mouse press on it, the second press of a double click
// included, in its own pixels. A picture that fails to draw is dropped, its
// error shown once the paint is over, and drawFailed() is emitted.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setPicture(PicturePtr picture);
    const PicturePtr& picture() const { return m_picture; }

signals:
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    void drawFailed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    PicturePtr m_picture;
};
