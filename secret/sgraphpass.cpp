#include "sgraphpass.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>
#include <algorithm>

#include "cp1252.h"
#include "errordisplay.h"
#include "filecopy.h"
#include "filesystem.h"
#include "fonts.h"
#include "inifile.h"
#include "mainformfields.h"
#include "messagebox.h"
#include "mypicturesfolder.h"
#include "picture.h"
#include "picturechooser.h"
#include "picturelocation.h"
#include "picturename.h"
#include "setupresources.h"
#include "sshowgraph.h"
#include "termination.h"
#include "vaultlayout.h"
#include "windowframe.h"

namespace {

// A message's lines, joined by a single carriage return.
QString lines(std::initializer_list<const char*> texts)
{
    QStringList joined;
    for (const char* text : texts)
        joined.append(QString::fromUtf8(text));
    return joined.join(QChar(13));
}

QPixmap padlockPicture()
{
    initSetupResources();
    QImage image(48, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QSvgRenderer(QStringLiteral(":/setup/padlock.svg")).render(&painter);
    painter.end();
    return QPixmap::fromImage(image);
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& text, const QRect& bounds)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setGeometry(bounds);
    return button;
}

} // namespace

TGraphPass::TGraphPass(MainFormFields& mainForm, TShowGraph& showGraph, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_mainForm(mainForm)
    , m_showGraph(showGraph)
{
    setObjectName(QStringLiteral("GraphPass"));
    setWindowTitle(
        QStringLiteral("Kaldrino - Code secret visuel pour l'accès à votre liste de mots de passe"));
    setFixedSize(632, 453);
    setFont(dialogFont());
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    buildControls();
    WindowFrame::install(*this, TitleBarButtons::None, FrameSizing::Fixed);
}

void TGraphPass::buildControls()
{
    // The bevel first, so that it lies under the steps it frames.
    Bevel2 = new QFrame(this);
    Bevel2->setObjectName(QStringLiteral("Bevel2"));
    Bevel2->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel2->setGeometry(8, 80, 617, 313);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(padlockPicture());
    Image1->setGeometry(8, 8, 48, 64);

    const QFont stepFont = arialFont(15, true);

    Label2 = makeLabel(this,
        QStringLiteral("Configuration de l'accès protégé à votre liste de mots de passe grâce à une "
                       "image sur laquelle vous devrez cliquer à certains endroits définis par vous"),
        stepFont);
    Label2->setObjectName(QStringLiteral("Label2"));
    QPalette red = Label2->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label2->setPalette(red);
    Label2->setWordWrap(true);
    Label2->setGeometry(72, 16, 553, 41);

    Label1 = makeLabel(this,
        QStringLiteral(
            "1. Choix de l'image qui va servir à définir l'accès protégé à votre liste de mots de passe"),
        stepFont);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    // Two bold lines of 15 pixels take 35 pixels with their descenders, two
    // more than the design's 33: grow downward rather than cut "passe".
    Label1->setGeometry(40, 96, 545, std::max(33, Label1->heightForWidth(545)));

    Button1 = makeButton(this, QStringLiteral("Parcourir..."), QRect(40, 138, 545, 25));
    Button1->setObjectName(QStringLiteral("Button1"));

    Label3 = makeLabel(this,
        QStringLiteral("2. Saisie des clics secrets sur l'image (autant de clics que vous voulez)"),
        stepFont);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(QRect(QPoint(40, 192), Label3->sizeHint()));

    Button2 = makeButton(this, QStringLiteral("Procéder à l'enregistrement..."), QRect(40, 218, 545, 25));
    Button2->setObjectName(QStringLiteral("Button2"));

    Label4 = makeLabel(this, QStringLiteral("3. Test de vos clics secrets"), stepFont);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(QRect(QPoint(40, 272), Label4->sizeHint()));

    Button3 = makeButton(this, QStringLiteral("Tester..."), QRect(40, 298, 545, 25));
    Button3->setObjectName(QStringLiteral("Button3"));

    Label5 = makeLabel(
        this, QStringLiteral("Si le test n'est pas concluant, repassez à l'étape 2"), dialogFont());
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setGeometry(QRect(QPoint(40, 336), Label5->sizeHint()));

    Label6 = makeLabel(this,
        QStringLiteral("Quand vous êtes bien sûr de savoir refaire les clics, cliquez sur le bouton \"OK\""),
        dialogFont());
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setGeometry(QRect(QPoint(40, 352), Label6->sizeHint()));

    Button4 = makeButton(this, QStringLiteral("OK"), QRect(234, 408, 75, 25));
    Button4->setObjectName(QStringLiteral("Button4"));
    Button6 = makeButton(this, QStringLiteral("Quitter"), QRect(322, 408, 75, 25));
    Button6->setObjectName(QStringLiteral("Button6"));

    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Button4);
    setTabOrder(Button4, Button6);

    // An exception must not travel back through Qt's signal machinery: each
    // button shows its own errors, and the dialog goes on.
    const auto bind = [this](QPushButton* button, void (TGraphPass::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] {
            try {
                (this->*handler)();
            } catch (const std::exception& error) {
                ShowException(error);
            }
        });
    };
    bind(Button1, &TGraphPass::Button1Click);
    bind(Button2, &TGraphPass::Button2Click);
    bind(Button3, &TGraphPass::Button3Click);
    bind(Button4, &TGraphPass::Button4Click);
    bind(Button6, &TGraphPass::Button6Click);

    OpenPictureDialog1 = new TOpenPictureDialog(this);
    OpenPictureDialog1->setObjectName(QStringLiteral("OpenPictureDialog1"));
}

