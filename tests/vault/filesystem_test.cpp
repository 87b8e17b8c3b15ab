#include <gtest/gtest.h>

#include "filesystem.h"
#include "filetestutil.h"
#include "tempdir.h"
#include "vaultlayout.h"

namespace {

TEST(FileSystem, FileAndFolderTests)
{
    TestFolder dir;
    writeBytes(dir.file("a.jpg"), "x");
    QDir().mkdir(dir.file("sub"));
    const struct {
        QString path;
        bool file;
        bool folder;
    } cases[] = {
        { dir.file("a.jpg"), true, false },
        { dir.file("sub"), false, true },
        { dir.file("sub/"), false, true },
        { dir.path(), false, true },
        { dir.file("none"), false, false },
        { QString(), false, false },
        { dir.file("a.jpg/x"), false, false },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileExists(c.path), c.file) << c.path.toStdString();
        EXPECT_EQ(FolderExists(c.path), c.folder) << c.path.toStdString();
    }
}

TEST(VaultLayout, NamesOfTheFile)
{
    EXPECT_EQ(vault::SecretSection(), "5329749296498215340749296");
    EXPECT_EQ(vault::vaultPath("/opt/kaldrino/"), "/opt/kaldrino/kaldrino.ini");
}

} // namespace
