#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

#include "fileio.h"
#include "filetestutil.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "profilefile.h"
#include "tempdir.h"

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void TearDown() override { vault::setWriteFailureForTesting({}); }

    // Counts the replacements that reach the rename step.
    void countRenames()
    {
        auto count = std::make_shared<int>(0);
        m_renames = count;
        vault::setWriteFailureForTesting([count](vault::WriteStep step) {
            if (step == vault::WriteStep::Rename)
                ++*count;
            return false;
        });
    }
    int renames() const { return m_renames ? *m_renames : 0; }

    TestFolder dir;
    QString path = dir.file("kaldrino.ini");
    std::shared_ptr<int> m_renames;
};

TEST_F(IniFileTest, AbsentFileReadsEmptyAndIsCreatedForItsOwnerOnly)
{
    {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadEntry("config", "image"), "");
        EXPECT_FALSE(ini.SectionHasKeys("config"));
        ini.WriteEntry("config", "image", "photo.jpg");
        EXPECT_EQ(ini.ReadEntry("CONFIG", "Image"), "photo.jpg");
        EXPECT_FALSE(QFile::exists(path)) << "written before UpdateFile";
        ini.UpdateFile();
    }
    EXPECT_EQ(readBytes(path), "[config]\r\nimage=photo.jpg\r\n");
    EXPECT_EQ(fileMode(path), 0600u);
    EXPECT_EQ(folderEntries(dir.path()), QStringList { "kaldrino.ini" }) << "a temporary file was left";
}

// A vault others could read is theirs no more once saved.
TEST_F(IniFileTest, RewrittenFileBecomesOwnerOnly)
{
    writeBytes(path, "[config]\r\nimage=a.jpg\r\n");
    ::chmod(QFile::encodeName(path).constData(), 0644);
    TIniFile ini(path);
    ini.WriteEntry("config", "image", "b.jpg");
    ini.UpdateFile();
    EXPECT_EQ(fileMode(path), 0600u);
    EXPECT_EQ(readBytes(path), "[config]\r\nimage=b.jpg\r\n");
}

TEST_F(IniFileTest, HandlerWithoutUpdateFileLeavesNothing)
{
    writeBytes(path, "[config]\r\nimage=a.jpg\r\n");
    {
        TIniFile ini(path);
        ini.WriteEntry("config", "image", "b.jpg");
        ini.ClearSection("config");
    }
    EXPECT_EQ(readBytes(path), "[config]\r\nimage=a.jpg\r\n");
    TIniFile next(path);
    EXPECT_EQ(next.ReadEntry("config", "image"), "a.jpg") << "a later handler saw dropped writes";
}

// The last handler's content is kept in memory, but any change made to the
// file since, even of one byte, is what the next handler reads.
TEST_F(IniFileTest, EveryHandlerReadsTheFileAgain)
{
    const struct {
        const char* change;
        std::function<void()> make;
        const char* k;
        const char* j;
    } changes[] = {
        { "one byte", [&] { writeBytes(path, "[s]\r\nk=7\r\n"); }, "7", "" },
        { "longer", [&] { writeBytes(path, "[s]\r\nk=7\r\nj=1\r\n"); }, "7", "1" },
        { "shorter", [&] { writeBytes(path, "[s]\r\nk=\r\n"); }, "", "" },
        { "LF line ends", [&] { writeBytes(path, "[s]\nk=1\nj=2\n"); }, "1", "2" },
        { "removed", [&] { QFile::remove(path); }, "", "" },
        { "a folder",
            [&] {
                QFile::remove(path);
                QDir().mkdir(path);
            },
            "", "" },
    };
    for (bool wrote : { false, true }) {
        for (const auto& c : changes) {
            QDir().rmdir(path);
            writeBytes(path, "[s]\r\nk=0\r\n");
            {
                TIniFile ini(path);
                ASSERT_EQ(ini.ReadEntry("s", "k"), "0");
                if (wrote) {
                    ini.WriteEntry("s", "k", "1");
                    ini.UpdateFile();
                }
            }
            c.make();
            TIniFile next(path);
            const char* after = wrote ? " after a write" : " after a read";
            EXPECT_EQ(next.ReadEntry("s", "k"), c.k) << c.change << after;
            EXPECT_EQ(next.ReadEntry("s", "j"), c.j) << c.change << after;
        }
    }
}

