#include "accessgate.h"

#include <QPushButton>

#include "cp1252.h"
#include "errordisplay.h"
#include "filesystem.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "mainform.h"
#include "messagebox.h"
#include "picturelocation.h"
#include "sgraphpass.h"
#include "sshowgraph.h"
#include "stringgrid.h"
#include "tablestore.h"
#include "termination.h"
#include "vaultlayout.h"

GateBranch DecideGate(bool vaultExists, bool pictureFound, bool hasSecret)
{
    if (!vaultExists)
        return GateBranch::Setup;
    if (!pictureFound)
        return hasSecret ? GateBranch::AskBeforeErasing : GateBranch::EraseAndSetup;
    return hasSecret ? GateBranch::Verify : GateBranch::Setup;
}

QString VerifyInvitation()
{
    return QStringLiteral("Kaldrino") + QStringLiteral("\r\r")
        + QStringLiteral("Pour pouvoir accèder à votre liste de mots de passe,") + QStringLiteral("\r")
        + QStringLiteral("faites maintenant vos clics secrets sur votre image code.") + QStringLiteral("\r")
        + QStringLiteral(
            "Quand vous aurez fini vos clics secrets, appuyez sur la touche ECHAP de votre clavier.");
}

QString MissingPictureQuestion(const QString& appDir, const QString& pictureName)
{
    const QString lost = QStringLiteral(
        "Si vous continuez, votre liste de mots de passe et votre code secret graphique seront effacés "
        "définitivement.");
    const QString keep
        = QStringLiteral("Pour les garder, répondez Non : Kaldrino se fermera sans rien modifier.");
    const QString question = QStringLiteral(
        "Voulez-vous effacer votre liste de mots de passe et créer un nouveau code secret graphique ?");
    if (pictureName.isEmpty()) {
        return QStringLiteral("Le fichier ") + vault::vaultPath(appDir)
            + QStringLiteral(" ne nomme pas l'image de votre code secret graphique.") + QStringLiteral("\r\r")
            + lost + QStringLiteral("\r\r") + keep + QStringLiteral("\r\r") + question;
    }
    return QStringLiteral("L'image de votre code secret graphique est introuvable :") + QStringLiteral("\r")
        + appDir + pictureName + QStringLiteral("\r\r") + lost + QStringLiteral("\r\r") + keep
        + QStringLiteral(" Remettez ensuite l'image dans le dossier du programme, sous ce nom, puis relancez "
                         "Kaldrino.")
        + QStringLiteral("\r\r") + question;
}

QString RecountedRowsWarning(int entryRows)
{
    QString found;
    if (entryRows == 0)
        found = QStringLiteral("Aucune ligne n'a été retrouvée dans le fichier.");
    else if (entryRows == 1)
        found = QStringLiteral("1 ligne a été retrouvée dans le fichier et chargée.");
    else
        found = QStringLiteral("%1 lignes ont été retrouvées dans le fichier et chargées.").arg(entryRows);
    return QStringLiteral("Le nombre de lignes enregistré pour votre liste de mots de passe était illisible.")
        + QStringLiteral("\r") + found + QStringLiteral("\r\r")
        + QStringLiteral("Des lignes supprimées auparavant peuvent réapparaître : vérifiez votre liste.");
}

namespace {

void eraseSecretSection(const QString& iniPath)
{
    TIniFile ini(iniPath);
    ini.ClearSection(vault::SecretSection());
    ini.UpdateFile();
}

// Returns false when the user would rather keep the secret whose picture is
// missing: the program is then to end with the vault as it was.
bool askForTheSecret(MainFormFields& fields, TGraphPass& graphPass, TShowGraph& showGraph)
{
    const bool vaultExists = FileExists(fields.IniPath);
    QString pictureName;
    bool hasSecret = false;
    QString picturePath;
    if (vaultExists) {
        {
            const TIniFile ini(fields.IniPath);
            pictureName = fromCp1252(ini.ReadEntry(vault::kConfigSection, vault::kImageKey));
            hasSecret = ini.SectionHasKeys(vault::SecretSection());
        }
        picturePath = LocatePicture(fields.AppDir, pictureName);
    }

    switch (DecideGate(vaultExists, !picturePath.isEmpty(), hasSecret)) {
    case GateBranch::AskBeforeErasing:
        if (MessageDlg(MissingPictureQuestion(fields.AppDir, pictureName), MsgKind::Confirmation,
                MsgButtons::YesNoDefaultNo)
            != MsgResult::Yes)
            return false;
        eraseSecretSection(fields.IniPath);
        ExecModal(graphPass);
        break;
    case GateBranch::EraseAndSetup:
        eraseSecretSection(fields.IniPath);
        ExecModal(graphPass);
        break;
    case GateBranch::Setup:
        ExecModal(graphPass);
        break;
    case GateBranch::Verify:
        showGraph.ImagePath = picturePath;
        MessageDlg(VerifyInvitation(), MsgKind::Information, MsgButtons::Ok);
        showGraph.Mode = QStringLiteral("verif");
        ExecModal(showGraph);
        fields.AccessGranted = showGraph.Recognized;
        break;
    }
    return true;
}

// Fills the window's table; what the load found amiss is shown once the
// table is in, and the window opens on it all the same.
void loadTheTable(TMainForm& mainForm)
{
    TableLoadNotice notice;
    try {
        notice = mainForm.LoadTable();
    } catch (const TableCellError& error) {
        ShowException(error);
        notice = error.notice();
    }
    if (notice.rowCountUnreadable)
        MessageDlg(RecountedRowsWarning(notice.entryRows), MsgKind::Warning, MsgButtons::Ok);
}

} // namespace

void RunAccessGate(TMainForm& mainForm, TGraphPass& graphPass, TShowGraph& showGraph)
{
    MainFormFields& fields = mainForm.Fields;
    fields.IniPath = vault::vaultPath(fields.AppDir);

    // An error here (the vault cannot be rewritten, say) must not leave the
    // program running without a window: it is shown, and access is refused
    // unless it was granted already.
    bool keptTheSecret = false;
    try {
        keptTheSecret = !askForTheSecret(fields, graphPass, showGraph);
    } catch (const std::exception& error) {
        ShowException(error);
    }

    if (keptTheSecret) {
        mainForm.close();
        return;
    }
    if (!fields.AccessGranted) {
        MessageDlg(QStringLiteral("Accès refusé."), MsgKind::Warning, MsgButtons::Ok);
        mainForm.close();
        return;
    }

    loadTheTable(mainForm);

    StringGrid& grid = *mainForm.Grille;
    if (grid.rowCount() == 2 && grid.cell(0, 1).isEmpty() && grid.cell(1, 1).isEmpty()) {
        grid.setCell(0, 1, QStringLiteral("Messagerie"));
        grid.setCell(1, 1, QStringLiteral("plivor"));
    }
    grid.setFocus();
    mainForm.Button3->setEnabled(grid.row() > 1);
}
