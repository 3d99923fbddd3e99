#!/usr/bin/env bash
# Five-man generation sample: makes the given classes (and, first, every
# class they reach that is not in DIR yet) one class per process, so that each
# class gets its own wall time, CPU time and peak memory; then verifies each
# class named on the command line. The figures go to DIR/sample.txt, one line
# per class; a class already in DIR is kept, so an interrupted run resumes.
usage() {
  cat <<'USAGE'
usage: bench/tbgen-sample.sh DIR [--threads N] [--no-verify] CLASS...
  DIR        table directory (the 3- and 4-man tables may already be there)
  --threads  threads per class (default: the number of processors)
  CLASS      five-man classes to make and verify, e.g. kbbkn krbkr knnpk knppk
Each line of DIR/sample.txt: class, "gen" or "verify", wall s, CPU s (user +
system), peak resident MB, entries of both sides, and for verify the number of
inconsistencies found.
USAGE
}
case "${1:-}" in -h|--help|help|"") usage; [ -n "${1:-}" ]; exit $? ;; esac
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tb="$root/build/bin/obrantule-tb"
[ -x "$tb" ] || { echo "tbgen-sample: build obrantule-tb first (scripts/test.sh or cmake --build build)" >&2; exit 1; }
dir=$1
shift
threads=$(nproc)
verify=1
classes=()
while [ $# -gt 0 ]; do
  case "$1" in
    --threads) threads=$2; shift 2 ;;
    --no-verify) verify=0; shift ;;
    *) classes+=("$1"); shift ;;
  esac
done
mkdir -p "$dir"
log="$dir/sample.txt"

present() { [ -e "$dir/$1.nbw.emd" ] || [ -e "$dir/$1.nbw" ]; }

# Runs a command under /usr/bin/time; prints "wall cpu peakMB".
measure() {
  local out
  out=$(mktemp)
  /usr/bin/time -f "%e %U %S %M" -o "$out" "$@" >"$out.log" 2>&1 || { cat "$out.log" >&2; rm -f "$out" "$out.log"; return 1; }
  awk '{printf "%.1f %.1f %.0f\n", $1, $2 + $3, $4 / 1024}' "$out"
  cat "$out.log" >>"$dir/sample.log"
  rm -f "$out" "$out.log"
}

# The order the generator would make everything in: the planner's Snakefile
# lists one rule per class, each after what it reaches.
plan=$(mktemp)
"$tb" plan "${classes[@]}" --dir "$dir" --out "$plan" >/dev/null
order=$(sed -n 's/^rule \([kqrbnp]*\):$/\1/p' "$plan")
rm -f "$plan"

for c in $order; do
  present "$c" && continue
  echo "tbgen-sample: generating $c" >&2
  figures=$(measure "$tb" gen "$c" --dir "$dir" --threads "$threads" --compress) || exit 1
  read -r wall cpu mb <<<"$figures"
  entries=$(grep -h "^$c " "$dir/sample.log" | sed -n 's/.*: \([0-9]*\) entries.*/\1/p' | tail -2 | paste -sd+ | bc)
  printf '%-7s gen    wall %7.1f s  cpu %7.1f s  peak %5d MB  entries %s\n' "$c" "$wall" "$cpu" "$mb" "$entries" | tee -a "$log"
done

[ "$verify" = 1 ] || exit 0
for c in "${classes[@]}"; do
  echo "tbgen-sample: verifying $c" >&2
  figures=$(measure "$tb" verify "$dir" "$c" --threads "$threads") || exit 1
  read -r wall cpu mb <<<"$figures"
  bad=$(grep -h "^$c .* inconsistent$" "$dir/sample.log" | tail -1 | sed 's/^[a-z]* *//')
  printf '%-7s verify wall %7.1f s  cpu %7.1f s  peak %5d MB  %s\n' "$c" "$wall" "$cpu" "$mb" "$bad" | tee -a "$log"
done
