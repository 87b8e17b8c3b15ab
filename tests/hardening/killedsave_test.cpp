// A program killed at random moments while the window saves, many times
// over: the vault file always parses and holds a whole table, the one
// before the save or the one after.
#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "generations.h"
#include "hardeningutil.h"
#include "kaldrinoerror.h"
#include "tempdir.h"

namespace {

struct Saver {
    pid_t pid = -1;
    int output = -1;
};

// Starts the helper that saves through a real TMainForm in a loop.
Saver startSaver(const QString& appDir)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const QByteArray folder = QFile::encodeName(appDir);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execl(KALDRINO_SAVER, KALDRINO_SAVER, folder.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ::close(fds[1]);
    return { pid, fds[0] };
}

TEST(KilledSave, TheVaultHoldsTheOldOrTheNewTableWhole)
{
    TestFolder folder;
    const QString iniPath = folder.file(QStringLiteral("kaldrino.ini"));
    {
        MemoryTable first;
        fillGeneration(first, 0);
        SaveTable(iniPath, first);
    }

    const unsigned seed = std::random_device {}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, 15000);

    int last = 0;
    for (int kill = 0; kill < 25; ++kill) {
        const Saver saver = startSaver(folder.path());
        ASSERT_GT(saver.pid, 0);
        // Once one save has landed, kill at a random moment of the next ones.
        char saved = 0;
        const bool landed = ::read(saver.output, &saved, 1) == 1;
        ::usleep(useconds_t(delayUs(random)));
        ::kill(saver.pid, SIGKILL);
        int status = 0;
        ::waitpid(saver.pid, &status, 0);
        ::close(saver.output);
        ASSERT_TRUE(landed) << "the saver ended with status " << status << " before its first save";

        MemoryTable loaded;
        ASSERT_NO_THROW(LoadTable(iniPath, loaded)) << "kill " << kill;
        const int generation = generationIn(loaded);
        ASSERT_GT(generation, last) << "kill " << kill << ": a torn or lost save";
        last = generation;
    }
}

} // namespace
