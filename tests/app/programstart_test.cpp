#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "accessgate.h"
#include "encryptdecrypt.h"
#include "filetestutil.h"
#include "inifile.h"
#include "memorytable.h"
#include "messagebox.h"
#include "picturebox.h"
#include "programwindows.h"
#include "stringgrid.h"
#include "tempdir.h"
#include "termination.h"
#include "textconv.h"
#include "vaultlayout.h"
#include "windowdriver.h"

namespace {

using Entries = std::vector<MemoryTable::Entry>;
using Points = std::vector<QPoint>;

const QString kPicture = QStringLiteral("code.bmp");
const Points kSecret { QPoint(40, 30), QPoint(150, 110) };

// The whole start of the program in one folder: its three windows, the
// vault file and the secret's picture as a test lays them out, message
// boxes answered "OK" through the seam.
class ProgramStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMessageSeamForTesting([this](const MessageRecord& message) {
            messages.push_back(message);
            return message.buttons == MsgButtons::Ok ? MsgResult::Ok : yesNo;
        });
        windows = std::make_unique<ProgramWindows>(folder.path());
    }

    void TearDown() override
    {
        windows.reset();
        setMessageSeamForTesting({});
        resetTerminationForTesting();
    }

    QString iniPath() const { return folder.file(QStringLiteral("kaldrino.ini")); }

    void makePicture() const { makePicture(kPicture); }

    void makePicture(const QString& name) const
    {
        QImage picture(200, 150, QImage::Format_RGB32);
        picture.fill(QColor(30, 110, 160));
        ASSERT_TRUE(picture.save(folder.file(name), "BMP"));
    }

    void storePictureName() const
    {
        TIniFile ini(iniPath());
        ini.WriteEntry(vault::kConfigSection, vault::kImageKey, kPicture.toStdString());
        ini.UpdateFile();
    }

    void storePlain(const std::string& key, const std::string& value) const
    {
        TIniFile ini(iniPath());
        ini.WriteEntry(vault::SecretSection(), EncryptText(key), EncryptText(value));
        ini.UpdateFile();
    }

    void storeSecret(const Points& points) const
    {
        TIniFile ini(iniPath());
        const std::string& section = vault::SecretSection();
        ini.WriteEntry(section, EncryptText("nb"), EncryptText(IntToText(int(points.size()))));
        for (int n = 1; n <= int(points.size()); ++n) {
            ini.WriteEntry(
                section, EncryptText("x" + IntToText(n)), EncryptText(IntToText(points[n - 1].x())));
            ini.WriteEntry(
                section, EncryptText("y" + IntToText(n)), EncryptText(IntToText(points[n - 1].y())));
        }
        ini.UpdateFile();
    }

    void storeTable(const Entries& entries) const
    {
        const MemoryTable table = MemoryTable::withEntries(entries);
        SaveTable(iniPath(), table);
    }

    bool secretSectionHasKeys() const { return TIniFile(iniPath()).SectionHasKeys(vault::SecretSection()); }

    std::string vaultBytes() const { return readBytes(iniPath()); }

    // Clicks the points on the click-secret screen once it shows, then
    // presses Escape.
    void clickOnScreenWhenShown(const Points& points)
    {
        TShowGraph& screen = windows->ShowGraph;
        whenVisible(screen, [&screen, points] {
            for (const QPoint& point : points)
                QTest::mouseClick(screen.Image1, Qt::LeftButton, Qt::NoModifier, point);
            QTest::keyClick(&screen, Qt::Key_Escape);
        });
    }

    // In the setup dialog, with the picture already chosen: records the
    // clicks on the real screen, then OK.
    void recordSecretAndAccept(const Points& points)
    {
        TGraphPass& setup = windows->GraphPass;
        setup.RefreshButtons();
        ASSERT_TRUE(setup.Button2->isEnabled());
        clickOnScreenWhenShown(points);
        QTest::mouseClick(setup.Button2, Qt::LeftButton);
        ASSERT_TRUE(setup.Button4->isEnabled());
        QTest::mouseClick(setup.Button4, Qt::LeftButton);
    }

    // Shows the main window as the event loop does: the gate runs first.
    void start() { windows->MainForm.show(); }

    Entries gridEntries() const
    {
        const StringGrid& grid = *windows->MainForm.Grille;
        Entries result;
        for (int r = 1; r < grid.rowCount(); ++r)
            result.emplace_back(grid.cell(0, r).toStdString(), grid.cell(1, r).toStdString());
        return result;
    }

    // The window as a granted start leaves it.
    void expectOpenWindow(const Entries& entries)
    {
        TMainForm& form = windows->MainForm;
        EXPECT_TRUE(form.Fields.AccessGranted);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.Fields.IniPath, iniPath());
        EXPECT_EQ(gridEntries(), entries);
        EXPECT_EQ(form.Grille->row(), 1);
        EXPECT_FALSE(form.Button3->isEnabled());
        EXPECT_EQ(form.focusWidget(), form.Grille);
    }

    bool refused() const
    {
        return !messages.empty() && messages.back().text == QStringLiteral("Accès refusé.")
            && messages.back().kind == MsgKind::Warning && messages.back().buttons == MsgButtons::Ok;
    }

    TestFolder folder;
    std::unique_ptr<ProgramWindows> windows;
    std::vector<MessageRecord> messages;
    MsgResult yesNo = MsgResult::No; // the answer to every question
};

