// The table window in daily use: typing a new entry right after "Ajouter".

#include <gtest/gtest.h>

#include <QPushButton>
#include <memory>

#include "cp1252.h"
#include "mainform.h"
#include "memorytable.h"
#include "messagebox.h"
#include "stringgrid.h"
#include "tempdir.h"
#include "windowdriver.h"

namespace {

using Entries = std::vector<MemoryTable::Entry>;

// The window on a fresh folder, past the gate, showing the given entries
// with the first entry row current. Message boxes are recorded, not shown.
class DailyUseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMessageSeamForTesting([this](const MessageRecord& message) {
            messages.push_back(message.text);
            return MsgResult::Ok;
        });
    }

    void TearDown() override { setMessageSeamForTesting({}); }

    void openWindow(const std::vector<std::pair<QString, QString>>& entries)
    {
        form = std::make_unique<TMainForm>(folder.path());
        form->Fields.AccessGranted = true;
        form->Fields.IniPath = folder.file(QStringLiteral("kaldrino.ini"));
        StringGrid& grid = *form->Grille;
        grid.setRowCount(int(entries.size()) + 1);
        for (int r = 0; r < int(entries.size()); ++r) {
            grid.setCell(0, r + 1, entries[r].first);
            grid.setCell(1, r + 1, entries[r].second);
        }
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        grid.setFocus();
    }

    StringGrid& grid() { return *form->Grille; }

    Entries gridEntries()
    {
        Entries result;
        for (int r = 1; r < grid().rowCount(); ++r)
            result.emplace_back(toCp1252(grid().cell(0, r)), toCp1252(grid().cell(1, r)));
        return result;
    }

    Entries storedEntries() const
    {
        MemoryTable table;
        LoadTable(folder.file(QStringLiteral("kaldrino.ini")), table);
        return table.entries();
    }

    QPoint cellCentre(int column, int row)
    {
        return grid().visualRect(grid().model()->index(row - 1, column)).center();
    }

    TestFolder folder;
    std::unique_ptr<TMainForm> form;
    QStringList messages;
};

TEST_F(DailyUseTest, TypingRightAfterAddFillsTheNewRow)
{
    openWindow({ { "Banque", "1234" } });
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    EXPECT_EQ(storedEntries(), (Entries { { "Banque", "1234" }, { "", "" } }));

    // Each key goes wherever the keyboard focus is then, as a person's would.
    typeText(grid(), QStringLiteral("Banque été"));
    pressKey(grid(), Qt::Key_Tab);
    typeText(grid(), QStringLiteral("mot de passe"));
    pressKey(grid(), Qt::Key_Return);

    EXPECT_EQ(gridEntries(),
        (Entries { { "Banque", "1234" }, { toCp1252(QStringLiteral("Banque été")), "mot de passe" } }));
    EXPECT_EQ(grid().row(), 2);
    EXPECT_EQ(grid().col(), 1);
    EXPECT_FALSE(grid().isEditing());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(DailyUseTest, EscapeRightAfterAddLeavesTheNewRowEmpty)
{
    openWindow({ { "Banque", "1234" } });
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    typeText(grid(), QStringLiteral("x"));
    pressKey(grid(), Qt::Key_Escape);
    EXPECT_EQ(gridEntries(), (Entries { { "Banque", "1234" }, { "", "" } }));
    EXPECT_EQ(QApplication::focusWidget(), &grid());
}

} // namespace
