#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "bitmapfile.h"
#include "cp1252.h"
#include "encryptdecrypt.h"
#include "fileio.h"
#include "filetestutil.h"
#include "fonts.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "mainformfields.h"
#include "messagebox.h"
#include "mypicturesfolder.h"
#include "picturebox.h"
#include "picturechooser.h"
#include "sgraphpass.h"
#include "sshowgraph.h"
#include "tempdir.h"
#include "termination.h"
#include "titlebar.h"
#include "vaultlayout.h"
#include "windowframe.h"

namespace {

const QChar CR(13);

// Calls action from inside the modal loop that will show window.
void whenShown(QWidget* window, std::function<void()> action)
{
    QTimer::singleShot(0, window, [window, action] {
        if (QTest::qWaitFor([window] { return QApplication::activeModalWidget() == window; }, 5000))
            action();
    });
}

class GraphPassTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fields.AppDir = app.path();
        fields.IniPath = vault::vaultPath(app.path());
        setMessageSeamForTesting([this](const MessageRecord& m) {
            messages.push_back(m);
            return answer;
        });
        setChooserSeamForTesting([this](const TOpenPictureDialog& chooser) {
            initialDirs.append(chooser.InitialDir);
            return chosen;
        });
    }

    void TearDown() override
    {
        setMessageSeamForTesting({});
        setChooserSeamForTesting({});
    }

    QString iniText() const { return QString::fromLatin1(readBytes(fields.IniPath)); }

    std::string configEntry(const char* key) const
    {
        TIniFile ini(fields.IniPath);
        return ini.ReadEntry(vault::kConfigSection, key);
    }

    void writeConfig(const char* key, const QString& value)
    {
        TIniFile ini(fields.IniPath);
        ini.WriteEntry(vault::kConfigSection, key, toCp1252(value));
        ini.UpdateFile();
    }

    void writeSecretKey()
    {
        TIniFile ini(fields.IniPath);
        ini.WriteEntry(vault::SecretSection(), EncryptText("nb"), EncryptText("0"));
        ini.UpdateFile();
    }

    // The enabled state of Button1, Button2, Button3, Button4, Button6.
    std::vector<bool> enabled() const
    {
        return { dialog.Button1->isEnabled(), dialog.Button2->isEnabled(), dialog.Button3->isEnabled(),
            dialog.Button4->isEnabled(), dialog.Button6->isEnabled() };
    }

    TestFolder app;
    TestFolder elsewhere;
    MainFormFields fields;
    TShowGraph screen { fields };
    TGraphPass dialog { fields, screen };
    std::vector<MessageRecord> messages;
    MsgResult answer = MsgResult::Ok;
    std::optional<QString> chosen;
    QStringList initialDirs;
};

const std::vector<bool> kNoPicture { true, false, false, false, true };
const std::vector<bool> kPictureNoSecret { true, true, false, false, true };
const std::vector<bool> kReady { true, true, true, true, true };

// --- window -----------------------------------------------------------------

TEST_F(GraphPassTest, WindowIsAFixedDialogWithoutCloseBox)
{
    EXPECT_EQ(dialog.windowTitle(),
        QStringLiteral("Kaldrino - Code secret visuel pour l'accès à votre liste de mots de passe"));
    EXPECT_EQ(dialog.minimumSize(), QSize(632, 453));
    EXPECT_EQ(dialog.maximumSize(), QSize(632, 453));
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    for (QPushButton* b :
        { dialog.Button1, dialog.Button2, dialog.Button3, dialog.Button4, dialog.Button6 }) {
        EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
    }
}

// Where the dialog carries our own title bar (Wayland): no button at all,
// the whole caption at the dialog's width, the controls where they are in
// the client area, and a close from the window system is still "Quitter".
TEST_F(GraphPassTest, OurOwnTitleBarHasNoButtonAndTheWholeCaption)
{
    WindowFrame::forceForTesting(true);
    TGraphPass framed { fields, screen };
    WindowFrame::forceForTesting(false);
    const WindowFrame* frame = WindowFrame::of(framed);
    ASSERT_NE(frame, nullptr);

    EXPECT_TRUE(framed.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(frame->titleBar()->findChildren<QAbstractButton*>(), QList<QAbstractButton*>());
    EXPECT_EQ(frame->titleBar()->shownCaption(), framed.windowTitle());

    const QRect client = WindowFrame::clientArea(framed);
    EXPECT_EQ(client.size(), QSize(632, 453));
    EXPECT_GT(client.top(), frame->titleBar()->geometry().bottom());
    EXPECT_EQ(framed.minimumSize(), framed.maximumSize()) << "the grown size stays fixed";
    EXPECT_GT(framed.height() - 453, frame->titleBar()->height());
    for (QWidget* control : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control->isWindow())
            continue;
        const auto* twin = framed.findChild<QWidget*>(control->objectName(), Qt::FindDirectChildrenOnly);
        ASSERT_NE(twin, nullptr) << control->objectName().toStdString();
        EXPECT_EQ(twin->geometry().translated(-client.topLeft()), control->geometry())
            << control->objectName().toStdString();
    }

    framed.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&framed));
    answer = MsgResult::No;
    framed.close();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
        QStringLiteral("Voulez-vous vraiment abandonner la configuration et quitter le programme ?"));
    EXPECT_TRUE(framed.isVisible());
}

