#include "kaldrinoapplication.h"

int main(int argc, char** argv)
{
    KaldrinoApplication app(argc, argv);
    return 0;
}
