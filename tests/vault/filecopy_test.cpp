#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "filecopy.h"
#include "fileio.h"
#include "filetestutil.h"
#include "tempdir.h"

namespace {

// What copyFileOver threw, or "" when it did not.
std::string copyError(const QString& source, const QString& target)
{
    try {
        vault::copyFileOver(source, target);
    } catch (const vault::FileCopyError& error) {
        return error.message();
    }
    return {};
}

class FileCopy : public ::testing::Test {
protected:
    TestFolder from;
    TestFolder to;
    const QString target = to.file("photo.bmp");
};

TEST_F(FileCopy, LandsWholeForItsOwnerOnly)
{
    // Several pieces long, so that the copy's reading loop turns.
    const std::string picture = std::string(300000, 'p') + "end";
    const struct {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        { "a new file", [] {} },
        { "over an older copy", [this] { writeBytes(target, "old"); } },
        { "over a copy others could read",
            [this] {
                writeBytes(target, "old");
                ::chmod(QFile::encodeName(target).constData(), 0644);
            } },
        { "over a copy marked read-only",
            [this] {
                writeBytes(target, "old");
                ::chmod(QFile::encodeName(target).constData(), 0400);
            } },
    };
    const QString source = from.file("photo.bmp");
    ASSERT_TRUE(writeBytes(source, picture));
    for (const auto& c : cases) {
        QFile::remove(target);
        c.arrange();

        EXPECT_EQ(copyError(source, target), "") << c.what;

        EXPECT_TRUE(readBytes(target) == picture) << c.what;
        EXPECT_EQ(fileMode(target), 0600u) << c.what;
        EXPECT_EQ(folderEntries(to.path()), QStringList { "photo.bmp" }) << c.what;
    }
    EXPECT_TRUE(readBytes(source) == picture);
}

// Nothing but a regular file of a sensible size is read; each refusal comes
// at once, names its reason, and leaves the older copy and the folder as
// they were.
TEST_F(FileCopy, RefusesWhatIsNotAPictureFileAndLeavesTheOlderCopy)
{
    const struct {
        const char* what;
        std::function<QString()> source;
        std::string reason;
    } cases[] = {
        { "a missing file", [this] { return from.file("absent.bmp"); }, "Le fichier est introuvable." },
        { "a folder named like a picture",
            [this] {
                QDir().mkdir(from.file("folder.bmp"));
                return from.file("folder.bmp");
            },
            "C'est un dossier, pas un fichier." },
        { "a pipe nobody writes to",
            [this] {
                ::mkfifo(QFile::encodeName(from.file("pipe.bmp")).constData(), 0600);
                return from.file("pipe.bmp");
            },
            "Ce n'est pas un fichier ordinaire." },
        { "a link to an endless device",
            [this] {
                QFile::link("/dev/zero", from.file("zero.bmp"));
                return from.file("zero.bmp");
            },
            "Ce n'est pas un fichier ordinaire." },
        { "a file of 3 GiB",
            [this] {
                const QString huge = from.file("huge.bmp");
                writeBytes(huge, "");
                ::truncate(QFile::encodeName(huge).constData(), off_t(3) << 30); // sparse: no disk used
                return huge;
            },
            "Le fichier dépasse 256 Mo." },
        { "a file one byte over the limit",
            [this] {
                const QString big = from.file("big.bmp");
                writeBytes(big, "");
                ::truncate(QFile::encodeName(big).constData(), vault::kMaxCopySize + 1);
                return big;
            },
            "Le fichier dépasse 256 Mo." },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeBytes(target, "old picture"));
        const QString source = c.source();

        // A copy that waited on the pipe would hang: a writer comes to
        // release it after a generous delay, and the test then fails.
        std::atomic<bool> done { false };
        std::atomic<bool> released { false };
        std::thread guard([&] {
            for (int i = 0; i < 500 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (done)
                return;
            released = true;
            const int fd = ::open(QFile::encodeName(source).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
        const std::string reason = copyError(source, target);
        done = true;
        guard.join();

        EXPECT_FALSE(released) << c.what << ": the copy waited on its source";
        EXPECT_EQ(reason, c.reason) << c.what;
        EXPECT_EQ(readBytes(target), "old picture") << c.what;
        EXPECT_EQ(folderEntries(to.path()), QStringList { "photo.bmp" }) << c.what;
    }
}

TEST_F(FileCopy, AFailureWhileCopyingLeavesTheOlderCopyAsItWas)
{
    ASSERT_TRUE(writeBytes(target, "old picture"));
    ::chmod(QFile::encodeName(target).constData(), 0644);
    const QString source = from.file("photo.bmp");
    ASSERT_TRUE(writeBytes(source, "new picture"));

    // The disk refuses the copy.
    vault::setWriteFailureForTesting([](vault::WriteStep step) { return step == vault::WriteStep::Write; });
    const std::string reason = copyError(source, target);
    vault::setWriteFailureForTesting({});
    EXPECT_EQ(reason,
        "La copie n'a pas pu être écrite dans " + QFileInfo(target).absolutePath().toStdString()
            + " : disque plein ou dossier protégé en écriture.");
    EXPECT_EQ(readBytes(target), "old picture");
    EXPECT_EQ(fileMode(target), 0644u) << "the older copy keeps its permissions";
    EXPECT_EQ(folderEntries(to.path()), QStringList { "photo.bmp" });

    // The source fails to read: this process's memory file reads as an
    // error at its start, where nothing is mapped.
    if (!QFileInfo::exists("/proc/self/mem"))
        GTEST_SKIP() << "no /proc";
    EXPECT_EQ(copyError("/proc/self/mem", target), "La lecture du fichier a échoué.");
    EXPECT_EQ(readBytes(target), "old picture");
    EXPECT_EQ(fileMode(target), 0644u);
    EXPECT_EQ(folderEntries(to.path()), QStringList { "photo.bmp" });
}

TEST_F(FileCopy, AFileCopiedOntoItselfStaysAsItIs)
{
    ASSERT_TRUE(writeBytes(target, "in place"));
    ::chmod(QFile::encodeName(target).constData(), 0644);
    const ino_t before = fileInode(target);
    ASSERT_TRUE(QFile::link(target, from.file("elsewhere.bmp"))); // a link to the copy
    ASSERT_EQ(
        ::link(QFile::encodeName(target).constData(), QFile::encodeName(to.file("hard.bmp")).constData()), 0);

    for (const QString& source :
        { target, to.file("./photo.bmp"), from.file("elsewhere.bmp"), to.file("hard.bmp") }) {
        EXPECT_EQ(copyError(source, target), "") << source.toStdString();
        EXPECT_EQ(fileInode(target), before) << source.toStdString() << ": replaced";
        EXPECT_EQ(readBytes(target), "in place");
        EXPECT_EQ(fileMode(target), 0644u);
    }
    EXPECT_EQ(folderEntries(to.path()), (QStringList { "hard.bmp", "photo.bmp" }));
}

// A link or a folder planted under the copy's name is never written
// through: what it points to stays as it was, even when it is the source.
TEST_F(FileCopy, NeverWritesThroughWhatLiesAtTheTargetName)
{
    const QString source = from.file("photo.bmp");
    ASSERT_TRUE(writeBytes(source, "new picture"));
    const ino_t sourceInode = fileInode(source);
    const mode_t sourceMode = fileMode(source);
    const QString precious = from.file("precious");
    ASSERT_TRUE(writeBytes(precious, "keep me"));
    const std::string reason = "Le dossier " + to.path().chopped(1).toStdString()
        + " contient déjà un élément de ce nom qui n'est pas un fichier ordinaire.";

    const struct {
        const char* what;
        QString pointsTo;
    } links[] = {
        { "a link to another file", precious },
        { "a link to the source", source },
    };
    for (const auto& c : links) {
        QFile::remove(target);
        ASSERT_TRUE(QFile::link(c.pointsTo, target));

        EXPECT_EQ(copyError(source, target), reason) << c.what;

        EXPECT_EQ(QFileInfo(target).symLinkTarget(), c.pointsTo) << c.what;
        EXPECT_EQ(readBytes(precious), "keep me") << c.what;
        EXPECT_EQ(readBytes(source), "new picture") << c.what;
        EXPECT_EQ(fileInode(source), sourceInode) << c.what;
        EXPECT_EQ(fileMode(source), sourceMode) << c.what;
    }

    QFile::remove(target);
    ASSERT_TRUE(QDir().mkdir(target));
    EXPECT_EQ(copyError(source, target), reason) << "a folder";
    EXPECT_EQ(folderEntries(to.path()), QStringList { "photo.bmp" });
}

} // namespace