// What a handler wrote reads in the next one as the file reads, even where
// a line does not read back as it was written.
TEST_F(IniFileTest, NextHandlerReadsWhatTheFileHolds)
{
    {
        TIniFile ini(path);
        ini.WriteEntry("s", "blanks", "  v  ");
        ini.WriteEntry("s", "a=b", "c");
        ini.WriteEntry("s", "broken", "x\r\ny=z");
        ini.UpdateFile();
    }
    const ProfileFile file = ProfileFile::parse(readBytes(path));
    TIniFile next(path);
    for (const char* key : { "blanks", "a", "a=b", "broken", "y" })
        EXPECT_EQ(next.ReadEntry("s", key), file.read("s", key)) << key;
}

TEST_F(IniFileTest, NestedHandlersShareOneWrite)
{
    countRenames();
    {
        TIniFile outer(path);
        outer.WriteEntry("s", "a", "1");
        {
            // The same file under another spelling of its path.
            TIniFile inner(dir.path() + "./kaldrino.ini");
            EXPECT_EQ(inner.ReadEntry("s", "a"), "1");
            inner.WriteEntry("s", "b", "2");
            inner.UpdateFile();
            EXPECT_EQ(renames(), 0) << "an inner handler wrote the file";
        }
        EXPECT_EQ(outer.ReadEntry("s", "b"), "2");
        outer.UpdateFile();
        EXPECT_EQ(renames(), 1);
    }
    EXPECT_EQ(readBytes(path), "[s]\r\na=1\r\nb=2\r\n");
}

TEST_F(IniFileTest, NothingIsWrittenWhenNothingChanged)
{
    writeBytes(path, "[s]\nk=1\n");
    countRenames();
    {
        TIniFile ini(path);
        ini.WriteEntry("s", "k", "1");
        ini.ClearSection("absent");
        ini.UpdateFile();
    }
    EXPECT_EQ(renames(), 0);
    EXPECT_EQ(readBytes(path), "[s]\nk=1\n");
}

TEST_F(IniFileTest, SymbolicLinkStaysALink)
{
    const QString real = dir.file("real.ini");
    writeBytes(real, "[s]\r\nk=1\r\n");
    ASSERT_TRUE(QFile::link(real, path));
    TIniFile ini(path);
    ini.WriteEntry("s", "k", "2");
    ini.UpdateFile();
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(readBytes(real), "[s]\r\nk=2\r\n");
}

// Every way a write can fail: the error names the full path, the old file
// is intact and no temporary file stays behind.
class IniFileWriteFailure : public IniFileTest {
protected:
    void expectWriteFails(const QString& iniPath, const std::string& original)
    {
        TIniFile ini(iniPath);
        ini.WriteEntry("s", "k", "new");
        try {
            ini.UpdateFile();
            FAIL() << "the write succeeded";
        } catch (const VaultWriteError& e) {
            EXPECT_EQ(e.message(), "Impossible d'écrire dans " + iniPath.toStdString());
        }
        EXPECT_EQ(readBytes(iniPath), original);
    }
    const std::string original = "[s]\r\nk=old\r\n";
};

TEST_F(IniFileWriteFailure, AtEveryStep)
{
    for (auto failing : { vault::WriteStep::CreateTemp, vault::WriteStep::Write, vault::WriteStep::Sync,
             vault::WriteStep::Rename }) {
        writeBytes(path, original);
        vault::setWriteFailureForTesting([failing](vault::WriteStep step) { return step == failing; });
        expectWriteFails(path, original);
        EXPECT_EQ(folderEntries(dir.path()), QStringList { "kaldrino.ini" }) << "step " << int(failing);
    }
}

