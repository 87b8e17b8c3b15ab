#pragma once

class QDialog;

// The setup dialog's Quit asks the application to terminate: every modal
// window and message box that is open closes at once with a Cancel result,
// every one opened afterwards closes at once too, and the program ends when
// control returns to the main event loop.
void RequestTermination();
bool TerminationRequested();

// Shows a dialog modally; returns QDialog::Rejected at once while
// termination is pending. Every modal window goes through it.
int ExecModal(QDialog& dialog);

void resetTerminationForTesting();
