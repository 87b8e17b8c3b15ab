#include "tablestore.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

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
// are missing (they load empty): otherwise a few bytes could fill the
// window with a million empty rows and the next save with 200 MB.
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

// The scrambled cell keys are the same at every save and load: each is
// worked out once per run, so that a save scrambles only the cells' text.
class CellKeys {
public:
    std::string_view key(int column, int row)
    {
        if (column < 0 || column >= kColumns || row < 0 || row >= kMaxRows)
            return scrambled(column, row);
        std::vector<char>& keys = m_columns[column];
        const auto wanted = static_cast<std::size_t>(row);
        for (std::size_t known = keys.size() / kLength; known <= wanted; ++known) {
            const std::string_view key = scrambled(column, static_cast<int>(known));
            keys.insert(keys.end(), key.begin(), key.end());
        }
        return std::string_view(keys.data() + wanted * kLength, kLength);
    }

private:
    // "c", one digit, "l" and at most six digits are nine bytes or fewer,
    // which the cipher turns into five groups of five digits.
    static constexpr int kColumns = 10;
    static constexpr std::size_t kLength = 25;
    static_assert(kMaxRows <= 1000000, "row numbers of at most six digits");

    std::string_view scrambled(int column, int row)
    {
        char plain[32];
        return encryptInto(m_encoded, plainCellKey(plain, column, row), 0);
    }

    std::vector<char> m_columns[kColumns];
    EncodedText m_encoded;
};

CellKeys& cellKeys()
{
    static CellKeys keys;
    return keys;
}

// The stored row count, or nothing when it is damage.
std::optional<int> storedRowCount(const std::string& stored, std::size_t sectionKeys)
{
    std::int32_t rows = 0;
    try {
        rows = TextToInt(DecryptText(stored));
    } catch (const ConversionError&) {
        return std::nullopt;
    }
    if (rows > kMaxRows || rows < kMinRows)
        return std::nullopt;
    if (rows > kRowsWithoutKeys && static_cast<std::size_t>(rows) > sectionKeys)
        return std::nullopt;
    return rows;
}

// The entry rows stored one after the other from row 1: those with a value
// for at least one of their cells. Bounded by the keys present, so a
// damaged file never makes more rows than it holds.
int countStoredEntryRows(const TIniFile& ini, const std::string& section, int columns, CellKeys& keys)
{
    std::string value;
    int rows = 0;
    for (int r = 1; r < kMaxRows; ++r) {
        bool present = false;
        for (int c = 0; c < columns && !present; ++c) {
            ini.ReadEntryInto(section, keys.key(c, r), value);
            present = !value.empty();
        }
        if (!present)
            break;
        rows = r;
    }
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
    CellKeys& keys = cellKeys();
    EncodedText value;
    std::string text;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            table.cellInto(c, r, text);
            ini.WriteEntry(section, keys.key(c, r), encryptInto(value, text, text.empty() ? TickCount() : 0));
        }
    }
    WriteDecoys(iniPath);
    ini.UpdateFile();
}

TableLoadNotice LoadTable(const QString& iniPath, TableAccess& table)
{
    const std::string& section = vault::SecretSection();
    TIniFile ini(iniPath);
    const int columns = table.columnCount();
    CellKeys& keys = cellKeys();

    // A count that cannot be trusted is never replaced by a guess: the rows
    // are counted from the cells stored, and the user is told, since rows
    // deleted earlier keep their keys and come back with them.
    TableLoadNotice notice;
    const std::string stored = ini.ReadEntry(section, EncryptText("lignes"));
    std::optional<int> rows;
    if (!stored.empty())
        rows = storedRowCount(stored, ini.SectionKeyCount(section));
    if (!rows) {
        const int entryRows = countStoredEntryRows(ini, section, columns, keys);
        if (stored.empty() && entryRows == 0)
            return notice;
        notice = { true, entryRows };
        rows = std::max(entryRows + 1, kMinRows);
    }
    table.setRowCount(*rows);

    // An absent cell is empty, not the decoding of an empty value, which
    // the next save would store as a password of 35 spaces. A cell that does
    // not decode is left empty rather than keeping older text that a later
    // save would write over the stored cell; the first failure is reported
    // once every other cell is loaded.
    std::optional<ConversionError> failure;
    std::string value;
    std::string text;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < *rows; ++r) {
            ini.ReadEntryInto(section, keys.key(c, r), value);
            if (value.empty()) {
                table.setCell(c, r, std::string());
                continue;
            }
            try {
                decryptInto(value, text);
                table.setCell(c, r, text);
            } catch (const ConversionError& e) {
                table.setCell(c, r, std::string());
                if (!failure)
                    failure = e;
            }
        }
    }
    if (failure)
        throw TableCellError(*failure, notice);
    return notice;
}
