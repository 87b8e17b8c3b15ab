// A save that fails part way, at any byte, loses nothing: the error names
// the vault's full path, the previous file is still there byte for byte
// and loads, and no temporary file is left behind.
#include <gtest/gtest.h>

#include <random>

#include "decoys.h"
#include "hardeningutil.h"
#include "kaldrinoerror.h"
#include "tablestore.h"
#include "tempdir.h"

namespace {

Rows tableOf(int entries, const std::string& tag)
{
    Rows rows { { "Description", "Mot de passe" } };
    for (int r = 1; r <= entries; ++r)
        rows.emplace_back(tag
                + " entr\xE9"
                  "e "
                + std::to_string(r),
            "m\xF4t " + std::to_string(r * 7919));
    return rows;
}

class SaveFault : public ::testing::Test {
protected:
    // The same decoys at every save, so that a save's bytes are known in
    // advance.
    void SetUp() override
    {
        setDecoyClockForTesting([] { return 4242u; });
    }
    void TearDown() override { setDecoyClockForTesting({}); }

    QString iniPath() const { return folder.file(QStringLiteral("kaldrino.ini")); }

    // The size of the file that saving `rows` over the current vault makes.
    std::size_t sizeOfSave(const Rows& rows) const
    {
        TestFolder probe;
        const QString path = probe.file(QStringLiteral("kaldrino.ini"));
        writeBytes(path, readBytes(iniPath()));
        SaveTable(path, MemoryTable(rows));
        return readBytes(path).size();
    }

    // Saves with the disk full after `limit` bytes; expects the failure and
    // the old file untouched.
    void expectFailedSave(const Rows& rows, std::size_t limit, const std::string& before)
    {
        {
            FileSizeLimit full(limit);
            try {
                SaveTable(iniPath(), MemoryTable(rows));
                ADD_FAILURE() << "the save succeeded with the disk full at byte " << limit;
            } catch (const VaultWriteError& e) {
                EXPECT_EQ(e.message(), "Impossible d'écrire dans " + iniPath().toStdString());
            }
        }
        ASSERT_EQ(readBytes(iniPath()), before) << "disk full at byte " << limit;
        ASSERT_EQ(folderEntries(folder.path()), QStringList { "kaldrino.ini" })
            << "disk full at byte " << limit;
    }

    void expectTable(const Rows& rows)
    {
        MemoryTable loaded;
        LoadTable(iniPath(), loaded);
        EXPECT_EQ(loaded.rows(), rows);
    }

    TestFolder folder;
};

TEST_F(SaveFault, DiskFullAtEveryByteOfASave)
{
    const Rows before = tableOf(3, "avant");
    const Rows after = tableOf(4, "apr\xE8s");
    SaveTable(iniPath(), MemoryTable(before));
    const std::string old = readBytes(iniPath());
    const std::size_t size = sizeOfSave(after);
    ASSERT_GT(size, old.size());

    for (std::size_t limit = 0; limit < size; ++limit) {
        expectFailedSave(after, limit, old);
        if (HasFatalFailure())
            return;
    }
    expectTable(before);

    {
        FileSizeLimit justEnough(size);
        SaveTable(iniPath(), MemoryTable(after));
    }
    expectTable(after);
}

// A large vault goes to disk in pieces: the disk may fill up between two of
// them, or anywhere inside one.
TEST_F(SaveFault, DiskFullAroundEveryPieceOfALargeSave)
{
    const Rows before = tableOf(3000, "avant");
    const Rows after = tableOf(3001, "apr\xE8s");
    SaveTable(iniPath(), MemoryTable(before));
    const std::string old = readBytes(iniPath());
    const std::size_t size = sizeOfSave(after);
    ASSERT_GT(size, std::size_t(4) << 16);

    std::vector<std::size_t> limits;
    for (std::size_t piece = std::size_t(1) << 16; piece < size; piece += std::size_t(1) << 16)
        limits.insert(limits.end(), { piece - 1, piece, piece + 1 });
    std::mt19937 random(20240611);
    for (int i = 0; i < 20; ++i)
        limits.push_back(std::uniform_int_distribution<std::size_t>(0, size - 1)(random));
    limits.push_back(size - 1);

    for (std::size_t limit : limits) {
        expectFailedSave(after, limit, old);
        if (HasFatalFailure())
            return;
    }
    expectTable(before);
}

} // namespace
