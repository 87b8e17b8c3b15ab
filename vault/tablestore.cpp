#include "tablestore.h"

#include <charconv>
#include <optional>

#include "decoys.h"
#include "encryptdecrypt.h"
#include "encryptinto.h"
#include "inifile.h"
#include "kaldrinoerror.h"
#include "textconv.h"
#include "tickcount.h"
#include "vaultlayout.h"

namespace {

// Rows the window always has: the header and one entry.
constexpr int kMinRows = 2;
// More rows than a section could hold: such a count is treated as damage,
// so a corrupt file never drives a huge allocation.
constexpr int kMaxRows = 1000000;
// Every save writes two keys per row and no key is ever removed, so the
// section of a table this program saved holds more keys than the table has
// rows. A larger count is damage too, beyond a margin for rows whose keys
// are missing (they load as 35 spaces): otherwise a few bytes could fill
// the window with a million empty rows and the next save with 200 MB.
constexpr int kRowsWithoutKeys = 1000;

// The plain cell key "c" + column + "l" + row.
std::string_view plainCellKey(char (&buffer)[32], int column, int row)
{
    buffer[0] = 'c';
    char* end = std::to_chars(buffer + 1, buffer + 16, column).ptr;
    *end++ = 'l';
    end = std::to_chars(end, buffer + sizeof buffer, row).ptr;
    return std::string_view(buffer, static_cast<std::size_t>(end - buffer));
}

std::string cellKey(int column, int row)
{
    char buffer[32];
    return EncryptText(plainCellKey(buffer, column, row));
}

int storedRowCount(const std::string& stored, std::size_t sectionKeys)
{
    std::int32_t rows = 0;
    try {
        rows = TextToInt(DecryptText(stored));
    } catch (const ConversionError&) {
        return kMinRows;
    }
    if (rows > kMaxRows || rows < kMinRows)
        return kMinRows;
    if (rows > kRowsWithoutKeys && static_cast<std::size_t>(rows) > sectionKeys)
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
    std::string key;
    std::string value;
    char plain[32];
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            key.clear();
            value.clear();
            const std::string text = table.cell(c, r);
            appendEncrypted(key, plainCellKey(plain, c, r), 0);
            appendEncrypted(value, text, text.empty() ? TickCount() : 0);
            ini.WriteEntry(section, key, value);
        }
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
    const int rows = storedRowCount(stored, ini.SectionKeyCount(section));
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
