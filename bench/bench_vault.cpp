#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "benches.h"
#include "decoys.h"
#include "inifile.h"
#include "tablestore.h"

namespace {

class BenchTable : public TableAccess {
public:
    int rowCount() const override { return m_rows; }
    void setRowCount(int rows) override
    {
        m_rows = rows;
        for (auto& column : m_cells)
            column.resize(static_cast<std::size_t>(rows));
    }
    int columnCount() const override { return 2; }
    std::string cell(int column, int row) const override { return m_cells[column][row]; }
    void cellInto(int column, int row, std::string& out) const override { out = m_cells[column][row]; }
    void setCell(int column, int row, const std::string& text) override { m_cells[column][row] = text; }

private:
    int m_rows = 0;
    std::vector<std::string> m_cells[2];
};

// Descriptions and passwords of 10 to 40 characters, French accents
// included (Windows-1252 bytes).
BenchTable makeTable(int entries)
{
    static const char* const words[] = { "banque", "messagerie", "impôts", "sécurité sociale", "école",
        "électricité", "forêt", "crédit", "pâtisserie", "hôpital", "théâtre" };
    static const std::string accents = "\xE9\xE8\xEA\xE0\xE7\xF4\xEE\xF9\xC9";
    std::mt19937 random(42);
    BenchTable table;
    table.setRowCount(entries + 1);
    table.setCell(0, 0, "Description");
    table.setCell(1, 0, "Mot de passe");
    for (int r = 1; r <= entries; ++r) {
        const std::size_t length = 10 + random() % 31;
        std::string description;
        while (description.size() < length) {
            const QString word = QString::fromUtf8(words[random() % std::size(words)]);
            description += word.toLatin1().toStdString() + ' ';
        }
        description.resize(length);
        std::string password;
        for (std::size_t i = 0; i < 10 + random() % 31; ++i) {
            const unsigned pick = random() % 70;
            password += pick < 9 ? accents[pick] : static_cast<char>('!' + random() % 94);
        }
        table.setCell(0, r, description);
        table.setCell(1, r, password);
    }
    return table;
}

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// The floor: the same bytes written once to a temporary file, fsync, rename.
bool writeFloor(const QByteArray& path, const QByteArray& bytes)
{
    const QByteArray temp = path + ".floor";
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), static_cast<std::size_t>(bytes.size())) == bytes.size()
        && ::fsync(fd) == 0;
    ::close(fd);
    return ok && ::rename(temp.constData(), path.constData()) == 0;
}

} // namespace

int runVaultBench()
{
    QTemporaryDir dir(QDir::tempPath() + "/kaldrino-bench-XXXXXX");
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString vault = dir.filePath("kaldrino.ini");
    const QByteArray floorPath = QFile::encodeName(dir.filePath("floor.ini"));

    // Decoys are seeded from the time of day in milliseconds: saves made
    // within the same millisecond would draw the same decoys and find
    // nothing to write. Saves of the program are seconds apart; each one
    // here gets a seed of its own.
    std::uint32_t seed = DecoySeedFromClock();
    setDecoyClockForTesting([&seed] { return seed += 7919; });

    struct Result {
        int entries;
        double save;
        double load;
    };
    std::vector<Result> results;
    try {
        for (int entries : { 100, 1000, 10000 }) {
            QFile::remove(vault);
            const BenchTable table = makeTable(entries);
            const int runs = 41;

            SaveTable(vault, table); // the vault exists, as after the first save
            std::vector<double> save;
            std::vector<double> floor;
            std::vector<double> load;
            std::vector<double> parsedSave;
            auto timeSave = [&] {
                const auto start = std::chrono::steady_clock::now();
                SaveTable(vault, table);
                save.push_back(msSince(start));
            };
            auto timeFloor = [&] {
                QFile file(vault);
                file.open(QIODevice::ReadOnly);
                const QByteArray bytes = file.readAll();
                const auto start = std::chrono::steady_clock::now();
                if (!writeFloor(floorPath, bytes))
                    throw std::runtime_error("floor write failed");
                floor.push_back(msSince(start));
            };
            for (int i = 0; i < runs; ++i) {
                // On this disk an fsync right after another one is faster
                // than after a stretch of computing: the save and the floor
                // take turns at going first.
                if (i % 2 == 0) {
                    timeSave();
                    timeFloor();
                } else {
                    timeFloor();
                    timeSave();
                }

                // A load as the program's first one: the file is parsed.
                TIniFile::ForgetKeptContent();
                BenchTable loaded;
                const auto start = std::chrono::steady_clock::now();
                LoadTable(vault, loaded);
                load.push_back(msSince(start));
                if (loaded.rowCount() != table.rowCount())
                    throw std::runtime_error("load lost rows");

                // A save that parses the file first, as after a change made
                // to the vault by something else than this program.
                TIniFile::ForgetKeptContent();
                const auto parsing = std::chrono::steady_clock::now();
                SaveTable(vault, table);
                parsedSave.push_back(msSince(parsing));
            }
            const double s = median(save);
            const double f = median(floor);
            const double l = median(load);
            std::printf("save entries=%d ms=%.1f floor_ms=%.1f ratio=%.2f\n", entries, s, f, s / f);
            std::printf("load entries=%d ms=%.1f\n", entries, l);
            std::printf("save_parsing entries=%d ms=%.1f\n", entries, median(parsedSave));
            results.push_back({ entries, s, l });
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    setDecoyClockForTesting({});
    for (std::size_t i = 1; i < results.size(); ++i) {
        std::printf("scale entries=%d->%d save_x=%.1f load_x=%.1f\n", results[i - 1].entries,
            results[i].entries, results[i].save / results[i - 1].save, results[i].load / results[i - 1].load);
    }
    return 0;
}
