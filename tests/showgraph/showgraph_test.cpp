#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <vector>

#include "decoys.h"
#include "desktop.h"
#include "encryptdecrypt.h"
#include "filetestutil.h"
#include "inifile.h"
#include "mainformfields.h"
#include "messagebox.h"
#include "picturebox.h"
#include "screenfixture.h"
#include "sshowgraph.h"
#include "tempdir.h"
#include "termination.h"
#include "textconv.h"
#include "vaultlayout.h"

// Readable failures for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

struct Press {
    QPoint at; // in Image1's pixels
    Qt::MouseButton button = Qt::LeftButton;
    Qt::KeyboardModifiers modifiers = {};
};

class ShowGraph : public ScreenFixture {
protected:
    QString vaultFile() const { return vault::vaultPath(fields.AppDir); }

    void storeSecret(const std::vector<QPoint>& points) const
    {
        TIniFile ini(vaultFile());
        const std::string& section = vault::SecretSection();
        ini.WriteEntry(section, EncryptText("nb"), EncryptText(IntToText(std::int64_t(points.size()))));
        for (size_t i = 0; i < points.size(); ++i) {
            const std::string rank = IntToText(std::int64_t(i + 1));
            ini.WriteEntry(section, EncryptText("x" + rank), EncryptText(IntToText(points[i].x())));
            ini.WriteEntry(section, EncryptText("y" + rank), EncryptText(IntToText(points[i].y())));
        }
        ini.UpdateFile();
    }

    void storeRaw(const std::string& key, const std::string& value) const
    {
        TIniFile ini(vaultFile());
        ini.WriteEntry(vault::SecretSection(), EncryptText(key), value);
        ini.UpdateFile();
    }

    // Real presses through the window, so that the label can take them.
    using ScreenFixture::press;
    static void press(TShowGraph& screen, const Press& p)
    {
        QTest::mouseClick(screen.windowHandle(), p.button, p.modifiers, screen.Image1->mapTo(&screen, p.at));
    }

    bool verify(TShowGraph& screen, const QString& picture, const std::vector<Press>& presses)
    {
        showModally(screen, "verif", picture, [&] {
            for (const Press& p : presses)
                press(screen, p);
            QTest::keyClick(screen.windowHandle(), Qt::Key_Escape);
        });
        return screen.Recognized;
    }

    void record(TShowGraph& screen, const QString& picture, const std::vector<QPoint>& points)
    {
        showModally(screen, "creer", picture, [&] {
            for (const QPoint& p : points)
                press(screen, { p });
            QTest::keyClick(screen.windowHandle(), Qt::Key_Escape);
        });
    }

    // The secret section's keys, decoded, in the order of the file.
    std::vector<std::string> sectionKeysInFileOrder() const
    {
        QFile file(vaultFile());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        const QByteArray header = "[" + QByteArray::fromStdString(vault::SecretSection()) + "]";
        std::vector<std::string> keys;
        bool inSection = false;
        for (QByteArray line : lines) {
            line = line.trimmed();
            if (line.startsWith('[')) {
                inSection = line == header;
                continue;
            }
            const int eq = line.indexOf('=');
            if (inSection && eq > 0)
                keys.push_back(DecryptText(line.left(eq).toStdString()));
        }
        return keys;
    }
};

const std::vector<QPoint> kSecret { { 100, 100 }, { 300, 200 }, { 500, 400 } };

