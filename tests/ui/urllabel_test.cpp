#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "desktop.h"
#include "urllabel.h"

namespace {

struct TargetCase {
    QString url;
    QString caption;
    QString expected;
};

TEST(UrlLabelTarget, PrefersTheUrlAndIgnoresBlanksAndControls)
{
    const TargetCase cases[] = {
        { "file:///guide.html", "guide.html", "file:///guide.html" },
        { "", "guide.html", "guide.html" },
        { " \t\r\n", "guide.html", "guide.html" },
        { QString(QChar(1)), "guide.html", "guide.html" },
        { "", "  guide.html ", "  guide.html " }, // opened untrimmed
        { " x ", "guide.html", " x " },
        { "", " \x1f", "" },
        { "", "", "" },
    };
    for (const TargetCase& c : cases)
        EXPECT_EQ(UrlLabelTarget(c.url, c.caption), c.expected)
            << c.url.toStdString() << " / " << c.caption.toStdString();
}

class UrlLabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setShellOpenSeamForTesting([this](const QString& target) { opened.push_back(target); });
        label.setText(QStringLiteral("guide.html"));
        label.URL = QStringLiteral("file:///opt/kaldrino/guide.html");
        label.resize(120, 16);
        label.show();
    }
    void TearDown() override { setShellOpenSeamForTesting({}); }

    TUrlLabel label;
    std::vector<QString> opened;
};

TEST_F(UrlLabelTest, TurnsPurpleWhileHeldAndOpensOnRelease)
{
    const QColor blue(0, 0, 255);
    EXPECT_EQ(label.textColor(), blue);
    EXPECT_TRUE(label.font().underline());

    QTest::mousePress(&label, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(label.textColor(), QColor(128, 0, 128));
    EXPECT_TRUE(opened.empty());
    QTest::mouseRelease(&label, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(label.textColor(), blue);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], label.URL);
}

TEST_F(UrlLabelTest, ReleasedElsewhereOpensNothing)
{
    QTest::mousePress(&label, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    QTest::mouseRelease(&label, Qt::LeftButton, Qt::NoModifier, QPoint(400, 4));
    EXPECT_EQ(label.textColor(), QColor(0, 0, 255));
    EXPECT_TRUE(opened.empty());
}

TEST_F(UrlLabelTest, CopyPutsTheCaptionOnTheClipboard)
{
    ASSERT_EQ(label.contextMenuPolicy(), Qt::ActionsContextMenu);
    const QList<QAction*> items = label.actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Copy"));

    items[0]->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("guide.html"));
}

} // namespace
