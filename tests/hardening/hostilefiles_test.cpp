// Files that someone, or an accident, puts where the program reads and
// writes: links planted by another user, pipes, devices, folders and files
// too large to be what they claim. Every read answers at once; no write
// lands in a file that is not the user's own.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "fileio.h"
#include "filetestutil.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "picture.h"
#include "tempdir.h"

namespace {

// The owner of the files another user plants (nobody).
constexpr uid_t kOtherUser = 65534;
constexpr gid_t kOtherGroup = 65534;

const std::string kForeign = "[theirs]\r\nsecret=1\r\n";

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

// The work's answer, or nothing when it has not come within five seconds:
// then it hangs, and its thread is left behind.
template <typename Result> std::optional<Result> answerWithin(std::function<Result()> work)
{
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    auto answer = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (answer.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
        return std::nullopt;
    return answer.get();
}

// A file of that size made of a hole: nothing written, nothing to wait for.
bool makeSparse(const QString& path, off_t size)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool made = ::ftruncate(fd, size) == 0;
    ::close(fd);
    return made;
}

// What could be put in a file's place, by name.
enum class Thing { Pipe, LinkToZero, Folder, Sparse };

bool put(Thing thing, const QString& path, off_t size = 0)
{
    switch (thing) {
    case Thing::Pipe:
        return ::mkfifo(native(path).constData(), 0600) == 0;
    case Thing::LinkToZero:
        return ::symlink("/dev/zero", native(path).constData()) == 0;
    case Thing::Folder:
        return QDir().mkdir(path);
    case Thing::Sparse:
        return makeSparse(path, size);
    }
    return false;
}

struct stat statusOf(const QString& path)
{
    struct stat st { };
    ::lstat(native(path).constData(), &st);
    return st;
}

TEST(FilesInTheWay, TheVaultReadsAsUnreadableAtOnceAndRefusesWrites)
{
    constexpr off_t cap = vault::kMaxVaultBytes;
    const struct {
        const char* what;
        Thing thing;
        off_t size;
        vault::ReadStatus status;
    } cases[] = {
        { "a pipe nobody writes to", Thing::Pipe, 0, vault::ReadStatus::Unreadable },
        { "a link to an endless device", Thing::LinkToZero, 0, vault::ReadStatus::Unreadable },
        { "a folder", Thing::Folder, 0, vault::ReadStatus::Unreadable },
        { "a file one byte over the cap", Thing::Sparse, cap + 1, vault::ReadStatus::Unreadable },
        { "a file of exactly the cap", Thing::Sparse, cap, vault::ReadStatus::Ok },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("kaldrino.ini"));
        ASSERT_TRUE(put(c.thing, path, c.size));

        const auto read = answerWithin<std::pair<vault::ReadStatus, std::size_t>>([path] {
            std::string content;
            const auto status = vault::readWholeFile(path, content);
            return std::make_pair(status, content.size());
        });
        ASSERT_TRUE(read.has_value()) << "the read hangs";
        EXPECT_EQ(read->first, c.status);
        EXPECT_EQ(read->second, c.status == vault::ReadStatus::Ok ? std::size_t(c.size) : 0u);
        const auto holds = answerWithin<bool>([path] { return vault::fileHolds(path, ""); });
        ASSERT_TRUE(holds.has_value()) << "the comparison hangs";
        EXPECT_FALSE(*holds);

        if (c.status == vault::ReadStatus::Ok)
            continue;
        // What cannot be read is not replaced either.
        const struct stat before = statusOf(path);
        const auto wrote = answerWithin<std::string>([path] {
            TIniFile ini(path);
            ini.WriteEntry("config", "image", "code.bmp");
            try {
                ini.UpdateFile();
            } catch (const VaultWriteError& error) {
                return std::string(error.what());
            }
            return std::string();
        });
        ASSERT_TRUE(wrote.has_value()) << "the write hangs";
        EXPECT_EQ(*wrote, "Impossible d'écrire dans " + path.toStdString());
        EXPECT_EQ(statusOf(path).st_ino, before.st_ino);
        EXPECT_EQ(statusOf(path).st_mode, before.st_mode);
    }
}

TEST(FilesInTheWay, APictureThatIsNoRegularFileOrTooLargeCannotBeOpened)
{
    constexpr off_t cap = off_t(256) << 20;
    const struct {
        const char* name;
        Thing thing;
        off_t size;
    } cases[] = {
        { "tuyau.bmp", Thing::Pipe, 0 },
        { "zero.jpg", Thing::LinkToZero, 0 },
        { "zero.wmf", Thing::LinkToZero, 0 },
        { "dossier.ico", Thing::Folder, 0 },
        { "enorme.bmp", Thing::Sparse, cap + 1 },
        { "enorme.jpg", Thing::Sparse, cap + 1 },
        { "enorme.emf", Thing::Sparse, cap + 1 },
    };
    TestFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.file(QString::fromLatin1(c.name));
        ASSERT_TRUE(put(c.thing, path, c.size));
        const auto error = answerWithin<std::string>([path] {
            try {
                LoadPictureFile(path);
            } catch (const PictureError& error) {
                return std::string(error.what());
            }
            return std::string();
        });
        ASSERT_TRUE(error.has_value()) << "loading hangs";
        EXPECT_EQ(*error, "Impossible d'ouvrir le fichier " + path.toStdString());
    }
}

