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
saved in build/match/OPPONENT-SECONDS+INCREMENT/games.pgn.
USAGE
}
case "${1:-}" in -h|--help|help) usage; exit 0 ;; esac
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
python3 - "$out/games.pgn" <<'PY'
import math, re, sys
text = open(sys.argv[1]).read()
games = re.findall(r'\[White "([^"]*)"\].*?\[Black "([^"]*)"\].*?\[Result "([^"]*)"\].*?\n\n(.*?)(?=\n\[Event|\Z)', text, re.S)
score = {"win": 0, "loss": 0, "draw": 0}
time_losses, lowest = 0, None
print(f"{'#':>2} {'White':<16} {'Black':<16} {'Result':<8} {'moves':>5} {'clock':>6}  how it ended")
for n, (white, black, result, moves) in enumerate(games, 1):
    ours_white = white.startswith("Obrantule")
    how = re.findall(r"\{([^{}]*)\}\s*(?:1-0|0-1|1/2-1/2|\*)\s*$", moves.strip())
    how = how[0] if how else ""
    # Extended comments hold score/depth and the clock left after the move:
    # "{+0.25/10 9.8}"; our moves are the white ones when we are white.
    own_clock = None
    ply = -1  # index of the last move read; even plies are White's
    for token in re.findall(r"\{[^{}]*\}|[^\s{}]+", moves):
        if token.startswith("{"):
            clock = re.search(r"\s(?:(\d+):)?(\d+(?:\.\d+)?)\s*\}$", token)
            if clock and ply >= 0 and (ply % 2 == 0) == ours_white:
                value = 60 * int(clock.group(1) or 0) + float(clock.group(2))
                own_clock = value if own_clock is None else min(own_clock, value)
        elif not re.match(r"^(\d+\.+|1-0|0-1|1/2-1/2|\*)$", token):
            ply += 1
    bare = re.sub(r"\{[^{}]*\}", "", moves)
    numbers = [int(m) for m in re.findall(r"(\d+)\.", bare)]
    full_moves = max(numbers) if numbers else 0
    if result == "1/2-1/2": score["draw"] += 1
    elif (result == "1-0") == ours_white: score["win"] += 1
    else:
        score["loss"] += 1
        if "time" in how.lower(): time_losses += 1
    if own_clock is not None: lowest = own_clock if lowest is None else min(lowest, own_clock)
    clock_text = f"{own_clock:.1f}" if own_clock is not None else "-"
    print(f"{n:>2} {white[:16]:<16} {black[:16]:<16} {result:<8} {full_moves:>5} {clock_text:>6}  {how}")
played = len(games)
points = score["win"] + score["draw"] / 2
line = f"Obrantule: +{score['win']} -{score['loss']} ={score['draw']} in {played} games"
if played:
    mean = points / played
    variance = (score["win"] * (1 - mean) ** 2 + score["loss"] * mean ** 2 + score["draw"] * (0.5 - mean) ** 2) / played
    margin = 1.96 * math.sqrt(variance / played)
    def elo(s):
        s = min(max(s, 1e-3), 1 - 1e-3)
        return -400 * math.log10(1 / s - 1)
    line += f", score {100 * mean:.1f}%, Elo {elo(mean):+.0f} (95%: {elo(mean - margin):+.0f} .. {elo(mean + margin):+.0f})"
print(line)
print(f"losses on time: {time_losses}; lowest clock left after our move: " + (f"{lowest:.1f} s" if lowest is not None else "unknown"))
PY
grep -i "illegal\|crash\|forfeit\|on time" "$out/games.pgn" "$out/xboard.log" || echo "no illegal move, crash or loss on time reported"
