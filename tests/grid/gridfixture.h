#pragma once

#include "stringgrid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

// A grid the size of the table window's, shown, with the window's header
// texts, recording every row-changing notification.
class GridFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid = std::make_unique<StringGrid>();
        grid->resize(433, 305);
        grid->setCell(0, 0, "Description");
        grid->setCell(1, 0, "Mot de passe");
        grid->onRowChanging = [this](int oldRow, int newRow, bool& allow) {
            changes.emplace_back(oldRow, newRow);
            if (newRow == refusedRow)
                allow = false;
        };
        grid->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
        grid->activateWindow();
        grid->setFocus();
    }

    // Replaces the entries; the header stays.
    void fill(const std::vector<std::pair<QString, QString>>& entries)
    {
        grid->setRowCount(int(entries.size()) + 1);
        for (size_t i = 0; i < entries.size(); ++i) {
            grid->setCell(0, int(i) + 1, entries[i].first);
            grid->setCell(1, int(i) + 1, entries[i].second);
        }
        changes.clear();
    }

    QStringList column(int c) const
    {
        QStringList cells;
        for (int r = 1; r < grid->rowCount(); ++r)
            cells << grid->cell(c, r);
        return cells;
    }

    // Keys go to the open editor, or to the grid.
    QWidget* keyTarget() const
    {
        if (QLineEdit* editor = openEditor())
            return editor;
        return grid.get();
    }

    QLineEdit* openEditor() const
    {
        for (QLineEdit* editor : grid->viewport()->findChildren<QLineEdit*>()) {
            if (editor->isVisible())
                return editor;
        }
        return nullptr;
    }

    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(keyTarget(), k, modifiers);
    }

    // Qt Test's own helper only knows ASCII.
    void type(const QString& text)
    {
        for (QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(keyTarget(), c.toLatin1());
            else
                QTest::sendKeyEvent(
                    QTest::Click, keyTarget(), Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
        }
    }

    QPoint cellPoint(int column, int row) const
    {
        return QPoint(grid->columnViewportPosition(column) + grid->columnWidth(column) / 2,
            grid->rowViewportPosition(row - 1) + grid->rowHeight(row - 1) / 2);
    }

    void clickCell(int column, int row)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cellPoint(column, row));
    }

    QPoint headerPoint(int column) const
    {
        return QPoint(grid->columnViewportPosition(column) + grid->columnWidth(column) / 2, 10);
    }

    void clickHeader(int column, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid->horizontalHeader()->viewport(), button, Qt::NoModifier, headerPoint(column));
    }

    std::pair<int, int> current() const { return { grid->col(), grid->row() }; }

    std::unique_ptr<StringGrid> grid;
    std::vector<std::pair<int, int>> changes;
    int refusedRow = -1;
};

// Readable failure output for cells.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
