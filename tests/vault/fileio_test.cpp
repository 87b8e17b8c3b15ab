#include <gtest/gtest.h>

#include <sys/stat.h>

#include "fileio.h"
#include "filetestutil.h"
#include "tempdir.h"

namespace {

TEST(FileHolds, OnlyTheSameBytesInARegularFile)
{
    TestFolder dir;
    const QString path = dir.file("kaldrino.ini");
    // Longer than one piece read, so that a difference far in counts.
    const std::string content = std::string(200000, 'x') + "[s]\r\nk=1\r\n";
    const struct {
        const char* what;
        std::string bytes;
        bool holds;
    } cases[] = {
        { "the same bytes", content, true },
        { "the last byte changed", content.substr(0, content.size() - 1) + "!", false },
        { "one byte more", content + "\n", false },
        { "one byte less", content.substr(0, content.size() - 1), false },
        { "empty", "", false },
    };
    for (const auto& c : cases) {
        writeBytes(path, c.bytes);
        EXPECT_EQ(vault::fileHolds(path, content), c.holds) << c.what;
    }
    writeBytes(path, "");
    EXPECT_TRUE(vault::fileHolds(path, ""));

    QFile::remove(path);
    EXPECT_FALSE(vault::fileHolds(path, "")) << "absent";
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_FALSE(vault::fileHolds(path, "")) << "a folder";
    ASSERT_TRUE(QDir().rmdir(path));
    // A pipe nobody writes to: never waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_FALSE(vault::fileHolds(path, "")) << "a pipe";
}

TEST(ReplaceFile, AProducerThatThrowsLeavesTheOldFileAndNoTemporary)
{
    TestFolder dir;
    const QString path = dir.file("kaldrino.ini");
    ASSERT_TRUE(writeBytes(path, "[old]\r\n"));
    struct Refused { };
    EXPECT_THROW(vault::replaceFileAtomically(path,
                     [](const std::function<void(std::string_view)>& put) {
                         put(std::string(100000, 'n'));
                         throw Refused {};
                     }),
        Refused);
    EXPECT_EQ(readBytes(path), "[old]\r\n");
    EXPECT_EQ(folderEntries(dir.path()), QStringList { "kaldrino.ini" });
}

} // namespace
