// The real program, run from a folder of its own on a virtual display and
// driven with the mouse and keyboard; the vault file is checked afterwards
// with the program's own vault code.

#include <QFile>

#include "filetestutil.h"
#include "printers.h"
#include "testpicture.h"
#include "wholeprogram.h"

namespace {

using namespace captions;

const QString kPictureName = QStringLiteral("Plage d'été.jpg");

// Typed with accents: the table keeps Windows-1252 text.
const std::vector<Entry> kTyped = {
    { QStringLiteral("Impôts en ligne"), QStringLiteral("déjà-vu 42") },
    { QStringLiteral("Banque Crédit Mutuel"), QStringLiteral("Noël@Forêt") },
};

const Entry kHeader { QStringLiteral("Description"), QStringLiteral("Mot de passe") };
const Entry kSample { QStringLiteral("Messagerie"), QStringLiteral("plivor") };

std::vector<Entry> tableOf(const std::vector<Entry>& entries)
{
    std::vector<Entry> rows { kHeader };
    rows.insert(rows.end(), entries.begin(), entries.end());
    return rows;
}

} // namespace

// A first run sets up the secret and fills the table; a second run opens
// it again with the same clicks, each within the 10-pixel tolerance. Two
// display sizes: the picture is larger than the smaller one, so the clicks
// land on a fitted picture, and on a centred one at the larger size.
class FirstAndSecondRun : public WholeProgram, public ::testing::WithParamInterface<QSize> { };

TEST_P(FirstAndSecondRun, SetUpTheSecretThenOpenTheTableAgain)
{
    startDisplay(GetParam());
    const QString picture = picturesDir() + kPictureName;
    makeTestPicture(picture);
    std::vector<Entry> entries { kSample };
    entries.insert(entries.end(), kTyped.begin(), kTyped.end());

    startProgram();
    const QString table = setUpSecret(picture);
    addEntries(table, 1, kTyped);
    display().clickIn(table, tablewindow::kClose);
    expectProgramEnds();

    const VaultContents saved = readVault(vaultFile());
    EXPECT_EQ(saved.image, kPictureName);
    EXPECT_EQ(saved.pictureFolder, picturesDir());
    EXPECT_EQ(saved.clickCount, 4);
    EXPECT_EQ(saved.clicks, detailsInShownPicture());
    EXPECT_EQ(saved.table, tableOf(entries));
    EXPECT_GE(saved.decoys, 1);
    EXPECT_TRUE(saved.oddities.isEmpty()) << saved.oddities.join(QStringLiteral("; ")).toStdString();
    EXPECT_EQ(readBytes(appDir() + kPictureName), readBytes(picture))
        << "the picture is not copied beside the program";
    const std::string afterFirstRun = readBytes(vaultFile());

    startProgram();
    answerMessage(kInformation, QStringLiteral("second-run-message"));
    std::vector<QPoint> clicks = detailsOnScreen();
    const QPoint offsets[] = { { 10, -10 }, { -7, 4 }, { 3, 9 }, { -10, 10 } };
    for (std::size_t i = 0; i < clicks.size(); ++i)
        clicks[i] += offsets[i];
    clickSecret(clicks, QStringLiteral("second-run"));
    const QString reopened = display().waitForWindow(kTable);
    shot(QStringLiteral("second-run-table"));
    display().clickIn(reopened, tablewindow::kClose);
    expectProgramEnds();

    // Closing saved the grid it had loaded, with fresh decoys.
    EXPECT_NE(readBytes(vaultFile()), afterFirstRun) << "closing the table window saved nothing";
    EXPECT_EQ(readVault(vaultFile()).table, tableOf(entries));
}

INSTANTIATE_TEST_SUITE_P(Displays, FirstAndSecondRun, ::testing::Values(QSize(1024, 768), QSize(1920, 1080)),
    [](const ::testing::TestParamInfo<QSize>& info) {
        return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
    });

// A returning user who clicks wrongly is refused, the program ends, and
// the refusal writes nothing.
struct WrongClicks {
    const char* name;
    int misplacedClick; // index of a click moved off its point, or -1
    QPoint offset;
    std::size_t clicks; // how many of the four clicks are made
};

