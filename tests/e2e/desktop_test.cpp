// The real program on real desktops: under an X11 window manager, which
// frames, places and decorates its windows, and on a Wayland compositor,
// where the program draws its own title bars.

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QThread>
#include <functional>
#include <optional>

#include "filetestutil.h"
#include "printers.h"
#include "testpicture.h"
#include "westonsession.h"
#include "wholeprogram.h"
#include "windowmanager.h"

namespace {

using namespace captions;

const QString kPictureName = QStringLiteral("Plage d'été.jpg");
const Entry kHeader { QStringLiteral("Description"), QStringLiteral("Mot de passe") };
const Entry kSample { QStringLiteral("Messagerie"), QStringLiteral("plivor") };
const Entry kTyped { QStringLiteral("Impôts en ligne"), QStringLiteral("déjà-vu 42") };

const QString kFullScreen = QStringLiteral("_NET_WM_STATE_FULLSCREEN");
const QString kCloseAction = QStringLiteral("_NET_WM_ACTION_CLOSE");
const QStringList kSizeActions { QStringLiteral("_NET_WM_ACTION_MAXIMIZE_HORZ"),
    QStringLiteral("_NET_WM_ACTION_MAXIMIZE_VERT"), QStringLiteral("_NET_WM_ACTION_RESIZE") };

QString artifactsOfThisTest()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return QStringLiteral(KALDRINO_E2E_ARTIFACTS "/") + QString::fromUtf8(test->test_suite_name())
        + QLatin1Char('.') + QString::fromUtf8(test->name());
}

// What a window asks of the manager's frame, from its _MOTIF_WM_HINTS:
// flags, functions, decorations. A function or decoration not asked for is
// one the window does not have.
struct FrameRequest {
    bool close = true;
    bool minimise = true;
    bool maximise = true;
    bool menu = true;
};

FrameRequest frameRequest(const WindowManager& manager, const QString& window)
{
    const QStringList words = manager.atoms(window, QStringLiteral("_MOTIF_WM_HINTS"));
    FrameRequest request;
    if (words.size() < 3)
        return request;
    const uint flags = words[0].toUInt(nullptr, 0);
    const uint functions = words[1].toUInt(nullptr, 0);
    const uint decorations = words[2].toUInt(nullptr, 0);
    // Bit 0 of either field means "all but those listed".
    if ((flags & 0x1) && !(functions & 0x1)) {
        request.close = functions & 0x20;
        request.minimise = functions & 0x8;
        request.maximise = functions & 0x10;
    }
    if ((flags & 0x2) && !(decorations & 0x1)) {
        request.menu = decorations & 0x10;
        request.minimise = request.minimise && (decorations & 0x20);
        request.maximise = request.maximise && (decorations & 0x40);
    } else if (flags & 0x1) {
        // Functions alone: a title bar without any button or menu.
        request.menu = false;
    }
    return request;
}

QStringList offered(const QStringList& allowed, const QStringList& actions)
{
    QStringList found;
    for (const QString& action : actions) {
        if (allowed.contains(action))
            found.append(action);
    }
    return found;
}

// Our own title bar as a screenshot shows it: a band of one colour at least
// 14 pixels high and 100 wide, whose bottom row lies on the top row of the
// window's client area, of another single colour. ink bounds what is drawn
// on the band (caption, buttons).
struct ShownTitleBar {
    QRect band;
    QRect ink;
    std::vector<bool> inkColumns; // one per column of the band
};

bool isInk(QRgb pixel, QRgb band)
{
    return std::abs(qRed(pixel) - qRed(band)) > 48 || std::abs(qGreen(pixel) - qGreen(band)) > 48
        || std::abs(qBlue(pixel) - qBlue(band)) > 48;
}

std::optional<ShownTitleBar> findOwnTitleBar(const QImage& shot)
{
    const QImage screen = shot.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y + 1 < screen.height(); ++y) {
        for (int x = 0; x < screen.width();) {
            const QRgb colour = screen.pixel(x, y);
            int end = x;
            while (end + 1 < screen.width() && screen.pixel(end + 1, y) == colour)
                ++end;
            const int start = x;
            x = end + 1;
            if (end - start + 1 < 100)
                continue;
            const QRgb below = screen.pixel(start, y + 1);
            bool onClientArea = below != colour;
            for (int i = start; i <= end && onClientArea; ++i)
                onClientArea = screen.pixel(i, y + 1) == below;
            int top = y;
            while (top > 0 && screen.pixel(start, top - 1) == colour)
                --top;
            if (!onClientArea || y - top + 1 < 14)
                continue;
            ShownTitleBar bar;
            bar.band = QRect(QPoint(start, top), QPoint(end, y));
            bar.inkColumns.assign(bar.band.width(), false);
            for (int row = top; row <= y; ++row) {
                for (int column = start; column <= end; ++column) {
                    if (isInk(screen.pixel(column, row), colour)) {
                        bar.ink |= QRect(column, row, 1, 1);
                        bar.inkColumns[column - start] = true;
                    }
                }
            }
            return bar;
        }
    }
    return std::nullopt;
}

