// A secret recorded on one display size, verified on another: the picture
// is fitted to each display differently, and the same spots of it must
// still open the table, while spots 11 recorded pixels off must not.

#include <QFile>
#include <algorithm>
#include <cstdint>

#include "filetestutil.h"
#include "printers.h"
#include "testpicture.h"
#include "wholeprogram.h"

namespace {

using namespace captions;

const QString kPictureName = QStringLiteral("Montagne.jpg");
const QSize kRecordingDisplay(1024, 768);
const QSize kLaterDisplay(1920, 1080);

// The smallest position along an axis of the picture shown at `shownLength`
// that lies nearest to `recorded` in the same picture shown at
// `recordedLength`.
int shownPositionOf(int recorded, int recordedLength, int shownLength)
{
    auto nearestRecorded
        = [&](int shown) { return (2LL * shown * recordedLength + shownLength) / (2LL * shownLength); };
    int shown = std::max(0, int(std::int64_t(recorded) * shownLength / recordedLength) - 2);
    while (nearestRecorded(shown) < recorded)
        ++shown;
    if (nearestRecorded(shown) != recorded)
        throw E2eFailure("no shown pixel stands for recorded position " + std::to_string(recorded));
    return shown;
}

struct LaterClicks {
    const char* name;
    int movedClick; // index of a click moved off its spot, or -1
    QPoint recordedOffset; // how far, in the recorded picture's pixels
    bool opens;
};

void PrintTo(const LaterClicks& clicks, std::ostream* out)
{
    *out << clicks.name;
}

class DisplayChange : public WholeProgram, public ::testing::WithParamInterface<LaterClicks> { };

TEST_P(DisplayChange, ASecretRecordedOnASmallerDisplayIsCheckedOnTheSameSpots)
{
    const LaterClicks& later = GetParam();

    // First run: set up the secret on the smaller display, where the
    // 1600 x 1200 picture is fitted to 1024 x 768.
    startDisplay(kRecordingDisplay);
    const QString picture = picturesDir() + kPictureName;
    makeTestPicture(picture);
    startProgram();
    const QString table = setUpSecret(picture);
    display().clickIn(table, tablewindow::kClose);
    expectProgramEnds();

    const VaultContents recorded = readVault(vaultFile());
    ASSERT_EQ(recorded.recordedSize, std::optional<QSize>(QSize(1024, 768)));
    ASSERT_EQ(recorded.clicks, detailsInShownPicture());
    EXPECT_TRUE(recorded.oddities.isEmpty()) << recorded.oddities.join(QStringLiteral("; ")).toStdString();
    const std::string afterRecording = readBytes(vaultFile());

    // Second run on the larger display, where it is fitted to 1440 x 1080.
    startDisplay(kLaterDisplay);
    ASSERT_EQ(shownPictureSize(), QSize(1440, 1080));
    std::vector<QPoint> clicks = detailsOnScreen();
    if (later.movedClick >= 0) {
        const std::size_t i = std::size_t(later.movedClick);
        const QPoint target = recorded.clicks[i] + later.recordedOffset;
        const QSize shown = shownPictureSize();
        const QPoint inShown(shownPositionOf(target.x(), 1024, shown.width()),
            shownPositionOf(target.y(), 768, shown.height()));
        clicks[i] = fittedOrigin(shown, kLaterDisplay) + inShown;
    }
    startProgram();
    answerMessage(kInformation, QStringLiteral("later-message"));
    clickSecret(clicks, QStringLiteral("later"));

    if (later.opens) {
        const QString reopened = display().waitForWindow(kTable);
        shot(QStringLiteral("later-table"));
        display().clickIn(reopened, tablewindow::kClose);
        expectProgramEnds();
        // Closing saved the table; the secret and its size stay as recorded.
        const VaultContents saved = readVault(vaultFile());
        EXPECT_NE(readBytes(vaultFile()), afterRecording) << "closing the table window saved nothing";
        EXPECT_EQ(saved.recordedSize, recorded.recordedSize);
        EXPECT_EQ(saved.clickCount, recorded.clickCount);
        EXPECT_EQ(saved.clicks, recorded.clicks);
        EXPECT_EQ(saved.table, recorded.table);
        EXPECT_TRUE(saved.oddities.isEmpty()) << saved.oddities.join(QStringLiteral("; ")).toStdString();
    } else {
        display().waitForWindow(kWarning);
        EXPECT_TRUE(display().windowsNamed(kTable).isEmpty()) << "the table window shows to a refused user";
        answerMessage(kWarning, QStringLiteral("refused"));
        expectProgramEnds();
        EXPECT_EQ(readBytes(vaultFile()), afterRecording);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DisplayChange,
    ::testing::Values(LaterClicks { "SameSpotsOpenTheTable", -1, QPoint(), true },
        LaterClicks { "OneClick11RecordedPixelsOffIsRefused", 2, QPoint(11, 0), false }),
    [](const ::testing::TestParamInfo<LaterClicks>& info) { return std::string(info.param.name); });

} // namespace
