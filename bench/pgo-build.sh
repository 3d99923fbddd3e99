#!/usr/bin/env bash
# Profile-guided release build of the engine (optional; the ordinary release
# build is link-time optimised already). Builds an instrumented tree, runs the
# bench positions to collect the profile, then rebuilds with it and checks that
# the bench signature (the node total) is unchanged.
#
#   bench/pgo-build.sh [BUILD_DIR] [DEPTH]     (defaults: build-pgo, 7)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-pgo}
depth=${2:-7}
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
profile="$PWD/$dir/pgo-profile"

rm -rf "$profile"
cmake -S . -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release -DOBRANTULE_TESTS=OFF \
  -DOBRANTULE_PGO=generate -DOBRANTULE_PGO_DIR="$profile" >/dev/null
cmake --build "$dir" -j2 --target obrantule-dev
echo "== collecting the profile (bench depth $depth)"
before=$("$dir/bin/obrantule-dev" bench "$depth" | grep "Nodes searched")

cmake -S . -B "$dir" -DOBRANTULE_PGO=use >/dev/null
cmake --build "$dir" -j2 --target obrantule-dev Obrantule.dll
after=$("$dir/bin/obrantule-dev" bench "$depth" | tee /dev/stderr | grep "Nodes searched")
if [ "$before" != "$after" ]; then
  echo "profile-guided build changed the search: $before vs $after" >&2
  exit 1
fi
echo "== $dir/bin/obrantule-dev and $dir/bin/Obrantule.dll are built with the profile ($after)"
