// cmake --install into a fresh folder and into one that was there before:
// only what the install makes is restricted, no installed file is open to
// others' writes whatever the umask, and the desktop entry names the
// installed files so that a desktop reads back their exact paths.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <sys/stat.h>

#include "filetestutil.h"
#include "tempdir.h"

namespace {

// Runs the build's install into prefix under that umask; its output on
// failure.
testing::AssertionResult install(const QString& prefix, mode_t mask)
{
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DESTDIR"));
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    const mode_t saved = ::umask(mask);
    run.start(QStringLiteral(KALDRINO_CMAKE),
        { QStringLiteral("--install"), QStringLiteral(KALDRINO_BUILD_DIR), QStringLiteral("--prefix"),
            prefix });
    ::umask(saved);
    if (!run.waitForFinished(120000) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0)
        return testing::AssertionFailure() << run.readAll().toStdString();
    return testing::AssertionSuccess();
}

// A key's value in the desktop entry, its string escapes undone.
QString entryValue(const QString& entryPath, const QString& key)
{
    const QString text = QString::fromUtf8(readBytes(entryPath));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.startsWith(key + QLatin1Char('=')))
            continue;
        const QString raw = line.mid(key.size() + 1);
        QString value;
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] != QLatin1Char('\\') || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            const QChar next = raw[++i];
            const QString escapes = QStringLiteral("sntr\\");
            const QString meant = QStringLiteral(" \n\t\r\\");
            value += escapes.contains(next) ? meant[escapes.indexOf(next)] : next;
        }
        return value;
    }
    return QString();
}

// The arguments of an Exec value, one per line, as a desktop splits them: blanks outside
// double quotes separate, a backslash in quotes takes the next character,
// and %% is a percent sign.
std::string execArguments(const QString& value)
{
    QStringList arguments;
    QString current;
    bool quoted = false, started = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            started = true;
        } else if (quoted && c == QLatin1Char('\\') && i + 1 < value.size()) {
            current += value[++i];
        } else if (c == QLatin1Char('%') && i + 1 < value.size() && value[i + 1] == QLatin1Char('%')) {
            current += c;
            ++i;
        } else if (!quoted && c == QLatin1Char(' ')) {
            if (started || !current.isEmpty())
                arguments << current;
            current.clear();
            started = false;
        } else {
            current += c;
        }
    }
    if (started || !current.isEmpty())
        arguments << current;
    return arguments.join(QLatin1Char('\n')).toStdString();
}

void expectInstalledFiles(const QString& prefix)
{
    const struct {
        const char* name;
        mode_t mode;
    } files[] = {
        { "kaldrino", 0755 },
        { "kaldrino.svg", 0644 },
        { "kaldrino-guide.html", 0644 },
        { "kaldrino.desktop", 0644 },
    };
    for (const auto& f : files)
        EXPECT_EQ(fileMode(prefix + QLatin1Char('/') + QLatin1String(f.name)), f.mode) << f.name;
}

TEST(Install, AFreshFolderIsTheOwnersAloneAndTheEntryNamesItExactly)
{
    TestFolder root;
    // Blanks, quotes, a percent sign, a dollar and a backquote: each must
    // come back as it was from the desktop entry. (A backslash cannot be
    // tried: CMake takes it for a separator in an install destination.)
    const QString parent = root.file(QStringLiteral("nouveau dossier"));
    const QString prefix = parent + QStringLiteral("/Mes \"outils\" à 100% $HOME `id`");
    ASSERT_TRUE(install(prefix, 0));

    EXPECT_EQ(fileMode(prefix), 0700u);
    EXPECT_EQ(fileMode(parent), 0755u) << "a folder made on the way";
    expectInstalledFiles(prefix);

    const QString entry = prefix + QStringLiteral("/kaldrino.desktop");
    EXPECT_EQ(execArguments(entryValue(entry, QStringLiteral("Exec"))),
        (prefix + QStringLiteral("/kaldrino")).toStdString());
    EXPECT_EQ(entryValue(entry, QStringLiteral("Icon")).toStdString(),
        (prefix + QStringLiteral("/kaldrino.svg")).toStdString());
}

TEST(Install, AFolderThatWasThereBeforeIsLeftAsItWas)
{
    TestFolder root;
    const QString prefix = root.file(QStringLiteral("outils"));
    ASSERT_TRUE(QDir().mkdir(prefix));
    ASSERT_EQ(::chmod(QFile::encodeName(prefix).constData(), 0755), 0);
    const QString other = prefix + QStringLiteral("/notes.txt");
    ASSERT_TRUE(writeBytes(other, "à garder"));
    ASSERT_EQ(::chmod(QFile::encodeName(other).constData(), 0640), 0);

    ASSERT_TRUE(install(prefix, 0));
    EXPECT_EQ(fileMode(prefix), 0755u);
    EXPECT_EQ(fileMode(other), 0640u);
    EXPECT_EQ(readBytes(other), "à garder");
    expectInstalledFiles(prefix);
    EXPECT_EQ(execArguments(entryValue(prefix + QStringLiteral("/kaldrino.desktop"), QStringLiteral("Exec"))),
        (prefix + QStringLiteral("/kaldrino")).toStdString());
}

} // namespace
