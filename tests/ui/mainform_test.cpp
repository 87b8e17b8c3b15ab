#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "cp1252.h"
#include "decoys.h"
#include "desktop.h"
#include "filetestutil.h"
#include "mainform.h"
#include "memorytable.h"
#include "messagebox.h"
#include "stringgrid.h"
#include "tempdir.h"
#include "titlebar.h"
#include "urllabel.h"
#include "windowdriver.h"
#include "windowframe.h"

namespace {

using Entries = std::vector<MemoryTable::Entry>;

// A password list window on a fresh folder, past the gate: access granted,
// showing the given entries, with the first entry row current.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMessageSeamForTesting([this](const MessageRecord& message) {
            messages.push_back(message);
            return answer;
        });
    }

    void TearDown() override
    {
        setMessageSeamForTesting({});
        setShellOpenSeamForTesting({});
    }

    TMainForm& openWindow(const Entries& entries)
    {
        form = std::make_unique<TMainForm>(folder.path());
        form->Fields.AccessGranted = true;
        form->Fields.IniPath = iniPath();
        StringGrid& grid = *form->Grille;
        grid.setRowCount(int(entries.size()) + 1);
        for (int r = 0; r < int(entries.size()); ++r) {
            grid.setCell(0, r + 1, QString::fromStdString(entries[r].first));
            grid.setCell(1, r + 1, QString::fromStdString(entries[r].second));
        }
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        grid.setFocus();
        return *form;
    }

    StringGrid& grid() { return *form->Grille; }

    QString iniPath() const { return folder.file(QStringLiteral("kaldrino.ini")); }

    Entries gridEntries()
    {
        Entries result;
        for (int r = 1; r < grid().rowCount(); ++r)
            result.emplace_back(grid().cell(0, r).toStdString(), grid().cell(1, r).toStdString());
        return result;
    }

    Entries storedEntries() const
    {
        MemoryTable table;
        LoadTable(iniPath(), table);
        return table.entries();
    }

    std::string vaultBytes() const { return readBytes(iniPath()); }

    TestFolder folder;
    std::unique_ptr<TMainForm> form;
    std::vector<MessageRecord> messages;
    MsgResult answer = MsgResult::Yes;
};

TEST_F(MainFormTest, DeleteIsEnabledExactlyBelowTheFirstEntryRow)
{
    openWindow({ { "a", "1" }, { "b", "2" }, { "c", "3" } });
    QPushButton& del = *form->Button3;
    EXPECT_FALSE(del.isEnabled());

    pressKey(grid(), Qt::Key_Down);
    EXPECT_TRUE(del.isEnabled());
    pressKey(grid(), Qt::Key_Down);
    EXPECT_TRUE(del.isEnabled());
    pressKey(grid(), Qt::Key_Up);
    pressKey(grid(), Qt::Key_Up);
    EXPECT_EQ(grid().row(), 1);
    EXPECT_FALSE(del.isEnabled());

    clickCell(grid(), 1, 3);
    EXPECT_TRUE(del.isEnabled());
    clickCell(grid(), 0, 1);
    EXPECT_FALSE(del.isEnabled());

    turnWheel(grid(), -1);
    EXPECT_EQ(grid().row(), 2);
    EXPECT_TRUE(del.isEnabled());
    turnWheel(grid(), 1);
    EXPECT_FALSE(del.isEnabled());
}

TEST_F(MainFormTest, AddMakesTheNewRowCurrentAndStoresIt)
{
    openWindow({ { "Banque", "1234" }, { "Forum", "azerty" } });
    clickCell(grid(), 1, 1);
    QTest::mouseClick(form->Button2, Qt::LeftButton);

    EXPECT_EQ(grid().rowCount(), 4);
    EXPECT_EQ(grid().row(), 3);
    EXPECT_EQ(grid().col(), 0);
    EXPECT_TRUE(form->Button3->isEnabled());
    const Entries expected { { "Banque", "1234" }, { "Forum", "azerty" }, { "", "" } };
    EXPECT_EQ(storedEntries(), expected);
    EXPECT_TRUE(messages.empty());
}

struct DeleteCase {
    const char* name;
    Entries entries;
    int row;
    Entries left;
    int currentAfter;
};

const Entries kThree { { "a", "1" }, { "b", "2" }, { "c", "3" } };

class DeleteRowTest : public MainFormTest, public ::testing::WithParamInterface<DeleteCase> { };

