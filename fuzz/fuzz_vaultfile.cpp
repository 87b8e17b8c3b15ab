// An arbitrary file in place of the vault: the access gate's reads, the
// click-secret screen's reads and LoadTable must neither crash nor run
// away, whatever the file holds.
#include <cstdlib>
#include <string>
#include <vector>

#include "clicksecret.h"
#include "encryptdecrypt.h"
#include "filesystem.h"
#include "fuzztempfile.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "tablestore.h"
#include "vaultlayout.h"

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

// The grid as table persistence sees it.
class Table : public TableAccess {
public:
    int rowCount() const override { return int(m_cells.size()); }
    void setRowCount(int rows) override { m_cells.resize(std::size_t(rows), std::vector<std::string>(2)); }
    int columnCount() const override { return 2; }
    std::string cell(int column, int row) const override { return m_cells.at(row).at(column); }
    void setCell(int column, int row, const std::string& text) override { m_cells.at(row).at(column) = text; }

private:
    std::vector<std::vector<std::string>> m_cells { 2, std::vector<std::string>(2) };
};

// Longest table LoadTable accepts; the window cannot take more.
constexpr int kMaxRows = 1000000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = writeFuzzFile(QString::fromLatin1(vault::kFileName), data, size);
    check(FileExists(path));

    {
        // The gate.
        const TIniFile ini(path);
        const std::string picture = ini.ReadEntry(vault::kConfigSection, vault::kImageKey);
        check(picture.size() <= 2047);
        (void)ini.SectionHasKeys(vault::SecretSection());

        // The click-secret screen in "verif" mode, for a few ranks.
        const std::string& secret = vault::SecretSection();
        const std::int32_t expected = StoredNumber(ini.ReadEntry(secret, EncryptText("nb")), 0);
        for (std::int32_t n = 1; n <= 3 && n <= expected; ++n) {
            (void)StoredNumber(ini.ReadEntry(secret, EncryptText("x" + std::to_string(n))), -1);
            (void)StoredNumber(ini.ReadEntry(secret, EncryptText("y" + std::to_string(n))), -1);
        }
    }

    // The table: loaded whole, or as far as it decodes; never more rows
    // than the bound.
    Table table;
    try {
        LoadTable(path, table);
    } catch (const ConversionError&) {
    }
    check(table.rowCount() >= 2 && table.rowCount() <= kMaxRows);
    return 0;
}
