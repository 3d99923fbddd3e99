#!/usr/bin/env bash
# Test runs beyond the two CTest trees, called by scripts/test.sh: every fuzz
# target for a bounded time (OBRANTULE_FUZZ_SECONDS each, default 40).
set -euo pipefail
cd "$(dirname "$0")/.."
step() { printf '\n==== %s ====\n' "$*"; }
fuzz_seconds=${OBRANTULE_FUZZ_SECONDS:-40}

if command -v clang++ >/dev/null; then
  step "Fuzz targets (${fuzz_seconds}s each)"
  scripts/fuzz.sh "$fuzz_seconds"
else
  echo "clang++ not found: fuzzing skipped"
fi

# The 32-bit Windows build, its export tables and its check program.
scripts/windows-check.sh

# ThreadSanitizer: the threaded tablebase tests and the plug-in's requests
# from a second thread, in a tree of their own that builds only their
# programs (the plug-in's test builds the plug-in and its fake engines).
step "ThreadSanitizer: threaded tablebase probes, plug-in requests"
tsan_gen=()
command -v ninja >/dev/null && tsan_gen=(-G Ninja)
cmake -S . -B build-tsan "${tsan_gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOBRANTULE_TSAN=ON \
  -DOBRANTULE_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target obrantule-tests-tbprobe obrantule-tests-adapter
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
build-tsan/tests/obrantule-tests-tbprobe --gtest_filter='Concurrency.*'
build-tsan/tests/obrantule-tests-adapter --gtest_filter='AdapterRaces.*'
