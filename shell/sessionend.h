#pragma once

class QObject;

// A session that ends (logging out, a system shutting down) asks the
// program to stop with SIGTERM or SIGHUP. The program then stops as the
// setup dialog's Quit makes it stop: every modal window closes with a
// Cancel result and the main loop returns, so that the program ends through
// its normal path (the vault's lock released) with exit code 0. Installed
// once by the application object, which owns the notifier.
void EndOnSessionSignals(QObject* owner);
