#!/usr/bin/env bash
# The main job: builds what it runs (the host program, the plug-in, the
# engine and the tablebase tool) in the release tree, makes the default
# tablebases once, and analyses a position through the whole chain.
case "${1:-}" in
  -h|--help)
    cat <<'USAGE'
usage: scripts/main.sh [ANALYSE OPTIONS]
Builds build/bin/obrantule with Obrantule.eng, Obrantule.dll and obrantule-tb,
makes the default tablebases in Tablebase/ on first use, then runs
  build/bin/obrantule analyse ANALYSE OPTIONS
(default: an Italian-game position to depth 10; obrantule analyse --help lists
the options). Needs cmake and a C++17 compiler (Debian: cmake ninja-build g++).
USAGE
    exit 0 ;;
esac
set -euo pipefail
cd "$(dirname "$0")/.."
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
log=build/main-build.log
mkdir -p build
# Shows the build's output when it fails: the compiler's errors are in it.
fail() {
  echo "main: $1 failed; its output follows (also in $log):" >&2
  grep -E -A12 "error|Error|FAILED" "$log" >&2 || tail -n 60 "$log" >&2
  exit 1
}
if [ ! -f build/CMakeCache.txt ]; then
  # Tests and benchmarks are left out here (scripts/test.sh turns them on):
  # the main job needs neither GoogleTest nor the benchmark libraries.
  echo "main: configuring the release build in build/" >&2
  cmake -S . -B build "${gen[@]}" -DCMAKE_BUILD_TYPE=Release -DOBRANTULE_TESTS=OFF -DOBRANTULE_BENCH=OFF \
    >"$log" 2>&1 || fail "configuring (cmake)"
fi
targets=(obrantule obrantule_adapter obrantule_engine_shared obrantule-tb)
set +e
if [ -t 2 ]; then
  # On a terminal: one progress line, rewritten in place.
  cmake --build build -j"$(nproc)" --target "${targets[@]}" 2>&1 | tee "$log" |
    while IFS= read -r line; do
      case "$line" in \[*/*\]*) printf '\rmain: building %-60.60s' "${line%% *} ${line##*/}" >&2 ;; esac
    done
  status=${PIPESTATUS[0]}
  printf '\r%-80s\r' '' >&2
else
  cmake --build build -j"$(nproc)" --target "${targets[@]}" >"$log" 2>&1
  status=$?
fi
set -e
[ "$status" -eq 0 ] || fail "the build"
# Default tablebases: every 3- and 4-piece table, compressed, made once in
# "Tablebase" here, where the host finds them from any directory.
# An interrupted run resumes: tables already made are kept.
if [ ! -f Tablebase/.complete ]; then
  echo "main: making the default tablebases (all 3- and 4-piece classes) in Tablebase/; this is done once." >&2
  build/bin/obrantule-tb gen all4 --compress --dir Tablebase >&2
  touch Tablebase/.complete
fi
# The analysis of a position through the whole chain: the obrantule host loads
# the Obrantule.eng plug-in, which loads the Obrantule.dll engine. Arguments,
# when given, replace the default position and depth (see obrantule analyse).
if [ $# -eq 0 ]; then
  set -- --fen "r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3" --depth 10
fi
exec build/bin/obrantule analyse "$@"