const Entries kSample { { "Messagerie", "plivor" } };

TEST_F(ProgramStartTest, FirstRunSetsUpTheSecretAndShowsTheSample)
{
    std::size_t messagesBeforeSetup = 99;
    whenVisible(windows->GraphPass, [&] {
        messagesBeforeSetup = messages.size();
        makePicture();
        storePictureName();
        recordSecretAndAccept(kSecret);
    });
    start();

    EXPECT_EQ(messagesBeforeSetup, 0u) << "the setup dialog opens at once";
    expectOpenWindow(kSample);
    EXPECT_FALSE(refused());
}

// A missing picture would make the stored secret unprovable, and the table
// goes with the secret section: the user is asked first, and "&Non" (or a
// closed box) ends the program with the vault as it was.
TEST_F(ProgramStartTest, AMissingPictureErasesTheSecretOnlyOnYes)
{
    const QString deletedQuestion
        = QStringLiteral("L'image de votre code secret graphique est introuvable :\r") + folder.file(kPicture)
        + QStringLiteral(
            "\r\rSi vous continuez, votre liste de mots de passe et votre code secret graphique "
            "seront effacés définitivement.\r\rPour les garder, répondez Non : Kaldrino se fermera "
            "sans rien modifier. Remettez ensuite l'image dans le dossier du programme, sous ce nom, "
            "puis relancez Kaldrino.\r\rVoulez-vous effacer votre liste de mots de passe et créer "
            "un nouveau code secret graphique ?");
    const QString unnamedQuestion = QStringLiteral("Le fichier ") + iniPath()
        + QStringLiteral(
            " ne nomme pas l'image de votre code secret graphique.\r\rSi vous continuez, votre "
            "liste de mots de passe et votre code secret graphique seront effacés définitivement."
            "\r\rPour les garder, répondez Non : Kaldrino se fermera sans rien modifier.\r\r"
            "Voulez-vous effacer votre liste de mots de passe et créer un nouveau code secret "
            "graphique ?");
    const struct {
        const char* name;
        bool nameStored;
        MsgResult answer;
    } cases[] = {
        { "picture deleted, Oui", true, MsgResult::Yes },
        { "picture deleted, Non", true, MsgResult::No },
        { "picture deleted, box closed", true, MsgResult::Cancel },
        { "no picture name, Oui", false, MsgResult::Yes },
        { "no picture name, Non", false, MsgResult::No },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        yesNo = c.answer;
        windows = std::make_unique<ProgramWindows>(folder.path());
        QFile::remove(iniPath());
        QFile::remove(folder.file(kPicture));
        storeTable({ { "Banque", "1234" }, { "Forum", "azerty" } });
        storeSecret(kSecret);
        if (c.nameStored)
            storePictureName();
        else
            makePicture();
        const std::string before = vaultBytes();

        bool setupOpened = false;
        bool erasedBeforeSetup = false;
        whenVisible(windows->GraphPass, [&] {
            setupOpened = true;
            erasedBeforeSetup = !secretSectionHasKeys();
            makePicture();
            storePictureName();
            recordSecretAndAccept(kSecret);
        });
        start();

        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(
            messages[0].text.toStdString(), (c.nameStored ? deletedQuestion : unnamedQuestion).toStdString());
        EXPECT_EQ(messages[0].kind, MsgKind::Confirmation);
        EXPECT_EQ(messages[0].buttons, MsgButtons::YesNoDefaultNo);
        if (c.answer == MsgResult::Yes) {
            EXPECT_TRUE(erasedBeforeSetup);
            expectOpenWindow(kSample);
            continue;
        }
        EXPECT_FALSE(setupOpened);
        EXPECT_EQ(messages.size(), 1u) << "no box after the answer";
        EXPECT_FALSE(windows->MainForm.isVisible());
        EXPECT_FALSE(windows->MainForm.Fields.AccessGranted);
        EXPECT_EQ(vaultBytes(), before);
    }
}

