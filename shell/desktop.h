#pragma once

#include <QSize>
#include <QString>
#include <chrono>
#include <functional>

// Platform substitutes for the desktop services the windows use.

// The primary display's size in pixels.
QSize PrimaryDisplaySize();

// Asks the desktop to open a document or address; the result is ignored.
void ShellOpen(const QString& target);
void setShellOpenSeamForTesting(std::function<void(const QString&)> seam);

// Puts text on the clipboard.
void CopyToClipboard(const QString& text);

// Puts a password on the clipboard, marked as a secret so that clipboard
// managers keep no history of it. It is taken off again 30 seconds later
// and when the program ends, unless something else was copied meanwhile.
void CopySecretToClipboard(const QString& text);
void setSecretClipboardLifetimeForTesting(std::chrono::milliseconds lifetime);
