#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSizeGrip>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "titlebar.h"
#include "windowframe.h"

namespace {

// Builds its windows with our frame forced on, whatever the platform.
class WindowFrameTest : public ::testing::Test {
protected:
    void SetUp() override { WindowFrame::forceForTesting(true); }
    void TearDown() override { WindowFrame::forceForTesting(false); }
};

TEST(WindowFrameOnThisPlatform, NothingChangesWhereThePlatformFramesTheWindow)
{
    QDialog window(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* button = new QPushButton(QStringLiteral("OK"), &window);
    button->setGeometry(40, 138, 75, 25);
    window.setFixedSize(632, 453);
    const Qt::WindowFlags flags = window.windowFlags();

    WindowFrame::install(window, TitleBarButtons::None, FrameSizing::Fixed);

    EXPECT_EQ(WindowFrame::of(window), nullptr);
    EXPECT_EQ(window.findChild<TitleBar*>(), nullptr);
    EXPECT_EQ(window.windowFlags(), flags);
    EXPECT_EQ(window.size(), QSize(632, 453));
    EXPECT_EQ(button->geometry(), QRect(40, 138, 75, 25));
}

TEST_F(WindowFrameTest, AWindowWithALayoutKeepsItsClientSize)
{
    QDialog window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(5, 5, 5, 5);
    auto* content = new QLabel(QStringLiteral("contenu"));
    layout->addWidget(content);
    window.resize(320, 240);

    WindowFrame::install(window, TitleBarButtons::Close, FrameSizing::Sizeable);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    const QRect client = WindowFrame::clientArea(window);
    EXPECT_EQ(client.size(), QSize(320, 240));
    EXPECT_EQ(content->geometry(), client.adjusted(5, 5, -5, -5));
    EXPECT_GE(client.top(), WindowFrame::of(window)->titleBar()->geometry().bottom() + 1);
    // A sizeable window can be resized from its corner.
    EXPECT_NE(window.findChild<QSizeGrip*>(), nullptr);
}

TEST_F(WindowFrameTest, TheCaptionFollowsTheTitleAndIsElidedOnlyWhenItMust)
{
    QDialog window;
    window.setWindowTitle(QStringLiteral("Choix d'une image"));
    window.setFixedSize(200, 100);
    WindowFrame::install(window, TitleBarButtons::Close, FrameSizing::Fixed);
    const TitleBar& bar = *WindowFrame::of(window)->titleBar();
    EXPECT_EQ(bar.shownCaption(), QStringLiteral("Choix d'une image"));

    window.setWindowTitle(
        QStringLiteral("Un titre bien trop long pour tenir dans une fenêtre aussi étroite"));
    EXPECT_TRUE(bar.shownCaption().startsWith(QStringLiteral("Un titre")));
    EXPECT_TRUE(bar.shownCaption().endsWith(QChar(0x2026))) << bar.shownCaption().toStdString();
}

TEST_F(WindowFrameTest, TheCloseButtonClosesThroughTheWindowsOwnHandling)
{
    // A window that refuses to close, as a window that asks first does.
    class Refusing : public QWidget {
    public:
        int asked = 0;

    protected:
        void closeEvent(QCloseEvent* event) override
        {
            ++asked;
            event->ignore();
        }
    } window;
    // Flags as the table window has them: Qt would take the frameless hint
    // away again from a customised frame with a close button.
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window.setFixedSize(300, 200);
    WindowFrame::install(window, TitleBarButtons::Close, FrameSizing::Fixed);
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QToolButton* close = WindowFrame::of(window)->titleBar()->closeButton();
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(window.asked, 1);
    EXPECT_TRUE(window.isVisible());
}

} // namespace