TEST_F(ProgramStartTest, AMissingPictureWithoutSecretIsResetWithoutAsking)
{
    storePictureName();
    {
        TIniFile ini(iniPath());
        ini.WriteEntry("autre", "clef", "valeur");
        ini.UpdateFile();
    }
    bool setupOpened = false;
    whenVisible(windows->GraphPass, [&] {
        setupOpened = true;
        windows->GraphPass.done(QDialog::Rejected);
    });
    start();

    EXPECT_TRUE(setupOpened);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(refused());
}

// The platform the vault comes from finds "Photo.JPG" as "photo.jpg": a
// picture whose name differs only in case is the picture, as long as it is
// the only one.
TEST_F(ProgramStartTest, APictureRenamedInCaseIsStillTheSecretsPicture)
{
    storePictureName();
    storeTable({ { "Banque", "1234" } });
    storeSecret(kSecret);
    makePicture(QStringLiteral("CODE.BMP"));
    const std::string before = vaultBytes();
    clickOnScreenWhenShown(kSecret);
    bool setupOpened = false;
    whenVisible(windows->GraphPass, [&] {
        setupOpened = true;
        windows->GraphPass.done(QDialog::Rejected);
    });

    start();

    EXPECT_FALSE(setupOpened);
    EXPECT_EQ(windows->ShowGraph.ImagePath, folder.file(QStringLiteral("CODE.BMP")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MsgKind::Information);
    expectOpenWindow({ { "Banque", "1234" } });
    EXPECT_EQ(vaultBytes(), before) << "the stored name is not rewritten";

    // Two such files: neither is taken, and the user is asked.
    messages.clear();
    windows = std::make_unique<ProgramWindows>(folder.path());
    makePicture(QStringLiteral("Code.bmp"));
    whenVisible(windows->GraphPass, [&] { windows->GraphPass.done(QDialog::Rejected); });
    start();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MsgKind::Confirmation);
    EXPECT_FALSE(windows->MainForm.isVisible());
    EXPECT_EQ(vaultBytes(), before);
}