TEST_F(ShowGraph, LaysOutABlackFramelessScreenWithThePictureCentred)
{
    TShowGraph screen(fields);
    const QSize display = PrimaryDisplaySize();
    const QString picture = makePicture("photo.bmp", QSize(640, 480));

    showModally(screen, "verif", picture, [&] {
        EXPECT_EQ(screen.geometry(), QRect(QPoint(0, 0), display));
        EXPECT_TRUE(screen.windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_EQ(screen.palette().color(QPalette::Window), QColor(Qt::black));
        EXPECT_TRUE(screen.Image1->isVisible());
        EXPECT_EQ(screen.Image1->geometry(),
            QRect((display.width() - 640) / 2, (display.height() - 480) / 2, 640, 480));
        EXPECT_EQ(screen.Image1->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);

        EXPECT_EQ(screen.Label1->text(),
            QStringLiteral("Kaldrino - Appuyez sur la touche \"ECHAP\" de votre "
                           "clavier quand vous avez fini vos clics"));
        EXPECT_EQ(screen.Label1->pos(), QPoint(8, 8));
        EXPECT_EQ(screen.Label1->size(), screen.Label1->sizeHint());
        EXPECT_TRUE(screen.Label1->font().bold());
        EXPECT_EQ(screen.Label1->font().pixelSize(), 11);
        EXPECT_EQ(screen.Label1->palette().color(QPalette::WindowText), QColor(Qt::white));
        EXPECT_EQ(screen.Label1->palette().color(QPalette::Window), QColor(Qt::black));
        EXPECT_TRUE(screen.Label1->autoFillBackground());
        QTest::keyClick(screen.windowHandle(), Qt::Key_Escape);
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(ShowGraph, VerifiesClicksAgainstTheStoredSecret)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    storeSecret(kSecret);

    struct Case {
        const char* name;
        std::vector<Press> presses;
        bool recognized;
    };
    const Case cases[] = {
        { "exact", { { { 100, 100 } }, { { 300, 200 } }, { { 500, 400 } } }, true },
        { "10 px off on both axes", { { { 110, 90 } }, { { 290, 210 } }, { { 510, 410 } } }, true },
        { "11 px off horizontally", { { { 111, 100 } }, { { 300, 200 } }, { { 500, 400 } } }, false },
        { "11 px off vertically", { { { 100, 100 } }, { { 300, 200 } }, { { 500, 389 } } }, false },
        { "another order", { { { 300, 200 } }, { { 100, 100 } }, { { 500, 400 } } }, false },
        { "a fourth click", { { { 100, 100 } }, { { 300, 200 } }, { { 500, 400 } }, { { 500, 400 } } },
            false },
        { "two of three", { { { 100, 100 } }, { { 300, 200 } } }, false },
        { "a wrong first click is not forgotten",
            { { { 0, 0 } }, { { 100, 100 } }, { { 300, 200 } }, { { 500, 400 } } }, false },
        { "any button, any modifier",
            { { { 100, 100 }, Qt::RightButton }, { { 300, 200 }, Qt::MiddleButton, Qt::ControlModifier },
                { { 500, 400 }, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier } },
            true },
        { "no click", {}, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TShowGraph screen(fields);
        EXPECT_EQ(verify(screen, picture, c.presses), c.recognized);
        EXPECT_EQ(screen.ClickCount, int(c.presses.size()));
        EXPECT_EQ(screen.ExpectedClicks, 3);
    }
    EXPECT_TRUE(messages.empty());
}

// The clicks are stored in the pixels of the picture as fitted to the
// display, and a display of another size fits it to another size: the
// recorded size lets the same spots of the picture match there.
TEST_F(ShowGraph, ASecretRecordedOnAnotherDisplayMatchesTheSameSpots)
{
    const QString picture = makePicture("large.bmp", QSize(1600, 1200));
    const QSize small(320, 240);
    const QSize large(640, 480);
    // Spots of the picture file, and where each display shows them.
    const std::vector<QPoint> spots { { 160, 120 }, { 800, 600 }, { 1500, 1125 } };
    auto shownOn = [&](QSize display, QPoint offset = {}) {
        std::vector<Press> presses;
        for (const QPoint& spot : spots)
            presses.push_back({ spot * display.width() / 1600 + offset });
        return presses;
    };
    auto pointsOn = [&](QSize display) {
        std::vector<QPoint> points;
        for (const Press& p : shownOn(display))
            points.push_back(p.at);
        return points;
    };

    struct Case {
        const char* name;
        QSize recordOn, verifyOn;
        std::vector<Press> presses;
        bool sizeKept; // false: stored as before the size was kept
        bool recognized;
    };
    const Case cases[] = {
        { "same spots, larger display", small, large, shownOn(large), true, true },
        { "same spots, smaller display", large, small, shownOn(small), true, true },
        { "10 recorded pixels off", small, large, shownOn(large, { 20, -20 }), true, true },
        { "11 recorded pixels off", small, large, shownOn(large, { 22, 0 }), true, false },
        { "11 recorded pixels off vertically", small, large, shownOn(large, { 0, -22 }), true, false },
        { "no size stored: positions compared as they are", small, large, shownOn(large), false, false },
        { "no size stored, same display", large, large, shownOn(large), false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(vaultFile());
        if (c.sizeKept) {
            TShowGraph recording(fields);
            recording.setGeometry(QRect(QPoint(0, 0), c.recordOn));
            record(recording, picture, pointsOn(c.recordOn));
            ASSERT_EQ(recording.Image1->size(), c.recordOn);
            EXPECT_EQ(stored("largeur"), std::to_string(c.recordOn.width()));
            EXPECT_EQ(stored("hauteur"), std::to_string(c.recordOn.height()));
        } else {
            storeSecret(pointsOn(c.recordOn));
        }

        TShowGraph verifying(fields);
        verifying.setGeometry(QRect(QPoint(0, 0), c.verifyOn));
        EXPECT_EQ(verify(verifying, picture, c.presses), c.recognized);
        EXPECT_EQ(verifying.Image1->size(), c.verifyOn);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ShowGraph, ADoubleClickIsTwoClicks)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    storeSecret({ { 50, 60 }, { 50, 60 } });
    TShowGraph screen(fields);

    showModally(screen, "verif", picture, [&] {
        QTest::mouseDClick(
            screen.windowHandle(), Qt::LeftButton, {}, screen.Image1->mapTo(&screen, QPoint(50, 60)));
        QTest::keyClick(screen.windowHandle(), Qt::Key_Escape);
    });

    EXPECT_EQ(screen.ClickCount, 2);
    EXPECT_TRUE(screen.Recognized);
}

TEST_F(ShowGraph, APressOnTheLabelIsNotAClick)
{
    // A picture the size of the display lies under the label.
    const QString picture = makePicture("photo.bmp", PrimaryDisplaySize());
    TShowGraph screen(fields);
    int onLabel = -1;

    showModally(screen, "", picture, [&] {
        ASSERT_EQ(screen.Image1->pos(), QPoint(0, 0));
        const QRect label = screen.Label1->geometry();
        press(screen, { label.center() });
        press(screen, { label.topLeft() });
        onLabel = screen.ClickCount;
        press(screen, { QPoint(label.left(), label.bottom() + 1) });
        QTest::keyClick(screen.windowHandle(), Qt::Key_Escape);
    });

    EXPECT_EQ(onLabel, 0);
    EXPECT_EQ(screen.ClickCount, 1);
}

TEST_F(ShowGraph, EscapeClosesWithAnyModifierAndOtherKeysAreIgnored)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    storeSecret(kSecret);

    for (const char* mode : { "verif", "creer" }) {
        SCOPED_TRACE(mode);
        TShowGraph screen(fields);
        bool openAfterOtherKeys = false;
        showModally(screen, mode, picture, [&] {
            QTest::keyClick(screen.windowHandle(), Qt::Key_Return);
            QTest::keyClick(screen.windowHandle(), Qt::Key_Space);
            QTest::keyClick(screen.windowHandle(), Qt::Key_F4, Qt::AltModifier);
            QTest::keyClick(screen.windowHandle(), Qt::Key_A);
            openAfterOtherKeys = screen.isVisible();
            QTest::keyClick(screen.windowHandle(), Qt::Key_Escape, Qt::ShiftModifier | Qt::ControlModifier);
        });
        EXPECT_TRUE(openAfterOtherKeys);
        EXPECT_EQ(screen.ClickCount, 0);
        EXPECT_FALSE(screen.Recognized);
    }
    // Nothing was recorded by the showing in "creer" mode.
    EXPECT_EQ(stored("nb"), "3");
}

TEST_F(ShowGraph, EscapeWithoutAClickFailsAlsoWithoutAVault)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    for (const char* mode : { "verif", "creer" }) {
        SCOPED_TRACE(mode);
        TShowGraph screen(fields);
        showModally(screen, mode, picture, [&] { QTest::keyClick(screen.windowHandle(), Qt::Key_Escape); });
        EXPECT_FALSE(screen.Recognized);
    }
    EXPECT_FALSE(QFile::exists(vaultFile()));
}

TEST_F(ShowGraph, RecordsEachClickAfterItsDecoys)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    TShowGraph screen(fields);

    record(screen, picture, kSecret);

    EXPECT_EQ(stored("nb"), "3");
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(stored("x" + std::to_string(n)), std::to_string(kSecret[n - 1].x()));
        EXPECT_EQ(stored("y" + std::to_string(n)), std::to_string(kSecret[n - 1].y()));
    }
    // The size the picture was shown at, with the clicks.
    EXPECT_EQ(stored("largeur"), "640");
    EXPECT_EQ(stored("hauteur"), "480");

    // New keys join the end of the section, so each click's decoys stand
    // before its own keys: at least one decoy (a number) precedes "nb", and
    // one lies between the keys of each click and the next.
    const std::vector<std::string> keys = sectionKeysInFileOrder();
    auto at = [&](const std::string& key) { return std::find(keys.begin(), keys.end(), key) - keys.begin(); };
    auto isDecoy = [](const std::string& key) { return !key.empty() && key[0] >= '1' && key[0] <= '9'; };
    auto decoysBetween = [&](std::ptrdiff_t from, std::ptrdiff_t to) {
        return std::count_if(keys.begin() + from, keys.begin() + to, isDecoy);
    };
    ASSERT_LT(at("y3"), std::ptrdiff_t(keys.size()));
    EXPECT_GT(decoysBetween(0, at("nb")), 0);
    EXPECT_EQ(at("x1"), at("nb") + 1);
    EXPECT_EQ(at("y1"), at("x1") + 1);
    EXPECT_GT(decoysBetween(at("y1"), at("x2")), 0);
    EXPECT_EQ(at("y2"), at("x2") + 1);
    EXPECT_GT(decoysBetween(at("y2"), at("x3")), 0);
    EXPECT_EQ(at("y3"), at("x3") + 1);
    EXPECT_EQ(size_t(std::count_if(keys.begin(), keys.end(), isDecoy)) + 9, keys.size());
}

TEST_F(ShowGraph, AShorterRecordingLeavesTheOlderPointsUnused)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    TShowGraph screen(fields);
    record(screen, picture, kSecret);
    record(screen, picture, { { 20, 30 }, { 40, 50 } });

    EXPECT_EQ(stored("nb"), "2");
    EXPECT_EQ(stored("x2"), "40");
    EXPECT_EQ(stored("x3"), "500");

    EXPECT_TRUE(verify(screen, picture, { { { 20, 30 } }, { { 40, 50 } } }));
    EXPECT_FALSE(verify(screen, picture, { { { 20, 30 } }, { { 40, 50 } }, { { 500, 400 } } }));
}

