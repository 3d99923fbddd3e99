#!/usr/bin/env bash
# A long fuzz run of one target, bounded by CPU time rather than wall time,
# so that it means the same on a quiet and on a shared machine:
#   scripts/fuzz-long.sh TARGET [CPU_SECONDS]
# Runs build-fuzz/TARGET-fuzz in fork mode (a failure is kept and the run goes
# on) under nice 19 from build-fuzz/corpus-TARGET and the committed seeds,
# until the whole process tree has used CPU_SECONDS (default 3600). Prints
# one summary line: CPU time, executions, corpus size, failures, and where
# their inputs are. Build the targets first with `scripts/fuzz.sh 1`.
usage() {
  sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
}
case "${1:-}" in ''|-h|--help|help) usage; [ -n "${1:-}" ]; exit $? ;; esac
set -euo pipefail
cd "$(dirname "$0")/../build-fuzz"
target=$1
budget=${2:-3600}
[ -x "./$target-fuzz" ] || { echo "no build-fuzz/$target-fuzz: run scripts/fuzz.sh 1 $target" >&2; exit 1; }
declare -A max_len=([table-file]=32768 [game-record]=2048 [settings]=2048 [datacomp]=16384)
mkdir -p "corpus-$target" "failures-$target"
log=$target-long.log

setsid nice -n 19 "./$target-fuzz" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
  -timeout=300 -max_len="${max_len[$target]:-4096}" -artifact_prefix="failures-$target/" \
  "corpus-$target" "../fuzz/corpus/$target" >"$log" 2>&1 &
leader=$!
disown

# CPU of the tree: the leader's own and its reaped children's (stat fields
# 14-17), plus every live process of its session.
ticks=$(getconf CLK_TCK)
tree_cpu() {
  local own live
  own=$(awk '{ print $14 + $15 + $16 + $17 }' "/proc/$leader/stat" 2>/dev/null) || return 1
  live=$(ps -o pid=,times= -s "$leader" 2>/dev/null | awk -v l="$leader" '$1 != l { s += $2 } END { print s + 0 }')
  echo $(( own / ticks + live ))
}
# Fork mode keeps its corpus on disk after every job, so a kill loses at most
# the job under way (an interrupt would be counted as one more failure).
stop() { kill -KILL -- "-$leader" 2>/dev/null || true; }
trap 'stop; exit 130' INT TERM

used=0
while kill -0 "$leader" 2>/dev/null; do
  used=$(tree_cpu) || break
  [ "$used" -ge "$budget" ] && break
  sleep 10
done
stop
wait "$leader" 2>/dev/null || true

# Fork mode's status lines: "#RUNS: cov: C ft: F corp: N exec/s E oom/timeout/crash: O/T/X ..."
last=$(grep -E '^#[0-9]+: cov:' "$log" | tail -n 1 || true)
runs=$(sed -E 's/^#([0-9]+):.*/\1/' <<<"$last")
# Slow units are inputs that took more than 10 s of wall time, which on a
# loaded machine says little: they are listed apart from the failures.
failures=$(ls "failures-$target" | grep -cv '^slow-unit-' || true)
slow=$(ls "failures-$target" | grep -c '^slow-unit-' || true)
printf '%s: %s CPU s, %s runs, corpus %s files, %s failure inputs and %s slow units (build-fuzz/failures-%s/), status: %s\n' \
  "$target" "$used" "${runs:-?}" "$(ls "corpus-$target" | wc -l)" "$failures" "$slow" "$target" \
  "$(grep -oE 'oom/timeout/crash: [0-9/]+' <<<"$last" || echo '?')"
