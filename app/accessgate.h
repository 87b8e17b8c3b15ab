#pragma once

#include <QString>

class TGraphPass;
class TMainForm;
class TShowGraph;

// What the access gate does with the vault file as it finds it.
enum class GateBranch {
    Setup, // no usable secret yet: the setup dialog, nothing changed
    EraseAndSetup, // the picture is gone, the secret section holds no key: erase it, then setup
    AskBeforeErasing, // the picture is gone, the section holds keys: erase and setup only if the user agrees
    Verify, // the information message, then the click-secret screen in "verif" mode
};

// pictureFound and hasSecret are not looked at when there is no vault file.
GateBranch DecideGate(bool vaultExists, bool pictureFound, bool hasSecret);

// The message shown before the click-secret screen verifies.
QString VerifyInvitation();

// The question asked before a secret section holding keys is erased because
// its picture AppDir + pictureName is missing (pictureName is empty when the
// vault names no picture).
QString MissingPictureQuestion(const QString& appDir, const QString& pictureName);

// The warning shown after a load whose stored row count was unreadable.
QString RecountedRowsWarning(int entryRows);

// The main window's FormShow: decides from the vault file, shows the setup
// dialog or the click-secret screen, then either loads the table into the
// window or refuses access and closes the window, which ends the program.
// A user who declines to erase a secret whose picture is missing ends the
// program too, with the vault as it was.
void RunAccessGate(TMainForm& mainForm, TGraphPass& graphPass, TShowGraph& showGraph);
