#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "encryptdecrypt.h"
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
            return message.buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
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

    void makePicture() const
    {
        QImage picture(200, 150, QImage::Format_RGB32);
        picture.fill(QColor(30, 110, 160));
        ASSERT_TRUE(picture.save(folder.file(kPicture), "BMP"));
    }

    void storePictureName() const
    {
        TIniFile ini(iniPath());
        ini.WriteEntry(vault::kConfigSection, vault::kImageKey, kPicture.toStdString());
        ini.UpdateFile();
    }

    void storeSecret(const Points& points) const
    {
        TIniFile ini(iniPath());
        const std::string& section = vault::SecretSection();
        ini.WriteEntry(section, EncryptText("nb"), EncryptText(IntToText(int(points.size()))));
        for (int n = 1; n <= int(points.size()); ++n) {
            ini.WriteEntry(section, EncryptText("x" + IntToText(n)), EncryptText(IntToText(points[n - 1].x())));
            ini.WriteEntry(section, EncryptText("y" + IntToText(n)), EncryptText(IntToText(points[n - 1].y())));
        }
        ini.UpdateFile();
    }

    void storeTable(const Entries& entries) const
    {
        const MemoryTable table(entries);
        SaveTable(iniPath(), table);
    }

    bool secretSectionHasKeys() const { return TIniFile(iniPath()).SectionHasKeys(vault::SecretSection()); }

    QByteArray vaultBytes() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

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

TEST_F(ProgramStartTest, AMissingPictureErasesTheSecretSection)
{
    for (const bool nameStored : { true, false }) {
        SCOPED_TRACE(nameStored ? "picture deleted" : "no picture name");
        windows = std::make_unique<ProgramWindows>(folder.path());
        QFile::remove(iniPath());
        QFile::remove(folder.file(kPicture));
        storeTable({ { "Banque", "1234" }, { "Forum", "azerty" } });
        storeSecret(kSecret);
        if (nameStored)
            storePictureName();
        else
            makePicture();

        bool erasedBeforeSetup = false;
        whenVisible(windows->GraphPass, [&] {
            erasedBeforeSetup = !secretSectionHasKeys();
            makePicture();
            storePictureName();
            recordSecretAndAccept(kSecret);
        });
        start();

        EXPECT_TRUE(erasedBeforeSetup);
        expectOpenWindow(kSample);
    }
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
    const QByteArray before = vaultBytes();
    QByteArray whileOpen;
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
    const QByteArray before = vaultBytes();
    clickOnScreenWhenShown({ QPoint(48, 22), QPoint(141, 119) }); // within 10 pixels on both axes

    start();

    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].text,
              QStringLiteral("Kaldrino\r\rPour pouvoir accèder à votre liste de mots de passe,\r"
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
    const QByteArray before = vaultBytes();
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

    QByteArray whileOpen;
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