TEST_F(ProgramStartTest, APictureWithoutSecretOpensTheSetupAndErasesNothing)
{
    makePicture();
    storePictureName();
    {
        TIniFile ini(iniPath());
        ini.WriteEntry("autre", "clef", "valeur");
        ini.UpdateFile();
    }
    const std::string before = vaultBytes();
    std::string whileOpen;
    whenVisible(windows->GraphPass, [&] {
        whileOpen = vaultBytes();
        windows->GraphPass.done(QDialog::Rejected);
    });
    start();

    EXPECT_EQ(whileOpen, before);
    EXPECT_TRUE(refused());
    EXPECT_FALSE(windows->MainForm.isVisible());
    EXPECT_EQ(vaultBytes(), before);
}

TEST_F(ProgramStartTest, TheRightClicksOpenTheStoredTable)
{
    makePicture();
    storePictureName();
    const Entries stored { { "", "" }, { "Banque", "1234" } };
    storeTable(stored);
    storeSecret(kSecret);
    const std::string before = vaultBytes();
    clickOnScreenWhenShown({ QPoint(48, 22), QPoint(141, 119) }); // within 10 pixels on both axes

    start();

    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].text,
        QStringLiteral(
            "Kaldrino\r\rPour pouvoir accèder à votre liste de mots de passe,\r"
            "faites maintenant vos clics secrets sur votre image code.\r"
            "Quand vous aurez fini vos clics secrets, appuyez sur la touche ECHAP de votre clavier."));
    EXPECT_EQ(messages[0].kind, MsgKind::Information);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(windows->ShowGraph.Mode, QStringLiteral("verif"));
    EXPECT_EQ(windows->ShowGraph.ImagePath, folder.file(kPicture));
    expectOpenWindow(stored); // an empty first entry, but not the only one: no sample
    EXPECT_EQ(vaultBytes(), before) << "granting access writes nothing";
}

TEST_F(ProgramStartTest, WrongClicksAreRefusedAndLeaveTheVaultAlone)
{
    makePicture();
    storePictureName();
    storeTable({ { "Banque", "1234" } });
    storeSecret(kSecret);
    const std::string before = vaultBytes();
    clickOnScreenWhenShown({ QPoint(40, 30), QPoint(161, 110) });

    start();

    EXPECT_TRUE(refused());
    EXPECT_FALSE(windows->MainForm.Fields.AccessGranted);
    EXPECT_FALSE(windows->MainForm.isVisible());
    EXPECT_EQ(vaultBytes(), before);
}

TEST_F(ProgramStartTest, ATableThatDoesNotDecodeStillOpensTheWindow)
{
    makePicture();
    storePictureName();
    storeTable({ { "Banque", "1234" }, { "Forum", "azerty" } });
    storeSecret(kSecret);
    {
        TIniFile ini(iniPath());
        ini.WriteEntry(vault::SecretSection(), EncryptText("c1l2"), "12x45");
        ini.UpdateFile();
    }
    clickOnScreenWhenShown(kSecret);

    start();

    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].kind, MsgKind::Error);
    expectOpenWindow({ { "Banque", "1234" }, { "Forum", "" } });
}

// A stored row count that can't be read: every stored entry row is loaded
// and the user is told, once the table is in. A count that is absent
// beside stored entries is the same: the sample must not take the place of
// the first entry, which the next save would write over.
TEST_F(ProgramStartTest, AnUnreadableRowCountIsReportedAfterTheLoad)
{
    const Entries stored { { "Banque", "1234" }, { "Forum", "azerty" }, { "Poste", "" } };
    for (const bool absent : { false, true }) {
        SCOPED_TRACE(absent ? "count absent" : "count damaged");
        messages.clear();
        windows = std::make_unique<ProgramWindows>(folder.path());
        QFile::remove(iniPath());
        makePicture();
        storePictureName();
        storeSecret(kSecret);
        if (absent) {
            storePlain("c0l0", "Description");
            storePlain("c1l0", "Mot de passe");
            for (int r = 0; r < int(stored.size()); ++r) {
                storePlain("c0l" + std::to_string(r + 1), stored[r].first);
                storePlain("c1l" + std::to_string(r + 1), stored[r].second);
            }
        } else {
            storeTable(stored);
            TIniFile ini(iniPath());
            ini.WriteEntry(vault::SecretSection(), EncryptText("lignes"), "12x45");
            ini.UpdateFile();
        }
        clickOnScreenWhenShown(kSecret);

        start();

        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].kind, MsgKind::Warning);
        EXPECT_EQ(messages[1].buttons, MsgButtons::Ok);
        EXPECT_EQ(messages[1].text.toStdString(),
            QStringLiteral(
                "Le nombre de lignes enregistré pour votre liste de mots de passe était illisible.\r"
                "3 lignes ont été retrouvées dans le fichier et chargées.\r\rDes lignes supprimées "
                "auparavant peuvent réapparaître : vérifiez votre liste.")
                .toStdString());
        expectOpenWindow(stored);
    }
}

