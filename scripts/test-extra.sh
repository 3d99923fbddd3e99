#!/usr/bin/env bash
# Test runs beyond the two CTest trees, called by scripts/test.sh: fuzz
# targets for a bounded time (OBRANTULE_FUZZ_SECONDS each, default 40).
set -euo pipefail
cd "$(dirname "$0")/.."
step() { printf '\n==== %s ====\n' "$*"; }
fuzz_seconds=${OBRANTULE_FUZZ_SECONDS:-40}

# Builds a libFuzzer target with clang when a source is newer than it:
# fuzz_build NAME SOURCES...
fuzz_build() {
  local name=$1
  shift
  local exe=build-fuzz/$name
  mkdir -p build-fuzz
  if [ ! -x "$exe" ] || [ -n "$(find "$@" adapter/tablebase tools/datacomp -newer "$exe" -name '*.[ch]*' 2>/dev/null | head -1)" ]; then
    clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
      -Iadapter/tablebase -Itools/datacomp "$@" -o "$exe"
  fi
}

if command -v clang++ >/dev/null; then
  step "DATACOMP fuzzing (${fuzz_seconds}s)"
  fuzz_build datacomp-fuzz fuzz/datacomp_fuzz.cpp adapter/tablebase/datacomp_*.cpp adapter/tablebase/table_file.cpp tools/datacomp/*.cpp
  mkdir -p build-fuzz/datacomp-corpus
  if ! build-fuzz/datacomp-fuzz -max_total_time="$fuzz_seconds" \
      build-fuzz/datacomp-corpus fuzz/corpus/datacomp >build-fuzz/datacomp-fuzz.log 2>&1; then
    tail -n 60 build-fuzz/datacomp-fuzz.log
    echo "DATACOMP fuzzing found a failure (log: build-fuzz/datacomp-fuzz.log)"
    exit 1
  fi
  grep -E '^Done' build-fuzz/datacomp-fuzz.log || true
else
  echo "clang++ not found: fuzzing skipped"
fi

# The 32-bit Windows build, its export tables and its check program.
scripts/windows-check.sh

# ThreadSanitizer: the threaded tablebase tests, in a tree of their own that
# builds only their program.
step "ThreadSanitizer: threaded tablebase probes"
tsan_gen=()
command -v ninja >/dev/null && tsan_gen=(-G Ninja)
cmake -S . -B build-tsan "${tsan_gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOBRANTULE_TSAN=ON \
  -DOBRANTULE_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target obrantule-tests-tbprobe
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  build-tsan/tests/obrantule-tests-tbprobe --gtest_filter='Concurrency.*'
