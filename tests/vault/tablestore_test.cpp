#include <gtest/gtest.h>

#include <QFile>
#include <optional>

#include "decoys.h"
#include "encryptdecrypt.h"
#include "fileio.h"
#include "filetestutil.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "memorytable.h"
#include "profilefile.h"
#include "tempdir.h"
#include "vaultlayout.h"

namespace {

using Row = std::vector<std::string>;

class TableStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Two different, known seeds per save: decoys of 7 and 9 entries.
        setDecoyClockForTesting([this] { return m_seeds[m_calls++ % 2]; });
    }
    void TearDown() override
    {
        setDecoyClockForTesting({});
        vault::setWriteFailureForTesting({});
    }

    // Writes plain entries into the secret section, as a damaged or older
    // file would hold them.
    void storePlain(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        TIniFile ini(path);
        for (const auto& [key, value] : entries)
            ini.WriteEntry(vault::SecretSection(), EncryptText(key), EncryptText(value));
        ini.UpdateFile();
    }
    void storeRaw(const std::string& plainKey, const std::string& stored)
    {
        TIniFile ini(path);
        ini.WriteEntry(vault::SecretSection(), EncryptText(plainKey), stored);
        ini.UpdateFile();
    }
    std::vector<std::string> plainKeys() const
    {
        const ProfileFile file = ProfileFile::parse(readBytes(path));
        std::vector<std::string> keys;
        for (const auto& key : file.keys(vault::SecretSection()))
            keys.push_back(DecryptText(key));
        return keys;
    }

    TestFolder dir;
    QString path = dir.file("kaldrino.ini");
    std::uint32_t m_seeds[2] = { 12345678u, 1051u };
    int m_calls = 0;
};

TEST_F(TableStoreTest, SaveWritesCountDecoysCellsDecoysInOrder)
{
    const MemoryTable table { { "Description", "Mot de passe" }, { "Banque", "s3cr\xE9t" },
        { "Messagerie", "" } };
    SaveTable(path, table);
    EXPECT_EQ(m_calls, 2);
    const std::vector<std::string> expected
        = { "lignes", "916", "128", "94", "72", "787", "480", "990", // decoys before
              "c0l0", "c0l1", "c0l2", "c1l0", "c1l1", "c1l2", // columns outer
              "131", "641", "895", "845", "526", "381", "671", "880", "476" }; // decoys after
    EXPECT_EQ(plainKeys(), expected);

    TIniFile ini(path);
    EXPECT_EQ(DecryptText(ini.ReadEntry(vault::SecretSection(), EncryptText("lignes"))), "3");
    EXPECT_EQ(fileMode(path), 0600u);
}

TEST_F(TableStoreTest, RoundTrip)
{
    std::string longCell;
    for (int i = 0; i < 300; ++i)
        longCell.push_back(static_cast<char>(0xC0 + i % 60));
    const MemoryTable saved { { "Description", "Mot de passe" }, { "Banque", "\xE9t\xE9 2024 \x80!" },
        { "", "" }, { longCell, "\x01\x1F=" } };
    SaveTable(path, saved);

    MemoryTable loaded;
    LoadTable(path, loaded);
    ASSERT_EQ(loaded.rowCount(), 4);
    EXPECT_EQ(loaded.row(0), (Row { "Description", "Mot de passe" }));
    EXPECT_EQ(loaded.row(1), (Row { "Banque", "\xE9t\xE9 2024 \x80!" }));
    EXPECT_EQ(loaded.row(2), (Row { "", "" }));
    EXPECT_EQ(loaded.row(3), (Row { longCell.substr(0, 255), "\x01\x1F=" }));
}

TEST_F(TableStoreTest, AbsentRowCountLeavesTheTableAlone)
{
    storePlain({ { "c0l0", "stored" } });
    MemoryTable table { { "Description", "Mot de passe" }, { "", "" } };
    LoadTable(path, table);
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.row(0), (Row { "Description", "Mot de passe" }));

    MemoryTable noFile { { "a", "b" } };
    LoadTable(dir.file("absent.ini"), noFile);
    EXPECT_EQ(noFile.rowCount(), 1);
}

// A row count that can't be trusted: the rows stored one after the other
// from row 1 are loaded, never fewer, and the load says it counted them.
struct RecountCase {
    const char* name;
    std::optional<std::string> count; // "lignes" as it lies in the file; absent when empty
    std::vector<std::pair<std::string, std::string>> cells; // plain keys and values
    std::vector<Row> rows; // the table after the load
    bool recounted;
    int entryRows = 0; // the rows counted, when recounted
};

const std::vector<std::pair<std::string, std::string>> kThreeEntries { { "c0l0", "Description" },
    { "c1l0", "Mot de passe" }, { "c0l1", "Banque" }, { "c1l1", "1234" }, { "c0l2", "Forum" },
    { "c1l2", "azerty" }, { "c0l3", "Poste" }, { "c1l3", "" } };