class RefusedRun : public WholeProgram, public ::testing::WithParamInterface<WrongClicks> { };

TEST_P(RefusedRun, EndsTheProgramAndLeavesTheVaultAsItWas)
{
    startDisplay(QSize(1024, 768));
    makeTestPicture(appDir() + kPictureName);
    seedVault(vaultFile(), kPictureName, picturesDir(), detailsInShownPicture(), { kSample, kTyped.front() });
    const std::string before = readBytes(vaultFile());

    startProgram();
    answerMessage(kInformation, QStringLiteral("message"));
    const WrongClicks& wrong = GetParam();
    std::vector<QPoint> clicks = detailsOnScreen();
    if (wrong.misplacedClick >= 0)
        clicks[std::size_t(wrong.misplacedClick)] += wrong.offset;
    clicks.resize(wrong.clicks);
    clickSecret(clicks, QStringLiteral("wrong-clicks"));

    display().waitForWindow(kWarning);
    EXPECT_TRUE(display().windowsNamed(kTable).isEmpty()) << "the table window shows to a refused user";
    answerMessage(kWarning, QStringLiteral("refused"));
    expectProgramEnds();
    EXPECT_EQ(readBytes(vaultFile()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedRun,
    ::testing::Values(WrongClicks { "OneClick11PixelsOff", 2, QPoint(11, 0), 4 },
        WrongClicks { "OneClickShort", -1, QPoint(), 3 }),
    [](const ::testing::TestParamInfo<WrongClicks>& info) { return std::string(info.param.name); });

// The picture named in the vault is gone: once the user agrees ("&Oui",
// pressed on purpose: "&Non" is the default), the secret section, table
// included, is erased and the setup dialog opens; "Quitter" then ends the
// program without a refusal box left waiting.
TEST_F(WholeProgram, MissingPictureErasesTheSecretAndOpensTheSetup)
{
    startDisplay(QSize(1024, 768));
    seedVault(vaultFile(), kPictureName, picturesDir(), detailsInShownPicture(), { kSample, kTyped.front() });
    ASSERT_TRUE(readVault(vaultFile()).hasSecret);

    startProgram();
    answerMessage(kConfirmation, QStringLiteral("missing-picture-question"), QStringLiteral("alt+o"));
    const QString dialog = display().waitForWindow(kSetup, std::chrono::seconds(30));
    shot(QStringLiteral("setup-dialog"));
    EXPECT_TRUE(display().windowsNamed(kInformation).isEmpty()) << "a message came before the setup dialog";
    const VaultContents reset = readVault(vaultFile());
    EXPECT_FALSE(reset.hasSecret);
    EXPECT_EQ(reset.image, kPictureName);
    EXPECT_EQ(reset.pictureFolder, picturesDir());

    display().clickIn(dialog, setupdialog::kQuit);
    answerMessage(kConfirmation, QStringLiteral("quit-confirmation"));
    expectProgramEnds();
    EXPECT_FALSE(readVault(vaultFile()).hasSecret);
}

// Right after "Ajouter" the keys go into the new row, with no click in the
// grid: a Space no longer presses the button again.
TEST_F(WholeProgram, TypingRightAfterAddFillsTheNewRow)
{
    startDisplay(QSize(1024, 768));
    makeTestPicture(appDir() + kPictureName);
    seedVault(vaultFile(), kPictureName, picturesDir(), detailsInShownPicture(), { kSample });

    startProgram();
    answerMessage(kInformation, QStringLiteral("message"));
    clickSecret(detailsOnScreen(), QStringLiteral("clicks"));
    const QString table = display().waitForWindow(kTable);
    display().clickIn(table, tablewindow::kAdd);
    display().type(QStringLiteral("Banque été"));
    display().key(QStringLiteral("Tab"));
    display().type(QStringLiteral("mot de passe"));
    display().key(QStringLiteral("Return"));
    shot(QStringLiteral("typed-after-add"));
    display().clickIn(table, tablewindow::kClose);
    expectProgramEnds();

    EXPECT_EQ(readVault(vaultFile()).table,
        tableOf({ kSample, { QStringLiteral("Banque été"), QStringLiteral("mot de passe") } }));
}
