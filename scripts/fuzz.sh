#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/CMakeLists.txt, with clang) in
# build-fuzz/ and runs each for a bounded time from its committed seeds:
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# SECONDS per target (default: OBRANTULE_FUZZ_SECONDS, else 40); TARGET names
# as in fuzz/corpus (default: all). Inputs found on the way are kept in
# build-fuzz/corpus-TARGET; a failure leaves its input and log in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${OBRANTULE_FUZZ_SECONDS:-40}}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(engine game-record uci table-file settings datacomp)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S fuzz -B build-fuzz "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/%/-fuzz}"

# An input that runs for minutes is a hang, however loaded the machine.
# Longest inputs: whole 3-man table files for table-file, whole small files
# for datacomp.
declare -A max_len=([table-file]=32768 [game-record]=2048 [settings]=2048 [datacomp]=16384)
failed=0
for target in "${targets[@]}"; do
  printf '\n---- %s (%ss) ----\n' "$target" "$seconds"
  mkdir -p "build-fuzz/corpus-$target"
  log=build-fuzz/$target.log
  if (cd build-fuzz && "./$target-fuzz" -max_total_time="$seconds" -timeout=300 -max_len="${max_len[$target]:-4096}" \
        -artifact_prefix="$target-" -print_final_stats=1 "corpus-$target" "../fuzz/corpus/$target") >"$log" 2>&1; then
    grep -E '^(#[0-9]+\s+DONE|Done)' "$log" || true
  else
    tail -n 60 "$log"
    echo "fuzz target $target found a failure (log: $log)"
    failed=1
  fi
done
exit $failed
