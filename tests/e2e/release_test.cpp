// The archive a user downloads: made by cpack from the build folder,
// unpacked into a folder of the user's own, and started from there.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "printers.h"
#include "wholeprogram.h"

namespace {

// Runs a command to its end; returns its output, or fails the test.
QString runToEnd(const QString& program, const QStringList& arguments, const QProcessEnvironment& env,
    const QString& folder)
{
    QProcess process;
    dieWithParent(process);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(180000);
    const QString output = QString::fromUtf8(process.readAll());
    EXPECT_TRUE(ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        << program.toStdString() << " " << arguments.join(QLatin1Char(' ')).toStdString() << ":\n"
        << output.toStdString();
    return output;
}

QString textOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST_F(WholeProgram, TheArchiveUnpacksIntoAFolderThatRuns)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString packs = work.filePath(QStringLiteral("packs"));
    QDir().mkpath(packs);
    runToEnd(QStringLiteral("cpack"),
        { QStringLiteral("-G"), QStringLiteral("TGZ"), QStringLiteral("--config"),
            QStringLiteral(KALDRINO_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), packs },
        env, packs);
    const QString name = QStringLiteral("kaldrino-" KALDRINO_VERSION "-linux-x86_64");
    const QString archive = packs + QLatin1Char('/') + name + QStringLiteral(".tar.gz");
    ASSERT_TRUE(QFileInfo::exists(archive)) << "cpack made no " << archive.toStdString();

    // Unpacked by its user into a folder whose name needs quoting.
    const QString mine = work.filePath(QStringLiteral("Mes programmes à moi"));
    QDir().mkpath(mine);
    runToEnd(QStringLiteral("tar"), { QStringLiteral("-xzf"), archive }, env, mine);
    const QString folder = mine + QLatin1Char('/') + name + QLatin1Char('/');
    const QStringList expected { QStringLiteral("add-desktop-entry.sh"), QStringLiteral("kaldrino"),
        QStringLiteral("kaldrino-guide.html"), QStringLiteral("kaldrino.desktop"),
        QStringLiteral("kaldrino.svg") };
    EXPECT_EQ(
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name), expected)
        << "the archive holds more or less than the portable folder";

    // Stripped: neither debugging information nor a symbol table.
    const QString sections = runToEnd(QStringLiteral("readelf"),
        { QStringLiteral("-S"), QStringLiteral("-W"), folder + QStringLiteral("kaldrino") }, env, folder);
    EXPECT_FALSE(sections.contains(QLatin1String(".debug_info")))
        << "the executable keeps its debugging information";
    EXPECT_FALSE(sections.contains(QLatin1String(".symtab"))) << "the executable is not stripped";
    EXPECT_LT(QFileInfo(folder + QStringLiteral("kaldrino")).size(), 4 * 1024 * 1024);

    // The entry in the archive names no packing folder; the user's script
    // names the folder it was unpacked in.
    EXPECT_FALSE(
        textOf(folder + QStringLiteral("kaldrino.desktop")).contains(QLatin1String("_CPack_Packages")));
    const QString home = work.filePath(QStringLiteral("home"));
    QProcessEnvironment userEnv = env;
    userEnv.insert(QStringLiteral("HOME"), home);
    userEnv.remove(QStringLiteral("XDG_DATA_HOME"));
    runToEnd(QStringLiteral("sh"), { folder + QStringLiteral("add-desktop-entry.sh") }, userEnv,
        home.section(QLatin1Char('/'), 0, -2));
    const QString menuEntry = textOf(home + QStringLiteral("/.local/share/applications/kaldrino.desktop"));
    EXPECT_TRUE(menuEntry.contains(QStringLiteral("\nExec=\"") + folder + QStringLiteral("kaldrino\"\n")))
        << menuEntry.toStdString();
    EXPECT_TRUE(menuEntry.contains(QStringLiteral("\nIcon=") + folder + QStringLiteral("kaldrino.svg\n")))
        << menuEntry.toStdString();
    EXPECT_EQ(textOf(folder + QStringLiteral("kaldrino.desktop")), menuEntry);

    // The unpacked program starts from its folder and opens its first window.
    startDisplay(QSize(1024, 768));
    QDir().mkpath(home);
    QFile::setPermissions(home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        ProgramRun run(folder + QStringLiteral("kaldrino"), display(), home,
            work.filePath(QStringLiteral("program.log")));
        display().waitForWindow(captions::kSetup, std::chrono::seconds(30));
        shot(QStringLiteral("unpacked-setup-dialog"));
    }
}
