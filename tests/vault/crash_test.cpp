#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "memorytable.h"
#include "tempdir.h"

namespace {

// Generation g of the table: its size and every cell say which save wrote
// it, so a file holding pieces of two saves cannot pass for either.
int entriesOf(int generation)
{
    return 40 + generation % 60;
}

std::string cellOf(int generation, int column, int row)
{
    return "g" + std::to_string(generation) + " c" + std::to_string(column) + " l" + std::to_string(row)
        + " d\xE9j\xE0 \xE9t\xE9 sauv\xE9";
}

MemoryTable tableOf(int generation)
{
    MemoryTable table;
    table.setRowCount(entriesOf(generation) + 1);
    for (int c = 0; c < 2; ++c) {
        for (int r = 0; r < table.rowCount(); ++r)
            table.setCell(c, r, cellOf(generation, c, r));
    }
    return table;
}

// The generation the file holds whole, or -1.
int generationIn(const MemoryTable& table)
{
    int generation = -1;
    if (table.rowCount() == 0 || std::sscanf(table.cell(0, 0).c_str(), "g%d ", &generation) != 1)
        return -1;
    if (table.rowCount() != entriesOf(generation) + 1)
        return -1;
    for (int c = 0; c < 2; ++c) {
        for (int r = 0; r < table.rowCount(); ++r) {
            if (table.cell(c, r) != cellOf(generation, c, r))
                return -1;
        }
    }
    return generation;
}

// Saves one generation after another, telling the parent after each.
[[noreturn]] void saveForever(const QString& path, int toParent)
{
    try {
        MemoryTable current;
        LoadTable(path, current);
        for (int generation = generationIn(current) + 1;; ++generation) {
            SaveTable(path, tableOf(generation));
            const char done = 1;
            if (::write(toParent, &done, 1) != 1)
                _exit(2);
        }
    } catch (...) {
        _exit(1);
    }
}

TEST(VaultCrash, KilledSaveLeavesTheOldOrTheNewTableWhole)
{
    TestFolder dir;
    const QString path = dir.file("kaldrino.ini");
    SaveTable(path, tableOf(0));

    const unsigned seed = std::random_device {}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, 8000);

    int last = 0;
    for (int kill = 0; kill < 60; ++kill) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            saveForever(path, pipeFds[1]);
        }
        ::close(pipeFds[1]);
        // Once one save has landed, kill at a random moment of the next ones.
        char done = 0;
        const bool saved = ::read(pipeFds[0], &done, 1) == 1;
        ::usleep(static_cast<useconds_t>(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(pipeFds[0]);
        ASSERT_TRUE(saved) << "the saving process ended with status " << status;

        MemoryTable loaded;
        ASSERT_NO_THROW(LoadTable(path, loaded)) << "kill " << kill;
        const int generation = generationIn(loaded);
        ASSERT_GE(generation, last + 1) << "kill " << kill << ": torn or lost save";
        last = generation;
    }
}

} // namespace
