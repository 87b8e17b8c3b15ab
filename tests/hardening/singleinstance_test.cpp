// One program per vault: the first run holds a lock beside the vault for
// as long as it runs; a second run is refused with a warning and touches
// nothing; the lock of a run that crashed is taken over.
#include <gtest/gtest.h>

#include <QProcess>
#include <sys/time.h>

#include "hardeningutil.h"
#include "messagebox.h"
#include "singleinstance.h"
#include "tempdir.h"

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMessageSeamForTesting([this](const MessageRecord& message) {
            messages.push_back(message);
            return MsgResult::Ok;
        });
        ASSERT_TRUE(writeBytes(iniPath(), vault));
    }

    void TearDown() override
    {
        for (QProcess* run : runs) {
            run->kill();
            run->waitForFinished();
            delete run;
        }
        setMessageSeamForTesting({});
    }

    QString iniPath() const { return folder.file(QStringLiteral("kaldrino.ini")); }
    QString lockPath() const { return folder.file(QStringLiteral("kaldrino.ini.lock")); }

    // Another run of the program on the same folder; returns its first line.
    QProcess* startRun(QString& firstLine)
    {
        auto* run = new QProcess;
        runs.push_back(run);
        run->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run->start(QStringLiteral(KALDRINO_LOCKHOLDER), { folder.path() });
        firstLine.clear();
        while (!run->canReadLine() && run->waitForReadyRead(20000)) { }
        firstLine = QString::fromUtf8(run->readLine()).trimmed();
        return run;
    }

    void expectVaultUntouched()
    {
        EXPECT_EQ(readBytes(iniPath()), vault);
        const QStringList expected { "kaldrino.ini", "kaldrino.ini.lock" };
        EXPECT_EQ(folderEntries(folder.path()), expected);
    }

    TestFolder folder;
    const std::string vault = "[config]\r\nimage=code.bmp\r\n";
    std::vector<MessageRecord> messages;
    std::vector<QProcess*> runs;
};

TEST_F(SingleInstanceTest, TheLockLiesBesideTheVaultForAsLongAsItIsHeld)
{
    EXPECT_EQ(SingleInstance::lockPath(folder.path()), lockPath());
    {
        SingleInstance first(folder.path());
        ASSERT_EQ(first.claim(), SingleInstance::Claim::Held);
        EXPECT_TRUE(QFile::exists(lockPath()));
        SingleInstance second(folder.path());
        EXPECT_EQ(second.claim(), SingleInstance::Claim::HeldElsewhere);
    }
    EXPECT_FALSE(QFile::exists(lockPath()));
    SingleInstance again(folder.path());
    EXPECT_EQ(again.claim(), SingleInstance::Claim::Held);
}

TEST_F(SingleInstanceTest, ASecondRunIsWarnedAndTouchesNothing)
{
    QString line;
    QProcess* first = startRun(line);
    ASSERT_EQ(line, QStringLiteral("held"));

    // A run in this process, and a whole second process.
    SingleInstance here(folder.path());
    EXPECT_FALSE(ClaimVault(here));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(messages[0].text, AlreadyOpenMessage());
    EXPECT_TRUE(AlreadyOpenMessage().startsWith(QStringLiteral("Kaldrino est déjà ouvert.")));

    QProcess* second = startRun(line);
    EXPECT_EQ(line, QStringLiteral("box %1: ").arg(int(MsgKind::Warning)) + AlreadyOpenMessage());
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(second->readAll()).trimmed(), QStringLiteral("refused"));
    expectVaultUntouched();

    // The first run still holds the vault, however long it has run.
    EXPECT_EQ(first->state(), QProcess::Running);
    const timeval hourAgo[2] { { ::time(nullptr) - 3600, 0 }, { ::time(nullptr) - 3600, 0 } };
    ASSERT_EQ(::utimes(QFile::encodeName(lockPath()).constData(), hourAgo), 0);
    EXPECT_EQ(SingleInstance(folder.path()).claim(), SingleInstance::Claim::HeldElsewhere);
}

TEST_F(SingleInstanceTest, TheLockGoesWhenTheRunEnds)
{
    QString line;
    QProcess* first = startRun(line);
    ASSERT_EQ(line, QStringLiteral("held"));
    first->closeWriteChannel();
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_FALSE(QFile::exists(lockPath()));
    startRun(line);
    EXPECT_EQ(line, QStringLiteral("held"));
}

TEST_F(SingleInstanceTest, TheLockOfACrashedRunIsTakenOver)
{
    QString line;
    QProcess* crashed = startRun(line);
    ASSERT_EQ(line, QStringLiteral("held"));
    crashed->kill(); // SIGKILL: nothing is cleaned up
    ASSERT_TRUE(crashed->waitForFinished(20000));
    ASSERT_TRUE(QFile::exists(lockPath()));

    startRun(line);
    EXPECT_EQ(line, QStringLiteral("held"));
    EXPECT_TRUE(messages.empty());
    expectVaultUntouched();
}

TEST_F(SingleInstanceTest, AFolderWhereNoLockCanBeMadeRunsUnprotected)
{
    // A run that cannot make its lock cannot save either; it is let in.
    ASSERT_TRUE(writeBytes(folder.file(QStringLiteral("plain")), "x"));
    SingleInstance instance(folder.file(QStringLiteral("plain/")));
    EXPECT_EQ(instance.claim(), SingleInstance::Claim::Unavailable);
    SingleInstance again(folder.file(QStringLiteral("plain/")));
    EXPECT_TRUE(ClaimVault(again));
    EXPECT_TRUE(messages.empty());
}

} // namespace