TEST_F(GraphPassTest, ControlsSitAtTheirPositionsWithTheirTexts)
{
    struct {
        QWidget* widget;
        QRect bounds;
    } fixed[] = {
        { dialog.Image1, { 8, 8, 48, 64 } },
        { dialog.Label2, { 72, 16, 553, 41 } },
        { dialog.Bevel2, { 8, 80, 617, 313 } },
        { dialog.Button1, { 40, 138, 545, 25 } },
        { dialog.Button2, { 40, 218, 545, 25 } },
        { dialog.Button3, { 40, 298, 545, 25 } },
        { dialog.Button4, { 234, 408, 75, 25 } },
        { dialog.Button6, { 322, 408, 75, 25 } },
    };
    for (const auto& c : fixed)
        EXPECT_EQ(c.widget->geometry(), c.bounds) << c.widget->objectName().toStdString();
    // Label1 keeps its place and width; its height grows to its two lines.
    EXPECT_EQ(dialog.Label1->geometry().topLeft(), QPoint(40, 96));
    EXPECT_EQ(dialog.Label1->width(), 545);
    EXPECT_LT(dialog.Label1->geometry().bottom(), dialog.Button1->y());

    struct {
        QLabel* label;
        QPoint at;
        const char* text;
    } autoSized[] = {
        { dialog.Label3, { 40, 192 },
            "2. Saisie des clics secrets sur l'image (autant de clics que vous voulez)" },
        { dialog.Label4, { 40, 272 }, "3. Test de vos clics secrets" },
        { dialog.Label5, { 40, 336 }, "Si le test n'est pas concluant, repassez à l'étape 2" },
        { dialog.Label6, { 40, 352 },
            "Quand vous êtes bien sûr de savoir refaire les clics, cliquez sur le bouton \"OK\"" },
    };
    for (const auto& c : autoSized) {
        EXPECT_EQ(c.label->pos(), c.at) << c.text;
        EXPECT_EQ(c.label->text(), QString::fromUtf8(c.text));
    }
    EXPECT_EQ(dialog.Button1->text(), QStringLiteral("Parcourir..."));
    EXPECT_EQ(dialog.Button2->text(), QStringLiteral("Procéder à l'enregistrement..."));
    EXPECT_EQ(dialog.Button3->text(), QStringLiteral("Tester..."));
    EXPECT_EQ(dialog.Button4->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog.Button6->text(), QStringLiteral("Quitter"));
    EXPECT_EQ(dialog.Label2->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    for (QLabel* step : { dialog.Label1, dialog.Label2, dialog.Label3, dialog.Label4 }) {
        EXPECT_EQ(step->font().pixelSize(), 15);
        EXPECT_TRUE(step->font().bold());
    }
    EXPECT_FALSE(dialog.Image1->pixmap().isNull());
    EXPECT_TRUE(dialog.Image1->pixmap().toImage().hasAlphaChannel());
}

TEST_F(GraphPassTest, NoTextIsClipped)
{
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label == dialog.Image1)
            continue;
        const int needed
            = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
        EXPECT_LE(needed, label->height()) << label->text().toStdString();
        if (!label->wordWrap()) {
            EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
        }
    }
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        EXPECT_LT(b->fontMetrics().horizontalAdvance(b->text()), b->width()) << b->text().toStdString();
}

TEST_F(GraphPassTest, TabOrderRunsThroughTheButtons)
{
    const std::vector<QWidget*> order { dialog.Button1, dialog.Button2, dialog.Button3, dialog.Button4,
        dialog.Button6 };
    for (size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << order[i]->objectName().toStdString();
    }
}

// --- button states ----------------------------------------------------------

