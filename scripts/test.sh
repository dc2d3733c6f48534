#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root) and runs the whole test suite:
# an optimised build, a build under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the fuzz targets over their seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)

scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCORVISTA_TESTS=ON
# Every package that build used is one that scripts/deps.sh installs.
scripts/check-deps.sh build/release
ctest --test-dir build/release --output-on-failure -j"$jobs"
# One small run of the load benchmark, so it keeps building and running.
build/release/bench/load_bench 100 100=

scripts/build.sh build/sanitize -DCMAKE_BUILD_TYPE=Debug -DSCORVISTA_SANITIZE=ON -DSCORVISTA_TESTS=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

if command -v clang++ >/dev/null; then
  CC=clang CXX=clang++ scripts/build.sh build/fuzz -DCMAKE_BUILD_TYPE=Debug -DSCORVISTA_FUZZ=ON -DSCORVISTA_TESTS=OFF -DSCORVISTA_GUI=OFF
  for corpus in fuzz/corpus/*/; do
    name=$(basename "$corpus")
    echo "replaying corpus of fuzz_$name"
    build/fuzz/fuzz/"fuzz_$name" -runs=0 "$corpus"
  done
fi
