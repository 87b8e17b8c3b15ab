#include "cellcompare.h"
#include "cp1252.h"

#include <gtest/gtest.h>

namespace {

const QLocale kFrench(QLocale::French, QLocale::France);
const QLocale kAmerican(QLocale::English, QLocale::UnitedStates);

struct CompareCase {
    const char* name;
    QLocale locale;
    QString first;
    QString second;
    int expected; // sign of the result
};

std::ostream& operator<<(std::ostream& out, const CompareCase& c)
{
    return out << c.name << ": \"" << c.first.toStdString() << "\" vs \"" << c.second.toStdString()
               << "\" in " << c.locale.name().toStdString();
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

class CompareCellsTest : public ::testing::TestWithParam<CompareCase> { };

TEST_P(CompareCellsTest, OrdersLikeTheGrid)
{
    const CompareCase& c = GetParam();
    EXPECT_EQ(sign(compareCells(c.first, c.second, c.locale, &cp1252Byte)), c.expected);
}

// The French thousands separator is a (narrow) no-break space.
const QString kGroup = kFrench.groupSeparator();

// Where the text order would differ from the expected one, the case also
// shows that the right kind of comparison was picked.
INSTANTIATE_TEST_SUITE_P(Numbers, CompareCellsTest,
    ::testing::Values(CompareCase { "by value", kFrench, "9", "10", -1 },
        CompareCase { "by value reversed", kFrench, "10", "9", 1 },
        CompareCase { "negative", kFrench, "-3", "2", -1 },
        CompareCase { "decimal comma", kFrench, "2,5", "2,25", 1 },
        CompareCase { "decimal point", kAmerican, "2.5", "10", -1 },
        CompareCase { "point is text in French", kFrench, "2.5", "10", 1 },
        CompareCase { "equal values", kFrench, "1,50", "1,5", 0 },
        CompareCase { "empty second counts 0", kFrench, "-3", "", -1 },
        CompareCase { "empty second counts 0, positive", kFrench, "3", "", 1 },
        CompareCase { "without separator", kFrench, "1234,5", "999", 1 },
        CompareCase { "thousands separator can't be read", kFrench, "1" + kGroup + "234,5", "5", 0 },
        CompareCase { "second with separator can't be read", kFrench, "5", "1" + kGroup + "234", 0 },
        CompareCase { "second not a number", kFrench, "5", "abc", 0 },
        CompareCase { "signs only in the right place", kFrench, "1-", "2", 0 },
        CompareCase { "separators apart", kAmerican, "1,234,567", "2", 0 }),
    [](const auto& info) { return "case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(NotNumbers, CompareCellsTest,
    ::testing::Values(CompareCase { "separator first", kAmerican, ",5", "1", -1 },
        CompareCase { "separators side by side", kAmerican, "1,,5", "1,5", -1 },
        CompareCase { "separator two after another", kAmerican, "1,2,3", "1,3", -1 },
        CompareCase { "two decimal separators", kAmerican, "1.5.2", "1.6", -1 },
        CompareCase { "two minus signs", kAmerican, "--1", "-0", -1 },
        CompareCase { "empty first cell", kFrench, "", "3", -1 },
        CompareCase { "letters", kFrench, "9a", "10", 1 }),
    [](const auto& info) { return "case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(Dates, CompareCellsTest,
    ::testing::Values(CompareCase { "day first", kFrench, "1/2/2020", "12/1/2019", 1 },
        CompareCase { "month first", kAmerican, "1/2/2020", "12/1/2019", 1 },
        CompareCase { "day first decides", kFrench, "1/2/2020", "2/1/2020", 1 },
        CompareCase { "month first decides", kAmerican, "1/2/2020", "2/1/2020", -1 },
        CompareCase { "slash third", kFrench, "01/02/2020", "31/01/2020", 1 },
        CompareCase { "time of day", kFrench, "1/2/2020", "1/2/2020 12:00", -1 },
        CompareCase { "two-digit year", kFrench, "1/2/20", "1/2/1999", 1 },
        CompareCase { "unreadable second counts 0", kFrench, "1/2/2020", "abc", 1 },
        CompareCase { "impossible date counts 0", kFrench, "12/31/2020", "1/1/1900", -1 },
        CompareCase { "same day", kFrench, "01/02/2020", "1/2/2020", 0 }),
    [](const auto& info) { return "case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(Text, CompareCellsTest,
    ::testing::Values(CompareCase { "capitals first", kFrench, "Abc", "abc", -1 },
        CompareCase { "B before a", kFrench, "B", "a", -1 },
        CompareCase { "accents after z", kFrench, "é", "z", 1 },
        CompareCase { "prefix first", kFrench, "ab", "abc", -1 },
        CompareCase { "same", kFrench, "Messagerie", "Messagerie", 0 },
        CompareCase { "euro is byte 0x80", kFrench, QString(QChar(0x20AC)), "z", 1 },
        CompareCase { "euro before e acute", kFrench, QString(QChar(0x20AC)), "é", -1 },
        CompareCase { "OE ligature is byte 0x8C", kFrench, QString(QChar(0x152)), "é", -1 },
        CompareCase { "slash not between digits", kFrench, "a/b", "a0", -1 }),
    [](const auto& info) { return "case" + std::to_string(info.index); });

} // namespace
