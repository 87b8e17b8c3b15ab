#pragma once

#include <QWidget>
#include <functional>

#include "mainformfields.h"
#include "tablestore.h"

class QDialog;
class QFrame;
class QLabel;
class QPushButton;
class StringGrid;
class TUrlLabel;

// The password list window: the table in its grid, Add, Delete, the way to
// the setup dialog, and the saves that go with them. It is the program's
// main window; closing it ends the program.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    // appDir is the executable's folder, ending in a separator.
    explicit TMainForm(const QString& appDir, QWidget* parent = nullptr);

    StringGrid* Grille;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QFrame* Panel1;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Image1;
    QPushButton* Button4;
    QLabel* Label2;
    TUrlLabel* UrlLabel1;

    MainFormFields Fields;

    // The access gate, run by FormShow; installed by the program entry.
    std::function<void()> onFormShow;

    // The setup dialog that "Modifier le code secret graphique..." opens.
    void setGraphPass(QDialog* dialog) { m_graphPass = dialog; }

    // The table's trips to and from the vault file AppDir + "kaldrino.ini".
    void SaveTable();
    TableLoadNotice LoadTable();

    void setVisible(bool visible) override;

    // The handlers of the window and its controls.
    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void GrilleRowChanging(int oldRow, int newRow, bool& allow);
    void GrilleGetCellColor(int row, int column, QBrush& brush, QFont& font);
    void Image1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const QString& appDir);
    void createControls();
    void setUpGrid();
    void centreOnScreen();
    bool saveBeforeClosing();

    QDialog* m_graphPass = nullptr;
    bool m_shown = false;
    bool m_closed = false;
};

// Asked when the table could not be saved as the window closes.
QString CloseWithoutSavingQuestion();

// The user guide shipped beside the program, which the logo and the link
// label open.
inline constexpr const char* kGuideFileName = "kaldrino-guide.html";
