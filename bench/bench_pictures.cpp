#include "benches.h"

int runPicturesBench() { return 1; }
