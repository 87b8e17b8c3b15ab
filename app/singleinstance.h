#pragma once

#include <QString>

// One program per vault. Two runs on the same folder would each load the
// table, and the last to close would overwrite the other's changes without
// a word; so the first run holds a lock beside the vault until it ends, and
// a later run refuses to start while it does.
//
// The lock is the system's (flock) on the file "kaldrino.ini.lock": the
// system releases it when the run ends, however it ends, so a crash leaves
// nothing stale and the file's content never decides anything. The holder
// writes who it is into the file for people to read. The file is removed
// when the run ends normally.
class SingleInstance {
public:
    // appDir ends in a separator; the lock is appDir + "kaldrino.ini.lock".
    explicit SingleInstance(const QString& appDir);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Claim {
        // This run holds the lock until the object is destroyed.
        Held,
        // Another live run holds it.
        HeldElsewhere,
        // No lock can be made there (a read-only folder, a file system
        // without locks): the run goes on unprotected, as it always has.
        Unavailable,
        // Something other than a regular file lies at the lock's name (a
        // pipe, a link, a folder): no run of ours makes one, and locking
        // through it could hang or fail to protect, so the run stops and
        // says what to remove.
        Blocked,
    };
    Claim claim();

    // The lock file's full path.
    QString path() const { return m_path; }

    static QString lockPath(const QString& appDir);

private:
    QString m_path;
    int m_fd = -1;
};

// "Kaldrino est déjà ouvert. ...", then the lock file and when it may be
// deleted.
QString AlreadyOpenMessage(const QString& lockPath);

// Something that is not a lock file lies at the lock's name.
QString LockBlockedMessage(const QString& lockPath);

// The program entry's check, before any window exists: false when the run
// must not go on, after the warning box has been shown.
bool ClaimVault(SingleInstance& instance);
