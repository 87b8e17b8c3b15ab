// The real program on real desktops: under an X11 window manager, which
// frames, places and decorates its windows, and on a Wayland compositor,
// where Qt draws the decorations itself.

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QThread>

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

// On Weston the program shows its setup dialog, and a session's SIGTERM
// ends it through its normal path: exit code 0, no lock left, nothing
// written.
TEST_F(WholeProgram, OnWestonShowsTheSetupDialogAndEndsOnSigterm)
{
    const QString artifacts = artifactsOfThisTest();
    WestonSession weston(QSize(1024, 768), artifacts + QStringLiteral("/weston.log"));

    QProcess program;
    dieWithParent(program);
    QProcessEnvironment env = weston.environment();
    const QString home = appDir() + QStringLiteral("../home");
    env.insert(QStringLiteral("HOME"), home);
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(home);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.setStandardOutputFile(artifacts + QStringLiteral("/program.log"));
    program.start(appDir() + QStringLiteral("kaldrino"), {});
    ASSERT_TRUE(program.waitForStarted(10000));

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
    QElapsedTimer clock;
    clock.start();
    QImage screen;
    while ((screen = weston.screenshot(artifacts + QStringLiteral("/setup-dialog.png"))).isNull()
        || redPixels(screen) < 500) {
        ASSERT_LT(clock.elapsed(), 30000) << "no setup dialog on Weston; see " << artifacts.toStdString();
        ASSERT_EQ(program.state(), QProcess::Running) << "the program ended on Weston";
        QThread::msleep(300);
    }
    EXPECT_EQ(screen.size(), QSize(1024, 768));

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(5000)) << "the program did not end on SIGTERM";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(appDir() + QStringLiteral("kaldrino.ini.lock"))) << "the lock was left";
    EXPECT_FALSE(QFileInfo::exists(vaultFile()));
}