TEST_F(GraphPassTest, ButtonStatesFollowTheVaultAndTheFileSystem)
{
    struct {
        const char* name;
        std::function<void()> arrange;
        std::vector<bool> expected;
    } cases[] = {
        { "no vault file", [] {}, kNoPicture },
        { "name stored, picture deleted", [this] { writeConfig(vault::kImageKey, "gone.bmp"); }, kNoPicture },
        { "name stored, secret present, picture deleted",
            [this] {
                writeConfig(vault::kImageKey, "gone.bmp");
                writeSecretKey();
            },
            kNoPicture },
        { "name is a folder",
            [this] {
                QDir(app.path()).mkdir("folder.bmp");
                writeConfig(vault::kImageKey, "folder.bmp");
                writeSecretKey();
            },
            kNoPicture },
        { "picture, no secret",
            [this] {
                writeBitmap(app.file("p.bmp"));
                writeConfig(vault::kImageKey, "p.bmp");
            },
            kPictureNoSecret },
        { "picture and secret",
            [this] {
                writeBitmap(app.file("p.bmp"));
                writeConfig(vault::kImageKey, "p.bmp");
                writeSecretKey();
            },
            kReady },
        // As at the gate: a copy named in another case is the same picture,
        // unless two of them make it ambiguous.
        { "picture copied in another case, secret",
            [this] {
                writeBitmap(app.file("\u00C9t\u00E9.bmp"));
                writeConfig(vault::kImageKey, "\u00C9T\u00C9.BMP");
                writeSecretKey();
            },
            kReady },
        { "two copies in other cases, secret",
            [this] {
                writeBitmap(app.file("photo.bmp"));
                writeBitmap(app.file("PHOTO.bmp"));
                writeConfig(vault::kImageKey, "Photo.BMP");
                writeSecretKey();
            },
            kNoPicture },
    };
    for (const auto& c : cases) {
        QDir(app.path()).removeRecursively();
        QDir().mkpath(app.path());
        c.arrange();
        dialog.RefreshButtons();
        EXPECT_EQ(enabled(), c.expected) << c.name;
    }
}

TEST_F(GraphPassTest, ShowingRefreshesTheButtons)
{
    dialog.RefreshButtons();
    ASSERT_EQ(enabled(), kNoPicture);
    writeBitmap(app.file("p.bmp"));
    writeConfig(vault::kImageKey, "p.bmp");
    writeSecretKey();
    dialog.show();
    EXPECT_EQ(enabled(), kReady);
    EXPECT_EQ(dialog.ImageName, QStringLiteral("p.bmp"));
    dialog.hide();
}

// --- Parcourir... -----------------------------------------------------------