QString TGraphPass::picturePath() const
{
    // A copy whose name differs from the stored one only in case is the
    // same picture, as it is to the gate.
    const QString found = LocatePicture(m_mainForm.AppDir, ImageName);
    return found.isEmpty() ? m_mainForm.AppDir + ImageName : found;
}

void TGraphPass::RefreshButtons()
{
    bool secretPresent = false;
    {
        TIniFile ini(vault::vaultPath(m_mainForm.AppDir));
        ImageName = fromCp1252(ini.ReadEntry(vault::kConfigSection, vault::kImageKey));
        secretPresent = ini.SectionHasKeys(vault::SecretSection());
    }
    const bool picturePresent = FileExists(picturePath());
    Button2->setEnabled(picturePresent);
    Button3->setEnabled(picturePresent && secretPresent);
    Button4->setEnabled(picturePresent && secretPresent);
}

void TGraphPass::FormShow()
{
    RefreshButtons();
}

void TGraphPass::Button1Click()
{
    {
        TIniFile ini(vault::vaultPath(m_mainForm.AppDir));
        PictureFolder = fromCp1252(ini.ReadEntry(vault::kConfigSection, vault::kPictureFolderKey));
    }
    OpenPictureDialog1->InitialDir = FolderExists(PictureFolder) ? PictureFolder : MyPicturesFolder();

    if (OpenPictureDialog1->Execute())
        takePicture(OpenPictureDialog1->FileName);
    RefreshButtons();
}