TEST(RecountedRowsWarning, CountsInFrench)
{
    EXPECT_TRUE(RecountedRowsWarning(0).contains(
        QStringLiteral("\rAucune ligne n'a été retrouvée dans le fichier.\r")));
    EXPECT_TRUE(RecountedRowsWarning(1).contains(
        QStringLiteral("\r1 ligne a été retrouvée dans le fichier et chargée.\r")));
    EXPECT_TRUE(RecountedRowsWarning(1500).contains(QStringLiteral("\r1500 lignes ont été retrouvées")));
}

// Quit in the setup dialog during the gate: the real confirmation box is
// answered "&Oui" and everything after it must give way at once.
TEST_F(ProgramStartTest, QuitDuringTheGateEndsTheProgram)
{
    setMessageSeamForTesting({});
    whenVisible(windows->GraphPass, [this] {
        QTimer::singleShot(50, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == QStringLiteral("&Oui"))
                    button->click();
            }
        });
        QTest::mouseClick(windows->GraphPass.Button6, Qt::LeftButton);
    });

    bool stuck = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&stuck] {
        stuck = true;
        while (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
        QCoreApplication::exit(1);
    });
    watchdog.start(10000);
    QTimer::singleShot(0, &windows->MainForm, [this] { start(); });

    const int result = QApplication::exec();

    EXPECT_FALSE(stuck) << "a box was left waiting";
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(TerminationRequested());
    for (const QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->metaObject()->className() << " still shown";
    EXPECT_FALSE(QFile::exists(iniPath())) << "nothing saved";
}

} // namespace

namespace {

// Quit in the setup dialog opened from the table window: the table was
// saved before the dialog opened, and nothing is written after.
TEST_F(ProgramStartTest, QuitFromTheTableWindowEndsWithoutAnotherSave)
{
    setMessageSeamForTesting([this](const MessageRecord& message) {
        messages.push_back(message);
        return message.buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Yes;
    });
    makePicture();
    storePictureName();
    storeTable({ { "Banque", "1234" } });
    storeSecret(kSecret);
    clickOnScreenWhenShown(kSecret);

    std::string whileOpen;
    QTimer::singleShot(0, &windows->MainForm, [this, &whileOpen] {
        start();
        TMainForm& form = windows->MainForm;
        form.Grille->setCell(1, 1, QStringLiteral("changé"));
        whenVisible(windows->GraphPass, [this, &whileOpen] {
            whileOpen = vaultBytes();
            QTest::mouseClick(windows->GraphPass.Button6, Qt::LeftButton);
        });
        QTest::mouseClick(form.Button4, Qt::LeftButton);
    });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(10000);

    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(TerminationRequested());
    EXPECT_EQ(vaultBytes(), whileOpen);
    MemoryTable stored;
    LoadTable(iniPath(), stored);
    const Entries expected { { "Banque", "chang\xe9" } };
    EXPECT_EQ(stored.entries(), expected);
}

} // namespace
