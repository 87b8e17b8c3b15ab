// The secret's picture as the program's folder may hold it after the user
// moved files around: gone, or copied under a name that differs only in
// letter case. Neither may cost the user the table without a word.

#include <QFile>

#include "filetestutil.h"
#include "printers.h"
#include "testpicture.h"
#include "wholeprogram.h"

namespace {

using namespace captions;

const QString kPictureName = QStringLiteral("Plage d'été.jpg");
const std::vector<Entry> kEntries { { QStringLiteral("Banque"), QStringLiteral("1234") },
    { QStringLiteral("Impôts"), QStringLiteral("déjà-vu") } };

} // namespace

// "&Non" to the question ends the program, and the vault, table and click
// secret included, stays byte for byte as it was. "&Non" is the default: a
// reflexive Enter keeps the table.
TEST_F(WholeProgram, MissingPictureKeptWithNoEndsWithTheVaultUntouched)
{
    startDisplay(QSize(1024, 768));
    seedVault(vaultFile(), kPictureName, picturesDir(), detailsInShownPicture(), kEntries);
    const std::string before = readBytes(vaultFile());

    startProgram();
    const QString box = display().waitForWindow(kConfirmation, std::chrono::seconds(30));
    shot(QStringLiteral("missing-picture-question"));
    display().focus(box);
    display().key(QStringLiteral("Return"));
    expectProgramEnds();

    EXPECT_EQ(readBytes(vaultFile()), before);
    EXPECT_FALSE(QFile::exists(appDir() + kPictureName));
}

// The picture copied as "PLAGE D'ÉTÉ.JPG": the program finds it, verifies
// the clicks on it and opens the table; the vault keeps the stored name.
TEST_F(WholeProgram, PictureRenamedInCaseStillOpensTheTable)
{
    startDisplay(QSize(1024, 768));
    makeTestPicture(appDir() + QStringLiteral("PLAGE D'ÉTÉ.JPG"));
    seedVault(vaultFile(), kPictureName, picturesDir(), detailsInShownPicture(), kEntries);

    startProgram();
    answerMessage(kInformation, QStringLiteral("message"));
    clickSecret(detailsOnScreen(), QStringLiteral("verify"));
    const QString table = display().waitForWindow(kTable);
    shot(QStringLiteral("table-window"));
    display().clickIn(table, tablewindow::kClose);
    expectProgramEnds();

    const VaultContents saved = readVault(vaultFile());
    EXPECT_EQ(saved.image, kPictureName);
    EXPECT_TRUE(saved.hasSecret);
    std::vector<Entry> rows { { QStringLiteral("Description"), QStringLiteral("Mot de passe") } };
    rows.insert(rows.end(), kEntries.begin(), kEntries.end());
    EXPECT_EQ(saved.table, rows);
}