// Columns of the band, counted from its right end, that hold ink.
std::vector<int> inkFromTheRight(const ShownTitleBar& bar, int span)
{
    std::vector<int> found;
    for (int fromRight = 0; fromRight < span && fromRight < bar.band.width(); ++fromRight) {
        if (bar.inkColumns[bar.band.width() - 1 - fromRight])
            found.push_back(fromRight);
    }
    return found;
}

} // namespace

class UnderOpenbox : public WholeProgram {
protected:
    // The manager goes before the display it runs on.
    void TearDown() override
    {
        m_manager.reset();
        WholeProgram::TearDown();
    }

    void startWindowManager() { m_manager = std::make_unique<WindowManager>(display()); }
    const WindowManager& manager() const { return *m_manager; }

    // The manager's own close of the focused window, Alt+F4.
    void closeByTheManager(const QString& window) const
    {
        display().run(QStringLiteral("xdotool"),
            { QStringLiteral("windowactivate"), QStringLiteral("--sync"), window });
        display().key(QStringLiteral("alt+F4"));
    }

private:
    std::unique_ptr<WindowManager> m_manager;
};

// The first and second run under openbox at 1024 x 768: the clicks still
// land through the manager's frames, the click-secret screen holds the
// full-screen state, the manager offers no resizing of the fixed windows,
// and its own close is the setup dialog's "Quitter" and the table window's
// close.
TEST_F(UnderOpenbox, SetUpTheSecretThenOpenTheTableAgain)
{
    startDisplay(QSize(1024, 768));
    startWindowManager();
    const QString picture = picturesDir() + kPictureName;
    makeTestPicture(picture);

    startProgram();
    const QString dialog = display().waitForWindow(kSetup, std::chrono::seconds(30));
    EXPECT_EQ(offered(manager().atoms(dialog, QStringLiteral("_NET_WM_ALLOWED_ACTIONS")), kSizeActions),
        QStringList())
        << "the manager may resize the setup dialog";

    // The dialog asks for a title bar without any button; openbox keeps a
    // close for every window, and that close asks "Quitter"'s question.
    const FrameRequest asked = frameRequest(manager(), dialog);
    EXPECT_FALSE(asked.close || asked.minimise || asked.maximise || asked.menu)
        << "the setup dialog asks for a close " << asked.close << ", minimise " << asked.minimise
        << ", maximise " << asked.maximise << ", menu " << asked.menu;
    closeByTheManager(dialog);
    const QString question = display().waitForWindow(kConfirmation);
    shot(QStringLiteral("closed-by-the-manager"));
    display().focus(question);
    display().key(QStringLiteral("Escape")); // "&Non"
    display().waitUntilGone(question);
    EXPECT_EQ(display().windowsNamed(kSetup), QStringList { dialog }) << "answered No, the dialog went";

    const QString table = setUpSecret(picture);
    const QStringList tableActions = manager().atoms(table, QStringLiteral("_NET_WM_ALLOWED_ACTIONS"));
    EXPECT_TRUE(tableActions.contains(kCloseAction)) << tableActions.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(offered(tableActions, kSizeActions), QStringList())
        << "the manager may resize the table window";
    addEntries(table, 1, { kTyped });
    display().clickIn(table, tablewindow::kClose);
    expectProgramEnds();
    const std::vector<Entry> rows { kHeader, kSample, kTyped };
    EXPECT_EQ(readVault(vaultFile()).table, rows);
    EXPECT_EQ(readVault(vaultFile()).clicks, detailsInShownPicture());

    startProgram();
    answerMessage(kInformation, QStringLiteral("second-run-message"));
    const QString screen = display().waitForWindowAt(pid(), QRect(QPoint(0, 0), display().size()));
    const QStringList state = manager().atoms(screen, QStringLiteral("_NET_WM_STATE"));
    EXPECT_TRUE(state.contains(kFullScreen))
        << "_NET_WM_STATE = " << state.join(QStringLiteral(", ")).toStdString();
    clickSecret(detailsOnScreen(), QStringLiteral("second-run"));
    const QString reopened = display().waitForWindow(kTable);
    shot(QStringLiteral("second-run-table"));

    // The manager's close is the window's close: it saves and ends.
    const std::string before = readBytes(vaultFile());
    closeByTheManager(reopened);
    expectProgramEnds();
    QFile after(vaultFile());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_NE(after.readAll().toStdString(), before) << "closing by the manager saved nothing";
    EXPECT_EQ(readVault(vaultFile()).table, rows);
}

// Kaldrino on Weston's headless desktop: started in the test's folder with
// the compositor's environment, its output in program.log.
class OnWeston : public WholeProgram {
protected:
    void startOnWeston()
    {
        m_artifacts = artifactsOfThisTest();
        m_weston
            = std::make_unique<WestonSession>(QSize(1024, 768), m_artifacts + QStringLiteral("/weston.log"));
        dieWithParent(m_program);
        QProcessEnvironment env = m_weston->environment();
        const QString home = appDir() + QStringLiteral("../home");
        env.insert(QStringLiteral("HOME"), home);
        m_program.setProcessEnvironment(env);
        m_program.setWorkingDirectory(home);
        m_program.setProcessChannelMode(QProcess::MergedChannels);
        m_program.setStandardOutputFile(m_artifacts + QStringLiteral("/program.log"));
        m_program.start(appDir() + QStringLiteral("kaldrino"), {});
        ASSERT_TRUE(m_program.waitForStarted(10000));
    }

