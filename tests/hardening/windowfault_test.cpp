// Saves that fail, through the password list window's own save paths: Add,
// Delete, "Modifier le code secret graphique..." and closing. Whatever the
// fault, the error box names the vault's full path, the previous vault
// file is intact, the table stays in the window, and once the fault is
// gone closing the window stores it. A close whose save fails asks whether
// to close without saving, so that a medium that stays unwritable never
// traps the window.
#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "decoys.h"
#include "fileio.h"
#include "gridtable.h"
#include "hardeningutil.h"
#include "mainform.h"
#include "messagebox.h"
#include "stringgrid.h"
#include "tempdir.h"

namespace {

const Rows kTable { { "Description", "Mot de passe" }, { "Banque", "1234" }, { "Messagerie", "plivor" },
    { "Imp\xF4ts", "d\xE9j\xE0" } };

class WindowFault;

// A way for a save to fail, and its removal.
struct Fault {
    const char* name;
    std::function<void(WindowFault&)> apply;
    std::function<void(WindowFault&)> clear;
    bool vaultExists = true; // a previous vault file lies where the save goes
    bool rootWritesAnyway = false;
};

// A save path of the window, and what the window shows after it failed.
struct SavePath {
    const char* name;
    std::function<void(WindowFault&)> act;
    std::function<Rows(const Rows&)> tableAfter;
};

// Stands for the setup dialog and records whether it was opened.
class SetupStandIn : public QDialog {
public:
    bool opened = false;

protected:
    void showEvent(QShowEvent* event) override
    {
        opened = true;
        QDialog::showEvent(event);
        QTimer::singleShot(0, this, &QDialog::reject);
    }
};

void PrintTo(const Fault& fault, std::ostream* os)
{
    *os << fault.name;
}

void PrintTo(const SavePath& path, std::ostream* os)
{
    *os << path.name;
}

class WindowFault : public ::testing::TestWithParam<std::tuple<Fault, SavePath>> {
public:
    void SetUp() override
    {
        // Fresh decoys at every save, however fast they follow each other,
        // so that no save finds the file already as it would write it.
        setDecoyClockForTesting([seed = 0u]() mutable { return seed += 7919; });
        setMessageSeamForTesting([this](const MessageRecord& message) {
            messages.push_back(message);
            if (message.buttons == MsgButtons::Ok)
                return MsgResult::Ok;
            return message.text == CloseWithoutSavingQuestion() ? closeWithoutSaving : MsgResult::Yes;
        });
    }

