#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

class PictureBox;
class QLabel;
struct MainFormFields;

// The click-secret screen: the picture fitted and centred on a black window
// covering the primary display. In "creer" mode every click on the picture
// is recorded into the vault as the next point of the secret; in "verif"
// mode it is compared with the stored point of the same rank. Escape ends
// both. Callers set ImagePath and Mode, show it through ExecModal and read
// Recognized afterwards; it gives no feedback while the user clicks.
//
// Positions are in the pixels of the picture as fitted to the display. A
// recording also keeps that fitted size, and a verification on a display
// that fits the picture to another size scales its clicks back to it.
// A showing whose picture fails to load or to draw shows none, counts no
// click and is never recognised.
class TShowGraph : public QDialog {
    Q_OBJECT
public:
    explicit TShowGraph(const MainFormFields& mainForm, QWidget* parent = nullptr);

    PictureBox* Image1;
    QLabel* Label1;
    std::int32_t ClickCount = 0;
    std::int32_t ExpectedClicks = 0;
    QString ImagePath;
    QString Mode;
    bool Recognized = false;

    void FormCreate();
    void FormShow();
    void LoadPicture(const QString& path);
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);
    void FormClose();

    void done(int result) override;
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString vaultFile() const;
    // The picture of this showing loaded and has not failed to draw: the
    // picture control holds it.
    bool pictureShown() const;
    // Hides Image1 and forgets its picture.
    void dropPicture();

    const MainFormFields& m_mainForm;
};
