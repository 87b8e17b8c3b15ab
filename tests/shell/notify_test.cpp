#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <vector>

#include "kaldrinoerror.h"
#include "messagebox.h"

// An exception that escapes an event handler unwinds through Qt's own
// frames, which are built without exception support and so skip their
// destructors: a few bytes of Qt's event bookkeeping leak each time. That is
// the price of the application's safety net, not a fault of the program, so
// this test lives in its own executable with those leaks suppressed.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6Core.so\nleak:libQt6Gui.so\nleak:libQt6Widgets.so\n";
}

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

TEST(ApplicationNotify, AnErrorThrownByAnEventHandlerIsShownAndTheProgramGoesOn)
{
    std::vector<MessageRecord> shown;
    setMessageSeamForTesting([&](const MessageRecord& record) {
        shown.push_back(record);
        return MsgResult::Ok;
    });
    QPushButton failing(QStringLiteral("failing"));
    QPushButton working(QStringLiteral("working"));
    int worked = 0;
    QObject::connect(&failing, &QPushButton::clicked, [] { throw KaldrinoError("Erreur JPEG #42"); });
    QObject::connect(&working, &QPushButton::clicked, [&] { ++worked; });
    failing.show();
    working.show();

    QTest::mouseClick(&failing, Qt::LeftButton);
    QTest::mouseClick(&failing, Qt::LeftButton);
    QTest::mouseClick(&working, Qt::LeftButton);
    setMessageSeamForTesting(nullptr);

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Erreur JPEG #42."));
    EXPECT_EQ(shown[0].kind, MsgKind::Error);
    EXPECT_EQ(shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(worked, 1);
    EXPECT_FALSE(failing.isDown());
}

} // namespace
