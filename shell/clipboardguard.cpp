#include "clipboardguard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

const QByteArray kSecretMark = QByteArrayLiteral("secret");

QClipboard* applicationClipboard()
{
    // Past the application's end (a guard owned by the application object
    // is destroyed after it) there is no clipboard to ask.
    if (QCoreApplication::closingDown() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::clipboard();
}

} // namespace

bool ClipboardHoldsSecret(const QMimeData* now, const QString& secret)
{
    return now && now->hasText() && now->text() == secret
        && now->data(QLatin1String(kPasswordManagerHintFormat)) == kSecretMark;
}

ClipboardGuard::ClipboardGuard(std::chrono::milliseconds delay, QObject* parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(delay);
    connect(&m_timer, &QTimer::timeout, this, &ClipboardGuard::clearIfStillOurs);
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &ClipboardGuard::clearIfStillOurs);
}

ClipboardGuard::~ClipboardGuard()
{
    clearIfStillOurs();
}

void ClipboardGuard::copySecret(const QString& text)
{
    QClipboard* clipboard = applicationClipboard();
    if (!clipboard)
        return;
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(QLatin1String(kPasswordManagerHintFormat), kSecretMark);
    clipboard->setMimeData(data);
    m_secret = text;
    m_holding = true;
    m_timer.start();
}

void ClipboardGuard::clearIfStillOurs()
{
    m_timer.stop();
    if (!m_holding)
        return;
    m_holding = false;
    QClipboard* clipboard = applicationClipboard();
    if (clipboard && ClipboardHoldsSecret(clipboard->mimeData(), m_secret))
        clipboard->clear();
    m_secret.clear();
}
