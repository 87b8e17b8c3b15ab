#pragma once

#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

// A private X server (Xvfb) on a free display number, and what a person does
// with it: look at windows, move the mouse, click, type. Every action is a
// real X event sent with xdotool. Every wait is bounded and throws
// E2eFailure with what it was waiting for.
class VirtualDisplay {
public:
    // Starts Xvfb at the given size, depth 24; throws when no display starts.
    explicit VirtualDisplay(QSize size);
    ~VirtualDisplay(); // kills the server
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    QSize size() const { return m_size; }
    QString name() const { return QStringLiteral(":%1").arg(m_number); }

    // Environment for a program shown on this display.
    QProcessEnvironment environment() const;

    // Visible windows whose name is exactly `title`.
    QStringList windowsNamed(const QString& title) const;
    // Waits for a visible window named `title`.
    QString waitForWindow(
        const QString& title, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // Waits until the window is no longer visible.
    void waitUntilGone(
        const QString& window, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // Visible windows of a program.
    QStringList windowsOf(qint64 pid) const;
    // Waits for a visible window of the program with exactly these bounds.
    QString waitForWindowAt(
        qint64 pid, const QRect& bounds, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

    // Position and size of a window's client area on the screen.
    QRect geometry(const QString& window) const;

    void focus(const QString& window) const;
    void click(QPoint onScreen, int button = 1) const;
    // Clicks the middle of a rectangle given in the window's client area.
    void clickIn(const QString& window, const QRect& control) const;
    void key(const QString& keys) const; // e.g. "Return", "Escape", "Tab"
    void type(const QString& text) const; // UTF-8 text, typed key by key

    // Saves the whole screen as a PNG.
    void screenshot(const QString& path) const;

    // Runs an X client on this display; returns its standard output.
    QString run(const QString& program, const QStringList& arguments,
        std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

private:
    bool tryStart(int number);
    void stop();
    // xdotool types a character that no key gives by binding it to a spare
    // key for that keystroke alone; a program slower than the rebinding
    // then reads another character. The display's keymap gets the French
    // accented letters from the start instead.
    void addAccentedKeys();

    QSize m_size;
    int m_number = -1;
    QProcess m_server;
};

// A step of a whole-program run did not happen as it should.
class E2eFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Makes a child process die with the test process, whatever ends it.
void dieWithParent(QProcess& process);