    void TearDown() override
    {
        vault::setWriteFailureForTesting({});
        diskFull.reset();
        form.reset();
        setMessageSeamForTesting({});
        setDecoyClockForTesting({});
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The window past the gate, showing the table, which is also stored.
    void openWindow(const QString& appDir)
    {
        form = std::make_unique<TMainForm>(appDir);
        form->Fields.AccessGranted = true;
        form->Fields.IniPath = vault::vaultPath(appDir);
        form->setGraphPass(&setup);
        GridTable table(*form->Grille);
        table.setRowCount(int(kTable.size()));
        for (int r = 0; r < int(kTable.size()); ++r) {
            table.setCell(0, r, kTable[r].first);
            table.setCell(1, r, kTable[r].second);
        }
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    Rows windowTable() const
    {
        GridTable table(*form->Grille);
        Rows rows;
        for (int r = 0; r < table.rowCount(); ++r)
            rows.emplace_back(table.cell(0, r), table.cell(1, r));
        return rows;
    }

    Rows storedTable() const
    {
        MemoryTable table;
        LoadTable(iniPath, table);
        return table.rows();
    }

    TestFolder folder;
    QString appDir = folder.path();
    QString iniPath = vault::vaultPath(appDir);
    std::unique_ptr<TMainForm> form;
    SetupStandIn setup;
    std::vector<MessageRecord> messages;
    MsgResult closeWithoutSaving = MsgResult::No; // the answer to "fermer Kaldrino sans enregistrer ?"
    std::optional<FileSizeLimit> diskFull;
};

Fault injected(const char* name, vault::WriteStep failing)
{
    return { name,
        [failing](WindowFault&) {
            vault::setWriteFailureForTesting([failing](vault::WriteStep step) { return step == failing; });
        },
        [](WindowFault&) { vault::setWriteFailureForTesting({}); } };
}

void setFolderMode(WindowFault& t, QFile::Permissions permissions)
{
    ASSERT_TRUE(QFile::setPermissions(t.folder.path(), permissions));
}

const Fault kFaults[] = {
    injected("CreatingTheTemporaryFile", vault::WriteStep::CreateTemp),
    injected("Writing", vault::WriteStep::Write),
    injected("Syncing", vault::WriteStep::Sync),
    injected("Renaming", vault::WriteStep::Rename),
    { "DiskFull", [](WindowFault& t) { t.diskFull.emplace(readBytes(t.iniPath).size() / 2); },
        [](WindowFault& t) { t.diskFull.reset(); } },
    // The writer leaves a file without write permission alone, even for
    // root, whom the system would let replace it.
    { "ReadOnlyVault",
        [](WindowFault& t) {
            ASSERT_TRUE(QFile::setPermissions(t.iniPath, QFile::ReadOwner | QFile::ReadGroup));
        },
        [](WindowFault& t) {
            ASSERT_TRUE(QFile::setPermissions(t.iniPath, QFile::ReadOwner | QFile::WriteOwner));
        } },
    { "ReadOnlyFolder", [](WindowFault& t) { setFolderMode(t, QFile::ReadOwner | QFile::ExeOwner); },
        [](WindowFault& t) { setFolderMode(t, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); },
        true, true },
    // Root writes into a read-only folder; a folder nothing can be made in
    // stands for it there: the program's folder lies under a file.
    { "FolderIsAFile", [](WindowFault&) {}, [](WindowFault&) {}, false },
};

void clickAdd(WindowFault& t)
{
    QTest::mouseClick(t.form->Button2, Qt::LeftButton);
}

void clickDelete(WindowFault& t)
{
    t.form->Grille->setRow(2);
    ASSERT_TRUE(t.form->Button3->isEnabled());
    QTest::mouseClick(t.form->Button3, Qt::LeftButton);
}

void clickChangeSecret(WindowFault& t)
{
    QTest::mouseClick(t.form->Button4, Qt::LeftButton);
    EXPECT_FALSE(t.setup.opened) << "the setup dialog opened although the table was not saved";
}

void closeWindow(WindowFault& t)
{
    EXPECT_FALSE(t.form->close());
    EXPECT_TRUE(t.form->isVisible()) << "the window closed with the table unsaved";
    ASSERT_FALSE(t.messages.empty());
    EXPECT_EQ(t.messages.back().text, CloseWithoutSavingQuestion());
    t.messages.pop_back();
}

const SavePath kSavePaths[] = {
    { "Add", clickAdd,
        [](const Rows& rows) {
            Rows added = rows;
            added.emplace_back();
            return added;
        } },
    { "Delete", clickDelete,
        [](const Rows& rows) {
            Rows deleted = rows;
            deleted.erase(deleted.begin() + 2);
            return deleted;
        } },
    { "ChangeSecret", clickChangeSecret, [](const Rows& rows) { return rows; } },
    { "Close", closeWindow, [](const Rows& rows) { return rows; } },
};

TEST_P(WindowFault, TheFailedSaveLosesNothing)
{
    const auto& [fault, path] = GetParam();
    if (fault.rootWritesAnyway && runningAsRoot())
        GTEST_SKIP() << "root writes into a read-only folder; FolderIsAFile stands for it";

    if (fault.vaultExists) {
        openWindow(appDir);
        form->SaveTable();
    } else {
        // The program's folder is a path under a file: nothing can be made there.
        ASSERT_TRUE(writeBytes(folder.file(QStringLiteral("plain")), "x"));
        appDir = folder.file(QStringLiteral("plain/"));
        iniPath = vault::vaultPath(appDir);
        openWindow(appDir);
    }
    if (HasFatalFailure())
        return;
    const std::string before = readBytes(iniPath);
    fault.apply(*this);
    if (HasFatalFailure())
        return;

    path.act(*this);

    const auto errors = std::count_if(
        messages.begin(), messages.end(), [](const MessageRecord& m) { return m.kind == MsgKind::Error; });
    ASSERT_EQ(errors, 1);
    EXPECT_EQ(messages.back().kind, MsgKind::Error);
    EXPECT_EQ(messages.back().text, "Impossible d'écrire dans " + iniPath + ".");
    EXPECT_EQ(windowTable(), path.tableAfter(kTable)) << "the window lost the table";
    fault.clear(*this);
    if (HasFatalFailure())
        return;
    if (fault.vaultExists) {
        EXPECT_EQ(readBytes(iniPath), before) << "the previous vault file changed";
        EXPECT_EQ(storedTable(), kTable);
        EXPECT_EQ(folderEntries(folder.path()), QStringList { "kaldrino.ini" })
            << "a temporary file was left";

        // With the fault gone, closing stores what the window shows.
        const Rows shown = windowTable();
        EXPECT_TRUE(form->close());
        EXPECT_EQ(storedTable(), shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, WindowFault,
    ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::ValuesIn(kSavePaths)), [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

class SingleFault : public WindowFault { };

TEST_F(SingleFault, TheUserMayCloseWithoutSaving)
{
    const struct {
        MsgResult answer;
        bool closes;
    } cases[] = { { MsgResult::Yes, true }, { MsgResult::No, false }, { MsgResult::Cancel, false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.closes ? "Oui" : (c.answer == MsgResult::No ? "Non" : "closed box"));
        messages.clear();
        openWindow(appDir);
        form->SaveTable();
        const std::string before = readBytes(iniPath);
        form->Grille->setCell(1, 1, QStringLiteral("changé"));
        vault::setWriteFailureForTesting(
            [](vault::WriteStep step) { return step == vault::WriteStep::Write; });
        closeWithoutSaving = c.answer;

        EXPECT_EQ(form->close(), c.closes);

        vault::setWriteFailureForTesting({});
        EXPECT_EQ(form->isVisible(), !c.closes);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].kind, MsgKind::Error);
        EXPECT_EQ(messages[1].text,
            QStringLiteral("Le tableau n'a pas pu être enregistré.\rSi vous fermez Kaldrino maintenant, les "
                           "modifications faites depuis le dernier enregistrement seront perdues.\r\r"
                           "Voulez-vous fermer Kaldrino sans enregistrer ?"));
        EXPECT_EQ(messages[1].kind, MsgKind::Confirmation);
        EXPECT_EQ(messages[1].buttons, MsgButtons::YesNoDefaultNo);
        EXPECT_EQ(readBytes(iniPath), before) << "the vault changed";
    }
}

// The buttons' handlers keep their errors to themselves: a click made by
// the program, with no event for the application to catch an error in,
// shows the error box and throws nothing through the button's signal.
TEST_F(SingleFault, AButtonThatFailsShowsItsErrorAndThrowsNothing)
{
    const struct {
        const char* name;
        std::function<QPushButton*(TMainForm&)> button;
        bool asks; // a confirmation comes before the save
    } cases[] = {
        { "Ajouter", [](TMainForm& f) { return f.Button2; }, false },
        { "Supprimer...",
            [](TMainForm& f) {
                f.Grille->setRow(3);
                return f.Button3;
            },
            true },
        { "Modifier le code secret graphique...", [](TMainForm& f) { return f.Button4; }, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        openWindow(appDir);
        form->SaveTable();
        QPushButton* button = c.button(*form);
        vault::setWriteFailureForTesting(
            [](vault::WriteStep step) { return step == vault::WriteStep::Rename; });

        EXPECT_NO_THROW(button->click());
        QTest::mouseClick(button, Qt::LeftButton);

        vault::setWriteFailureForTesting({});
        ASSERT_EQ(messages.size(), c.asks ? 4u : 2u);
        for (const MessageRecord& message : messages) {
            if (message.kind != MsgKind::Confirmation) {
                EXPECT_EQ(message.text, "Impossible d'écrire dans " + iniPath + ".");
            }
        }
        EXPECT_FALSE(setup.opened);
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->close()) << "the window goes on and saves once the fault is gone";
    }
}

} // namespace
