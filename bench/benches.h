#pragma once

#include <string>
#include <vector>

// Each mode prints one line per case and returns the process exit code.
int runVaultBench();
int runPicturesBench(const std::vector<std::string>& arguments);