void TGraphPass::takePicture(const QString& chosen)
{
    const qsizetype cut = chosen.lastIndexOf(QLatin1Char('/'));
    const QString name = StorablePictureName(chosen.mid(cut + 1));
    if (IsReservedPictureName(name, QFileInfo(QCoreApplication::applicationFilePath()).fileName())) {
        MessageDlg(QStringLiteral("Le nom de l'image %1 est réservé aux fichiers de Kaldrino. Renommez "
                                  "l'image puis choisissez-la de nouveau.")
                       .arg(name),
            MsgKind::Warning, MsgButtons::Ok);
        return;
    }
    // A picture that cannot be shown would refuse every later start. What
    // the copy refuses (not a file, too large) is left to it: it says why.
    const QFileInfo source(chosen);
    if (source.isFile() && source.size() <= vault::kMaxCopySize) {
        try {
            if (LoadShowablePicture(chosen)->naturalSize().isEmpty())
                throw PictureError("Image vide");
        } catch (const PictureError& error) {
            MessageDlg(QStringLiteral("L'image %1 ne peut pas être affichée (%2). Choisissez-en une autre.")
                           .arg(QDir::toNativeSeparators(chosen), QString::fromStdString(error.message())),
                MsgKind::Warning, MsgButtons::Ok);
            return;
        }
    }
    // The copy lands before the vault names it: a name without its picture
    // would make the next start take the secret for lost.
    try {
        vault::copyFileOver(chosen, m_mainForm.AppDir + name);
    } catch (const vault::FileCopyError& error) {
        MessageDlg(QStringLiteral("Impossible de copier l'image ") + QDir::toNativeSeparators(chosen)
                + QChar(13) + QString::fromStdString(error.message()),
            MsgKind::Warning, MsgButtons::Ok);
        return;
    }
    {
        TIniFile ini(vault::vaultPath(m_mainForm.AppDir));
        ini.WriteEntry(vault::kConfigSection, vault::kPictureFolderKey,
            toCp1252(StorablePictureFolder(chosen.left(cut + 1))));
        ini.WriteEntry(vault::kConfigSection, vault::kImageKey, toCp1252(name));
        ini.UpdateFile();
    }
    ImageName = name;
}

void TGraphPass::Button2Click()
{
    MessageDlg(
        lines({ "Cliquez maintenant dans un ordre précis à différents endroits de l'image pour définir votre "
                "code secret.",
            "Vous pouvez cliquer à autant d'endroits que vous le voulez.",
            "Conseil : 5 ou 6 clics devraient suffire ! Surtout, retenez bien où vous avez cliqué et "
            "dans quel ordre !",
            "Quand vous aurez fini vos clics secrets, appuyez sur la touche ECHAP de votre clavier." }),
        MsgKind::Information, MsgButtons::Ok);
    m_showGraph.Mode = QStringLiteral("creer");
    m_showGraph.ImagePath = picturePath();
    ExecModal(m_showGraph);
    RefreshButtons();
}

void TGraphPass::Button3Click()
{
    MessageDlg(
        lines({ "Refaites maintenant vos clics secrets exactement dans le même ordre",
            "pour vérifier que vous savez saisir votre code secret.",
            "Quand vous aurez fini vos clics secrets, appuyez sur la touche ECHAP de votre clavier." }),
        MsgKind::Information, MsgButtons::Ok);
    m_showGraph.Mode = QStringLiteral("verif");
    m_showGraph.ImagePath = picturePath();
    ExecModal(m_showGraph);
    if (m_showGraph.Recognized)
        MessageDlg(QStringLiteral("Bravo, le code secret a bien été reconnu !"), MsgKind::Information,
            MsgButtons::Ok);
    else
        MessageDlg(
            lines({ "Le code secret n'a pas été reconnu.",
                "Vous devriez retester ou recommencer la procédure d'enregistrement avec quelque chose "
                "de plus simple." }),
            MsgKind::Warning, MsgButtons::Ok);
}

void TGraphPass::Button4Click()
{
    m_mainForm.AccessGranted = true;
    accept();
}

void TGraphPass::Button6Click()
{
    if (MessageDlg(
            QStringLiteral("Voulez-vous vraiment abandonner la configuration et quitter le programme ?"),
            MsgKind::Confirmation, MsgButtons::YesNo)
        == MsgResult::Yes)
        RequestTermination();
}

void TGraphPass::reject()
{
    if (TerminationRequested())
        QDialog::reject();
}

void TGraphPass::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QSize outer = frameGeometry().size();
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }
    QDialog::showEvent(event);
    FormShow();
}

void TGraphPass::closeEvent(QCloseEvent* event)
{
    // The dialog has no close box, yet a window manager or a compositor may
    // close it anyway (Alt+F4, its own menu): that is "Quitter", question
    // included. Yes has already closed it through the termination request.
    event->ignore();
    Button6Click();
}

void TGraphPass::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // No button is the default: Enter presses the focused one, if any.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
            button->click();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}
