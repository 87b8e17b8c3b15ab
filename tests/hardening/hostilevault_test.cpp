// Vault files made to hurt: huge sections and values, absurd row counts,
// NUL bytes, lines that are no entries, and paths that are no regular file.
// The gate's reads and LoadTable must answer by the usual rules, without
// crashing, hanging or allocating without bound (ctest's timeout is the
// hang guard; docs/reliability.md gives the command that times them).
#include <gtest/gtest.h>

#include <QFileInfo>
#include <sys/stat.h>

#include "accessgate.h"
#include "filesystem.h"
#include "hardeningutil.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "tablestore.h"
#include "tempdir.h"

namespace {

const std::string kPicture = "code.bmp";
const Rows kStored { { "Description", "Mot de passe" }, { "Banque", "1234" }, { "Messagerie", "plivor" } };

class HostileVault : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(writeBytes(folder.file(QString::fromStdString(kPicture)), "BM")); }

    QString iniPath() const { return folder.file(QStringLiteral("kaldrino.ini")); }

    void writeVault(const VaultText& text) { ASSERT_TRUE(writeBytes(iniPath(), text.str())); }

    // What the access gate reads and decides, as it does at start.
    struct GateView {
        std::string picture;
        bool hasSecret = false;
        GateBranch branch = GateBranch::Setup;
    };
    GateView gate() const
    {
        GateView view;
        const bool exists = FileExists(iniPath());
        if (exists) {
            const TIniFile ini(iniPath());
            view.picture = ini.ReadEntry(vault::kConfigSection, vault::kImageKey);
            view.hasSecret = ini.SectionHasKeys(vault::SecretSection());
        }
        const QString picturePath
            = folder.path() + QString::fromLatin1(view.picture.data(), qsizetype(view.picture.size()));
        view.branch = DecideGate(exists, FileExists(picturePath), view.hasSecret);
        return view;
    }

    TestFolder folder;
};

TEST_F(HostileVault, ASectionOfAHundredThousandKeysStillOpensAndSaves)
{
    VaultText text;
    text.config(kPicture).secretSection().table(kStored);
    for (int i = 0; i < 100000; ++i)
        text.secret("k" + std::to_string(i), "x");
    writeVault(text);

    const GateView view = gate();
    EXPECT_TRUE(view.hasSecret);
    EXPECT_EQ(view.branch, GateBranch::Verify);
    MemoryTable table;
    LoadTable(iniPath(), table);
    EXPECT_EQ(table.rows(), kStored);

    // A save rewrites the whole file and keeps every key it did not write.
    Rows changed = kStored;
    changed[1].second = "5678";
    SaveTable(iniPath(), MemoryTable(changed));
    MemoryTable reloaded;
    LoadTable(iniPath(), reloaded);
    EXPECT_EQ(reloaded.rows(), changed);
    EXPECT_EQ(TIniFile(iniPath()).ReadEntry(vault::SecretSection(), EncryptText("k99999")), EncryptText("x"));
}

TEST_F(HostileVault, TenMegabyteValuesAreReadAsTheirFirst2047Bytes)
{
    const std::string tenMegabytes(10 << 20, '7');
    VaultText text;
    text.config(std::string(10 << 20, 'a'))
        .secretSection()
        // Only the first 2047 characters are read, so only the first groups
        // count: these decode as 3 and "Banque".
        .line(EncryptText("lignes") + "=" + EncryptText("3") + tenMegabytes)
        .secret("c0l0", "Description")
        .secret("c1l0", "Mot de passe")
        .line(EncryptText("c0l1") + "=" + EncryptText("Banque") + tenMegabytes)
        .line(EncryptText("c1l1") + "=" + std::string(10 << 20, 'x'))
        .secret("c0l2", "Messagerie")
        .secret("c1l2", "plivor");
    writeVault(text);

    const GateView view = gate();
    EXPECT_EQ(view.picture, std::string(2047, 'a'));
    EXPECT_EQ(view.branch, GateBranch::AskBeforeErasing) << "a 2047-letter picture name names no file here";

    // The cell that does not decode is reported once the others are loaded.
    MemoryTable table;
    EXPECT_THROW(LoadTable(iniPath(), table), ConversionError);
    const Rows expected { { "Description", "Mot de passe" }, { "Banque", "" }, { "Messagerie", "plivor" } };
    EXPECT_EQ(table.rows(), expected);
}

