#!/usr/bin/env bash
# Real games: a match of the obrantule host (through polyglot) against another
# engine in xboard's no-GUI match mode, from the openings of
# scripts/match/openings.pgn (each played twice, colours swapped), with the
# default tablebases. Needs Debian's xboard, polyglot, xvfb and the opponent
# (fairymax by default):
#   apt-get install xboard polyglot xvfb fairymax
# Usage: scripts/match.sh [GAMES] [OPPONENT COMMAND] [SECONDS] [INCREMENT]
# Games are saved in build/match/games.pgn; a results table is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
games=${1:-20}
opponent=${2:-fairymax}
seconds=${3:-10}
increment=${4:-0.1}
export PATH="$PATH:/usr/games"
for tool in xboard polyglot xvfb-run "${opponent%% *}"; do
  command -v "$tool" >/dev/null || { echo "match: $tool is not installed" >&2; exit 1; }
done
# The release build and the default tablebases, as the main job makes them.
scripts/main.sh --depth 1 >/dev/null
out="$root/build/match"
rm -rf "$out"
mkdir -p "$out"
cat > "$out/obrantule.ini" <<INI
[PolyGlot]
EngineCommand = $root/build/bin/obrantule
EngineDir = $root
EngineName = Obrantule
Book = false
Log = true
LogFile = $out/polyglot.log
[Engine]
Hash = 64
TablebasePath = $root/Tablebase
INI
# xboard wants the time control as minutes:seconds.
tc=$(printf '%d:%02d' $((seconds / 60)) $((seconds % 60)))
xvfb-run -a xboard -noGUI -mm -matchGames "$games" -tc "$tc" -inc "$increment" \
  -fcp "polyglot $out/obrantule.ini" -fd "$out" -scp "$opponent" -sd "$out" \
  -lgf "$root/scripts/match/openings.pgn" -lgi -2 -sgf "$out/games.pgn" -xexit >"$out/xboard.log" 2>&1 || true
python3 - "$out/games.pgn" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
games = re.findall(r'\[White "([^"]*)"\].*?\[Black "([^"]*)"\].*?\[Result "([^"]*)"\].*?\n\n(.*?)(?=\n\[Event|\Z)', text, re.S)
score = {"win": 0, "loss": 0, "draw": 0}
print(f"{'#':>2} {'White':<16} {'Black':<16} {'Result':<8} {'moves':>5}  how it ended")
for n, (white, black, result, moves) in enumerate(games, 1):
    ours_white = white.startswith("Obrantule")
    how = re.findall(r"\{([^{}]*)\}\s*(?:1-0|0-1|1/2-1/2|\*)\s*$", moves.strip())
    bare = re.sub(r"\{[^{}]*\}", "", moves)
    numbers = [int(m) for m in re.findall(r"(\d+)\.", bare)]
    plies = max(numbers) if numbers else 0
    if result == "1/2-1/2": score["draw"] += 1
    elif (result == "1-0") == ours_white: score["win"] += 1
    else: score["loss"] += 1
    print(f"{n:>2} {white[:16]:<16} {black[:16]:<16} {result:<8} {plies:>5}  {how[0] if how else ''}")
print(f"Obrantule: +{score['win']} -{score['loss']} ={score['draw']} in {len(games)} games")
PY
grep -i "illegal\|crash\|time forfeit\|loses on time" "$out/games.pgn" "$out/xboard.log" || echo "no illegal move, crash or loss on time reported"
