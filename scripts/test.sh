#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the release build, then the
# same suite under AddressSanitizer + UndefinedBehaviorSanitizer (debug build,
# so the internal consistency checks run too), then the threaded tests under
# ThreadSanitizer and the fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)

step() { printf '\n==== %s ====\n' "$*"; }

step "Release build"
cmake -S . -B build "${gen[@]}" -DCMAKE_BUILD_TYPE=Release -DOBRANTULE_TESTS=ON -DOBRANTULE_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
step "Release tests"
ctest --test-dir build --output-on-failure -j"$jobs" -E Slow

step "ASan+UBSan debug build"
cmake -S . -B build-asan "${gen[@]}" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DOBRANTULE_SANITIZE=ON -DOBRANTULE_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
step "ASan+UBSan tests"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" -E "Slow|NoSanitizer"

if [ -x scripts/test-extra.sh ]; then
  scripts/test-extra.sh
fi