const std::vector<Row> kThreeEntryRows { { "Description", "Mot de passe" }, { "Banque", "1234" },
    { "Forum", "azerty" }, { "Poste", "" } };
const std::vector<Row> kUntouched { { "x", "x" }, { "x", "x" }, { "x", "x" }, { "x", "x" }, { "x", "x" } };

TEST_F(TableStoreTest, AnUntrustedRowCountIsCountedFromTheCells)
{
    const RecountCase cases[] = {
        { "not digits", "53297492964982x5340749296", kThreeEntries, kThreeEntryRows, true, 3 },
        { "not an integer", EncryptText("abc"), kThreeEntries, kThreeEntryRows, true, 3 },
        { "zero", EncryptText("0"), kThreeEntries, kThreeEntryRows, true, 3 },
        { "one", EncryptText("1"), kThreeEntries, kThreeEntryRows, true, 3 },
        { "negative", EncryptText("-5"), kThreeEntries, kThreeEntryRows, true, 3 },
        { "over a million", EncryptText("1000001"), kThreeEntries, kThreeEntryRows, true, 3 },
        { "hexadecimal maximum", EncryptText("$7FFFFFFF"), kThreeEntries, kThreeEntryRows, true, 3 },
        { "huge without its keys", EncryptText("50000"), kThreeEntries, kThreeEntryRows, true, 3 },
        { "absent beside entry rows", std::nullopt, kThreeEntries, kThreeEntryRows, true, 3 },
        { "absent beside a password alone", std::nullopt, { { "c1l1", "1234" } },
            { { "", "" }, { "", "1234" } }, true, 1 },
        { "rows after a gap stay out", EncryptText("abc"),
            { { "c0l1", "a" }, { "c1l1", "1" }, { "c1l2", "2" }, { "c0l4", "d" }, { "c1l4", "4" } },
            { { "", "" }, { "a", "1" }, { "", "2" } }, true, 2 },
        { "no entry row stored", EncryptText("abc"),
            { { "c0l0", "Description" }, { "c1l0", "Mot de passe" } },
            { { "Description", "Mot de passe" }, { "", "" } }, true, 0 },
        { "absent with the header alone", std::nullopt, { { "c0l0", "Description" } }, kUntouched, false },
        { "absent with nothing stored", std::nullopt, {}, kUntouched, false },
        // A count that can be trusted is taken as it is, even with more rows
        // stored (deleted ones) or fewer (their cells load empty).
        { "a trusted count", EncryptText("3"), kThreeEntries,
            { kThreeEntryRows[0], kThreeEntryRows[1], kThreeEntryRows[2] }, false },
        { "a count above the stored rows", EncryptText("6"), kThreeEntries,
            { kThreeEntryRows[0], kThreeEntryRows[1], kThreeEntryRows[2], kThreeEntryRows[3], { "", "" },
                { "", "" } },
            false },
    };
    for (const RecountCase& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        storePlain(c.cells);
        if (c.count)
            storeRaw("lignes", *c.count);
        MemoryTable table { { "x", "x" }, { "x", "x" }, { "x", "x" }, { "x", "x" }, { "x", "x" } };

        const TableLoadNotice notice = LoadTable(path, table);

        std::vector<Row> rows;
        for (int r = 0; r < table.rowCount(); ++r)
            rows.push_back(table.row(r));
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(notice.rowCountUnreadable, c.recounted);
        EXPECT_EQ(notice.entryRows, c.entryRows);
    }
}

TEST_F(TableStoreTest, AbsentCellsLoadEmpty)
{
    storePlain({ { "lignes", "4" }, { "c0l0", "Description" }, { "c1l0", "Mot de passe" }, { "c0l1", "a" },
        { "c1l1", "b" }, { "c0l2", "c" } });
    storeRaw("c1l1", ""); // a key without a value reads as absent
    MemoryTable table { { "stale", "stale" }, { "stale", "stale" }, { "stale", "stale" },
        { "stale", "stale" } };
    LoadTable(path, table);
    ASSERT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.row(1), (Row { "a", "" }));
    EXPECT_EQ(table.row(2), (Row { "c", "" }));
    EXPECT_EQ(table.row(3), (Row { "", "" }));

    // Saved again, they stay empty: no password of 35 spaces appears.
    SaveTable(path, table);
    MemoryTable again;
    LoadTable(path, again);
    EXPECT_EQ(again.row(3), (Row { "", "" }));
}

TEST_F(TableStoreTest, DeletedRowStaysInTheFileButDoesNotComeBack)
{
    SaveTable(
        path, MemoryTable { { "Description", "Mot de passe" }, { "a", "1" }, { "b", "2" }, { "c", "3" } });
    SaveTable(path, MemoryTable { { "Description", "Mot de passe" }, { "a", "1" }, { "c", "3" } });
    TIniFile ini(path);
    EXPECT_EQ(DecryptText(ini.ReadEntry(vault::SecretSection(), EncryptText("lignes"))), "3");
    EXPECT_EQ(DecryptText(ini.ReadEntry(vault::SecretSection(), EncryptText("c0l3"))), "c");

    MemoryTable loaded;
    LoadTable(path, loaded);
    ASSERT_EQ(loaded.rowCount(), 3);
    EXPECT_EQ(loaded.row(2), (Row { "c", "3" }));
}

