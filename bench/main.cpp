#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "benches.h"

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "vault") == 0)
        return runVaultBench();
    if (argc >= 2 && std::strcmp(argv[1], "pictures") == 0)
        return runPicturesBench(std::vector<std::string>(argv + 2, argv + argc));
    std::fprintf(stderr, "usage: kaldrino-bench vault | pictures [--runs N] [CASE...]\n");
    return 2;
}
