#include "desktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

namespace {

std::function<void(const QString&)>& shellOpenSeam()
{
    static std::function<void(const QString&)> seam;
    return seam;
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
    const QUrl url = info.isFile() ? QUrl::fromLocalFile(info.absoluteFilePath()) : QUrl::fromUserInput(target);
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
