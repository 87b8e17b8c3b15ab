#!/usr/bin/env bash
# Installs what is missing, checks the sources' formatting, builds, and runs
# every test: the unit, widget and whole-program tests, then the unit and
# widget tests again in an address+undefined sanitizer build, then a short
# run of each fuzzer.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

jobs=$(nproc)

echo "== formatting"
# Every C++ source of the project as the committed .clang-format lays it out.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"

echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== tests, sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALDRINO_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -L 'unit|widget' --output-on-failure -j "$jobs"

echo "== fuzzers, smoke run"
bash scripts/fuzz.sh --smoke