    // Screenshots until one shows what `shows` looks for; the last is kept
    // as artifacts/<test>/<name>.png.
    QImage waitForScreen(const QString& name, const std::function<bool(const QImage&)>& shows)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            const QImage screen
                = m_weston->screenshot(m_artifacts + QLatin1Char('/') + name + QStringLiteral(".png"));
            if (!screen.isNull() && shows(screen))
                return screen;
            if (clock.elapsed() > 30000 || m_program.state() != QProcess::Running) {
                ADD_FAILURE() << "no " << name.toStdString() << " on Weston; see "
                              << m_artifacts.toStdString();
                return {};
            }
            QThread::msleep(300);
        }
    }

    // Keeps the title bar's band, enlarged, beside the screenshot.
    void keepTitleBar(const QImage& screen, const ShownTitleBar& bar, const QString& name) const
    {
        screen.copy(bar.band.adjusted(-2, -2, 2, 2))
            .scaled(2 * (bar.band.width() + 4), 2 * (bar.band.height() + 4))
            .save(m_artifacts + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

    // A session's SIGTERM ends the program through its normal path.
    void expectEndsOnSigterm()
    {
        m_program.terminate();
        ASSERT_TRUE(m_program.waitForFinished(5000)) << "the program did not end on SIGTERM";
        EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_program.exitCode(), 0);
        EXPECT_FALSE(QFileInfo::exists(appDir() + QStringLiteral("kaldrino.ini.lock")))
            << "the lock was left";
    }

    void TearDown() override
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished(5000);
        }
        m_weston.reset();
        WholeProgram::TearDown();
    }

private:
    QString m_artifacts;
    std::unique_ptr<WestonSession> m_weston;
    QProcess m_program;
};

// The setup dialog shows on Weston with our own title bar: no minimise,
// maximise or close button, the whole caption; SIGTERM ends the program
// with nothing written.
TEST_F(OnWeston, TheSetupDialogHasOurTitleBarAndEndsOnSigterm)
{
    startOnWeston();
    // The dialog's heading is the only red on Weston's desktop.
    auto redPixels = [](const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        }
        return count;
    };
    const QImage screen = waitForScreen(
        QStringLiteral("setup-dialog"), [&](const QImage& shot) { return redPixels(shot) >= 500; });
    ASSERT_FALSE(screen.isNull());
    EXPECT_EQ(screen.size(), QSize(1024, 768));

    const std::optional<ShownTitleBar> bar = findOwnTitleBar(screen);
    ASSERT_TRUE(bar) << "no title bar of ours above the setup dialog";
    keepTitleBar(screen, *bar, QStringLiteral("setup-dialog-title-bar"));
    EXPECT_EQ(bar->band.width(), 632) << "the bar spans the dialog's client width";
    ASSERT_FALSE(bar->ink.isEmpty()) << "no caption";
    EXPECT_LT(bar->ink.left() - bar->band.left(), 20) << "the caption starts at the left";
    EXPECT_GT(bar->ink.width(), 300) << "too short for the whole caption";
    // An elided caption runs to the bar's end; buttons sit there.
    EXPECT_EQ(inkFromTheRight(*bar, 60), std::vector<int>()) << "something is drawn at the bar's right end";

    expectEndsOnSigterm();
    EXPECT_FALSE(QFileInfo::exists(vaultFile()));
}

// A message box on Weston, the question asked at start when the secret's
// picture is gone: our title bar with the close box alone at its right end.
TEST_F(OnWeston, AMessageBoxHasOurTitleBarWithTheCloseBoxAlone)
{
    seedVault(vaultFile(), kPictureName, picturesDir(), { QPoint(10, 10) }, { kSample });
    const std::string before = readBytes(vaultFile());
    startOnWeston();

    const QImage screen = waitForScreen(QStringLiteral("missing-picture-question"),
        [](const QImage& shot) { return findOwnTitleBar(shot).has_value(); });
    ASSERT_FALSE(screen.isNull());
    const ShownTitleBar bar = *findOwnTitleBar(screen);
    keepTitleBar(screen, bar, QStringLiteral("message-box-title-bar"));

    ASSERT_FALSE(bar.ink.isEmpty()) << "no caption";
    EXPECT_LT(bar.ink.left() - bar.band.left(), 20) << "the caption starts at the left";
    // The close box fills the last bar height of the band; nothing else is
    // drawn within three bar heights of the end.
    const int buttonSpan = bar.band.height();
    const std::vector<int> right = inkFromTheRight(bar, 3 * buttonSpan);
    ASSERT_FALSE(right.empty()) << "no close box";
    EXPECT_LT(right.back(), buttonSpan) << "more than one button at the bar's end";

    expectEndsOnSigterm();
    EXPECT_EQ(readBytes(vaultFile()), before);
}
