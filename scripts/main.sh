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
# Default tablebases: every 3- and 4-piece table, compressed, made once in
# "Tablebase" here, where the prober looks when no settings name a path.
# An interrupted run resumes: tables already made are kept.
if [ ! -f Tablebase/.complete ]; then
  echo "Making the default tablebases (all 3- and 4-piece classes) in Tablebase/; this is done once." >&2
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
