#!/usr/bin/env bash
# Long analysis soak: "go infinite" through the obrantule host until the
# reported node count passes a target (default 2^31 + 10%, past the point
# where a signed 32-bit count would break and on the way to where the
# engine's 32-bit count wraps), checking that every reported count is at
# least the one before. At about 3 million nodes a second this takes some
# 15 minutes; run it under nice on a shared machine. Not part of the tests.
usage() {
  cat <<'USAGE'
usage: scripts/soak.sh [NODES] [FEN]
  NODES  stop once the reported count passes this (default 2362232013, 2^31 + 10%)
  FEN    the position to analyse (default: a quiet middlegame)
Prints progress every minute and a verdict: the last count, the number of
reports, and whether the counts stayed monotonic. Exit status 1 when not.
USAGE
}
case "${1:-}" in -h|--help|help) usage; exit 0 ;; esac
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-2362232013}
fen=${2:-r1bq1rk1/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R1BQ1RK1 w - - 0 8}
[ -x build/bin/obrantule ] || scripts/main.sh --depth 1 >/dev/null
python3 - "$target" "$fen" <<'PY'
import re, subprocess, sys, time
target, fen = int(sys.argv[1]), sys.argv[2]
host = subprocess.Popen(["build/bin/obrantule"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                        stderr=subprocess.DEVNULL, text=True, bufsize=1)
def send(line):
    host.stdin.write(line + "\n")
    host.stdin.flush()
send("uci")
send("setoption name Hash value 64")
send("position fen " + fen)
send("go infinite")
start = time.time()
last, reports, bad, shown = 0, 0, [], start
for line in host.stdout:
    found = re.search(r"\bnodes (\d+)", line)
    if not found:
        continue
    nodes = int(found.group(1))
    reports += 1
    if nodes < last:
        bad.append((last, nodes))
    last = nodes
    now = time.time()
    if now - shown >= 60:
        shown = now
        print(f"{now - start:7.0f} s  nodes {nodes}  ({nodes / (now - start):.0f}/s)", flush=True)
    if nodes > target:
        break
send("stop")
for line in host.stdout:
    if line.startswith("bestmove"):
        break
send("quit")
host.wait()
elapsed = time.time() - start
print(f"last count {last} after {elapsed:.0f} s, {reports} reports, "
      + ("monotonic" if not bad else f"NOT monotonic: {len(bad)} drops, first {bad[0][0]} -> {bad[0][1]}"))
sys.exit(1 if bad or last <= target else 0)
PY
