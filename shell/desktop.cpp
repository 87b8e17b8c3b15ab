#include "desktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QUrl>
#include <chrono>

#include "clipboardguard.h"

namespace {

std::function<void(const QString&)>& shellOpenSeam()
{
    static std::function<void(const QString&)> seam;
    return seam;
}

// How long a copied password stays on the clipboard.
constexpr std::chrono::seconds kSecretLifetime(30);

std::chrono::milliseconds& secretLifetime()
{
    static std::chrono::milliseconds lifetime = kSecretLifetime;
    return lifetime;
}

// The guard of the passwords this run copies. It is made at the first copy
// as a child of the application object, and it clears what it still holds
// when the application is about to quit; nothing else relies on it.
QPointer<ClipboardGuard>& secretGuard()
{
    static QPointer<ClipboardGuard> guard;
    if (!guard)
        guard = new ClipboardGuard(secretLifetime(), QCoreApplication::instance());
    return guard;
}

} // namespace

QSize PrimaryDisplaySize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

void ShellOpen(const QString& target)
{
    if (shellOpenSeam()) {
        shellOpenSeam()(target);
        return;
    }
    const QFileInfo info(target);
    const QUrl url
        = info.isFile() ? QUrl::fromLocalFile(info.absoluteFilePath()) : QUrl::fromUserInput(target);
    QDesktopServices::openUrl(url);
}

void setShellOpenSeamForTesting(std::function<void(const QString&)> seam)
{
    shellOpenSeam() = std::move(seam);
}

void CopyToClipboard(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

void CopySecretToClipboard(const QString& text)
{
    secretGuard()->copySecret(text);
}

void setSecretClipboardLifetimeForTesting(std::chrono::milliseconds lifetime)
{
    secretLifetime() = lifetime;
    delete secretGuard(); // the next copy makes a guard with the new lifetime
}
