#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "messagebox.h"
#include "modalwatch.h"
#include "titlebar.h"
#include "windowframe.h"

// Readable failures for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// What the real box looked like when it was on screen.
struct SeenBox {
    bool seen = false;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    QString text;
    bool wordWrap = false;
    int width = 0;
};

enum class Act { Enter, Escape, CloseBox };

// Shows the real box and acts on it from inside its modal loop.
MsgResult showAndAct(const QString& text, MsgKind kind, MsgButtons buttons, Act act, SeenBox& seen)
{
    whenModal<QMessageBox>([&](QMessageBox* box) {
        seen.seen = true;
        seen.caption = box->windowTitle();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            seen.buttons << b->text();
        seen.buttons.sort();
        if (box->defaultButton())
            seen.defaultButton = box->defaultButton()->text();
        seen.text = box->text();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            seen.wordWrap = label->wordWrap();
        seen.width = box->width();
        switch (act) {
        case Act::Enter:
            QTest::keyClick(box, Qt::Key_Return);
            break;
        case Act::Escape:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case Act::CloseBox:
            box->close();
            break;
        }
    });
    return MessageDlg(text, kind, buttons);
}

TEST(MessageDlg, RealBoxesShowTheirKindAndAnswerKeysAndTheCloseBox)
{
    struct Case {
        MsgKind kind;
        MsgButtons buttons;
        Act act;
        MsgResult expected;
        QString caption;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        { MsgKind::Information, MsgButtons::Ok, Act::Escape, MsgResult::Ok, "Information",
            QMessageBox::Information },
        { MsgKind::Warning, MsgButtons::Ok, Act::Enter, MsgResult::Ok, "Avertissement",
            QMessageBox::Warning },
        { MsgKind::Error, MsgButtons::Ok, Act::CloseBox, MsgResult::Cancel, "Kaldrino",
            QMessageBox::Critical },
        { MsgKind::Confirmation, MsgButtons::YesNo, Act::Enter, MsgResult::Yes, "Confirmation",
            QMessageBox::Question },
        { MsgKind::Confirmation, MsgButtons::YesNo, Act::Escape, MsgResult::No, "Confirmation",
            QMessageBox::Question },
        { MsgKind::Confirmation, MsgButtons::YesNo, Act::CloseBox, MsgResult::Cancel, "Confirmation",
            QMessageBox::Question },
        // A question that cannot be undone: Enter does not say yes.
        { MsgKind::Confirmation, MsgButtons::YesNoDefaultNo, Act::Enter, MsgResult::No, "Confirmation",
            QMessageBox::Question },
        { MsgKind::Confirmation, MsgButtons::YesNoDefaultNo, Act::Escape, MsgResult::No, "Confirmation",
            QMessageBox::Question },
        { MsgKind::Confirmation, MsgButtons::YesNoDefaultNo, Act::CloseBox, MsgResult::Cancel, "Confirmation",
            QMessageBox::Question },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption.toStdString() + " act " + std::to_string(int(c.act)));
        SeenBox seen;
        const MsgResult result = showAndAct(QStringLiteral("Une ligne"), c.kind, c.buttons, c.act, seen);

        ASSERT_TRUE(seen.seen);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(seen.caption, c.caption);
        EXPECT_EQ(seen.icon, c.icon);
        if (c.buttons == MsgButtons::Ok) {
            EXPECT_EQ(seen.buttons, QStringList { "OK" });
            EXPECT_EQ(seen.defaultButton, "OK");
        } else {
            EXPECT_EQ(seen.buttons, (QStringList { "&Non", "&Oui" }));
            EXPECT_EQ(seen.defaultButton, c.buttons == MsgButtons::YesNo ? "&Oui" : "&Non");
        }
    }
}

TEST(MessageDlg, CarriageReturnsShowAsLineBreaksAndLongLinesWrap)
{
    // Lines joined by a lone character 13, an empty line being two.
    const QString longLine = QStringLiteral("mot ").repeated(150);
    SeenBox seen;
    showAndAct(QStringLiteral("Kaldrino\r\rPour pouvoir accèder\rfaites <b>vos</b> clics.\r") + longLine,
        MsgKind::Information, MsgButtons::Ok, Act::Enter, seen);

    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(
        seen.text, QStringLiteral("Kaldrino\n\nPour pouvoir accèder\nfaites <b>vos</b> clics.\n") + longLine);
    EXPECT_TRUE(seen.wordWrap);
    EXPECT_LT(seen.width, 800);
}

// Where the box carries our own title bar (Wayland), the bar offers only
// the close box, which answers Cancel, and the message sits below it.
TEST(MessageDlg, OurOwnTitleBarOffersOnlyTheCloseBox)
{
    WindowFrame::forceForTesting(true);
    bool seen = false;
    bool frameless = false;
    QList<QAbstractButton*> barButtons;
    QToolButton* close = nullptr;
    QString caption;
    QRect client;
    QRect message;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        seen = true;
        frameless = box->windowFlags().testFlag(Qt::FramelessWindowHint);
        const TitleBar* bar = WindowFrame::of(*box)->titleBar();
        barButtons = bar->findChildren<QAbstractButton*>();
        close = bar->closeButton();
        caption = bar->shownCaption();
        client = WindowFrame::clientArea(*box);
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            message = label->geometry();
        QTest::mouseClick(close, Qt::LeftButton);
    });
    const MsgResult result
        = MessageDlg(QStringLiteral("Voulez-vous ?"), MsgKind::Confirmation, MsgButtons::YesNo);
    WindowFrame::forceForTesting(false);

    ASSERT_TRUE(seen);
    EXPECT_TRUE(frameless);
    EXPECT_EQ(barButtons, QList<QAbstractButton*> { close });
    EXPECT_EQ(caption, QStringLiteral("Confirmation"));
    EXPECT_TRUE(client.contains(message)) << "the message lies outside the client area";
    EXPECT_EQ(result, MsgResult::Cancel);
}

TEST(MessageDlg, TheSeamAnswersWithoutShowingABox)
{
    std::vector<MessageRecord> asked;
    setMessageSeamForTesting([&](const MessageRecord& record) {
        asked.push_back(record);
        return MsgResult::No;
    });
    const MsgResult result
        = MessageDlg(QStringLiteral("Voulez-vous ?"), MsgKind::Confirmation, MsgButtons::YesNo);
    setMessageSeamForTesting(nullptr);

    EXPECT_EQ(result, MsgResult::No);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("Voulez-vous ?"));
    EXPECT_EQ(asked[0].kind, MsgKind::Confirmation);
    EXPECT_EQ(asked[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
