#include "vaultreader.h"

#include <QFile>
#include <QRegularExpression>

#include "cp1252.h"
#include "encryptdecrypt.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "memorytable.h"
#include "profilefile.h"
#include "tablestore.h"
#include "textconv.h"
#include "vaultlayout.h"

namespace {

std::optional<int> storedNumber(const TIniFile& ini, const std::string& plainKey)
{
    const std::string value = ini.ReadEntry(vault::SecretSection(), EncryptText(plainKey));
    std::int32_t number = 0;
    if (value.empty() || !TryTextToInt(DecryptText(value), number))
        return std::nullopt;
    return number;
}

bool isDecoyText(const std::string& text)
{
    if (text.empty() || text.size() > 20)
        return false;
    for (const unsigned char c : text) {
        if (c < 1 || c > 26)
            return false;
    }
    return true;
}

void classifySecretKeys(const QString& iniPath, VaultContents& contents)
{
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const ProfileFile profile = ProfileFile::parse(file.readAll().toStdString());
    static const QRegularExpression realKey(
        QStringLiteral(R"(^(lignes|nb|c[01]l\d+|[xy]\d+|largeur|hauteur)$)"));
    for (const std::string& key : profile.keys(vault::SecretSection())) {
        try {
            const std::string plain = DecryptText(key);
            // Decoy keys are bare decimal numbers ("x1" would read as hex).
            std::int32_t number = 0;
            const bool digits = !plain.empty() && plain.find_first_not_of("0123456789") == std::string::npos;
            if (digits && TryTextToInt(plain, number)) {
                const std::string value = DecryptText(profile.read(vault::SecretSection(), key));
                if (number >= 1 && number <= 1000 && isDecoyText(value))
                    ++contents.decoys;
                else
                    contents.oddities.append(
                        QStringLiteral("decoy %1 with a value of %2 bytes").arg(number).arg(value.size()));
            } else if (!realKey.match(fromCp1252(plain)).hasMatch()) {
                contents.oddities.append(QStringLiteral("key \"%1\"").arg(fromCp1252(plain)));
            }
        } catch (const ConversionError& error) {
            contents.oddities.append(QString::fromUtf8(error.what()));
        }
    }
}

} // namespace

VaultContents readVault(const QString& iniPath)
{
    VaultContents contents;
    {
        const TIniFile ini(iniPath);
        contents.image = fromCp1252(ini.ReadEntry(vault::kConfigSection, vault::kImageKey));
        contents.pictureFolder = fromCp1252(ini.ReadEntry(vault::kConfigSection, vault::kPictureFolderKey));
        contents.hasSecret = ini.SectionHasKeys(vault::SecretSection());
        contents.clickCount = storedNumber(ini, "nb");
        for (int n = 1; n <= contents.clickCount.value_or(0); ++n) {
            contents.clicks.emplace_back(storedNumber(ini, "x" + std::to_string(n)).value_or(-1),
                storedNumber(ini, "y" + std::to_string(n)).value_or(-1));
        }
        const std::optional<int> width = storedNumber(ini, "largeur");
        const std::optional<int> height = storedNumber(ini, "hauteur");
        if (width || height)
            contents.recordedSize = QSize(width.value_or(-1), height.value_or(-1));
    }

    // Empty unless the file holds a table.
    MemoryTable table(MemoryTable::Rows {});
    LoadTable(iniPath, table);
    for (const auto& [description, password] : table.rows())
        contents.table.emplace_back(fromCp1252(description), fromCp1252(password));

    classifySecretKeys(iniPath, contents);
    return contents;
}

void seedVault(const QString& iniPath, const QString& image, const QString& pictureFolder,
    const std::vector<QPoint>& clicks, const std::vector<Entry>& entries)
{
    {
        TIniFile ini(iniPath);
        ini.WriteEntry(vault::kConfigSection, vault::kPictureFolderKey, toCp1252(pictureFolder));
        ini.WriteEntry(vault::kConfigSection, vault::kImageKey, toCp1252(image));
        const std::string& section = vault::SecretSection();
        ini.WriteEntry(section, EncryptText("nb"), EncryptText(IntToText(std::int64_t(clicks.size()))));
        for (std::size_t i = 0; i < clicks.size(); ++i) {
            const std::string rank = std::to_string(i + 1);
            ini.WriteEntry(section, EncryptText("x" + rank), EncryptText(IntToText(clicks[i].x())));
            ini.WriteEntry(section, EncryptText("y" + rank), EncryptText(IntToText(clicks[i].y())));
        }
        ini.UpdateFile();
    }

    MemoryTable::Rows stored;
    for (const auto& [description, password] : entries)
        stored.emplace_back(toCp1252(description), toCp1252(password));
    SaveTable(iniPath, MemoryTable::withEntries(stored));
}