TEST_F(GraphPassTest, ChoosingAPictureStoresFolderThenNameAndCopiesIt)
{
    const QString source = elsewhere.file("photo.bmp");
    writeBitmap(source);
    chosen = source;

    dialog.Button1Click();

    ASSERT_EQ(initialDirs.size(), 1);
    EXPECT_EQ(initialDirs[0], MyPicturesFolder());
    EXPECT_EQ(dialog.ImageName, QStringLiteral("photo.bmp"));
    EXPECT_EQ(QString::fromStdString(configEntry(vault::kPictureFolderKey)), elsewhere.path());
    EXPECT_EQ(configEntry(vault::kImageKey), "photo.bmp");
    const QString text = iniText();
    EXPECT_LT(text.indexOf("CheminImagesPerso="), text.indexOf("image=")) << text.toStdString();

    EXPECT_EQ(readBytes(app.file("photo.bmp")), readBytes(source));
    EXPECT_EQ(fileMode(app.file("photo.bmp")), 0600u);
    EXPECT_EQ(QDir(app.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "no temporary file left";
    EXPECT_EQ(enabled(), kPictureNoSecret);
    EXPECT_TRUE(messages.empty());
}

TEST_F(GraphPassTest, ChooserOpensAtTheStoredFolderWhileItExists)
{
    writeConfig(vault::kPictureFolderKey, elsewhere.path());
    dialog.Button1Click();
    EXPECT_EQ(dialog.PictureFolder, elsewhere.path());

    writeConfig(vault::kPictureFolderKey, elsewhere.path() + "deleted/");
    dialog.Button1Click();

    ASSERT_EQ(initialDirs.size(), 2);
    EXPECT_EQ(initialDirs[0], elsewhere.path());
    EXPECT_EQ(initialDirs[1], MyPicturesFolder());
}

TEST_F(GraphPassTest, CancellingWritesNothingButRefreshes)
{
    writeBitmap(app.file("p.bmp"));
    writeConfig(vault::kImageKey, "p.bmp");
    dialog.RefreshButtons();
    const std::string before = readBytes(fields.IniPath);
    QFile::remove(app.file("p.bmp"));

    dialog.Button1Click(); // chosen is empty: the user cancels

    EXPECT_EQ(readBytes(fields.IniPath), before);
    EXPECT_EQ(enabled(), kNoPicture);
}

TEST_F(GraphPassTest, ChoosingThePictureAlreadyInPlaceLeavesItUntouched)
{
    const QString inPlace = app.file("photo.bmp");
    writeBitmap(inPlace);
    const std::string content = readBytes(inPlace);
    const ino_t before = fileInode(inPlace);
    chosen = inPlace;

    dialog.Button1Click();

    EXPECT_EQ(readBytes(inPlace), content);
    EXPECT_EQ(fileInode(inPlace), before) << "the file was replaced";
    EXPECT_EQ(QString::fromStdString(configEntry(vault::kPictureFolderKey)), app.path());
    EXPECT_EQ(configEntry(vault::kImageKey), "photo.bmp");
    EXPECT_EQ(enabled(), kPictureNoSecret);
}

TEST_F(GraphPassTest, ChoosingAPictureReplacesAnOlderCopy)
{
    ASSERT_TRUE(writeBytes(app.file("photo.bmp"), "old picture"));
    writeBitmap(elsewhere.file("photo.bmp"));
    chosen = elsewhere.file("photo.bmp");

    dialog.Button1Click();

    EXPECT_EQ(readBytes(app.file("photo.bmp")), readBytes(elsewhere.file("photo.bmp")));
}

// --- the copy first, never over the program's own files ----------------------

// The vault names a picture only once its copy has landed: a name without
// its picture would make the next start take the secret for lost.
TEST_F(GraphPassTest, TheCopyLandsBeforeTheVaultNamesIt)
{
    writeBitmap(elsewhere.file("photo.bmp"));
    chosen = elsewhere.file("photo.bmp");
    // What the folder holds as each atomic replacement starts.
    std::vector<std::string> seen;
    vault::setWriteFailureForTesting([&](vault::WriteStep step) {
        if (step == vault::WriteStep::CreateTemp)
            seen.push_back(std::string(QFile::exists(app.file("photo.bmp")) ? "picture" : "no picture")
                + (iniText().contains("image=photo.bmp") ? ", named" : ", not named"));
        return false;
    });

    dialog.Button1Click();
    vault::setWriteFailureForTesting({});

    EXPECT_EQ(seen, (std::vector<std::string> { "no picture, not named", "picture, not named" }));
    EXPECT_EQ(configEntry(vault::kImageKey), "photo.bmp");
    EXPECT_EQ(readBytes(app.file("photo.bmp")), readBytes(elsewhere.file("photo.bmp")));
}

// Whatever stands at the chosen path, a copy that cannot be made changes
// nothing, says why, and the buttons still show the older picture.
TEST_F(GraphPassTest, AFailedCopyChangesNothingAndSaysWhy)
{
    ASSERT_TRUE(writeBytes(app.file("photo.bmp"), "old picture"));
    writeConfig(vault::kPictureFolderKey, app.path());
    writeConfig(vault::kImageKey, "photo.bmp");
    const std::string vaultBefore = readBytes(fields.IniPath);
    const QByteArray source = QFile::encodeName(elsewhere.file("photo.bmp"));
    const struct {
        const char* what;
        std::function<void()> arrange;
        const char* reason;
    } cases[] = {
        { "a pipe", [&] { ::mkfifo(source.constData(), 0600); }, "Ce n'est pas un fichier ordinaire." },
        { "a folder named like a picture", [&] { ::mkdir(source.constData(), 0700); },
            "C'est un dossier, pas un fichier." },
        { "a link to an endless device", [&] { ::symlink("/dev/zero", source.constData()); },
            "Ce n'est pas un fichier ordinaire." },
        { "a file of 3 GiB",
            [&] {
                ASSERT_TRUE(writeBytes(QFile::decodeName(source), "BM"));
                ::truncate(source.constData(), off_t(3) << 30); // sparse: no disk used
            },
            "Le fichier dépasse 256 Mo." },
    };
    for (const auto& c : cases) {
        QDir(elsewhere.path()).removeRecursively();
        QDir().mkpath(elsewhere.path());
        c.arrange();
        chosen = elsewhere.file("photo.bmp");
        messages.clear();

        dialog.Button1Click();

        ASSERT_EQ(messages.size(), 1u) << c.what;
        EXPECT_EQ(messages[0].text,
            "Impossible de copier l'image " + elsewhere.file("photo.bmp") + CR + QString::fromUtf8(c.reason))
            << c.what;
        EXPECT_EQ(messages[0].kind, MsgKind::Warning) << c.what;
        EXPECT_EQ(messages[0].buttons, MsgButtons::Ok) << c.what;
        EXPECT_EQ(readBytes(fields.IniPath), vaultBefore) << c.what;
        EXPECT_EQ(readBytes(app.file("photo.bmp")), std::string("old picture")) << c.what;
        EXPECT_EQ(QDir(app.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList { "kaldrino.ini", "photo.bmp" }))
            << c.what;
        EXPECT_EQ(enabled(), kPictureNoSecret) << c.what;
    }
}

// A picture that cannot be shown would refuse every later start: it is
// refused before it is copied or named.
TEST_F(GraphPassTest, APictureThatCannotBeShownIsRefusedBeforeItIsCopied)
{
    ASSERT_TRUE(writeBytes(app.file("old.bmp"), "old picture"));
    writeConfig(vault::kImageKey, "old.bmp");
    const std::string vaultBefore = readBytes(fields.IniPath);
    const struct {
        const char* name;
        std::function<void(const QString&)> write;
        const char* reason; // the start of it
    } cases[] = {
        { "photo.jpg", [](const QString& path) { QFile::copy(fixturePath("picture.png"), path); },
            "Erreur JPEG #" },
        { "photo.bmp", [](const QString& path) { writeBytes(path, "BM not a bitmap at all"); },
            "Image bitmap incorrecte" },
        { "empty.bmp", [](const QString& path) { writeBytes(path, ""); }, "Image vide" },
        { "drawing.wmf", [](const QString& path) { writeBytes(path, "not a metafile"); },
            "MetaFichier incorrect" },
        // A name that ends in a blank or stands between quotes has no
        // picture's extension, here nor once stored.
        { "photo.bmp ", [](const QString& path) { writeBitmap(path); },
            "Extension de fichier graphique inconnue" },
        { "'photo'", [](const QString& path) { writeBitmap(path); },
            "Extension de fichier graphique inconnue" },
    };
    for (const auto& c : cases) {
        const QString source = elsewhere.file(c.name);
        c.write(source);
        chosen = source;
        messages.clear();

        dialog.Button1Click();

        ASSERT_EQ(messages.size(), 1u) << c.name;
        const QString start = "L'image " + source + " ne peut pas être affichée (" + c.reason;
        EXPECT_TRUE(messages[0].text.startsWith(start)) << messages[0].text.toStdString();
        EXPECT_TRUE(messages[0].text.endsWith(QStringLiteral("). Choisissez-en une autre.")))
            << messages[0].text.toStdString();
        EXPECT_EQ(messages[0].kind, MsgKind::Warning) << c.name;
        EXPECT_EQ(readBytes(fields.IniPath), vaultBefore) << c.name;
        EXPECT_FALSE(QFile::exists(app.file(c.name))) << c.name;
    }
}

// A picture named like one of the program's own files would replace it:
// the vault, its lock, the executable... It is refused before anything is
// written or copied.
TEST_F(GraphPassTest, APictureNamedLikeTheProgramsOwnFilesIsRefused)
{
    writeConfig(vault::kImageKey, "photo.bmp");
    ASSERT_TRUE(writeBytes(app.file("kaldrino.ini.lock"), "12345\nkaldrino\n"));
    const std::string vaultBefore = readBytes(fields.IniPath);
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    for (const QString& name :
        { QStringLiteral("kaldrino.ini"), QStringLiteral("Kaldrino.INI"), QStringLiteral("kaldrino.ini.lock"),
            QStringLiteral("kaldrino-guide.html"), executable, executable.toUpper() }) {
        ASSERT_TRUE(writeBytes(elsewhere.file(name), "not a picture"));
        chosen = elsewhere.file(name);
        messages.clear();

        dialog.Button1Click();

        ASSERT_EQ(messages.size(), 1u) << name.toStdString();
        EXPECT_EQ(messages[0].text,
            "Le nom de l'image " + name
                + " est réservé aux fichiers de Kaldrino. Renommez l'image puis choisissez-la de nouveau.");
        EXPECT_EQ(messages[0].kind, MsgKind::Warning);
        EXPECT_EQ(readBytes(fields.IniPath), vaultBefore) << name.toStdString();
        EXPECT_EQ(readBytes(app.file("kaldrino.ini.lock")), std::string("12345\nkaldrino\n"))
            << name.toStdString();
        EXPECT_EQ(QDir(app.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList { "kaldrino.ini", "kaldrino.ini.lock" }))
            << name.toStdString();
        QFile::remove(elsewhere.file(name));
    }
}

// A vault that cannot be written is reported by the button itself, through
// the default error display; nothing travels back through Qt's signals, and
// the dialog goes on.
TEST_F(GraphPassTest, AButtonShowsItsOwnErrorsAndTheDialogGoesOn)
{
    QDir(app.path()).mkdir(vault::kFileName); // the vault's name is taken by a folder
    writeBitmap(elsewhere.file("photo.bmp"));
    chosen = elsewhere.file("photo.bmp");
    bool stillOpen = false;
    whenShown(&dialog, [&] {
        QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        stillOpen = dialog.isVisible();
        EXPECT_NO_THROW(dialog.Button1->click()) << "the error went through the signal";
        dialog.done(QDialog::Rejected);
    });

    ExecModal(dialog);

    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(messages.size(), 2u);
    for (const MessageRecord& m : messages) {
        EXPECT_EQ(m.text, "Impossible d'écrire dans " + fields.IniPath + ".");
        EXPECT_EQ(m.kind, MsgKind::Error);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
    }
    EXPECT_FALSE(fields.AccessGranted);
}

// Whatever the chosen file is called, the stored name reads back as it was
// and finds the copy: otherwise the next start would take the picture for
// deleted and erase the secret section, table included.
TEST_F(GraphPassTest, NamesThatWouldNotReadBackAreStoredAndCopiedWithUnderscores)
{
    struct {
        QString chosenName;
        QString storedName;
    } cases[] = {
        { QStringLiteral("Été à la mer.bmp"), QStringLiteral("Été à la mer.bmp") },
        { QStringLiteral("снег.bmp"), QStringLiteral("____.bmp") },
        { QStringLiteral("ski ☃ €.bmp"), QStringLiteral("ski _ €.bmp") },
        { QString::fromUtf8("plage \xF0\x9F\x8C\x8A.bmp"), QStringLiteral("plage _.bmp") },
        { QStringLiteral("ligne\ncoupée.bmp"), QStringLiteral("ligne_coupée.bmp") },
        { QStringLiteral("tab\t\r.bmp"), QStringLiteral("tab__.bmp") },
        { QStringLiteral(" espace devant.bmp"), QStringLiteral("_espace devant.bmp") },
        { QStringLiteral("l'été.bmp"), QStringLiteral("l'été.bmp") },
    };
    for (const auto& c : cases) {
        const QString source = elsewhere.file(c.chosenName);
        writeBitmap(source);
        chosen = source;

        dialog.Button1Click();

        EXPECT_EQ(dialog.ImageName, c.storedName) << c.chosenName.toStdString();
        EXPECT_EQ(configEntry(vault::kImageKey), toCp1252(c.storedName));
        EXPECT_EQ(readBytes(app.file(c.storedName)), readBytes(source)) << c.storedName.toStdString();

        // The next start reads the stored name back and finds the copy.
        TShowGraph nextScreen(fields);
        TGraphPass next(fields, nextScreen);
        next.RefreshButtons();
        EXPECT_EQ(next.ImageName, c.storedName);
        EXPECT_TRUE(next.Button2->isEnabled()) << c.chosenName.toStdString();
    }
}

TEST_F(GraphPassTest, ALineBreakInTheFolderNeverReachesTheVault)
{
    const QString folder = elsewhere.file(QStringLiteral("dos\nsier"));
    ASSERT_TRUE(QDir().mkdir(folder));
    writeBitmap(folder + "/photo.bmp");
    chosen = folder + "/photo.bmp";

    dialog.Button1Click();

    EXPECT_EQ(QString::fromStdString(configEntry(vault::kPictureFolderKey)), elsewhere.path() + "dos_sier/");
    EXPECT_EQ(configEntry(vault::kImageKey), "photo.bmp");
    EXPECT_EQ(iniText().count(QLatin1Char('\n')), 3) << "the section's header and its two entries";
}

// --- recording and testing ---------------------------------------------------

TEST_F(GraphPassTest, RecordingExplainsThenShowsTheScreenAndRefreshes)
{
    writeBitmap(app.file("p.bmp"));
    writeConfig(vault::kImageKey, "p.bmp");
    dialog.RefreshButtons();
    QString modeSeen, pathSeen;
    whenShown(&screen, [&] {
        modeSeen = screen.Mode;
        pathSeen = screen.ImagePath;
        writeSecretKey(); // as a click would
        QTest::keyClick(&screen, Qt::Key_Escape);
    });

    dialog.Button2Click();

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
        QStringLiteral(
            "Cliquez maintenant dans un ordre précis à différents endroits de l'image pour définir "
            "votre code secret.\rVous pouvez cliquer à autant d'endroits que vous le voulez.\r"
            "Conseil : 5 ou 6 clics devraient suffire ! Surtout, retenez bien où vous avez cliqué "
            "et dans quel ordre !\rQuand vous aurez fini vos clics secrets, appuyez sur la touche "
            "ECHAP de votre clavier."));
    EXPECT_EQ(messages[0].kind, MsgKind::Information);
    EXPECT_EQ(messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(modeSeen, QStringLiteral("creer"));
    EXPECT_EQ(pathSeen, app.file("p.bmp"));
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(enabled(), kReady);
}

TEST_F(GraphPassTest, APictureCopiedInAnotherCaseIsTheOneShown)
{
    writeBitmap(app.file("photo.bmp"));
    writeConfig(vault::kImageKey, "Photo.BMP");
    writeSecretKey();
    dialog.RefreshButtons();
    QStringList pathsSeen;
    const auto lookThenEscape = [&] {
        pathsSeen.append(screen.ImagePath);
        QTest::keyClick(&screen, Qt::Key_Escape);
    };

    whenShown(&screen, lookThenEscape);
    dialog.Button2Click();
    whenShown(&screen, lookThenEscape);
    dialog.Button3Click();

    EXPECT_EQ(pathsSeen, QStringList({ app.file("photo.bmp"), app.file("photo.bmp") }));
}

TEST_F(GraphPassTest, TestingReportsWhetherTheClicksWereRecognized)
{
    writeBitmap(app.file("p.bmp"), 64, 48);
    writeConfig(vault::kImageKey, "p.bmp");
    {
        TIniFile ini(fields.IniPath);
        ini.WriteEntry(vault::SecretSection(), EncryptText("nb"), EncryptText("1"));
        ini.WriteEntry(vault::SecretSection(), EncryptText("x1"), EncryptText("20"));
        ini.WriteEntry(vault::SecretSection(), EncryptText("y1"), EncryptText("30"));
        ini.UpdateFile();
    }
    dialog.RefreshButtons();
    const QString intro
        = QStringLiteral("Refaites maintenant vos clics secrets exactement dans le même ordre\r"
                         "pour vérifier que vous savez saisir votre code secret.\r"
                         "Quand vous aurez fini vos clics secrets, appuyez sur la touche ECHAP de "
                         "votre clavier.");
    struct {
        QPoint click;
        QString verdict;
        MsgKind kind;
    } cases[] = {
        { { 25, 35 }, QStringLiteral("Bravo, le code secret a bien été reconnu !"), MsgKind::Information },
        { { 40, 30 },
            QStringLiteral(
                "Le code secret n'a pas été reconnu.\rVous devriez retester ou recommencer la procédure "
                "d'enregistrement avec quelque chose de plus simple."),
            MsgKind::Warning },
    };
    for (const auto& c : cases) {
        messages.clear();
        QString modeSeen;
        whenShown(&screen, [&] {
            modeSeen = screen.Mode;
            QTest::mouseClick(screen.Image1, Qt::LeftButton, {}, c.click);
            QFile::remove(app.file("p.bmp")); // a test does not refresh the buttons
            QTest::keyClick(&screen, Qt::Key_Escape);
        });

        dialog.Button3Click();

        EXPECT_EQ(modeSeen, QStringLiteral("verif"));
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].text, intro);
        EXPECT_EQ(messages[0].kind, MsgKind::Information);
        EXPECT_EQ(messages[1].text, c.verdict);
        EXPECT_EQ(messages[1].kind, c.kind);
        EXPECT_EQ(messages[1].buttons, MsgButtons::Ok);
        EXPECT_EQ(enabled(), kReady);
        writeBitmap(app.file("p.bmp"), 64, 48);
    }
}

