#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The harness's own folder, made on first use and removed when libFuzzer
// ends the process (it leaves through exit()).
inline QTemporaryDir& fuzzFolder()
{
    static QTemporaryDir* folder = [] {
        auto* made = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/kaldrino-fuzz-XXXXXX"));
        if (!made->isValid())
            std::abort();
        std::atexit([] { delete folder; });
        return made;
    }();
    return *folder;
}

// Writes the input as a file of that name in the harness's folder and
// returns its full path.
inline QString writeFuzzFile(const QString& name, const uint8_t* data, std::size_t size)
{
    const QString path = fuzzFolder().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
    return path;
}