// A stored row count outside 2 to 1,000,000, one that does not decode to a
// whole number, and one above 1,000 that the section has too few keys for
// are damage: the rows are counted from the cells stored, which a few bytes
// can't make many of. Rows of a trusted count without keys load empty.
struct RowCountCase {
    const char* name;
    std::string stored; // the value of "lignes" as it lies in the file
    int rows;
    bool recounted;
    int otherKeys = 0; // keys of the section besides the table's
};

void PrintTo(const RowCountCase& c, std::ostream* os)
{
    *os << c.name;
}

class HostileRowCount : public HostileVault, public ::testing::WithParamInterface<RowCountCase> { };

TEST_P(HostileRowCount, LoadsABoundedTable)
{
    VaultText text;
    text.config(kPicture).secretSection().line(EncryptText("lignes") + "=" + GetParam().stored);
    for (std::size_t r = 0; r < kStored.size(); ++r) {
        text.secret("c0l" + std::to_string(r), kStored[r].first);
        text.secret("c1l" + std::to_string(r), kStored[r].second);
    }
    for (int k = 0; k < GetParam().otherKeys; ++k)
        text.secret(std::to_string(k), "leurre");
    writeVault(text);

    MemoryTable table;
    TableLoadNotice notice;
    ASSERT_NO_THROW(notice = LoadTable(iniPath(), table));
    ASSERT_EQ(table.rowCount(), GetParam().rows);
    EXPECT_EQ(notice.rowCountUnreadable, GetParam().recounted);
    EXPECT_EQ(notice.entryRows, GetParam().recounted ? int(kStored.size()) - 1 : 0);
    for (int r = 0; r < table.rowCount(); ++r) {
        if (r < int(kStored.size()))
            EXPECT_EQ(table.rows()[r], kStored[r]) << "row " << r;
        else
            EXPECT_EQ(table.rows()[r], (Rows::value_type {})) << "row " << r;
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, HostileRowCount,
    ::testing::Values(RowCountCase { "Int32Max", EncryptText("2147483647"), 3, true },
        RowCountCase { "Int32Min", EncryptText("-2147483648"), 3, true },
        RowCountCase { "HexInt32Max", EncryptText("$7FFFFFFF"), 3, true },
        RowCountCase { "JustOverTheBound", EncryptText("1000001"), 3, true },
        RowCountCase { "Zero", EncryptText("0"), 3, true }, RowCountCase { "One", EncryptText("1"), 3, true },
        RowCountCase { "Negative", EncryptText("-3"), 3, true },
        RowCountCase { "NotANumber", EncryptText("trois"), 3, true },
        RowCountCase { "NotCipherDigits", "lignes", 3, true },
        RowCountCase { "LargerThanTheStoredRows", EncryptText("5"), 5, false },
        RowCountCase { "AMillionWithoutItsKeys", EncryptText("1000000"), 3, true },
        RowCountCase { "AMillionBesideManyOtherKeys", EncryptText("1000000"), 3, true, 5000 },
        RowCountCase { "JustOverTheMarginWithoutItsKeys", EncryptText("1001"), 3, true },
        RowCountCase { "TheMarginWithoutItsKeys", EncryptText("1000"), 1000, false },
        RowCountCase { "ALargeCountTheSectionCanHold", EncryptText("1500"), 1500, false, 1500 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostileVault, NulBytesAreBytesLikeAnyOther)
{
    // A picture whose name is the part before the NUL lies in the folder:
    // the name with its NUL must not be cut to it.
    ASSERT_TRUE(writeBytes(folder.file(QStringLiteral("co")), "BM"));
    std::string nul(1, '\0');
    VaultText text;
    text.line("[config]")
        .line("image=co" + nul + "de.bmp")
        .line(nul + nul + nul)
        .secretSection()
        .line(nul + "=" + nul)
        .line(EncryptText("lignes") + nul + "=" + EncryptText("9"))
        .table(kStored)
        .line(EncryptText("c0l3") + "=" + nul + EncryptText("x"));
    writeVault(text);

    const GateView view = gate();
    EXPECT_EQ(view.picture, "co" + nul + "de.bmp");
    EXPECT_TRUE(view.hasSecret);
    EXPECT_EQ(view.branch, GateBranch::AskBeforeErasing);

    MemoryTable table;
    LoadTable(iniPath(), table);
    EXPECT_EQ(table.rows(), kStored) << "the key with a NUL is another key";
}

TEST_F(HostileVault, LinesWithoutAnEqualsSignAreNoEntries)
{
    VaultText text;
    text.config(kPicture)
        .secretSection()
        .line("une ligne sans signe \xE9gal")
        .line(EncryptText("lignes"))
        .line("=" + EncryptText("9"))
        .line(";" + EncryptText("lignes") + "=" + EncryptText("9"))
        .line("[sans fin")
        .table(kStored)
        .line("")
        .line("    ");
    writeVault(text);
    MemoryTable table;
    LoadTable(iniPath(), table);
    EXPECT_EQ(table.rows(), kStored);

    // A secret section of such lines alone holds no key: the setup dialog
    // opens and nothing is erased.
    VaultText noKeys;
    noKeys.config(kPicture)
        .secretSection()
        .line("sans signe")
        .line(EncryptText("nb"))
        .line("=" + EncryptText("1"));
    writeVault(noKeys);
    const GateView view = gate();
    EXPECT_FALSE(view.hasSecret);
    EXPECT_EQ(view.branch, GateBranch::Setup);
}

// A vault path that names no regular file reads as an empty vault, without
// ever being opened (a pipe would block, a device never end), and is never
// replaced.
struct NotAFileCase {
    const char* name;
    bool exists; // what the gate's file test says
    bool tryWrite;
    std::function<bool(const QString& path, const QString& folder)> make;
    std::function<bool(const QString& path)> unchanged;
};

bool isFifo(const QString& path)
{
    struct stat st { };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

const NotAFileCase kNotAFile[] = {
    { "Folder", false, true, [](const QString& path, const QString&) { return QDir().mkdir(path); },
        [](const QString& path) { return QFileInfo(path).isDir(); } },
    { "LinkToAFolder", false, true,
        [](const QString& path, const QString& folder) {
            return QDir().mkdir(folder + "elsewhere") && QFile::link(folder + "elsewhere", path);
        },
        [](const QString& path) { return QFileInfo(path).isSymLink() && QFileInfo(path).isDir(); } },
    { "Pipe", true, true,
        [](const QString& path, const QString&) {
            return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
        },
        isFifo },
    // Written to only where the system would refuse it anyway: a broken
    // writer must not replace /dev/zero on a machine that runs the tests.
    { "LinkToDevZero", true, !runningAsRoot(),
        [](const QString& path, const QString&) { return QFile::link(QStringLiteral("/dev/zero"), path); },
        [](const QString& path) {
            struct stat st { };
            return QFileInfo(path).isSymLink() && ::stat("/dev/zero", &st) == 0 && S_ISCHR(st.st_mode);
        } },
    { "LinkToItself", false, true,
        [](const QString& path, const QString&) { return QFile::link(path, path); },
        [](const QString& path) { return QFileInfo(path).isSymLink(); } },
};

void PrintTo(const NotAFileCase& c, std::ostream* os)
{
    *os << c.name;
}

class VaultIsNotAFile : public HostileVault, public ::testing::WithParamInterface<NotAFileCase> { };

TEST_P(VaultIsNotAFile, ReadsEmptyAndIsNeverReplaced)
{
    const NotAFileCase& c = GetParam();
    ASSERT_TRUE(c.make(iniPath(), folder.path()));

    EXPECT_EQ(FileExists(iniPath()), c.exists);
    {
        const TIniFile ini(iniPath());
        EXPECT_EQ(ini.ReadEntry(vault::kConfigSection, vault::kImageKey), "");
        EXPECT_FALSE(ini.SectionHasKeys(vault::SecretSection()));
    }
    const GateView view = gate();
    EXPECT_EQ(view.branch, c.exists ? GateBranch::EraseAndSetup : GateBranch::Setup);

    MemoryTable table(kStored);
    LoadTable(iniPath(), table);
    EXPECT_EQ(table.rows(), kStored) << "no table was found, so none was loaded";

    if (c.tryWrite) {
        try {
            SaveTable(iniPath(), MemoryTable(kStored));
            ADD_FAILURE() << "the save succeeded";
        } catch (const VaultWriteError& e) {
            EXPECT_EQ(e.message(), "Impossible d'écrire dans " + iniPath().toStdString());
        }
    }
    EXPECT_TRUE(c.unchanged(iniPath()));
}

INSTANTIATE_TEST_SUITE_P(Kinds, VaultIsNotAFile, ::testing::ValuesIn(kNotAFile),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