// --- leaving ----------------------------------------------------------------

TEST_F(GraphPassTest, OkGrantsAccessAndCloses)
{
    writeBitmap(app.file("p.bmp"));
    writeConfig(vault::kImageKey, "p.bmp");
    writeSecretKey();
    whenShown(&dialog, [&] { QTest::mouseClick(dialog.Button4, Qt::LeftButton); });

    EXPECT_EQ(ExecModal(dialog), QDialog::Accepted);
    EXPECT_TRUE(fields.AccessGranted);
}

TEST_F(GraphPassTest, EscapeDoesNothingAndEnterPressesTheFocusedButton)
{
    bool stillOpen = false;
    whenShown(&dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QTest::keyClick(dialog.Button1, Qt::Key_Escape);
        stillOpen = dialog.isVisible();
        dialog.Button1->setFocus();
        QTest::keyClick(dialog.Button1, Qt::Key_Return);
        dialog.done(QDialog::Rejected); // ends the test's loop
    });

    EXPECT_EQ(ExecModal(dialog), QDialog::Rejected);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(initialDirs.size(), 1) << "Enter on Parcourir... opens the chooser";
    EXPECT_FALSE(fields.AccessGranted);
}

TEST_F(GraphPassTest, QuitAnsweredNoKeepsTheDialogOpen)
{
    answer = MsgResult::No;
    bool stillOpen = false;
    whenShown(&dialog, [&] {
        QTest::mouseClick(dialog.Button6, Qt::LeftButton);
        QTest::qWait(20);
        stillOpen = dialog.isVisible();
        dialog.done(QDialog::Rejected);
    });

    ExecModal(dialog);

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
        QStringLiteral("Voulez-vous vraiment abandonner la configuration et quitter le programme ?"));
    EXPECT_EQ(messages[0].kind, MsgKind::Confirmation);
    EXPECT_EQ(messages[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(TerminationRequested());
}

TEST_F(GraphPassTest, QuitAnsweredYesTerminates)
{
    answer = MsgResult::Yes;
    fields.AccessGranted = false;
    whenShown(&dialog, [&] { QTest::mouseClick(dialog.Button6, Qt::LeftButton); });

    const int result = ExecModal(dialog);

    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(TerminationRequested());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(fields.AccessGranted);
    resetTerminationForTesting();
}

} // namespace

