#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A fresh folder for one test, removed afterwards. path() ends in a
// separator, like AppDir.
class TestFolder {
public:
    TestFolder() { m_dir.setAutoRemove(true); }
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString file(const QString& name) const { return path() + name; }

    // Copies a fixture from tests/data into the folder; returns its path.
    QString copyFixture(const QString& fixture, const QString& as = QString()) const
    {
        const QString target = file(as.isEmpty() ? fixture : as);
        QFile::remove(target);
        QFile::copy(QStringLiteral(KALDRINO_TEST_DATA "/") + fixture, target);
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        return target;
    }

private:
    QTemporaryDir m_dir;
};

inline QString fixturePath(const QString& name)
{
    return QStringLiteral(KALDRINO_TEST_DATA "/") + name;
}
