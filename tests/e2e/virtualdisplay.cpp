#include "virtualdisplay.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

QString socketOf(int number)
{
    return QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
}

QString lockOf(int number)
{
    return QStringLiteral("/tmp/.X%1-lock").arg(number);
}

// xdotool matches names with extended regular expressions.
QString exactName(const QString& title)
{
    static const QRegularExpression special(QStringLiteral(R"(([.^$*+?()\[\]{}|\\]))"));
    QString escaped = title;
    escaped.replace(special, QStringLiteral(R"(\\\1)"));
    return QLatin1Char('^') + escaped + QLatin1Char('$');
}

QStringList lines(const QString& text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void waitALittle()
{
    QThread::msleep(100);
}

QString describe(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

void dieWithParent(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

VirtualDisplay::VirtualDisplay(QSize size)
    : m_size(size)
{
    // Tests run side by side and other people use displays too: start the
    // search at a number of our own.
    const int first = 200 + int(::getpid() % 500);
    for (int attempt = 0; attempt < 100; ++attempt) {
        try {
            if (tryStart(first + attempt))
                return;
        } catch (...) {
            stop(); // no destructor runs for a constructor that throws
            throw;
        }
    }
    throw E2eFailure("no free X display could be started with Xvfb");
}

bool VirtualDisplay::tryStart(int number)
{
    if (QFileInfo::exists(socketOf(number)) || QFileInfo::exists(lockOf(number)))
        return false;

    m_number = number;
    dieWithParent(m_server);
    m_server.setStandardOutputFile(QProcess::nullDevice());
    m_server.setStandardErrorFile(QProcess::nullDevice());
    m_server.start(QStringLiteral("Xvfb"),
        { QStringLiteral(":%1").arg(number), QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("%1x%2x24").arg(m_size.width()).arg(m_size.height()), QStringLiteral("-dpi"),
            QStringLiteral("96"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
            QStringLiteral("-noreset") });
    if (!m_server.waitForStarted(5000))
        throw E2eFailure("Xvfb does not start: is it installed (scripts/install-deps.sh)?");

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000) {
        if (m_server.waitForFinished(0) || m_server.state() == QProcess::NotRunning)
            return false; // lost the number to another server
        if (QFileInfo::exists(socketOf(number))) {
            QProcess probe;
            probe.setProcessEnvironment(environment());
            probe.start(QStringLiteral("xdotool"), { QStringLiteral("getdisplaygeometry") });
            if (probe.waitForFinished(5000) && probe.exitCode() == 0) {
                addAccentedKeys();
                return true;
            }
        }
        waitALittle();
    }
    stop();
    return false;
}

void VirtualDisplay::addAccentedKeys()
{
    // Each pair lands on one of the unused keys F13 to F24, lower case
    // plain, capital with Shift.
    static const char* const letters[][2] = {
        { "eacute", "Eacute" },
        { "egrave", "Egrave" },
        { "ecircumflex", "Ecircumflex" },
        { "ediaeresis", "Ediaeresis" },
        { "agrave", "Agrave" },
        { "acircumflex", "Acircumflex" },
        { "ccedilla", "Ccedilla" },
        { "ocircumflex", "Ocircumflex" },
        { "ugrave", "Ugrave" },
        { "ucircumflex", "Ucircumflex" },
        { "icircumflex", "Icircumflex" },
        { "idiaeresis", "Idiaeresis" },
    };
    QTemporaryDir folder;
    const QString keymap = folder.filePath(QStringLiteral("keymap.xkb"));
    run(QStringLiteral("xkbcomp"), { QStringLiteral("-xkb"), name(), keymap });
    QFile file(keymap);
    if (!file.open(QIODevice::ReadOnly))
        throw E2eFailure("cannot read the display's keymap");
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    QString added;
    int key = 13;
    for (const auto& [lower, upper] : letters) {
        text.remove(QRegularExpression(QStringLiteral(R"(key <FK%1> \{[^}]*\};)").arg(key)));
        added += QStringLiteral("    key <FK%1> { [ %2, %3 ] };\n")
                     .arg(key)
                     .arg(QLatin1String(lower), QLatin1String(upper));
        ++key;
    }
    const qsizetype symbols = text.indexOf(QLatin1String("xkb_symbols"));
    const qsizetype end = symbols < 0 ? -1 : text.indexOf(QLatin1String("\n};"), symbols);
    if (end < 0)
        throw E2eFailure("the display's keymap has no symbols section");
    text.insert(end + 1, added);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw E2eFailure("cannot write the keymap");
    file.write(text.toUtf8());
    file.close();
    run(QStringLiteral("xkbcomp"), { keymap, name() });
}

VirtualDisplay::~VirtualDisplay()
{
    stop();
}

void VirtualDisplay::stop()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate(); // lets Xvfb remove its socket and lock file
    if (!m_server.waitForFinished(3000)) {
        m_server.kill();
        m_server.waitForFinished(3000);
        QFile::remove(socketOf(m_number));
        QFile::remove(lockOf(m_number));
    }
}

QProcessEnvironment VirtualDisplay::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), name());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // xdotool reads the text to type, and names to match, in the locale's
    // encoding.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

