#include <gtest/gtest.h>

#include "accessgate.h"
#include "picturelookup.h"

namespace {

struct GateCase {
    bool vaultExists;
    bool pictureFound;
    bool hasSecret;
    GateBranch branch;
};

const char* nameOf(GateBranch branch)
{
    switch (branch) {
    case GateBranch::Setup:
        return "Setup";
    case GateBranch::EraseAndSetup:
        return "EraseAndSetup";
    case GateBranch::AskBeforeErasing:
        return "AskBeforeErasing";
    case GateBranch::Verify:
        return "Verify";
    }
    return "?";
}

TEST(DecideGate, FollowsTheVaultThenThePictureThenTheSecret)
{
    const GateCase cases[] = {
        // No vault file: first use, whatever else lies in the folder.
        { false, false, false, GateBranch::Setup },
        { false, false, true, GateBranch::Setup },
        { false, true, false, GateBranch::Setup },
        { false, true, true, GateBranch::Setup },
        // The picture is gone: its secret can't be proved. Erasing a section
        // without keys loses nothing; one with keys is erased only on a yes.
        { true, false, false, GateBranch::EraseAndSetup },
        { true, false, true, GateBranch::AskBeforeErasing },
        { true, true, true, GateBranch::Verify },
        { true, true, false, GateBranch::Setup },
    };
    for (const GateCase& c : cases)
        EXPECT_STREQ(nameOf(DecideGate(c.vaultExists, c.pictureFound, c.hasSecret)), nameOf(c.branch))
            << "vault " << c.vaultExists << ", picture " << c.pictureFound << ", secret " << c.hasSecret;
}

struct LookupCase {
    const char* name;
    QString stored;
    std::vector<FolderEntry> entries;
    QString found;
};

TEST(FindPictureFile, TakesTheStoredNameOrItsOnlyCaseVariant)
{
    const QString photo = QStringLiteral("Photo.JPG");
    const QString summer = QStringLiteral("Plage d'Été Œuvre Ÿ Š Ž.bmp");
    const LookupCase cases[] = {
        { "exact name", photo, { { "autre.bmp", true }, { photo, true } }, photo },
        { "exact name beside a variant", photo, { { "photo.jpg", true }, { photo, true } }, photo },
        { "other case", photo, { { "kaldrino.ini", true }, { "photo.jpg", true } }, "photo.jpg" },
        { "Windows-1252 letters", summer, { { QStringLiteral("PLAGE D'éTé œUVRE ÿ š ž.BMP"), true } },
            QStringLiteral("PLAGE D'éTé œUVRE ÿ š ž.BMP") },
        { "two case variants", photo, { { "photo.jpg", true }, { "PHOTO.JPG", true } }, QString() },
        { "absent", photo, { { "kaldrino.ini", true }, { "Photo.JPEG", true } }, QString() },
        { "a folder of that name", photo, { { photo, false } }, QString() },
        { "a folder of another case", photo, { { "photo.jpg", false } }, QString() },
        { "a folder of that name beside a variant", photo, { { photo, false }, { "PHOTO.jpg", true } },
            "PHOTO.jpg" },
        // × and ÷ lie where a letter's two cases would: they are no letters.
        { "multiplication sign", QStringLiteral("a×b.bmp"), { { QStringLiteral("A÷B.bmp"), true } },
            QString() },
        { "no name stored", QString(), { { "photo.jpg", true } }, QString() },
    };
    for (const LookupCase& c : cases)
        EXPECT_EQ(FindPictureFile(c.stored, c.entries).toStdString(), c.found.toStdString()) << c.name;
}

} // namespace
