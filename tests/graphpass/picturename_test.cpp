#include <gtest/gtest.h>

#include "picturename.h"

namespace {

TEST(ReservedPictureName, TheProgramsOwnFilesAndTheirCaseVariants)
{
    const struct {
        const char* name;
        const char* executable;
        bool reserved;
    } cases[] = {
        { "kaldrino.ini", "kaldrino", true },
        { "KALDRINO.INI", "kaldrino", true },
        { "kaldrino.ini.lock", "kaldrino", true },
        { "Kaldrino.Ini.Lock", "kaldrino", true },
        { "kaldrino.ini.a1B2c3", "kaldrino", true }, // a save's temporary file
        { "kaldrino.ini.", "kaldrino", true },
        { "kaldrino-guide.html", "kaldrino", true },
        { "KALDRINO-GUIDE.HTML", "kaldrino", true },
        { "kaldrino.svg", "kaldrino", true },
        { "kaldrino.desktop", "kaldrino", true },
        { "kaldrino", "kaldrino", true },
        { "Kaldrino", "kaldrino", true },
        { "coffre", "coffre", true }, // the executable renamed
        { "COFFRE", "coffre", true },
        { "kaldrino", "coffre", false },
        { "kaldrino", "", false },
        { "", "", false },
        { "kaldrino.ini_", "kaldrino", false },
        { "kaldrino.inix", "kaldrino", false },
        { "mon kaldrino.ini", "kaldrino", false },
        { "kaldrino.svg.bmp", "kaldrino", false },
        { "kaldrino.bmp", "kaldrino", false },
        { "kaldrino.exe", "kaldrino", false },
        { "photo.bmp", "kaldrino", false },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            IsReservedPictureName(QString::fromUtf8(c.name), QString::fromUtf8(c.executable)), c.reserved)
            << '"' << c.name << "\" with the executable \"" << c.executable << '"';
    }
}

} // namespace
