#!/usr/bin/env bash
# Real games: a match of the obrantule host (through polyglot) against another
# engine in xboard's no-GUI match mode, from the openings of
# scripts/match/openings.pgn (each played twice, colours swapped), with the
# default tablebases and pondering on for both sides. Needs Debian's xboard,
# polyglot, xvfb and the opponent (fairymax by default):
#   apt-get install xboard polyglot xvfb fairymax
usage() {
  cat <<'USAGE'
usage: scripts/match.sh [GAMES] [OPPONENT COMMAND] [SECONDS] [INCREMENT]
  GAMES      games to play (default 20; openings are played twice, colours swapped)
  OPPONENT   the other engine's xboard command (default fairymax; e.g. phalanx,
             "polyglot -ec glaurung" for a UCI engine)
  SECONDS    base time per side (default 10)
  INCREMENT  seconds added per move (default 0.1)
Prints a table of the games, the score with its Elo difference and 95% error
bar, losses on time and the lowest clock left after one of our moves. Games are
saved in build/match/OPPONENT-SECONDS+INCREMENT/games.pgn;
scripts/match.sh --summary GAMES.PGN prints the table of a saved match again.
USAGE
}
case "${1:-}" in
  -h|--help|help) usage; exit 0 ;;
  # The table of games already played: scripts/match.sh --summary GAMES.PGN
  --summary) exec python3 "$(dirname "$0")/match/summary.py" "$2" ;;
esac
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
name=$(printf '%s' "${opponent%% *}" | tr -c 'A-Za-z0-9._-' _)
out="$root/build/match/$name-$seconds+$increment"
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
echo "match: $games games against $opponent at $seconds s + $increment s, pondering on" >&2
xvfb-run -a xboard -noGUI -mm -matchGames "$games" -tc "$tc" -inc "$increment" -ponder \
  -pgnExtendedInfo true -pgnTimeLeft true -autoCallFlag true \
  -fcp "polyglot $out/obrantule.ini" -fd "$out" -scp "$opponent" -sd "$out" \
  -lgf "$root/scripts/match/openings.pgn" -lgi -2 -sgf "$out/games.pgn" -xexit >"$out/xboard.log" 2>&1 || true
python3 scripts/match/summary.py "$out/games.pgn"
grep -i "illegal\|crash\|forfeit\|on time" "$out/games.pgn" "$out/xboard.log" || echo "no illegal move, crash or loss on time reported"
