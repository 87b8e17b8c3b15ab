// The vault and the copy of the secret's picture are readable and writable
// by their owner only, whatever the process's umask lets through.
#include <gtest/gtest.h>

#include <QImage>
#include <sys/stat.h>

#include "filecopy.h"
#include "hardeningutil.h"
#include "inifile.h"
#include "mainform.h"
#include "tempdir.h"

namespace {

class Permissions : public ::testing::Test {
protected:
    void SetUp() override { m_savedMask = ::umask(0); }
    void TearDown() override { ::umask(m_savedMask); }

    TestFolder folder;

private:
    mode_t m_savedMask = 0;
};

TEST_F(Permissions, TheVaultIsCreatedForItsOwnerOnly)
{
    // By the window's save, and by a handler's first write (the setup
    // dialog's choice of a picture).
    TMainForm form(folder.path());
    form.Fields.AccessGranted = true;
    form.SaveTable();
    EXPECT_EQ(fileMode(vault::vaultPath(folder.path())), 0600u);

    TestFolder other;
    TIniFile ini(vault::vaultPath(other.path()));
    ini.WriteEntry(vault::kConfigSection, vault::kImageKey, "code.bmp");
    ini.UpdateFile();
    EXPECT_EQ(fileMode(vault::vaultPath(other.path())), 0600u);
}

TEST_F(Permissions, TheCopiedPictureIsItsOwnersOnlyEvenOverAnOpenCopy)
{
    TestFolder pictures;
    const QString source = pictures.file(QStringLiteral("photo.bmp"));
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(source, "BMP"));
    ASSERT_TRUE(QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));

    const QString copy = folder.file(QStringLiteral("photo.bmp"));
    ASSERT_NO_THROW(vault::copyFileOver(source, copy));
    EXPECT_EQ(fileMode(copy), 0600u);

    // An earlier copy that others could read is replaced by a private one.
    ASSERT_TRUE(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    ASSERT_NO_THROW(vault::copyFileOver(source, copy));
    EXPECT_EQ(fileMode(copy), 0600u);
    EXPECT_EQ(readBytes(copy), readBytes(source));
}

} // namespace
