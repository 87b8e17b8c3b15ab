#include "accessgate.h"

#include <QPushButton>

#include "cp1252.h"
#include "errordisplay.h"
#include "filesystem.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "mainform.h"
#include "messagebox.h"
#include "sgraphpass.h"
#include "sshowgraph.h"
#include "stringgrid.h"
#include "termination.h"
#include "vaultlayout.h"

GateBranch DecideGate(bool vaultExists, bool pictureExists, bool hasSecret)
{
    if (!vaultExists)
        return GateBranch::Setup;
    if (!pictureExists)
        return GateBranch::EraseAndSetup;
    return hasSecret ? GateBranch::Verify : GateBranch::Setup;
}

QString VerifyInvitation()
{
    return QStringLiteral("Kaldrino") + QStringLiteral("\r\r")
        + QStringLiteral("Pour pouvoir accèder à votre liste de mots de passe,") + QStringLiteral("\r")
        + QStringLiteral("faites maintenant vos clics secrets sur votre image code.") + QStringLiteral("\r")
        + QStringLiteral("Quand vous aurez fini vos clics secrets, appuyez sur la touche ECHAP de votre clavier.");
}

namespace {

void askForTheSecret(MainFormFields& fields, TGraphPass& graphPass, TShowGraph& showGraph)
{
    const bool vaultExists = FileExists(fields.IniPath);
    QString pictureName;
    bool hasSecret = false;
    if (vaultExists) {
        const TIniFile ini(fields.IniPath);
        pictureName = fromCp1252(ini.ReadEntry(vault::kConfigSection, vault::kImageKey));
        hasSecret = ini.SectionHasKeys(vault::SecretSection());
    }
    const QString picturePath = fields.AppDir + pictureName;

    switch (DecideGate(vaultExists, FileExists(picturePath), hasSecret)) {
    case GateBranch::EraseAndSetup: {
        TIniFile ini(fields.IniPath);
        ini.ClearSection(vault::SecretSection());
        ini.UpdateFile();
        ExecModal(graphPass);
        break;
    }
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
}

} // namespace

void RunAccessGate(TMainForm& mainForm, TGraphPass& graphPass, TShowGraph& showGraph)
{
    MainFormFields& fields = mainForm.Fields;
    fields.IniPath = vault::vaultPath(fields.AppDir);

    // An error here (the vault cannot be rewritten, say) must not leave the
    // program running without a window: it is shown, and access is refused
    // unless it was granted already.
    try {
        askForTheSecret(fields, graphPass, showGraph);
    } catch (const std::exception& error) {
        ShowException(error);
    }

    if (!fields.AccessGranted) {
        MessageDlg(QStringLiteral("Accès refusé."), MsgKind::Warning, MsgButtons::Ok);
        mainForm.close();
        return;
    }

    try {
        mainForm.LoadTable();
    } catch (const ConversionError& error) {
        // The table holds every cell that could be read; the window opens on it.
        ShowException(error);
    }

    StringGrid& grid = *mainForm.Grille;
    if (grid.rowCount() == 2 && grid.cell(0, 1).isEmpty() && grid.cell(1, 1).isEmpty()) {
        grid.setCell(0, 1, QStringLiteral("Messagerie"));
        grid.setCell(1, 1, QStringLiteral("plivor"));
    }
    grid.setFocus();
    mainForm.Button3->setEnabled(grid.row() > 1);
}