TEST_F(ShowGraph, AMissingPictureLeavesOnlyTheBlackScreenAndTheLabel)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    storeSecret(kSecret);
    TShowGraph screen(fields);
    EXPECT_TRUE(verify(screen, picture, { { { 100, 100 } }, { { 300, 200 } }, { { 500, 400 } } }));

    bool imageShown = true;
    showModally(screen, "verif", folder.file("gone.bmp"), [&] {
        imageShown = screen.Image1->isVisible();
        QTest::keyClick(screen.windowHandle(), Qt::Key_Escape);
    });

    EXPECT_FALSE(imageShown);
    EXPECT_TRUE(screen.Label1->isVisible() || !screen.isVisible());
    EXPECT_FALSE(screen.Recognized);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ShowGraph, DamagedStoredValuesFallBackSilently)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    struct Case {
        const char* name;
        std::string nb, x1, y1;
        QPoint click;
        bool recognized;
    };
    const std::string undecodable = "abcdefghij";
    const Case cases[] = {
        { "count undecodable", undecodable, EncryptText("50"), EncryptText("50"), { 50, 50 }, false },
        { "count not a number", EncryptText("un"), EncryptText("50"), EncryptText("50"), { 50, 50 }, false },
        { "x undecodable reads as -1", EncryptText("1"), undecodable, EncryptText("50"), { 9, 50 }, true },
        { "x undecodable reads as -1, not 10", EncryptText("1"), undecodable, EncryptText("50"), { 10, 50 },
            false },
        { "y not a number reads as -1", EncryptText("1"), EncryptText("50"), EncryptText("y"), { 50, 0 },
            true },
        { "y missing reads as -1", EncryptText("1"), EncryptText("50"), "", { 50, 12 }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storeRaw("nb", c.nb);
        storeRaw("x1", c.x1);
        storeRaw("y1", c.y1);
        TShowGraph screen(fields);
        EXPECT_EQ(verify(screen, picture, { { c.click } }), c.recognized);
        EXPECT_EQ(screen.ClickCount, 1);
    }
    EXPECT_TRUE(messages.empty());
}

