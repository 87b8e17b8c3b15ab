#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, address and undefined-behaviour
# sanitizers) in build-fuzz/ and runs each in turn, seeded from tests/data/.
#
#   bash scripts/fuzz.sh                  # each harness 5 minutes
#   bash scripts/fuzz.sh --smoke          # each harness 5 seconds (the test command)
#   bash scripts/fuzz.sh --time 1800 fuzz_emf fuzz_wmf
#
# The corpus each harness grows is kept in build-fuzz/corpus/<harness>/ and
# reused by the next run; an input that crashes or hangs a harness is saved
# in build-fuzz/artifacts/<harness>/ and the script ends with status 1.
# Replay one with: build-fuzz/fuzz/<harness> <file>
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

seconds=300
harnesses=()
while [ $# -gt 0 ]; do
  case "$1" in
    --smoke) seconds=5 ;;
    --time) seconds="$2"; shift ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) harnesses+=("$1") ;;
  esac
  shift
done
all=(fuzz_profilefile fuzz_textconv fuzz_vaultfile fuzz_jpg fuzz_bmp fuzz_ico fuzz_wmf fuzz_emf)
[ "${#harnesses[@]}" -gt 0 ] || harnesses=("${all[@]}")

build=build-fuzz
echo "== fuzzers, build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DKALDRINO_FUZZ=ON -DKALDRINO_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzzers

# The fixtures each harness starts from (file names matched in any case).
seeds_of() {
  case "$1" in
    fuzz_profilefile|fuzz_textconv|fuzz_vaultfile) echo ini ;;
    fuzz_jpg) echo "jpg jpeg" ;;
    fuzz_bmp) echo bmp ;;
    fuzz_ico) echo ico ;;
    fuzz_wmf) echo wmf ;;
    fuzz_emf) echo emf ;;
  esac
}

failed=()
printf '\n%-18s %8s %10s %8s  %s\n' harness seconds runs exec/s result
for name in "${harnesses[@]}"; do
  corpus="$build/corpus/$name"
  seeds="$build/seeds/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  rm -rf "$seeds" && mkdir -p "$seeds"
  for ext in $(seeds_of "$name"); do
    find tests/data -maxdepth 1 -type f -iname "*.$ext" -exec cp {} "$seeds/" \;
  done
  options=(-max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$artifacts/")
  case "$name" in
    fuzz_profilefile|fuzz_vaultfile) options+=(-dict=fuzz/vault.dict) ;;
  esac
  log="$build/$name.log"
  start=$(date +%s)
  status=0
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=fuzz/lsan.supp:print_suppressions=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/$name" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  elapsed=$(( $(date +%s) - start ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  if [ "$status" -eq 0 ]; then
    result=ok
  else
    result="FAILED (status $status), see $log"
    failed+=("$name")
  fi
  printf '%-18s %8s %10s %8s  %s\n' "$name" "$elapsed" "${runs:-?}" "${rate:-?}" "$result"
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzzers that found a fault: ${failed[*]}" >&2
  for name in "${failed[@]}"; do
    grep -m1 -E 'ERROR: |runtime error|deadly signal|timeout' "$build/$name.log" >&2 || true
  done
  exit 1
fi