QString VirtualDisplay::run(
    const QString& program, const QStringList& arguments, std::chrono::milliseconds timeout) const
{
    QProcess process;
    dieWithParent(process);
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    const QString command = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
    if (!process.waitForStarted(5000))
        throw E2eFailure("cannot start " + command.toStdString());
    if (!process.waitForFinished(int(timeout.count()))) {
        process.kill();
        process.waitForFinished(3000);
        throw E2eFailure("timed out: " + command.toStdString());
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        throw E2eFailure("failed: " + command.toStdString() + ": "
            + QString::fromUtf8(process.readAllStandardError()).trimmed().toStdString());
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList VirtualDisplay::windowsNamed(const QString& title) const
{
    QProcess process;
    dieWithParent(process);
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
            exactName(title) });
    process.waitForFinished(10000);
    // xdotool matches without regard to case; the caption must be exact.
    QStringList exact;
    for (const QString& id : lines(QString::fromUtf8(process.readAllStandardOutput()))) {
        try {
            if (run(QStringLiteral("xdotool"), { QStringLiteral("getwindowname"), id }).chopped(1) == title)
                exact.append(id);
        } catch (const E2eFailure&) {
            // gone meanwhile
        }
    }
    return exact;
}

QString VirtualDisplay::waitForWindow(const QString& title, std::chrono::milliseconds timeout) const
{
    QElapsedTimer clock;
    clock.start();
    do {
        const QStringList found = windowsNamed(title);
        if (!found.isEmpty())
            return found.constFirst();
        waitALittle();
    } while (clock.elapsed() < timeout.count());
    throw E2eFailure("no window \"" + title.toStdString() + "\" appeared within "
        + std::to_string(timeout.count()) + " ms");
}

void VirtualDisplay::waitUntilGone(const QString& window, std::chrono::milliseconds timeout) const
{
    QElapsedTimer clock;
    clock.start();
    do {
        QProcess process;
        dieWithParent(process);
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral("xwininfo"), { QStringLiteral("-id"), window });
        process.waitForFinished(10000);
        const QString info = QString::fromUtf8(process.readAllStandardOutput());
        if (process.exitCode() != 0 || !info.contains(QLatin1String("IsViewable")))
            return;
        waitALittle();
    } while (clock.elapsed() < timeout.count());
    throw E2eFailure(
        "window " + window.toStdString() + " still shown after " + std::to_string(timeout.count()) + " ms");
}

QStringList VirtualDisplay::windowsOf(qint64 pid) const
{
    QProcess process;
    dieWithParent(process);
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
            QString::number(pid) });
    process.waitForFinished(10000);
    return lines(QString::fromUtf8(process.readAllStandardOutput()));
}

QString VirtualDisplay::waitForWindowAt(
    qint64 pid, const QRect& bounds, std::chrono::milliseconds timeout) const
{
    QElapsedTimer clock;
    clock.start();
    do {
        for (const QString& id : windowsOf(pid)) {
            try {
                if (geometry(id) == bounds)
                    return id;
            } catch (const E2eFailure&) {
                // gone meanwhile
            }
        }
        waitALittle();
    } while (clock.elapsed() < timeout.count());
    throw E2eFailure("no window of the program at " + describe(bounds).toStdString() + " appeared within "
        + std::to_string(timeout.count()) + " ms");
}

QRect VirtualDisplay::geometry(const QString& window) const
{
    // Without a window manager a top-level window has no frame: its
    // position is its client area's.
    const QString info = run(QStringLiteral("xwininfo"), { QStringLiteral("-id"), window });
    auto field = [&info](const char* label) {
        const QRegularExpression pattern(QString::fromLatin1(label) + QStringLiteral(R"(:\s*(-?\d+))"));
        const QRegularExpressionMatch match = pattern.match(info);
        if (!match.hasMatch())
            throw E2eFailure(std::string("xwininfo gave no ") + label);
        return match.captured(1).toInt();
    };
    return QRect(
        field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
}

void VirtualDisplay::focus(const QString& window) const
{
    run(QStringLiteral("xdotool"), { QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
}

void VirtualDisplay::click(QPoint onScreen, int button) const
{
    run(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(onScreen.x()),
            QString::number(onScreen.y()), QStringLiteral("click"), QString::number(button) });
}

void VirtualDisplay::clickIn(const QString& window, const QRect& control) const
{
    click(geometry(window).topLeft() + control.center());
}

void VirtualDisplay::key(const QString& keys) const
{
    run(QStringLiteral("xdotool"), { QStringLiteral("key"), keys });
}

void VirtualDisplay::type(const QString& text) const
{
    run(QStringLiteral("xdotool"),
        { QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text });
}

void VirtualDisplay::screenshot(const QString& path) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    run(QStringLiteral("import"), { QStringLiteral("-window"), QStringLiteral("root"), path });
}
