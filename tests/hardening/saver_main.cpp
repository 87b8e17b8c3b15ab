// Saves the password table through the window's own save, one generation
// after another, until it is killed; writes one byte to its output after
// each save. Its argument is the program's folder, ending in '/'.
#include <cstdio>
#include <unistd.h>

#include "generations.h"
#include "gridtable.h"
#include "kaldrinoapplication.h"
#include "mainform.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KaldrinoApplication app(argc, argv);
    TMainForm form(QString::fromLocal8Bit(argv[1]));
    form.Fields.AccessGranted = true;
    try {
        form.LoadTable();
        GridTable table(*form.Grille);
        for (int generation = generationIn(table) + 1;; ++generation) {
            fillGeneration(table, generation);
            form.SaveTable();
            const char saved = 1;
            if (::write(STDOUT_FILENO, &saved, 1) != 1)
                return 3;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