// --- testing with a picture that no longer loads ------------------------------

namespace {

// A passed test leaves the screen with a result; a test on a picture that
// then fails to load must not show that result again, whether the user
// presses Escape at once or clicks where the old picture was.
TEST_F(GraphPassTest, TestingWithAPictureThatFailsToLoadIsNeverRecognised)
{
    const QString bravo = QStringLiteral("Bravo, le code secret a bien été reconnu !");
    const QString refused
        = QStringLiteral("Le code secret n'a pas été reconnu.\rVous devriez retester ou recommencer la "
                         "procédure d'enregistrement avec quelque chose de plus simple.");
    const QPoint storedPoint(20, 30);
    {
        TIniFile ini(fields.IniPath);
        ini.WriteEntry(vault::SecretSection(), EncryptText("nb"), EncryptText("1"));
        ini.WriteEntry(vault::SecretSection(), EncryptText("x1"), EncryptText("20"));
        ini.WriteEntry(vault::SecretSection(), EncryptText("y1"), EncryptText("30"));
        ini.UpdateFile();
    }
    auto clickAt = [this](QPoint inPicture) {
        QTest::mouseClick(
            screen.windowHandle(), Qt::LeftButton, {}, screen.Image1->mapTo(&screen, inPicture));
    };

    struct {
        const char* name;
        bool clickTheOldPoint;
    } cases[] = { { "Escape at once", false }, { "a click where the old picture was", true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBitmap(app.file("p.bmp"), 64, 48);
        writeConfig(vault::kImageKey, "p.bmp");
        dialog.RefreshButtons();
        ASSERT_TRUE(dialog.Button3->isEnabled());
        messages.clear();
        whenShown(&screen, [&] {
            clickAt(storedPoint);
            QTest::keyClick(&screen, Qt::Key_Escape);
        });
        dialog.Button3->click();
        ASSERT_EQ(messages.size(), 2u);
        ASSERT_EQ(messages[1].text.toStdString(), bravo.toStdString())
            << "the passing test the case starts from";

        // A ".jpg" holding PNG bytes: the name is accepted, the load fails.
        QFile::copy(fixturePath("picture.png"), app.file("photo.jpg"));
        writeConfig(vault::kImageKey, "photo.jpg");
        dialog.RefreshButtons();
        ASSERT_TRUE(dialog.Button3->isEnabled());
        messages.clear();
        whenShown(&screen, [&] {
            if (c.clickTheOldPoint)
                clickAt(storedPoint);
            QTest::keyClick(&screen, Qt::Key_Escape);
        });
        dialog.Button3->click();

        ASSERT_EQ(messages.size(), 3u);
        EXPECT_EQ(messages[0].kind, MsgKind::Information);
        EXPECT_TRUE(messages[1].text.startsWith(QStringLiteral("Erreur JPEG #")))
            << messages[1].text.toStdString();
        EXPECT_EQ(messages[1].kind, MsgKind::Error);
        EXPECT_EQ(messages[2].text.toStdString(), refused.toStdString());
        EXPECT_EQ(messages[2].kind, MsgKind::Warning);
        EXPECT_FALSE(screen.isVisible());
        QFile::remove(app.file("photo.jpg"));
    }
}

} // namespace
