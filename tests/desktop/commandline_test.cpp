#include <gtest/gtest.h>

#include <QFile>
#include <QStyle>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "kaldrinoapplication.h"

// The program takes no arguments: Qt's own options given on the command
// line change nothing, while the environment still chooses the platform.
// The application object is made once, so the whole command line is one
// case.

namespace {

std::string s_styleSheetFile;
std::string s_defaultStyle;

TEST(CommandLine, QtOptionsAreNotApplied)
{
    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight) << "-reverse was applied";
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"))
        << "-platform overrode QT_QPA_PLATFORM";
    EXPECT_TRUE(qApp->styleSheet().isEmpty()) << "-stylesheet was applied";
    EXPECT_EQ(QApplication::style()->name().toLower().toStdString(), s_defaultStyle) << "-style was applied";
    EXPECT_EQ(QCoreApplication::arguments().size(), 1) << "the program sees arguments";
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // The style the platform gives without options, seen by a first
    // application object made without any.
    {
        int plainArgc = 1;
        char* plainArgv[] = { argv[0], nullptr };
        QApplication plain(plainArgc, plainArgv);
        s_defaultStyle = QApplication::style()->name().toLower().toStdString();
    }

    QTemporaryDir folder;
    const QString sheet = folder.filePath(QStringLiteral("red.qss"));
    QFile file(sheet);
    if (!file.open(QIODevice::WriteOnly) || file.write("QWidget { background: red; }") < 0)
        return 2;
    file.close();
    s_styleSheetFile = sheet.toStdString();

    const std::string otherStyle = s_defaultStyle == "windows" ? "fusion" : "windows";
    std::vector<std::string> words { argv[0], "-reverse", "-style", otherStyle, "-stylesheet",
        s_styleSheetFile, "-platform", "minimal" };
    std::vector<char*> commandLine;
    for (std::string& word : words)
        commandLine.push_back(word.data());
    commandLine.push_back(nullptr);
    int commandArgc = int(words.size());

    KaldrinoApplication app(commandArgc, commandLine.data());
    return RUN_ALL_TESTS();
}
