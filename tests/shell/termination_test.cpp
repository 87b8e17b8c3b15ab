#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include "messagebox.h"
#include "modalwatch.h"
#include "termination.h"

namespace {

class Termination : public ::testing::Test {
protected:
    void TearDown() override { resetTerminationForTesting(); }

    // Fails the test instead of hanging it when the windows do not close.
    static void armWatchdog(QEventLoop& loop)
    {
        QTimer::singleShot(5000, &loop, [&loop] {
            ADD_FAILURE() << "termination did not close the windows";
            while (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            loop.exit(99);
        });
    }
};

TEST_F(Termination, ClosesTheOpenDialogAndBoxAndEndsTheMainLoop)
{
    QEventLoop mainLoop;
    int dialogResult = -1;
    MsgResult boxResult = MsgResult::Ok;
    bool boxWasUp = false;
    bool dialogStillUpAfterBox = true;

    QTimer::singleShot(0, [&] {
        QDialog dialog;
        // Inside the dialog's modal loop, a confirmation box; inside the
        // box's loop, the request to terminate.
        whenModal([&](QWidget* w) { return w == &dialog; },
            [&](QWidget*) {
                whenModal<QMessageBox>([&](QMessageBox*) {
                    boxWasUp = true;
                    RequestTermination();
                });
                boxResult = MessageDlg(QStringLiteral("Quitter ?"), MsgKind::Confirmation, MsgButtons::YesNo);
                dialogStillUpAfterBox = dialog.isVisible();
            });
        dialogResult = ExecModal(dialog);
    });
    armWatchdog(mainLoop);
    const int mainResult = mainLoop.exec();

    EXPECT_TRUE(boxWasUp);
    EXPECT_EQ(boxResult, MsgResult::Cancel);
    EXPECT_FALSE(dialogStillUpAfterBox); // closed together, the box first
    EXPECT_EQ(dialogResult, QDialog::Rejected);
    EXPECT_EQ(mainResult, 0);
    EXPECT_TRUE(TerminationRequested());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Termination, WindowsOpenedAfterTheRequestCloseAtOnce)
{
    RequestTermination();

    QDialog dialog;
    bool accepted = false;
    QTimer::singleShot(2000, &dialog, [&] {
        accepted = true;
        dialog.accept();
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ExecModal(dialog), QDialog::Rejected);
    EXPECT_EQ(
        MessageDlg(QStringLiteral("Accès refusé."), MsgKind::Warning, MsgButtons::Ok), MsgResult::Cancel);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(accepted);
}

TEST_F(Termination, EndsTheApplicationLoopWhenAskedBeforeItRuns)
{
    // The gate runs while the main window is first shown, possibly before the
    // application's loop has started.
    RequestTermination();
    QTimer::singleShot(5000, qApp, [] {
        if (QThread::currentThread()->loopLevel() > 0) {
            ADD_FAILURE() << "the application loop kept running";
            QCoreApplication::exit(99);
        }
    });
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(Termination, ExecModalIsTheRealModalLoopOtherwise)
{
    QDialog dialog;
    bool wasModal = false;
    whenModal([&](QWidget* w) { return w == &dialog; },
        [&](QWidget*) {
            wasModal = dialog.isModal();
            dialog.accept();
        });
    EXPECT_EQ(ExecModal(dialog), QDialog::Accepted);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(TerminationRequested());
}

} // namespace
