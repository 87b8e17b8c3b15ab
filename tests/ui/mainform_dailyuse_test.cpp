// The table window in daily use: typing a new entry right after "Ajouter",
// and copying cells, a password being taken off the clipboard again.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QMimeData>
#include <QPushButton>
#include <memory>

#include "clipboardguard.h"
#include "contextmenudriver.h"
#include "cp1252.h"
#include "desktop.h"
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

    void TearDown() override
    {
        setMessageSeamForTesting({});
        setSecretClipboardLifetimeForTesting(std::chrono::seconds(30));
    }

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

// How each way of copying leaves the clipboard: the password column's
// text marked as a secret, the description as plain text.
TEST_F(DailyUseTest, CopiesMarkOnlyThePasswordAsASecret)
{
    openWindow({ { "Messagerie", "plivor" }, { "Impôts", "déjà-vu" } });
    struct {
        const char* name;
        int column;
        int row;
        const char* menuItem; // null: Ctrl+C on the cell
        QString copied;
        bool secret;
    } cases[] = {
        { "Copier on a description", 0, 2, "Copier", QStringLiteral("Impôts"), false },
        { "Copier on a password", 1, 2, "Copier", QStringLiteral("déjà-vu"), true },
        { "Copier le mot de passe on a description", 0, 1, "Copier le mot de passe", QStringLiteral("plivor"),
            true },
        { "Ctrl+C on a description", 0, 1, nullptr, QStringLiteral("Messagerie"), false },
        { "Ctrl+C on a password", 1, 2, nullptr, QStringLiteral("déjà-vu"), true },
    };
    for (const auto& c : cases) {
        QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
        if (c.menuItem) {
            const QStringList offered = openContextMenu(
                grid().viewport(), cellCentre(c.column, c.row), QString::fromUtf8(c.menuItem));
            EXPECT_EQ(
                offered, QStringList({ QStringLiteral("Copier"), QStringLiteral("Copier le mot de passe") }))
                << c.name;
        } else {
            clickCell(grid(), c.column, c.row);
            pressKey(grid(), Qt::Key_C, Qt::ControlModifier);
        }
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr) << c.name;
        EXPECT_EQ(data->text(), c.copied) << c.name;
        EXPECT_EQ(data->hasFormat(QLatin1String(kPasswordManagerHintFormat)), c.secret) << c.name;
    }
    EXPECT_TRUE(openContextMenu(grid().horizontalHeader()->viewport(), QPoint(20, 10)).isEmpty())
        << "the header row offers a menu";
}

TEST_F(DailyUseTest, OnlyACopiedPasswordLeavesTheClipboardAfterTheDelay)
{
    setSecretClipboardLifetimeForTesting(std::chrono::milliseconds(50));
    openWindow({ { "Messagerie", "plivor" } });
    QClipboard& clipboard = *QGuiApplication::clipboard();

    clickCell(grid(), 1, 1);
    pressKey(grid(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard.text(), QStringLiteral("plivor"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return clipboard.text().isEmpty(); }, 5000));

    clickCell(grid(), 0, 1);
    pressKey(grid(), Qt::Key_C, Qt::ControlModifier);
    QTest::qWait(300);
    EXPECT_EQ(clipboard.text(), QStringLiteral("Messagerie"));
}

} // namespace
