#pragma once

#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "programrun.h"
#include "vaultreader.h"
#include "virtualdisplay.h"

// Captions, and the controls' places in their window's client area.
namespace captions {
inline const QString kSetup
    = QStringLiteral("Kaldrino - Code secret visuel pour l'accès à votre liste de mots de passe");
inline const QString kTable = QStringLiteral("Mots de passe");
inline const QString kChooser = QStringLiteral("Choix d'une image");
inline const QString kInformation = QStringLiteral("Information");
inline const QString kWarning = QStringLiteral("Avertissement");
inline const QString kConfirmation = QStringLiteral("Confirmation");
} // namespace captions

namespace setupdialog {
inline constexpr QRect kBrowse(40, 138, 545, 25);
inline constexpr QRect kRecord(40, 218, 545, 25);
inline constexpr QRect kTest(40, 298, 545, 25);
inline constexpr QRect kOk(234, 408, 75, 25);
inline constexpr QRect kQuit(322, 408, 75, 25);
// A spot with no control on it.
inline constexpr QRect kBlank(8, 420, 20, 20);
} // namespace setupdialog

namespace tablewindow {
inline constexpr QRect kAdd(8, 448, 75, 25);
inline constexpr QRect kClose(366, 448, 75, 25);
// A cell of the grid (8, 112, 433 x 305, a 2-pixel sunken frame; rows 21
// pixels high, row 0 the header; columns 261 pixels and the rest).
QRect cell(int column, int row);
} // namespace tablewindow

// One test's world: a fresh folder holding a copy of the built program (its
// AppDir), a home folder, a folder of pictures, a virtual display, the runs
// of the program, and a folder of screenshots under the build tree.
class WholeProgram : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void startDisplay(QSize size);
    void startProgram();
    // Waits for the running program to end by itself.
    void expectProgramEnds();

    QString appDir() const { return m_appDir; }
    QString vaultFile() const { return m_appDir + QStringLiteral("kaldrino.ini"); }
    QString picturesDir() const { return m_picturesDir; }
    const VirtualDisplay& display() const { return *m_display; }
    qint64 pid() const { return m_run->pid(); }

    // Saves the screen as artifacts/<test>/<NN>-<step>.png.
    void shot(const QString& step);

    // A message box of that caption: looked at, then answered with Enter
    // (its default button) or the keys given ("alt+o" presses "&Oui").
    void answerMessage(
        const QString& caption, const QString& step, const QString& keys = QStringLiteral("Return"));
    // The click-secret screen: the clicks, in screen pixels, then Escape.
    void clickSecret(const std::vector<QPoint>& clicks, const QString& step);
    // Clicks a control of a window found by its caption.
    void press(const QString& caption, const QRect& control);

    // Where the screen shows the test picture on this display, and where a
    // person clicks its details.
    QSize shownPictureSize() const;
    std::vector<QPoint> detailsInShownPicture() const;
    std::vector<QPoint> detailsOnScreen() const;

    // From the setup dialog of a first run to the table window: choose the
    // picture, record the clicks, test them, OK. Returns the table window.
    QString setUpSecret(const QString& picture);
    // For each entry: "Ajouter", then its two cells typed into the new row.
    void addEntries(const QString& tableWindow, int existingEntries, const std::vector<Entry>& entries);

private:
    QTemporaryDir m_root;
    QString m_appDir;
    QString m_home;
    QString m_picturesDir;
    QString m_artifacts;
    int m_shots = 0;
    std::unique_ptr<VirtualDisplay> m_display;
    std::unique_ptr<ProgramRun> m_run;
};
