#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "encryptdecrypt.h"
#include "filetestutil.h"
#include "memorytable.h"
#include "tablestore.h"
#include "vaultlayout.h"

using Rows = MemoryTable::Rows;

// The text of a vault file, written line by line the way a hostile or
// damaged file might be: secret entries go through the cipher, anything
// else goes in as given.
class VaultText {
public:
    VaultText& line(const std::string& text)
    {
        m_text.append(text).append("\r\n");
        return *this;
    }
    VaultText& config(const std::string& picture)
    {
        return line("[config]").line(std::string(vault::kImageKey) + "=" + picture);
    }
    VaultText& secretSection() { return line("[" + vault::SecretSection() + "]"); }
    // An entry of the secret section, key and value scrambled.
    VaultText& secret(const std::string& key, const std::string& value)
    {
        return line(EncryptText(key) + "=" + EncryptText(value));
    }
    // The rows of a table of two columns: "lignes" and every cell.
    VaultText& table(const Rows& rows)
    {
        secret("lignes", std::to_string(rows.size()));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            secret("c0l" + std::to_string(r), rows[r].first);
            secret("c1l" + std::to_string(r), rows[r].second);
        }
        return *this;
    }
    const std::string& str() const { return m_text; }

private:
    std::string m_text;
};

// A full disk, for root as for anyone: while it lives, no file of this
// process grows past `bytes` (the write that would cross it fails with
// EFBIG instead of raising SIGXFSZ).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved {};
    void (*m_savedSignal)(int) = nullptr;
};
