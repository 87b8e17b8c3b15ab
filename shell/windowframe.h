#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

class QWidget;
class TitleBar;

enum class TitleBarButtons { None, Close };
enum class FrameSizing { Fixed, Sizeable };

// Our own frame for a top-level window, on the platforms where Qt's
// decorations would offer buttons the window must not have (Wayland): the
// window is made frameless and gets a thin border, a TitleBar and, when it
// is sizeable, a size grip. Elsewhere the window keeps the platform's frame
// and nothing changes.
//
// The window's content keeps its place in the client area: a window laid
// out by hand has its children moved below the bar and its fixed size
// grown; a window with a layout has the frame added to the layout's margins;
// a size already set stays the client area's size.
class WindowFrame : public QObject {
    Q_OBJECT
public:
    // Call once where the window is built, after its content and size are
    // set and before it is first shown.
    static void install(QWidget& window, TitleBarButtons buttons, FrameSizing sizing);

    // The frame installed on window, or null.
    static WindowFrame* of(const QWidget& window);
    // The window's client area in its own coordinates: its whole rectangle
    // when it has no frame of ours.
    static QRect clientArea(const QWidget& window);

    TitleBar* titleBar() const { return m_bar; }

    // Process-wide: while forced, install() frames every window on any
    // platform. Tests set it before building the windows they check and
    // clear it afterwards; the program never sets it.
    static void forceForTesting(bool forced);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowFrame(QWidget& window, TitleBarButtons buttons, FrameSizing sizing);
    void keepContentInClientArea();
    void placeParts();

    QWidget& m_window;
    TitleBar* m_bar;
    QWidget* m_grip = nullptr;
    QMargins m_margins;
};
