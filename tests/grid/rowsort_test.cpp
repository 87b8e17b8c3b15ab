#include "rowsort.h"

#include "cp1252.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

const QLocale kFrench(QLocale::French, QLocale::France);

QList<QStringList> rows(std::initializer_list<QStringList> list)
{
    return QList<QStringList>(list);
}

TEST(SortRows, TiesFollowTheNextColumn)
{
    QList<QStringList> table = rows({ { "b", "2" }, { "a", "9" }, { "b", "1" }, { "a", "10" } });
    sortRows(table, 0, true, kFrench, &cp1252Byte);
    EXPECT_EQ(table, rows({ { "a", "9" }, { "a", "10" }, { "b", "1" }, { "b", "2" } }));

    sortRows(table, 0, false, kFrench, &cp1252Byte);
    EXPECT_EQ(table, rows({ { "b", "2" }, { "b", "1" }, { "a", "10" }, { "a", "9" } }));
}

TEST(SortRows, LastColumnHasNoTieBreakAndKeepsOrder)
{
    QList<QStringList> table = rows({ { "y", "1" }, { "x", "1" }, { "z", "0" } });
    sortRows(table, 1, true, kFrench, &cp1252Byte);
    EXPECT_EQ(table, rows({ { "z", "0" }, { "y", "1" }, { "x", "1" } }));
}

// "5" against "+" compares numbers and can't read "+": equal. "+" against
// "5" compares text: "+" first. The upper row's cell decides.
TEST(SortRows, UpperRowPicksTheKindOfComparison)
{
    for (const QList<QStringList>& table : { rows({ { "+" }, { "5" } }), rows({ { "5" }, { "+" } }) }) {
        QList<QStringList> sorted = table;
        sortRows(sorted, 0, true, kFrench, &cp1252Byte);
        EXPECT_EQ(sorted, table);
    }
}

// The comparison picks its kind from its first cell, so it is no strict
// order on a mix of kinds; the sort must still give back every row once.
TEST(SortRows, MixedKindsStayAPermutation)
{
    const QStringList cells { "10", "9", "", "abc", "1/2/2020", "-3", "1,5", "Zèbre", "12/1/2019", "1,2,3",
        "x" };
    std::mt19937 random(7);
    QList<QStringList> table;
    for (int i = 0; i < 300; ++i)
        table.append({ cells[random() % cells.size()], QString::number(i) });
    const QList<QStringList> before = table;
    for (bool ascending : { true, false }) {
        sortRows(table, 0, ascending, kFrench, &cp1252Byte);
        QList<QStringList> sorted = table;
        QList<QStringList> expected = before;
        const auto byNumber
            = [](const QStringList& a, const QStringList& b) { return a[1].toInt() < b[1].toInt(); };
        std::sort(sorted.begin(), sorted.end(), byNumber);
        std::sort(expected.begin(), expected.end(), byNumber);
        EXPECT_EQ(sorted, expected);
    }
}

} // namespace
