#pragma once

// Each mode prints one line per case and returns the process exit code.
int runVaultBench();
int runPicturesBench();
