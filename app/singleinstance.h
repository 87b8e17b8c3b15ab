#pragma once

#include <QLockFile>
#include <QString>

// One program per vault. Two runs on the same folder would each load the
// table, and the last to close would overwrite the other's changes without
// a word; so the first run holds a lock file beside the vault until it
// ends, and a later run refuses to start while it does. A lock left by a run
// that crashed names a process that no longer exists and is taken over.
class SingleInstance {
public:
    // appDir ends in a separator; the lock is appDir + "kaldrino.ini.lock".
    explicit SingleInstance(const QString& appDir);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Claim {
        // This run holds the lock until the object is destroyed.
        Held,
        // Another live run holds it.
        HeldElsewhere,
        // No lock file can be made there (a read-only folder): the run goes
        // on unprotected, since it cannot save either.
        Unavailable,
    };
    Claim claim();

    static QString lockPath(const QString& appDir);

private:
    QLockFile m_lock;
};

// "Kaldrino est déjà ouvert. ..."
QString AlreadyOpenMessage();

// The program entry's check, before any window exists: false when another
// run holds the vault, after the warning box has been shown.
bool ClaimVault(SingleInstance& instance);
