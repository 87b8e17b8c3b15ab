// One program per vault: the first run holds a lock beside the vault for
// as long as it runs; a second run is refused with a warning and touches
// nothing; the lock of a run that crashed, or any file left at the lock's
// name, never keeps the user out; something else there gets an answer at
// once.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSysInfo>
#include <functional>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

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

    // Another run of the program on the same folder; returns its first line,
    // or nothing when none came within the wait.
    QProcess* startRun(QString& firstLine, int waitMs = 20000)
    {
        auto* run = new QProcess;
        runs.push_back(run);
        run->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run->start(QStringLiteral(KALDRINO_LOCKHOLDER), { folder.path() });
        firstLine.clear();
        while (!run->canReadLine() && run->waitForReadyRead(waitMs)) { }
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
    EXPECT_EQ(messages[0].text, AlreadyOpenMessage(lockPath()));
    // The known first sentence, then the lock file and when it may go, each
    // on its own line (carriage returns only).
    const QStringList lines = AlreadyOpenMessage(lockPath()).split(QLatin1Char('\r'));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0],
        QStringLiteral("Kaldrino est déjà ouvert. Fermez l'autre fenêtre de Kaldrino avant d'en ouvrir une "
                       "nouvelle."));
    EXPECT_TRUE(lines[1].contains(lockPath())) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral("aucun Kaldrino"))) << lines[2].toStdString();
    EXPECT_FALSE(AlreadyOpenMessage(lockPath()).contains(QLatin1Char('\n')));

    QProcess* second = startRun(line);
    EXPECT_EQ(line, QStringLiteral("box %1: ").arg(int(MsgKind::Warning)) + AlreadyOpenMessage(lockPath()));
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

TEST_F(SingleInstanceTest, NoFileLeftAtTheLocksNameKeepsTheUserOut)
{
    // What a crash, another machine or an older version may leave there.
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const struct {
        const char* what;
        QByteArray content;
    } cases[] = {
        { "empty", "" },
        { "of a run that died on this machine", "999999\nkaldrino\n" + host + "\n" },
        { "of a run on another machine", "4242\nkaldrino\nune-autre-machine\n" },
        { "naming this very process", QByteArray::number(qint64(::getpid())) + "\nkaldrino\n" + host + "\n" },
        { "of an older format", QByteArray::number(qint64(::getppid())) + "\n" },
        { "garbage", QByteArray(5000, '\x01') },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeBytes(lockPath(), c.content.toStdString()));
        ASSERT_TRUE(
            QFile::setPermissions(lockPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        {
            SingleInstance instance(folder.path());
            EXPECT_EQ(instance.claim(), SingleInstance::Claim::Held);
            // Held for real, and saying by whom, for its owner alone.
            EXPECT_EQ(SingleInstance(folder.path()).claim(), SingleInstance::Claim::HeldElsewhere);
            EXPECT_NE(
                readBytes(lockPath()).find("pid " + std::to_string(::getpid()) + "\n"), std::string::npos);
            EXPECT_EQ(fileMode(lockPath()), 0600u);
        }
        EXPECT_EQ(folderEntries(folder.path()), QStringList { "kaldrino.ini" });
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SingleInstanceTest, SomethingElseAtTheLocksNameIsAnsweredAtOnce)
{
    const QByteArray lock = QFile::encodeName(lockPath());
    const struct {
        const char* what;
        std::function<bool()> make;
    } cases[] = {
        { "a pipe", [&] { return ::mkfifo(lock.constData(), 0600) == 0; } },
        { "a link to an endless device", [&] { return ::symlink("/dev/zero", lock.constData()) == 0; } },
        { "a folder", [&] { return QDir().mkdir(lockPath()); } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.make());
        QString line;
        QProcess* run = startRun(line, 10000);
        EXPECT_EQ(
            line, QStringLiteral("box %1: ").arg(int(MsgKind::Warning)) + LockBlockedMessage(lockPath()));
        EXPECT_TRUE(run->waitForFinished(10000)) << "the start hangs";
        EXPECT_EQ(run->exitCode(), 1);
        EXPECT_TRUE(LockBlockedMessage(lockPath()).contains(lockPath()));
        // Nothing of it was touched, and the vault neither.
        struct stat st { };
        ASSERT_EQ(::lstat(lock.constData(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode));
        EXPECT_EQ(readBytes(iniPath()), vault);
        if (S_ISDIR(st.st_mode))
            QDir().rmdir(lockPath());
        else
            ::unlink(lock.constData());
    }
}

} // namespace