TEST_P(DeleteRowTest, RemovesTheRowAndStoresTheRest)
{
    const DeleteCase& c = GetParam();
    openWindow(c.entries);
    grid().setRow(c.row);
    QTest::mouseClick(form->Button3, Qt::LeftButton);

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MsgKind::Confirmation);
    EXPECT_EQ(messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(gridEntries(), c.left);
    EXPECT_EQ(grid().row(), c.currentAfter);
    EXPECT_EQ(form->Button3->isEnabled(), c.currentAfter > 1);
    EXPECT_EQ(storedEntries(), c.left);
}

INSTANTIATE_TEST_SUITE_P(Rows, DeleteRowTest,
    ::testing::Values(DeleteCase { "last", kThree, 3, { { "a", "1" }, { "b", "2" } }, 2 },
        DeleteCase { "middle", kThree, 2, { { "a", "1" }, { "c", "3" } }, 2 },
        DeleteCase { "secondOfTwo", { { "a", "1" }, { "b", "2" } }, 2, { { "a", "1" } }, 1 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, DeleteAsksWithDescriptionAndPassword)
{
    openWindow({ { "a", "1" }, { "Messagerie", "plivor" }, { "", "" } });
    answer = MsgResult::No;

    grid().setRow(2);
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    grid().setRow(3);
    QTest::mouseClick(form->Button3, Qt::LeftButton);

    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Voulez-vous vraiment supprimer Messagerie (plivor) ?"));
    EXPECT_EQ(messages[1].text, QStringLiteral("Voulez-vous vraiment supprimer  () ?"));
}

TEST_F(MainFormTest, DeclinedDeleteChangesNothing)
{
    for (MsgResult declined : { MsgResult::No, MsgResult::Cancel }) {
        openWindow({ { "a", "1" }, { "b", "2" } });
        form->SaveTable();
        const std::string before = vaultBytes();
        answer = declined;

        grid().setRow(2);
        QTest::mouseClick(form->Button3, Qt::LeftButton);

        const Entries unchanged { { "a", "1" }, { "b", "2" } };
        EXPECT_EQ(gridEntries(), unchanged);
        EXPECT_EQ(grid().row(), 2);
        EXPECT_EQ(vaultBytes(), before);
    }
}

struct SortCase {
    const char* name;
    Entries entries;
    std::vector<int> headerClicks;
    std::vector<std::string> descriptions;
};

class HeaderClickTest : public MainFormTest, public ::testing::WithParamInterface<SortCase> { };

TEST_P(HeaderClickTest, SortsTheEntryRows)
{
    const SortCase& c = GetParam();
    openWindow(c.entries);
    grid().setRow(2);
    for (int column : c.headerClicks)
        clickHeader(grid(), column);

    std::vector<std::string> descriptions;
    for (const auto& entry : gridEntries())
        descriptions.push_back(entry.first);
    EXPECT_EQ(descriptions, c.descriptions);
    EXPECT_EQ(grid().row(), 2) << "the current row index stays";
}

INSTANTIATE_TEST_SUITE_P(Clicks, HeaderClickTest,
    ::testing::Values(SortCase { "firstClickOnDescriptionDescends", { { "b", "" }, { "a", "" }, { "c", "" } },
                          { 0 }, { "c", "b", "a" } },
        SortCase {
            "secondClickAscends", { { "b", "" }, { "a", "" }, { "c", "" } }, { 0, 0 }, { "a", "b", "c" } },
        SortCase {
            "numbersByValue", { { "10", "" }, { "9", "" }, { "100", "" } }, { 0, 0 }, { "9", "10", "100" } },
        SortCase { "textByCharacterCode", { { "abc", "" }, { "Abc", "" }, { "Zoo", "" } }, { 0, 0 },
            { "Abc", "Zoo", "abc" } },
        // By the bytes the vault stores: the euro sign is 0x80, before "é".
        SortCase {
            "textByStoredByte", { { "é", "" }, { "€", "" }, { "z", "" } }, { 0, 0 }, { "z", "€", "é" } },
        SortCase { "passwordColumnFirstClickAscends", { { "x", "b" }, { "y", "a" }, { "z", "c" } }, { 1 },
            { "y", "x", "z" } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, HeaderClickWithOneEntryDoesNothing)
{
    openWindow({ { "seul", "1" } });
    clickHeader(grid(), 0);
    EXPECT_TRUE(grid().sortAscending());
    clickHeader(grid(), 1);
    EXPECT_EQ(grid().sortColumn(), 0);

    grid().setRowCount(3);
    grid().setCell(0, 2, QStringLiteral("autre"));
    clickHeader(grid(), 0);
    EXPECT_EQ(grid().cell(0, 1), QStringLiteral("seul")) << "the first click after still descends";
}

TEST_F(MainFormTest, ClosingStoresTheSortedOrder)
{
    openWindow({ { "b", "2" }, { "a", "1" }, { "c", "3" } });
    clickHeader(grid(), 0);

    EXPECT_TRUE(form->close());
    const Entries sorted { { "c", "3" }, { "b", "2" }, { "a", "1" } };
    EXPECT_EQ(storedEntries(), sorted);
}

TEST_F(MainFormTest, ClosingRewritesAnUnchangedTable)
{
    // Two saves within one millisecond would draw the same decoys: give
    // each save its own clock reading.
    std::uint32_t clock = 1000;
    setDecoyClockForTesting([&clock] { return clock += 7919; });
    openWindow({ { "a", "1" } });
    form->SaveTable();
    const std::string before = vaultBytes();

    QTest::mouseClick(form->Button1, Qt::LeftButton);
    setDecoyClockForTesting(nullptr);
    EXPECT_FALSE(form->isVisible());
    EXPECT_NE(vaultBytes(), before) << "fresh decoys at every save";
    const Entries same { { "a", "1" } };
    EXPECT_EQ(storedEntries(), same);
}

TEST_F(MainFormTest, ClosingWithoutAccessSavesNothing)
{
    openWindow({ { "a", "1" } });
    form->Fields.AccessGranted = false;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(QFile::exists(iniPath()));
}

// Where the window carries our own title bar (Wayland): the close box
// alone, which closes the way the window's own close does, saving the
// table; the controls keep their places in the client area.
TEST_F(MainFormTest, OurOwnTitleBarOffersOnlyTheCloseBoxWhichSaves)
{
    const TMainForm plain(folder.path());
    WindowFrame::forceForTesting(true);
    openWindow({ { "a", "1" } });
    WindowFrame::forceForTesting(false);
    const WindowFrame* frame = WindowFrame::of(*form);
    ASSERT_NE(frame, nullptr);

    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint) << "Qt's own decorations would show";
    QToolButton* close = frame->titleBar()->closeButton();
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(frame->titleBar()->findChildren<QAbstractButton*>(), QList<QAbstractButton*> { close });
    EXPECT_EQ(frame->titleBar()->shownCaption(), QStringLiteral("Mots de passe"));
    const QRect client = WindowFrame::clientArea(*form);
    EXPECT_EQ(client.size(), QSize(450, 480));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const std::pair<QWidget*, QWidget*> controls[] = { { form->Grille, plain.Grille },
        { form->Panel1, plain.Panel1 }, { form->Button1, plain.Button1 }, { form->Button4, plain.Button4 },
        { form->UrlLabel1, plain.UrlLabel1 }, { form->Label1, plain.Label1 } };
    for (const auto& [framed, unframed] : controls)
        EXPECT_EQ(
            framed->mapTo(form.get(), QPoint(0, 0)) - client.topLeft(), unframed->mapTo(&plain, QPoint(0, 0)))
            << unframed->metaObject()->className();

    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    const Entries stored { { "a", "1" } };
    EXPECT_EQ(storedEntries(), stored);
}

TEST_F(MainFormTest, EnterKeepsTheTypedTextAndEscapePutsTheOldTextBack)
{
    openWindow({ { "Banque", "1234" } });

    typeText(grid(), QStringLiteral("Poste"));
    EXPECT_TRUE(grid().isEditing());
    pressKey(grid(), Qt::Key_Return);
    EXPECT_FALSE(grid().isEditing());
    EXPECT_EQ(grid().cell(0, 1), QStringLiteral("Poste"));

    pressKey(grid(), Qt::Key_Return);
    EXPECT_TRUE(grid().isEditing()) << "Enter on a closed cell opens its editor";
    typeText(grid(), QStringLiteral("xyz"));
    pressKey(grid(), Qt::Key_Escape);
    EXPECT_FALSE(grid().isEditing());
    EXPECT_EQ(grid().cell(0, 1), QStringLiteral("Poste"));
}

TEST_F(MainFormTest, TabFromTheEditorKeepsTheTextAndMovesOn)
{
    openWindow({ { "", "" }, { "", "" } });

    typeText(grid(), QStringLiteral("Impôts"));
    pressKey(grid(), Qt::Key_Tab);
    typeText(grid(), QStringLiteral("k8#z"));
    pressKey(grid(), Qt::Key_Tab);
    EXPECT_EQ(grid().cell(0, 1), QStringLiteral("Impôts"));
    EXPECT_EQ(grid().cell(1, 1), QStringLiteral("k8#z"));
    EXPECT_EQ(grid().row(), 2);
    EXPECT_EQ(grid().col(), 0);
    EXPECT_TRUE(form->Button3->isEnabled());

    pressKey(grid(), Qt::Key_Tab);
    pressKey(grid(), Qt::Key_Tab);
    EXPECT_EQ(grid().row(), 1) << "Tab from the last cell wraps to the first entry";
    EXPECT_EQ(QApplication::focusWidget(), form->Grille) << "Tab never leaves the grid";
}

TEST_F(MainFormTest, AnOpenEditIsSavedOnClose)
{
    openWindow({ { "Banque", "1234" } });
    pressKey(grid(), Qt::Key_Tab);
    typeText(grid(), QStringLiteral("nouveau"));
    ASSERT_TRUE(grid().isEditing());

    EXPECT_TRUE(form->close());
    const Entries expected { { "Banque", "nouveau" } };
    EXPECT_EQ(storedEntries(), expected);
}

TEST_F(MainFormTest, TheEditorTakesOnlyWhatTheVaultKeeps)
{
    openWindow({ { "", "" } });
    typeText(grid(), QStringLiteral("é€Ωœ中"));
    typeText(grid(), QString(300, QLatin1Char('a')));
    pressKey(grid(), Qt::Key_Return);

    const QString kept = grid().cell(0, 1);
    EXPECT_EQ(kept.size(), 255);
    EXPECT_TRUE(kept.startsWith(QStringLiteral("é€œa")));
    form->close();
    EXPECT_EQ(fromCp1252(storedEntries().at(0).first), kept);
}

TEST_F(MainFormTest, AFailedSaveOnCloseKeepsTheWindowOpen)
{
    openWindow({ { "Banque", "1234" } });
    ASSERT_TRUE(QDir().mkdir(iniPath())); // the vault's name is taken by a folder
    answer = MsgResult::No; // to "Voulez-vous fermer Kaldrino sans enregistrer ?"

    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    EXPECT_EQ(
        messages[0].text, QStringLiteral("Impossible d'écrire dans ") + iniPath() + QStringLiteral("."));
    EXPECT_EQ(messages[1].text, CloseWithoutSavingQuestion());
    EXPECT_EQ(grid().cell(0, 1), QStringLiteral("Banque"));

    ASSERT_TRUE(QDir().rmdir(iniPath()));
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    const Entries expected { { "Banque", "1234" } };
    EXPECT_EQ(storedEntries(), expected);
}

TEST_F(MainFormTest, ChangingTheSecretSavesBeforeTheSetupDialogOpens)
{
    openWindow({ { "Banque", "1234" } });
    QDialog setup;
    form->setGraphPass(&setup);
    Entries storedWhileOpen;
    bool shown = false;
    whenVisible(setup, [&] {
        shown = true;
        storedWhileOpen = storedEntries();
        setup.reject();
    });

    typeText(grid(), QStringLiteral("Poste"));
    QTest::mouseClick(form->Button4, Qt::LeftButton);

    EXPECT_TRUE(shown);
    const Entries expected { { "Poste", "1234" } };
    EXPECT_EQ(storedWhileOpen, expected);
}

TEST_F(MainFormTest, TheLogoAndTheLinkOpenTheGuide)
{
    std::vector<QString> opened;
    setShellOpenSeamForTesting([&](const QString& target) { opened.push_back(target); });
    openWindow({ { "a", "1" } });

    QTest::mouseClick(form->Image1, Qt::LeftButton, Qt::NoModifier, QPoint(50, 40));
    QTest::mouseClick(form->UrlLabel1, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));

    const QString guide = folder.file(QStringLiteral("kaldrino-guide.html"));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], guide);
    EXPECT_EQ(QUrl(opened[1]).toLocalFile(), guide);
    EXPECT_EQ(form->UrlLabel1->text(), QStringLiteral("kaldrino-guide.html"));
}

TEST_F(MainFormTest, TheHeaderRowIsDrawnBold)
{
    openWindow({ { "a", "1" } });
    for (int row : { 0, 1 }) {
        QBrush brush;
        QFont font;
        grid().cellAppearance(row, 0, brush, font);
        EXPECT_EQ(font.bold(), row == 0) << "row " << row;
    }
}

} // namespace
