#include "sgraphpass.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>
#include <QTemporaryFile>
#include <algorithm>
#include <filesystem>
#include <unistd.h>

#include "cp1252.h"
#include "filesystem.h"
#include "fonts.h"
#include "inifile.h"
#include "mainformfields.h"
#include "messagebox.h"
#include "mypicturesfolder.h"
#include "picturechooser.h"
#include "setupresources.h"
#include "sshowgraph.h"
#include "termination.h"
#include "vaultlayout.h"

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

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
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

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });

    OpenPictureDialog1 = new TOpenPictureDialog(this);
    OpenPictureDialog1->setObjectName(QStringLiteral("OpenPictureDialog1"));
}

QString TGraphPass::picturePath() const
{
    return m_mainForm.AppDir + ImageName;
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

    if (OpenPictureDialog1->Execute()) {
        const QString chosen = OpenPictureDialog1->FileName;
        const qsizetype cut = chosen.lastIndexOf(QLatin1Char('/'));
        ImageName = StorablePictureName(chosen.mid(cut + 1));
        {
            TIniFile ini(vault::vaultPath(m_mainForm.AppDir));
            ini.WriteEntry(vault::kConfigSection, vault::kPictureFolderKey,
                toCp1252(StorablePictureFolder(chosen.left(cut + 1))));
            ini.WriteEntry(vault::kConfigSection, vault::kImageKey, toCp1252(ImageName));
            ini.UpdateFile();
        }
        // A file that happens to be named like the vault must not replace it.
        const QString target = picturePath();
        if (target != vault::vaultPath(m_mainForm.AppDir))
            CopyPictureOver(chosen, target);
    }
    RefreshButtons();
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

namespace {

// A control character (a line break above all) would split the vault's
// line in two.
bool storableInVault(QChar c)
{
    return c.unicode() >= 0x20 && isCp1252Representable(c);
}

} // namespace

QString StorablePictureName(const QString& bareName)
{
    QString name;
    name.reserve(bareName.size());
    for (qsizetype i = 0; i < bareName.size(); ++i) {
        const QChar c = bareName.at(i);
        if (c.isHighSurrogate() && i + 1 < bareName.size() && bareName.at(i + 1).isLowSurrogate())
            ++i; // one character, one "_"
        name += storableInVault(c) ? c : QLatin1Char('_');
    }
    // The vault reads a value without the blanks around it and without
    // quotes that open and close it: such a name would not find its copy.
    if (!name.isEmpty() && name.front() == QLatin1Char(' '))
        name.front() = QLatin1Char('_');
    if (!name.isEmpty() && name.back() == QLatin1Char(' '))
        name.back() = QLatin1Char('_');
    if (name.size() >= 2 && (name.front() == QLatin1Char('"') || name.front() == QLatin1Char('\''))
        && name.back() == name.front())
        name.front() = QLatin1Char('_');
    return name;
}

QString StorablePictureFolder(const QString& folder)
{
    QString stored = folder;
    for (QChar& c : stored) {
        if (c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    return stored;
}

bool CopyPictureOver(const QString& source, const QString& target)
{
    std::error_code error;
    if (std::filesystem::equivalent(nativePath(source), nativePath(target), error))
        return true;

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    // QTemporaryFile creates the file readable and writable by its owner only.
    QTemporaryFile out(QFileInfo(target).absolutePath() + QStringLiteral("/.kaldrino-picture-XXXXXX"));
    if (!out.open())
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 read = in.read(buffer, sizeof buffer);
        if (read < 0)
            return false;
        if (read == 0)
            break;
        if (out.write(buffer, read) != read)
            return false;
    }
    if (!out.flush() || ::fsync(out.handle()) != 0)
        return false;
    out.close();
    std::filesystem::rename(nativePath(out.fileName()), nativePath(target), error);
    if (error)
        return false;
    out.setAutoRemove(false);
    return true;
}
