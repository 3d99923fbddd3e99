#!/usr/bin/env bash
# The main job: builds the release tree when needed and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build "${gen[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build -j"$(nproc)" >/dev/null
exec build/bin/obrantule-dev perft 5 "$@"