// A showing whose picture fails to load must not inherit the previous
// showing's result: the old picture goes, no press counts, nothing is
// recorded, and Escape leaves the secret unrecognised.
TEST_F(ShowGraph, ALoadErrorLeavesNothingOfThePreviousShowing)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    const std::vector<Press> secret { { { 100, 100 } }, { { 300, 200 } }, { { 500, 400 } } };
    storeSecret(kSecret);
    TShowGraph screen(fields);

    struct Case {
        QString file;
        QString message; // the start of the error shown
    };
    const Case cases[] = {
        { folder.copyFixture("picture.png", "png-bytes.jpg"), "Erreur JPEG #" },
        { folder.copyFixture("picture.png"), "Extension de fichier graphique inconnue (.png)" },
        { folder.copyFixture("damaged.bmp"), "Image bitmap incorrecte." },
        { folder.copyFixture("empty.bmp"), "Opération en virgule flottante incorrecte." },
    };
    for (const char* mode : { "verif", "creer" }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(mode) + " " + c.file.toStdString());
            ASSERT_TRUE(verify(screen, picture, secret));
            messages.clear();
            storeSecret({ { 1, 1 } }); // would change ExpectedClicks if it were read
            const std::string vaultBefore = readBytes(vaultFile());
            bool shown = false;
            bool imageShown = true;
            int countWhileShown = -1;

            showModally(screen, mode, c.file, [&] {
                shown = screen.isVisible();
                imageShown = screen.Image1->isVisible();
                countWhileShown = screen.ClickCount;
                // Where the old picture was, on its stored points.
                for (const Press& p : secret)
                    press(screen, p);
                QTest::keyClick(screen.windowHandle(), Qt::Key_Escape);
            });

            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].text.startsWith(c.message)) << messages[0].text.toStdString();
            EXPECT_EQ(messages[0].kind, MsgKind::Error);
            EXPECT_TRUE(shown);
            EXPECT_FALSE(imageShown);
            EXPECT_EQ(screen.Image1->picture(), nullptr);
            EXPECT_EQ(countWhileShown, 0);
            EXPECT_EQ(screen.ClickCount, 0);
            EXPECT_FALSE(screen.Recognized);
            EXPECT_EQ(screen.ExpectedClicks, 3);
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
            EXPECT_TRUE(readBytes(vaultFile()) == vaultBefore) << "a press was recorded";
            storeSecret(kSecret);
        }
    }
}