TEST_F(IniFileWriteFailure, ReadOnlyFile)
{
    writeBytes(path, original);
    ::chmod(QFile::encodeName(path).constData(), 0444);
    expectWriteFails(path, original);
    EXPECT_EQ(fileMode(path), 0444u);
}

TEST_F(IniFileWriteFailure, FolderThatIsAFile)
{
    const QString notAFolder = dir.file("plain");
    writeBytes(notAFolder, "x");
    const QString iniPath = notAFolder + "/kaldrino.ini";
    expectWriteFails(iniPath, "");
    EXPECT_EQ(readBytes(notAFolder), "x");
}

TEST_F(IniFileWriteFailure, FolderRemovedAndReplacedByAFile)
{
    const QString folder = dir.file("app");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString iniPath = folder + "/kaldrino.ini";
    TIniFile ini(iniPath);
    ini.WriteEntry("s", "k", "new");
    ASSERT_TRUE(QDir(folder).removeRecursively());
    writeBytes(folder, "x");
    EXPECT_THROW(ini.UpdateFile(), VaultWriteError);
    EXPECT_EQ(readBytes(folder), "x");
}

TEST_F(IniFileWriteFailure, VaultPathIsAFolder)
{
    ASSERT_TRUE(QDir().mkdir(path));
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadEntry("s", "k"), "");
    ini.WriteEntry("s", "k", "new");
    EXPECT_THROW(ini.UpdateFile(), VaultWriteError);
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(IniFileWriteFailure, SomethingElseThanAFileIsNeverReplaced)
{
    // A pipe is there but cannot be read as a file: reading must not
    // block, and nothing may replace it.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadEntry("s", "k"), "");
    ini.WriteEntry("s", "k", "new");
    EXPECT_THROW(ini.UpdateFile(), VaultWriteError);
    EXPECT_FALSE(QFileInfo(path).isFile());
}

TEST_F(IniFileWriteFailure, UnreadableFileIsNeverReplaced)
{
    if (runningAsRoot())
        GTEST_SKIP() << "root reads any file";
    writeBytes(path, original);
    ::chmod(QFile::encodeName(path).constData(), 0200);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadEntry("s", "k"), "");
    ini.WriteEntry("s", "other", "1");
    EXPECT_THROW(ini.UpdateFile(), VaultWriteError);
    ::chmod(QFile::encodeName(path).constData(), 0600);
    EXPECT_EQ(readBytes(path), original);
}

TEST_F(IniFileWriteFailure, UnwritableFolder)
{
    if (runningAsRoot())
        GTEST_SKIP() << "root writes into any folder";
    writeBytes(path, original);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0500);
    expectWriteFails(path, original);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    EXPECT_EQ(folderEntries(dir.path()), QStringList { "kaldrino.ini" });
}

TEST_F(IniFileWriteFailure, ContentTheReaderWouldRefuseIsNeverWritten)
{
    writeBytes(path, original);
    TIniFile ini(path);
    const std::string value(1 << 20, 'v');
    for (int i = 0; i <= vault::kMaxVaultBytes / qint64(value.size()); ++i)
        ini.WriteEntry("s", "k" + std::to_string(i), value);
    EXPECT_THROW(ini.UpdateFile(), VaultWriteError);
    EXPECT_EQ(readBytes(path), original);
    EXPECT_EQ(folderEntries(dir.path()), QStringList { "kaldrino.ini" });
}

TEST_F(IniFileWriteFailure, FailedHandlerCanRetry)
{
    writeBytes(path, original);
    TIniFile ini(path);
    ini.WriteEntry("s", "k", "new");
    vault::setWriteFailureForTesting([](vault::WriteStep step) { return step == vault::WriteStep::Rename; });
    EXPECT_THROW(ini.UpdateFile(), VaultWriteError);
    vault::setWriteFailureForTesting({});
    ini.UpdateFile();
    EXPECT_EQ(readBytes(path), "[s]\r\nk=new\r\n");
}

} // namespace
