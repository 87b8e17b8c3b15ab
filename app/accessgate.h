#pragma once

#include <QString>

class TGraphPass;
class TMainForm;
class TShowGraph;

// What the access gate does with the vault file as it finds it.
enum class GateBranch {
    Setup,         // no usable secret yet: the setup dialog, nothing changed
    EraseAndSetup, // the secret's picture is gone: erase the secret section, then setup
    Verify,        // the information message, then the click-secret screen in "verif" mode
};

// pictureExists and hasSecret are not looked at when there is no vault file.
GateBranch DecideGate(bool vaultExists, bool pictureExists, bool hasSecret);

// The message shown before the click-secret screen verifies.
QString VerifyInvitation();

// The main window's FormShow: decides from the vault file, shows the setup
// dialog or the click-secret screen, then either loads the table into the
// window or refuses access and closes the window, which ends the program.
void RunAccessGate(TMainForm& mainForm, TGraphPass& graphPass, TShowGraph& showGraph);
