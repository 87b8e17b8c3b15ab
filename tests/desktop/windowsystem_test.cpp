#include <QGuiApplication>
#include <QScreen>

#include "desktop.h"
#include "fitpicture.h"
#include "screenfixture.h"
#include "sgraphpass.h"

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

using ClickSecretScreen = ScreenFixture;

// A window manager or a compositor honours the full-screen state, not a
// frameless window's place: the screen asks for it at every showing, on
// the primary display, and the picture keeps its place.
TEST_F(ClickSecretScreen, AsksForTheFullScreenStateOnThePrimaryDisplayAtEveryShowing)
{
    TShowGraph screen(fields);
    const QSize display = PrimaryDisplaySize();
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    const QSize fitted = FitPicture(640, 480, display.width(), display.height());

    for (int showing = 1; showing <= 2; ++showing) {
        SCOPED_TRACE("showing " + std::to_string(showing));
        showModally(screen, "verif", picture, [&] {
            EXPECT_TRUE(screen.windowState().testFlag(Qt::WindowFullScreen));
            ASSERT_NE(screen.windowHandle(), nullptr);
            EXPECT_TRUE(screen.windowHandle()->windowStates().testFlag(Qt::WindowFullScreen));
            EXPECT_EQ(screen.screen(), QGuiApplication::primaryScreen());
            EXPECT_EQ(screen.geometry(), QRect(QPoint(0, 0), display));
            EXPECT_EQ(screen.Image1->geometry(),
                QRect(CentredPosition(fitted, display.width(), display.height()), fitted));
            escape(screen);
        });
    }
}

// The window system's own close (Alt+F4, a compositor's close) ends the
// screen the way Escape does, verdict included.
TEST_F(ClickSecretScreen, AWindowSystemCloseEndsItLikeEscape)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    const std::vector<QPoint> secret { { 100, 100 }, { 300, 200 } };
    {
        TShowGraph recorder(fields);
        clickThenEnd(recorder, "creer", picture, secret, [](TShowGraph& s) { s.windowHandle()->close(); });
    }
    EXPECT_EQ(stored("nb"), "2");

    struct Case {
        const char* name;
        std::vector<QPoint> presses;
        bool recognized;
    };
    const Case cases[] = {
        { "the recorded clicks", secret, true },
        { "no click", {}, false },
        { "one click short", { secret[0] }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TShowGraph screen(fields);
        clickThenEnd(screen, "verif", picture, c.presses, [](TShowGraph& s) { s.windowHandle()->close(); });
        EXPECT_EQ(screen.Recognized, c.recognized);
    }
}

class SetupDialogClosedByTheWindowSystem : public ScreenFixture { };

// The setup dialog has no close box; a window system that closes it anyway
// gets "Quitter": the question, then the end of the program or nothing.
TEST_F(SetupDialogClosedByTheWindowSystem, AsksTheQuitQuestion)
{
    struct Case {
        MsgResult answer;
        bool stillOpen;
        bool terminating;
    };
    const Case cases[] = {
        { MsgResult::No, true, false },
        { MsgResult::Cancel, true, false },
        { MsgResult::Yes, false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("answer " + std::to_string(int(c.answer)));
        messages.clear();
        answer = c.answer;
        TShowGraph screen(fields);
        TGraphPass dialog(fields, screen);
        bool stillOpen = false;
        QTimer::singleShot(0, &dialog, [&] {
            if (!QTest::qWaitFor([&] { return QApplication::activeModalWidget() == &dialog; }, 5000))
                return;
            dialog.windowHandle()->close();
            QTest::qWait(20);
            stillOpen = dialog.isVisible();
            if (stillOpen)
                dialog.done(QDialog::Rejected);
        });

        EXPECT_EQ(ExecModal(dialog), QDialog::Rejected);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text,
            QStringLiteral("Voulez-vous vraiment abandonner la configuration et quitter le programme ?"));
        EXPECT_EQ(messages[0].kind, MsgKind::Confirmation);
        EXPECT_EQ(messages[0].buttons, MsgButtons::YesNo);
        EXPECT_EQ(stillOpen, c.stillOpen);
        EXPECT_EQ(TerminationRequested(), c.terminating);
        EXPECT_FALSE(fields.AccessGranted);
        resetTerminationForTesting();
    }
}

} // namespace
