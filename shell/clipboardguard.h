#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>

class QMimeData;

// The format by which a copy tells desktop clipboard managers that it is a
// secret, which they then keep out of their history; its value is "secret".
inline constexpr const char* kPasswordManagerHintFormat = "x-kde-passwordManagerHint";

// Whether the clipboard, holding now, still holds exactly the secret put
// there: the same text and the secret mark. A copy made since, by us or any
// other program, is not ours to clear, even when its text is the same.
bool ClipboardHoldsSecret(const QMimeData* now, const QString& secret);

// Puts secrets on the application's clipboard and takes each off again
// after a delay, when the application is about to quit, and when the guard
// is destroyed while the application still runs; each time only while the
// clipboard still holds the last secret it put there.
class ClipboardGuard : public QObject {
    Q_OBJECT
public:
    explicit ClipboardGuard(std::chrono::milliseconds delay, QObject* parent = nullptr);
    ~ClipboardGuard() override;

    void copySecret(const QString& text);

    // Clears the clipboard when it still holds the last secret, and forgets
    // that secret either way.
    void clearIfStillOurs();

private:
    QTimer m_timer;
    QString m_secret;
    bool m_holding = false;
};
