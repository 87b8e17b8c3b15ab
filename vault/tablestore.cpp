#include "tablestore.h"

#include <optional>

#include "decoys.h"
#include "encryptdecrypt.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "textconv.h"
#include "vaultlayout.h"

namespace {

// Rows the window always has: the header and one entry.
constexpr int kMinRows = 2;
// More rows than a section could hold: such a count is treated as damage,
// so a corrupt file never drives a huge allocation.
constexpr int kMaxRows = 1000000;

std::string cellKey(int column, int row)
{
    return EncryptText("c" + IntToText(column) + "l" + IntToText(row));
}

int storedRowCount(const std::string& stored)
{
    std::int32_t rows = 0;
    try {
        rows = TextToInt(DecryptText(stored));
    } catch (const ConversionError&) {
        return kMinRows;
    }
    if (rows > kMaxRows || rows < kMinRows)
        return kMinRows;
    return rows;
}

} // namespace

void SaveTable(const QString& iniPath, const TableAccess& table)
{
    const std::string& section = vault::SecretSection();
    TIniFile ini(iniPath);
    const int rows = table.rowCount();
    const int columns = table.columnCount();
    ini.WriteEntry(section, EncryptText("lignes"), EncryptText(IntToText(rows)));
    WriteDecoys(iniPath);
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r)
            ini.WriteEntry(section, cellKey(c, r), EncryptText(table.cell(c, r)));
    }
    WriteDecoys(iniPath);
    ini.UpdateFile();
}

void LoadTable(const QString& iniPath, TableAccess& table)
{
    const std::string& section = vault::SecretSection();
    TIniFile ini(iniPath);
    const std::string stored = ini.ReadEntry(section, EncryptText("lignes"));
    if (stored.empty())
        return;
    const int rows = storedRowCount(stored);
    table.setRowCount(rows);

    // A cell that does not decode is left empty rather than keeping older
    // text that a later save would write over the stored cell; the first
    // failure is reported once every other cell is loaded.
    std::optional<ConversionError> failure;
    const int columns = table.columnCount();
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            const std::string value = ini.ReadEntry(section, cellKey(c, r));
            try {
                table.setCell(c, r, DecryptText(value));
            } catch (const ConversionError& e) {
                table.setCell(c, r, std::string());
                if (!failure)
                    failure = e;
            }
        }
    }
    if (failure)
        throw *failure;
}
