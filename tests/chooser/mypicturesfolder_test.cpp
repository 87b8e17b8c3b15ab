#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "mypicturesfolder.h"
#include "tempdir.h"

namespace {

// Points HOME and XDG_CONFIG_HOME at a fresh folder for one test.
class PicturesFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = qgetenv("HOME");
        m_config = qgetenv("XDG_CONFIG_HOME");
        m_hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(homeDir()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.file(".config")));
        QDir().mkpath(home.file(".config"));
    }
    void TearDown() override
    {
        qputenv("HOME", m_home);
        if (m_hadConfig)
            qputenv("XDG_CONFIG_HOME", m_config);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }

    QString homeDir() const { return home.path().chopped(1); }

    void declare(const QByteArray& line)
    {
        QFile file(home.file(".config/user-dirs.dirs"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("# written by xdg-user-dirs-update\n" + line + "\n");
    }

    TestFolder home;

private:
    QByteArray m_home, m_config;
    bool m_hadConfig = false;
};

TEST_F(PicturesFolderTest, ReturnsTheDeclaredFolderAsGiven)
{
    QDir().mkpath(home.file("Mes images"));
    declare("XDG_PICTURES_DIR=\"$HOME/Mes images\"");
    EXPECT_EQ(MyPicturesFolder(), homeDir() + "/Mes images");
}

TEST_F(PicturesFolderTest, FallsBackToTheHomeFolderWhenNoneIsDeclared)
{
    const QString fallback = home.path(); // the home folder with its separator
    EXPECT_EQ(MyPicturesFolder(), fallback) << "no user-dirs.dirs, no ~/Pictures";

    declare("XDG_PICTURES_DIR=\"$HOME/\"");
    EXPECT_EQ(MyPicturesFolder(), fallback) << "entry disabled";

    declare("XDG_PICTURES_DIR=\"$HOME/Deleted\"");
    EXPECT_EQ(MyPicturesFolder(), fallback) << "declared folder missing";
}

} // namespace
