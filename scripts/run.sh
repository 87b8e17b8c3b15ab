#!/usr/bin/env bash
# Installs what is missing, builds, lays the program out as a portable folder
# under build/portable, its executable stripped of debugging information, and
# starts it there (its vault lives beside it).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target kaldrino
cmake --install build --prefix build/portable --component runtime --strip >/dev/null
exec build/portable/kaldrino
