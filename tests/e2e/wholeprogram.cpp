#include "wholeprogram.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "testpicture.h"

QRect tablewindow::cell(int column, int row)
{
    const int left = 8 + 2 + (column == 0 ? 0 : 261);
    return QRect(left, 112 + 2 + 21 * row, column == 0 ? 261 : 167, 21);
}

void WholeProgram::SetUp()
{
    ASSERT_TRUE(m_root.isValid());
    const QString root = m_root.path() + QLatin1Char('/');
    m_appDir = root + QStringLiteral("Kaldrino/");
    m_home = root + QStringLiteral("home/");
    m_picturesDir = root + QStringLiteral("Mes images/");
    for (const QString& folder : { m_appDir, m_home, m_picturesDir })
        ASSERT_TRUE(QDir().mkpath(folder));
    // The home folder is also the program's runtime folder, which must be private.
    QFile::setPermissions(m_home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(QFile::copy(QStringLiteral(KALDRINO_EXECUTABLE), m_appDir + QStringLiteral("kaldrino")))
        << "the built program is missing: " KALDRINO_EXECUTABLE;

    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QString name
        = QString::fromUtf8(test->test_suite_name()) + QLatin1Char('.') + QString::fromUtf8(test->name());
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    m_artifacts = QStringLiteral(KALDRINO_E2E_ARTIFACTS "/") + name;
    QDir(m_artifacts).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(m_artifacts));
}

void WholeProgram::TearDown()
{
    // The program first: it must not outlive its display.
    m_run.reset();
    m_display.reset();
}

void WholeProgram::startDisplay(QSize size)
{
    m_display = std::make_unique<VirtualDisplay>(size);
}

void WholeProgram::startProgram()
{
    m_run.reset();
    m_run = std::make_unique<ProgramRun>(m_appDir + QStringLiteral("kaldrino"), *m_display, m_home,
        m_artifacts + QStringLiteral("/program.log"));
}

void WholeProgram::expectProgramEnds()
{
    EXPECT_EQ(m_run->waitForExit(), 0);
}

void WholeProgram::shot(const QString& step)
{
    // A window is mapped before it is painted.
    QThread::msleep(300);
    m_display->screenshot(
        QStringLiteral("%1/%2-%3.png").arg(m_artifacts).arg(++m_shots, 2, 10, QLatin1Char('0')).arg(step));
}

void WholeProgram::answerMessage(const QString& caption, const QString& step, const QString& keys)
{
    const QString box = m_display->waitForWindow(caption);
    shot(step);
    m_display->focus(box);
    m_display->key(keys);
    m_display->waitUntilGone(box);
}

void WholeProgram::clickSecret(const std::vector<QPoint>& clicks, const QString& step)
{
    const QString screen = m_display->waitForWindowAt(pid(), QRect(QPoint(0, 0), m_display->size()));
    shot(step + QStringLiteral("-screen"));
    for (const QPoint& at : clicks)
        m_display->click(at);
    m_display->focus(screen);
    m_display->key(QStringLiteral("Escape"));
    m_display->waitUntilGone(screen);
}

void WholeProgram::press(const QString& caption, const QRect& control)
{
    m_display->clickIn(m_display->waitForWindow(caption), control);
}

QSize WholeProgram::shownPictureSize() const
{
    return fittedSize(kPictureSize, m_display->size());
}

std::vector<QPoint> WholeProgram::detailsInShownPicture() const
{
    std::vector<QPoint> points;
    for (const QPoint& detail : pictureDetails())
        points.push_back(inShownPicture(detail, kPictureSize, shownPictureSize()));
    return points;
}

std::vector<QPoint> WholeProgram::detailsOnScreen() const
{
    const QPoint origin = fittedOrigin(shownPictureSize(), m_display->size());
    std::vector<QPoint> points;
    for (const QPoint& p : detailsInShownPicture())
        points.push_back(origin + p);
    return points;
}

QString WholeProgram::setUpSecret(const QString& picture)
{
    using namespace setupdialog;
    const QString dialog = m_display->waitForWindow(captions::kSetup, std::chrono::seconds(30));
    shot(QStringLiteral("setup-dialog"));
    EXPECT_TRUE(m_display->windowsNamed(captions::kInformation).isEmpty())
        << "a message came before the setup dialog";

    m_display->clickIn(dialog, kBrowse);
    const QString chooser = m_display->waitForWindow(captions::kChooser);
    shot(QStringLiteral("chooser"));
    m_display->focus(chooser);
    m_display->type(picture);
    shot(QStringLiteral("chooser-path-typed"));
    m_display->key(QStringLiteral("Return"));
    m_display->waitUntilGone(chooser);

    // Nothing of the chooser may stay on screen: a leftover popup would
    // swallow the next click.
    QStringList leftovers = m_display->windowsOf(pid());
    leftovers.removeAll(dialog);
    EXPECT_TRUE(leftovers.isEmpty()) << "a window of the chooser (its file-name completion list) stays on "
                                        "screen after the chooser closed; it takes the next click";
    if (!leftovers.isEmpty()) {
        shot(QStringLiteral("chooser-leftover"));
        m_display->clickIn(dialog, kBlank);
        for (const QString& window : leftovers)
            m_display->waitUntilGone(window);
    }
    shot(QStringLiteral("picture-chosen"));

    m_display->clickIn(dialog, kRecord);
    answerMessage(captions::kInformation, QStringLiteral("record-message"));
    clickSecret(detailsOnScreen(), QStringLiteral("record"));

    m_display->clickIn(dialog, kTest);
    answerMessage(captions::kInformation, QStringLiteral("test-message"));
    clickSecret(detailsOnScreen(), QStringLiteral("test"));

    // "Bravo, le code secret a bien été reconnu !" is the only information
    // box here; a failed test shows a warning instead.
    QElapsedTimer clock;
    clock.start();
    while (m_display->windowsNamed(captions::kInformation).isEmpty()) {
        if (!m_display->windowsNamed(captions::kWarning).isEmpty()) {
            shot(QStringLiteral("test-failed"));
            throw E2eFailure("the test of the recorded clicks was not recognised");
        }
        if (clock.elapsed() > 20000)
            throw E2eFailure("no verdict after the test of the recorded clicks");
        QThread::msleep(100);
    }
    answerMessage(captions::kInformation, QStringLiteral("test-passed"));

    shot(QStringLiteral("ready"));
    m_display->clickIn(dialog, kOk);
    const QString table = m_display->waitForWindow(captions::kTable);
    shot(QStringLiteral("table-window"));
    return table;
}

void WholeProgram::addEntries(
    const QString& tableWindow, int existingEntries, const std::vector<Entry>& entries)
{
    int row = existingEntries + 1; // row 0 is the header
    for (const auto& [description, password] : entries) {
        m_display->clickIn(tableWindow, tablewindow::kAdd);
        m_display->clickIn(tableWindow, tablewindow::cell(0, row));
        m_display->type(description);
        m_display->key(QStringLiteral("Tab"));
        m_display->type(password);
        m_display->key(QStringLiteral("Return"));
        ++row;
    }
    shot(QStringLiteral("entries-typed"));
}
