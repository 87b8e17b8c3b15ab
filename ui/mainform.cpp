#include "mainform.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>
#include <QUrl>
#include <algorithm>

#include "cp1252.h"
#include "desktop.h"
#include "encryptdecrypt.h"
#include "errordisplay.h"
#include "fonts.h"
#include "gridtable.h"
#include "messagebox.h"
#include "stringgrid.h"
#include "tablestore.h"
#include "termination.h"
#include "urllabel.h"
#include "vaultlayout.h"
#include "windowframe.h"

namespace {

constexpr int kClientWidth = 450;
constexpr int kClientHeight = 480;

QPixmap logoPixmap()
{
    QPixmap pixmap(100, 89);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QSvgRenderer(QStringLiteral(":/ui/logo.svg")).render(&painter);
    return pixmap;
}

QPushButton* makeButton(const QString& text, const QRect& geometry, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLabel* makeLabel(const QString& text, const QRect& geometry, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

} // namespace

// The library's resources are linked statically and so must be registered.
static void registerUiResources()
{
    Q_INIT_RESOURCE(ui);
}

TMainForm::TMainForm(const QString& appDir, QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    registerUiResources();
    setWindowTitle(QStringLiteral("Mots de passe"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(dialogFont());
    QPalette buttonFace = palette();
    buttonFace.setColor(QPalette::Window, buttonFace.color(QPalette::Button));
    setPalette(buttonFace);
    setAutoFillBackground(true);

    createControls();
    setUpGrid();
    FormCreate(appDir);
    WindowFrame::install(*this, TitleBarButtons::Close, FrameSizing::Fixed);
}

void TMainForm::FormCreate(const QString& appDir)
{
    Fields.AppDir = appDir;
    Fields.AccessGranted = false;

    const QString guide = appDir + QLatin1String(kGuideFileName);
    Image1->setToolTip(guide);
    UrlLabel1->setText(QLatin1String(kGuideFileName));
    UrlLabel1->URL = QUrl::fromLocalFile(guide).toString();
    // The file name is wider than the address slot: the link keeps its
    // right edge under the grid's and grows to the left.
    const QRect slot = UrlLabel1->geometry();
    const int width = std::max(slot.width(), UrlLabel1->sizeHint().width());
    UrlLabel1->setGeometry(slot.right() + 1 - width, slot.top(), width, slot.height());
}

void TMainForm::createControls()
{
    Grille = new StringGrid(this);
    Grille->setGeometry(8, 112, 433, 305);

    Button1 = makeButton(QStringLiteral("Fermer"), QRect(366, 448, 75, 25), this);
    Button2 = makeButton(QStringLiteral("Ajouter"), QRect(8, 448, 75, 25), this);
    Button3 = makeButton(QStringLiteral("Supprimer..."), QRect(88, 448, 75, 25), this);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(8, 8, 433, 97);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);

    Label1 = makeLabel(
        QStringLiteral("Saisissez dans le tableau ci-dessous vos mots de passe et leurs descriptions."),
        QRect(136, 16, 281, 25), Panel1);
    Label1->setWordWrap(true);

    Label3 = makeLabel(
        QStringLiteral("Appuyez sur la touche \"Entrée\" pour valider vos saisies dans les cellules."),
        QRect(136, 49, 273, 24), Panel1);
    Label3->setFont(dialogFont(true));
    Label3->setWordWrap(true);

    Image1 = new QLabel(Panel1);
    Image1->setGeometry(16, 4, 100, 89);
    Image1->setPixmap(logoPixmap());
    Image1->setAttribute(Qt::WA_TranslucentBackground);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    Button4
        = makeButton(QStringLiteral("Modifier le code secret graphique..."), QRect(168, 448, 193, 25), this);

    Label2 = makeLabel(QStringLiteral("Auteur : Mathilde Roussel"), QRect(8, 424, 191, 13), this);

    UrlLabel1 = new TUrlLabel(this);
    UrlLabel1->setGeometry(350, 424, 91, 13);

    connect(Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TMainForm::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TMainForm::Button4Click);

    for (QWidget* control :
        { static_cast<QWidget*>(Panel1), static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label3),
            static_cast<QWidget*>(Image1), static_cast<QWidget*>(Label2), static_cast<QWidget*>(UrlLabel1) })
        control->setFocusPolicy(Qt::NoFocus);
    for (QPushButton* button : { Button1, Button2, Button3, Button4 })
        button->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(Grille, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Button4);
}

void TMainForm::setUpGrid()
{
    Grille->setColumnCount(2);
    Grille->setRowCount(2);
    Grille->setCell(0, 0, QStringLiteral("Description"));
    Grille->setCell(1, 0, QStringLiteral("Mot de passe"));
    // What the user types is what the vault can keep, so nothing is lost
    // silently on the way to the file.
    Grille->setEditorMaxLength(vault::kLongestText);
    Grille->setEditorCharFilter(&isCp1252Representable);
    // Text sorts by the bytes the vault stores.
    Grille->setSortTextByte(&cp1252Byte);
    Grille->onRowChanging
        = [this](int oldRow, int newRow, bool& allow) { GrilleRowChanging(oldRow, newRow, allow); };
    Grille->onGetCellColor = [this](int row, int column, QBrush& brush, QFont& font) {
        GrilleGetCellColor(row, column, brush, font);
    };
    // A copied password leaves the clipboard again before long.
    Grille->addCopyMenuItem(QStringLiteral("Copier le mot de passe"), 1);
    Grille->onCopyRequested = [this](int column, int row) {
        const QString text = Grille->cell(column, row);
        if (column == 1)
            CopySecretToClipboard(text);
        else
            CopyToClipboard(text);
    };
    Button3->setEnabled(Grille->row() > 1);
}

void TMainForm::SaveTable()
{
    GridTable table(*Grille);
    ::SaveTable(vault::vaultPath(Fields.AppDir), table);
}

TableLoadNotice TMainForm::LoadTable()
{
    GridTable table(*Grille);
    return ::LoadTable(vault::vaultPath(Fields.AppDir), table);
}

void TMainForm::setVisible(bool visible)
{
    // The first showing runs the access gate before anything is drawn; a
    // gate that refused access has closed the window already.
    if (visible && !m_shown) {
        m_shown = true;
        centreOnScreen();
        FormShow();
        if (m_closed)
            return;
    }
    QWidget::setVisible(visible);
}

void TMainForm::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = geometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TMainForm::FormShow()
{
    if (onFormShow)
        onFormShow();
}

QString CloseWithoutSavingQuestion()
{
    return QStringLiteral("Le tableau n'a pas pu être enregistré.") + QStringLiteral("\r")
        + QStringLiteral("Si vous fermez Kaldrino maintenant, les modifications faites depuis le dernier "
                         "enregistrement seront perdues.")
        + QStringLiteral("\r\r") + QStringLiteral("Voulez-vous fermer Kaldrino sans enregistrer ?");
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (Fields.AccessGranted && !saveBeforeClosing()) {
        event->ignore();
        return;
    }
    m_closed = true;
    event->accept();
}

// A save that fails on a medium that stays unwritable must not keep the
// window open for good: once the error is shown, the user chooses.
bool TMainForm::saveBeforeClosing()
{
    try {
        SaveTable();
        return true;
    } catch (const std::exception& error) {
        ShowException(error);
    }
    return MessageDlg(CloseWithoutSavingQuestion(), MsgKind::Confirmation, MsgButtons::YesNoDefaultNo)
        == MsgResult::Yes;
}

// The buttons' handlers show their own errors: nothing is thrown through
// the signal that called them.
void TMainForm::Button1Click()
{
    close();
}

void TMainForm::Button2Click()
{
    try {
        const int newRow = Grille->rowCount();
        Grille->setRowCount(newRow + 1);
        Grille->setRow(newRow);
        Grille->setCol(0);
        SaveTable();
    } catch (const std::exception& error) {
        ShowException(error);
    }
    // What the user types next goes into the new description.
    Grille->setFocus();
    Grille->editCurrentCell();
}

void TMainForm::Button3Click()
{
    try {
        const int row = Grille->row();
        const QString message = QStringLiteral("Voulez-vous vraiment supprimer ") + Grille->cell(0, row)
            + QStringLiteral(" (") + Grille->cell(1, row) + QStringLiteral(") ?");
        if (MessageDlg(message, MsgKind::Confirmation, MsgButtons::YesNo) != MsgResult::Yes)
            return;

        // The grid keeps the index, or moves to the new last row, and reports
        // that move like any other: the Delete rule holds.
        Grille->removeRows(row, 1);
        SaveTable();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

void TMainForm::Button4Click()
{
    try {
        SaveTable();
    } catch (const std::exception& error) {
        // The setup dialog opens only on a saved table: its Quit ends the
        // program without a further save.
        ShowException(error);
        return;
    }
    if (m_graphPass)
        ExecModal(*m_graphPass);
}

void TMainForm::GrilleRowChanging(int /*oldRow*/, int newRow, bool& /*allow*/)
{
    Button3->setEnabled(newRow > 1);
}

void TMainForm::GrilleGetCellColor(int row, int /*column*/, QBrush& /*brush*/, QFont& font)
{
    if (row == 0) {
        font.setBold(true);
        font.setItalic(false);
        font.setUnderline(false);
        font.setStrikeOut(false);
    }
}

void TMainForm::Image1Click()
{
    ShellOpen(Image1->toolTip());
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Image1->rect().contains(mouse->position().toPoint()))
            Image1Click();
    }
    return QWidget::eventFilter(watched, event);
}
