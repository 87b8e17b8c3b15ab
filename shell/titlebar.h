#pragma once

#include <QWidget>

class QToolButton;

// The title bar our own window frame draws at the top of a frameless
// window: the window's caption, in the window's font, elided only when it
// does not fit; a darker look while the window is inactive; a close button
// only when the window has one. Dragging the bar moves the window through
// the window system.
class TitleBar : public QWidget {
    Q_OBJECT
public:
    TitleBar(QWidget& window, bool closeButton);

    // The caption as drawn, elided when it must be.
    QString shownCaption() const;
    // Null when the window has no close button.
    QToolButton* closeButton() const { return m_close; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect captionRect() const;

    QWidget& m_window;
    QToolButton* m_close = nullptr;
};