TEST_F(ShowGraph, AVaultThatCannotBeWrittenReachesTheErrorBox)
{
    const QString picture = makePicture("photo.bmp", QSize(640, 480));
    ASSERT_TRUE(QDir(folder.path()).mkdir("kaldrino.ini"));
    TShowGraph screen(fields);

    record(screen, picture, { { 10, 10 } });

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
        QStringLiteral("Impossible d'écrire dans %1.").arg(QDir::toNativeSeparators(vaultFile())));
    EXPECT_EQ(screen.ClickCount, 1);
}

TEST_F(ShowGraph, APictureThatFailsToDrawIsReportedOnce)
{
    const QString picture = folder.copyFixture("noquant.jpg");
    TShowGraph screen(fields);

    showModally(screen, "", picture, [&] {
        QTest::qWait(50);
        screen.Image1->repaint();
        screen.Image1->repaint();
        QTest::qWait(50);
        QTest::keyClick(screen.windowHandle(), Qt::Key_Escape);
    });

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("Erreur JPEG #")))
        << messages[0].text.toStdString();
    EXPECT_EQ(screen.Image1->picture(), nullptr);
}

// A JPEG that fails only when drawn leaves the screen as a failed load
// does: presses on the black where it was, whether they come before the
// picture is taken away or after, record and recognise nothing.
TEST_F(ShowGraph, APictureThatFailsToDrawTakesNoClicks)
{
    const QString picture = folder.copyFixture("noquant.jpg"); // 64 x 48
    storeSecret({ { 10, 10 }, { 10, 10 } });
    const std::string vaultBefore = readBytes(vaultFile());

    for (const char* mode : { "verif", "creer" }) {
        SCOPED_TRACE(mode);
        messages.clear();
        TShowGraph screen(fields);
        bool imageShownAfterFailure = true;
        showModally(screen, mode, picture, [&] {
            QTest::qWait(50);
            screen.Image1->repaint();
            press(screen, { { 10, 10 } }); // before the failure's queued handling
            QTest::qWait(50);
            imageShownAfterFailure = screen.Image1->isVisible();
            press(screen, { { 10, 10 } });
            QTest::keyClick(screen.windowHandle(), Qt::Key_Escape);
        });

        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("Erreur JPEG #")));
        EXPECT_FALSE(imageShownAfterFailure);
        EXPECT_EQ(screen.ClickCount, 0);
        EXPECT_FALSE(screen.Recognized);
        EXPECT_TRUE(readBytes(vaultFile()) == vaultBefore) << "a press was recorded";
    }
}

} // namespace
