#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, address and undefined-behaviour
# sanitizers) in build-fuzz/ and runs each in turn, from the fixtures in
# tests/data/ and the corpus committed in fuzz/corpus/<harness>/.
#
#   bash scripts/fuzz.sh                  # each harness 5 minutes
#   bash scripts/fuzz.sh --smoke          # each harness 5 seconds (the test command)
#   bash scripts/fuzz.sh --time 1800 fuzz_emf fuzz_wmf
#   bash scripts/fuzz.sh --merge          # fold what the runs found into fuzz/corpus/
#   bash scripts/fuzz.sh --no-build ...   # use the harnesses already built (to run
#                                         # several side by side, one harness each)
#
# What a run finds is kept in build-fuzz/corpus/<harness>/ and reused by the
# next run on this machine; --merge minimises it with the committed corpus
# (-merge=1: only inputs that add coverage beyond the fixtures, none over
# 64 KiB) and rewrites fuzz/corpus/<harness>/, to be committed, so that every
# later run, anywhere, starts where this one stopped. An input that crashes
# or hangs a harness is saved in build-fuzz/artifacts/<harness>/ and the
# script ends with status 1. Replay one with: build-fuzz/fuzz/<harness> <file>
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

seconds=300
merge=false
build_first=true
harnesses=()
while [ $# -gt 0 ]; do
  case "$1" in
    --smoke) seconds=5 ;;
    --time) seconds="$2"; shift ;;
    --merge) merge=true ;;
    --no-build) build_first=false ;;
    -h|--help) sed -n '2,21p' "$0"; exit 0 ;;
    *) harnesses+=("$1") ;;
  esac
  shift
done
all=(fuzz_profilefile fuzz_textconv fuzz_vaultfile fuzz_jpg fuzz_bmp fuzz_ico fuzz_wmf fuzz_emf)
[ "${#harnesses[@]}" -gt 0 ] || harnesses=("${all[@]}")

build=build-fuzz
if $build_first; then
  echo "== fuzzers, build"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DKALDRINO_FUZZ=ON -DKALDRINO_TESTS=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)" --target fuzzers
fi

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

sanitizer_env=(ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
               LSAN_OPTIONS=suppressions=fuzz/lsan.supp:print_suppressions=0
               UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)

# The fixtures of a harness's kind, copied into a folder of their own.
lay_seeds() {
  local name="$1" seeds="$2"
  rm -rf "$seeds" && mkdir -p "$seeds"
  for ext in $(seeds_of "$name"); do
    find tests/data -maxdepth 1 -type f -iname "*.$ext" -exec cp {} "$seeds/" \;
  done
}

if $merge; then
  printf '\n%-18s %10s %10s\n' harness before after
  for name in "${harnesses[@]}"; do
    committed="fuzz/corpus/$name"
    seeds="$build/seeds/$name"
    lay_seeds "$name" "$seeds"
    candidates="$build/merge/$name/candidates"
    merged="$build/merge/$name/merged"
    rm -rf "$build/merge/$name" && mkdir -p "$candidates" "$merged" "$committed"
    for dir in "$committed" "$build/corpus/$name"; do
      [ -d "$dir" ] && find "$dir" -maxdepth 1 -type f -size -65k -exec cp {} "$candidates/" \;
    done
    # The fixtures go first into the result, so that only inputs adding
    # coverage beyond them are kept; they are then taken out again, since
    # tests/data/ has them already.
    cp "$seeds"/. "$merged"/ -r
    env "${sanitizer_env[@]}" "$build/fuzz/$name" -merge=1 -timeout=25 -rss_limit_mb=2048 \
      "$merged" "$candidates" >"$build/merge/$name.log" 2>&1
    for seed in "$seeds"/*; do rm -f "$merged/$(basename "$seed")"; done
    before=$(find "$committed" -type f | wc -l)
    rm -rf "$committed" && mkdir -p "$committed"
    cp "$merged"/* "$committed"/ 2>/dev/null || true
    printf '%-18s %10s %10s\n' "$name" "$before" "$(find "$committed" -type f | wc -l)"
  done
  exit 0
fi

failed=()
printf '\n%-18s %8s %10s %8s  %s\n' harness seconds runs exec/s result
for name in "${harnesses[@]}"; do
  corpus="$build/corpus/$name"
  seeds="$build/seeds/$name"
  artifacts="$build/artifacts/$name"
  committed="fuzz/corpus/$name"
  mkdir -p "$corpus" "$artifacts"
  lay_seeds "$name" "$seeds"
  options=(-max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$artifacts/")
  case "$name" in
    fuzz_profilefile|fuzz_vaultfile) options+=(-dict=fuzz/vault.dict) ;;
  esac
  log="$build/$name.log"
  start=$(date +%s)
  status=0
  inputs=("$corpus" "$seeds")
  [ -d "$committed" ] && inputs+=("$committed")
  env "${sanitizer_env[@]}" "$build/fuzz/$name" "${options[@]}" "${inputs[@]}" >"$log" 2>&1 || status=$?
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
