#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <memory>

#include "clipboardguard.h"

namespace {

using namespace std::chrono_literals;

QClipboard& clipboard()
{
    return *QGuiApplication::clipboard();
}

QByteArray secretMark()
{
    const QMimeData* data = clipboard().mimeData();
    return data ? data->data(QLatin1String(kPasswordManagerHintFormat)) : QByteArray();
}

// Lets the guard's timer run; generous, the delay is 50 ms.
bool clipboardEmptiedWithin5s()
{
    return QTest::qWaitFor([] { return clipboard().text().isEmpty(); }, 5000);
}

class ClipboardGuardTest : public ::testing::Test {
protected:
    void SetUp() override { clipboard().setText(QStringLiteral("before")); }

    ClipboardGuard guard { 50ms };
};

TEST_F(ClipboardGuardTest, CopiesTheSecretMarkedForClipboardManagers)
{
    guard.copySecret(QStringLiteral("Noël@Forêt"));
    EXPECT_EQ(clipboard().text(), QStringLiteral("Noël@Forêt"));
    EXPECT_EQ(secretMark(), QByteArray("secret"));
}

TEST_F(ClipboardGuardTest, ClearsTheSecretAfterTheDelay)
{
    guard.copySecret(QStringLiteral("déjà-vu 42"));
    EXPECT_TRUE(clipboardEmptiedWithin5s());
    EXPECT_TRUE(secretMark().isEmpty());
}

TEST_F(ClipboardGuardTest, LeavesAloneWhatWasCopiedSince)
{
    const QString later[] = {
        QStringLiteral("autre chose"),
        QStringLiteral("même texte"), // the same text copied elsewhere, unmarked
    };
    for (const QString& text : later) {
        guard.copySecret(QStringLiteral("même texte"));
        clipboard().setText(text);
        QTest::qWait(200);
        EXPECT_EQ(clipboard().text(), text);
    }
}

TEST_F(ClipboardGuardTest, ANewerSecretRestartsTheDelayForItself)
{
    guard.copySecret(QStringLiteral("premier"));
    guard.copySecret(QStringLiteral("second"));
    EXPECT_EQ(clipboard().text(), QStringLiteral("second"));
    EXPECT_TRUE(clipboardEmptiedWithin5s());
}

TEST(ClipboardGuardEnd, ClearsWhenTheGuardEnds)
{
    {
        ClipboardGuard guard(1h);
        guard.copySecret(QStringLiteral("plivor"));
        EXPECT_EQ(clipboard().text(), QStringLiteral("plivor"));
    }
    EXPECT_TRUE(clipboard().text().isEmpty());

    // ...but not what the user copied after the secret.
    {
        ClipboardGuard guard(1h);
        guard.copySecret(QStringLiteral("plivor"));
        clipboard().setText(QStringLiteral("adresse"));
    }
    EXPECT_EQ(clipboard().text(), QStringLiteral("adresse"));
}

TEST(ClipboardGuardEnd, ClearsWhenTheApplicationIsAboutToQuit)
{
    ClipboardGuard guard(1h);
    guard.copySecret(QStringLiteral("plivor"));
    // The event loop's end is what the program's end goes through.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    EXPECT_TRUE(clipboard().text().isEmpty());
}

TEST(ClipboardHoldsSecretTest, OnlyTheSameTextWithTheMark)
{
    auto mime = [](const QString& text, const QByteArray& mark) {
        auto data = std::make_unique<QMimeData>();
        data->setText(text);
        if (!mark.isNull())
            data->setData(QLatin1String(kPasswordManagerHintFormat), mark);
        return data;
    };
    struct {
        const char* name;
        std::unique_ptr<QMimeData> now;
        bool ours;
    } cases[] = {
        { "same text, marked", mime(QStringLiteral("été"), "secret"), true },
        { "other text, marked", mime(QStringLiteral("ete"), "secret"), false },
        { "same text, unmarked", mime(QStringLiteral("été"), QByteArray()), false },
        { "same text, other mark", mime(QStringLiteral("été"), "public"), false },
        { "no text", std::make_unique<QMimeData>(), false },
        { "nothing", nullptr, false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClipboardHoldsSecret(c.now.get(), QStringLiteral("été")), c.ours) << c.name;
}

} // namespace
