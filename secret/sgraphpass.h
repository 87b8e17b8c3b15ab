#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class TOpenPictureDialog;
class TShowGraph;
struct MainFormFields;

// The secret setup dialog: choose the picture, record the clicks on it,
// test them, then OK. Every decision is read again from the vault file and
// the file system; OK sets AccessGranted.
class TGraphPass : public QDialog {
    Q_OBJECT
public:
    TGraphPass(MainFormFields& mainForm, TShowGraph& showGraph, QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QFrame* Bevel2;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button6;
    TOpenPictureDialog* OpenPictureDialog1;

    QString PictureFolder;
    QString ImageName;

    void RefreshButtons();
    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button6Click();

    // Neither Escape nor the dialog's own cancel path closes it; only a
    // pending termination does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    QString picturePath() const;
    // Copies the chosen file into AppDir, then names it in the vault.
    void takePicture(const QString& chosen);

    MainFormFields& m_mainForm;
    TShowGraph& m_showGraph;
};