TEST_F(TableStoreTest, UndecodableCellsAreEmptiedAndTheFirstIsReported)
{
    storePlain({ { "lignes", "3" }, { "c0l0", "Description" }, { "c1l0", "Mot de passe" }, { "c0l1", "a" },
        { "c1l1", "b" }, { "c0l2", "c" }, { "c1l2", "d" } });
    storeRaw("c0l1", "41390y1234");
    storeRaw("c1l0", "zzz");
    MemoryTable table { { "stale", "stale" }, { "stale", "stale" }, { "stale", "stale" } };
    try {
        LoadTable(path, table);
        FAIL() << "no error";
    } catch (const TableCellError& e) {
        EXPECT_EQ(e.message(), "'y1234' n'est pas une valeur entière correcte");
        EXPECT_FALSE(e.notice().rowCountUnreadable);
    }
    EXPECT_EQ(table.row(0), (Row { "Description", "" }));
    EXPECT_EQ(table.row(1), (Row { "", "b" }));
    EXPECT_EQ(table.row(2), (Row { "c", "d" }));

    // With an unreadable count as well, the error still says how many rows
    // were counted.
    storeRaw("lignes", "zzz");
    try {
        LoadTable(path, table);
        FAIL() << "no error";
    } catch (const TableCellError& e) {
        EXPECT_TRUE(e.notice().rowCountUnreadable);
        EXPECT_EQ(e.notice().entryRows, 2);
    }
}

TEST_F(TableStoreTest, FailedSaveChangesNothing)
{
    SaveTable(path, MemoryTable { { "Description", "Mot de passe" }, { "a", "1" } });
    const std::string before = readBytes(path);
    vault::setWriteFailureForTesting([](vault::WriteStep step) { return step == vault::WriteStep::Sync; });
    try {
        SaveTable(path, MemoryTable { { "Description", "Mot de passe" }, { "b", "2" }, { "c", "3" } });
        FAIL() << "no error";
    } catch (const VaultWriteError& e) {
        EXPECT_EQ(e.message(), "Impossible d'écrire dans " + path.toStdString());
    }
    EXPECT_EQ(readBytes(path), before);
}

// Vault files as the Windows profile functions write them, and as an editor
// may leave them: CRLF or LF, blanks around names and values, other
// sections and comments, differently cased names.
class WindowsFileTest : public TableStoreTest, public ::testing::WithParamInterface<const char*> { };

TEST_P(WindowsFileTest, ReadsTheTableAndTheConfig)
{
    const QString copy = dir.copyFixture(GetParam(), "kaldrino.ini");
    MemoryTable table;
    LoadTable(copy, table);
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.row(0), (Row { "Description", "Mot de passe" }));
    EXPECT_EQ(table.row(1),
        (Row { "Banque",
            "\xE9t\xE9"
            "2024!" }));
    EXPECT_EQ(table.row(2), (Row { "Messagerie", "" }));

    TIniFile ini(copy);
    EXPECT_EQ(ini.ReadEntry(vault::kConfigSection, vault::kImageKey), "photo \xE9t\xE9.jpg");
    EXPECT_EQ(ini.ReadEntry(vault::kConfigSection, vault::kPictureFolderKey), "C:\\Users\\Zo\xE9\\Images\\");
    EXPECT_TRUE(ini.SectionHasKeys(vault::SecretSection()));
}

TEST_P(WindowsFileTest, SaveKeepsWhatItDoesNotOwn)
{
    const QString copy = dir.copyFixture(GetParam(), "kaldrino.ini");
    const std::string original = readBytes(copy);
    MemoryTable table;
    LoadTable(copy, table);
    table.setCell(1, 1, "nouveau");
    SaveTable(copy, table);

    const std::string saved = readBytes(copy);
    std::string head = original.substr(0, original.find("[" + vault::SecretSection() + "]"));
    if (head.find("\r\n") == std::string::npos) {
        for (std::size_t at = 0; (at = head.find('\n', at)) != std::string::npos; at += 2)
            head.replace(at, 1, "\r\n");
    }
    EXPECT_EQ(saved.substr(0, head.size()), head);

    MemoryTable again;
    LoadTable(copy, again);
    EXPECT_EQ(again.row(1), (Row { "Banque", "nouveau" }));
    EXPECT_EQ(again.row(2), (Row { "Messagerie", "" }));
    TIniFile ini(copy);
    EXPECT_EQ(ini.ReadEntry("autre programme", "CL\xC9"), "") << "only ASCII letters fold";
    EXPECT_EQ(ini.ReadEntry("autre programme", "cl\xE9"), "valeur");
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, WindowsFileTest, ::testing::Values("vault-windows.ini", "vault-windows-lf.ini"));

} // namespace