// Links and files of another user: only root can make them here.
class OtherUsersFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!runningAsRoot())
            GTEST_SKIP() << "files of another user can only be made as root";
        TIniFile::ForgetKeptContent();
        // A shared folder where anyone may add files, as /tmp is.
        const QString shared = app.file(QStringLiteral("app"));
        ASSERT_TRUE(QDir().mkdir(shared));
        ASSERT_EQ(::chmod(native(shared).constData(), 01777), 0);
    }

    // Makes a file with that content and mode, owned by that user.
    void plantFile(const QString& path, const std::string& content, mode_t mode, uid_t owner, gid_t group)
    {
        ASSERT_TRUE(writeBytes(path, content));
        ASSERT_EQ(::chmod(native(path).constData(), mode), 0);
        ASSERT_EQ(::chown(native(path).constData(), owner, group), 0);
    }

    void plantLink(const QString& link, const QString& target, uid_t owner, gid_t group)
    {
        ASSERT_EQ(::symlink(native(target).constData(), native(link).constData()), 0);
        ASSERT_EQ(::lchown(native(link).constData(), owner, group), 0);
    }

    // The message of the write that saves a change through path, or "".
    static std::string saveError(TIniFile& ini)
    {
        ini.WriteEntry("config", "image", "code.bmp");
        try {
            ini.UpdateFile();
        } catch (const VaultWriteError& error) {
            return error.what();
        }
        return std::string();
    }

    QString vaultPath() const { return app.file(QStringLiteral("app/kaldrino.ini")); }

    TestFolder app;
    TestFolder elsewhere;
};

TEST_F(OtherUsersFiles, ALinkOrATargetOfAnotherUserIsNeitherReadNorWritten)
{
    const uid_t me = ::geteuid();
    const gid_t myGroup = ::getegid();
    const struct {
        const char* what;
        uid_t linkOwner, targetOwner;
    } cases[] = {
        { "another user's link to one of the user's files", kOtherUser, me },
        { "the user's link to another user's file", me, kOtherUser },
        { "another user's link to another user's file", kOtherUser, kOtherUser },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString target = elsewhere.file(QStringLiteral("victim"));
        QFile::remove(target);
        QFile::remove(vaultPath());
        const gid_t group = c.targetOwner == me ? myGroup : kOtherGroup;
        plantFile(target, kForeign, 0666, c.targetOwner, group);
        plantLink(vaultPath(), target, c.linkOwner, c.linkOwner == me ? myGroup : kOtherGroup);

        TIniFile ini(vaultPath());
        EXPECT_EQ(ini.ReadEntry("theirs", "secret"), "") << "read through the link";
        EXPECT_EQ(saveError(ini), "Impossible d'écrire dans " + vaultPath().toStdString());
        EXPECT_EQ(readBytes(target), kForeign);
        const struct stat st = statusOf(target);
        EXPECT_EQ(st.st_mode & 07777, 0666u);
        EXPECT_EQ(st.st_uid, c.targetOwner);
        EXPECT_TRUE(S_ISLNK(statusOf(vaultPath()).st_mode));
    }
}

TEST_F(OtherUsersFiles, ALinkPlantedBetweenTheReadAndTheWriteIsNotFollowed)
{
    plantFile(vaultPath(), "[config]\r\nimage=a.bmp\r\n", 0600, ::geteuid(), ::getegid());
    const QString target = elsewhere.file(QStringLiteral("victim"));
    plantFile(target, kForeign, 0666, kOtherUser, kOtherGroup);

    TIniFile ini(vaultPath());
    EXPECT_EQ(ini.ReadEntry("config", "image"), "a.bmp");
    ASSERT_TRUE(QFile::remove(vaultPath()));
    plantLink(vaultPath(), target, kOtherUser, kOtherGroup);
    EXPECT_EQ(saveError(ini), "Impossible d'écrire dans " + vaultPath().toStdString());
    EXPECT_EQ(readBytes(target), kForeign);
    EXPECT_EQ(statusOf(target).st_uid, kOtherUser);
}

TEST_F(OtherUsersFiles, TheUsersOwnLinksLeadToTheVault)
{
    const struct {
        const char* what;
        bool relative;
        bool chained;
    } cases[] = {
        { "an absolute link", false, false },
        { "a relative link", true, false },
        { "a link to a link", false, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString target = elsewhere.file(QStringLiteral("vault.ini"));
        const QString middle = elsewhere.file(QStringLiteral("middle"));
        QFile::remove(target);
        QFile::remove(middle);
        QFile::remove(vaultPath());
        // Readable by others before: the save makes it the user's alone.
        plantFile(target, "[config]\r\nimage=a.bmp\r\n", 0644, ::geteuid(), ::getegid());
        QString first = target;
        if (c.chained) {
            plantLink(middle, target, ::geteuid(), ::getegid());
            first = middle;
        }
        if (c.relative)
            first = QDir(app.file(QStringLiteral("app"))).relativeFilePath(first);
        plantLink(vaultPath(), first, ::geteuid(), ::getegid());

        TIniFile ini(vaultPath());
        EXPECT_EQ(ini.ReadEntry("config", "image"), "a.bmp");
        EXPECT_EQ(saveError(ini), "");
        EXPECT_EQ(readBytes(target), "[config]\r\nimage=code.bmp\r\n");
        EXPECT_EQ(fileMode(target), 0600u);
        EXPECT_TRUE(S_ISLNK(statusOf(vaultPath()).st_mode));
        EXPECT_EQ(folderEntries(elsewhere.path()),
            c.chained ? QStringList({ "middle", "vault.ini" }) : QStringList { "vault.ini" });
    }
}

TEST_F(OtherUsersFiles, AVaultOfAnotherUserIsReplacedByTheUsersOwnFile)
{
    plantFile(vaultPath(), "[config]\r\nimage=a.bmp\r\n", 0666, kOtherUser, kOtherGroup);
    TIniFile ini(vaultPath());
    EXPECT_EQ(saveError(ini), "");
    const struct stat st = statusOf(vaultPath());
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_gid, ::getegid());
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

} // namespace
