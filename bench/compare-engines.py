#!/usr/bin/env python3
"""Search speed of Obrantule next to three classical engines from Debian.

Searches 28 positions (the 16 of `obrantule-dev bench` and 12 others:
openings, quiet and tactical middlegames, every kind of ending, with and
without tablebase-sized material) with Obrantule, glaurung, hoichess and
toga2, one thread and 32 MB of hash each, every search from a cleared state
to a fixed depth chosen per engine and position so that it takes a few
seconds of processor time. The runs are interleaved engine by engine (each
repetition runs every engine over all positions, in a rotated order) and
repeated, so that a busy spell of the machine hits every engine alike.

Speed is nodes per second of the processor time of the engine process (not
wall time): Obrantule counts every node searched (`obrantule-dev search`
prints the count and the processor time of the search), the peers the last
node count they report. Each engine's figure is the median over positions of
the median over repetitions. Obrantule's ratio to each peer is shown with
its spread: the lowest and highest ratio of the single repetitions, and the
quartiles of the per-position ratios.

    bench/compare-engines.py                  # 3 repetitions, about 15 min of CPU each
    bench/compare-engines.py --quick          # 1 repetition, depths 2 lower: a few minutes
    bench/compare-engines.py --reps 5 --build build-native
    bench/compare-engines.py --calibrate 2.5  # find depths for 2.5 s searches, print the table
    bench/compare-engines.py --baseline /tmp/old-build   # before and after in one sitting

With --baseline, a second Obrantule build (an older version, say) runs as one
more engine, "baseline", at Obrantule's depths, and Obrantule's ratio to it is
shown too.

Needs `apt-get install glaurung hoichess toga2` (installed under /usr/games);
missing peers are left out. Run it on a quiet machine: the load average at
the start and at the end is printed with the results.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TICKS = os.sysconf("SC_CLK_TCK")
HASH_MB = 32
MAX_DEPTH = 29  # the deepest search obrantule-dev accepts
PEERS = ("glaurung", "hoichess", "toga2")
ENGINES = ("obrantule",) + PEERS

# Positions beside the bench positions: name, FEN.
EXTRA_POSITIONS = [
    ("open-queens-gambit", "rnbqkb1r/ppp2ppp/4pn2/3p4/2PP4/2N5/PP2PPPP/R1BQKBNR w KQkq - 2 4"),
    ("open-caro-kann", "rnbqkbnr/pp2pppp/2p5/3p4/3PP3/8/PPP2PPP/RNBQKBNR w KQkq - 0 3"),
    ("open-french-black", "rnbqkbnr/ppp2ppp/4p3/3pP3/3P4/8/PPP2PPP/RNBQKBNR b KQkq - 0 3"),
    ("middle-dragon", "2rq1rk1/pp1bppbp/2np1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 0 11"),
    ("middle-carlsbad", "r1bq1rk1/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R1BQ1RK1 w - - 0 8"),
    ("middle-open-files", "r2q1rk1/pp2bppp/2n1bn2/3p4/3N4/2N1B3/PP2BPPP/R2Q1RK1 w - - 0 11"),
    ("end-queens", "8/5pk1/6p1/8/3q4/6P1/4QPK1/8 w - - 0 50"),
    ("end-rooks-many-pawns", "8/1p3pkp/p5p1/8/2r5/P5P1/1P3PKP/3R4 w - - 0 35"),
    ("end-pawns-majority", "8/pp3k2/2p5/3p2pp/3P4/2P2PPP/PP3K2/8 w - - 0 30"),
    ("end-knight-bishop", "8/4kp2/2n1p1p1/1p1pP3/3P2P1/1B3K2/5P2/8 w - - 0 40"),
    ("tb-lucena", "1K1k4/1P6/8/8/8/8/r7/2R5 w - - 0 1"),
    ("tb-bishop-knight", "8/8/3k4/8/8/8/8/2B1KN2 w - - 0 1"),
]

# Depth per position for obrantule, glaurung, hoichess, toga2: the smallest
# depth whose search took at least 2 s of processor time (--calibrate 2.0,
# 2026-12-08), except Obrantule's tb-rook, one lower (that depth took 42 s).
# Where a peer reaches depth 29 in a moment it has found the mate and stops.
DEPTHS = {
    "start": (10, 15, 11, 14),
    "open-spanish": (11, 15, 12, 16),
    "open-sicilian": (10, 14, 13, 14),
    "middle-castles": (10, 12, 10, 13),
    "middle-pins": (11, 15, 14, 16),
    "middle-promotion": (12, 14, 12, 15),
    "middle-isolani": (10, 14, 9, 14),
    "middle-black": (10, 15, 11, 15),
    "end-rooks": (12, 18, 15, 18),
    "end-pawns": (29, 29, 24, 29),
    "end-rook-pawns": (16, 19, 13, 19),
    "end-bishops": (18, 22, 14, 23),
    "mate-in-three": (9, 29, 29, 29),
    "mate-smothered": (20, 29, 29, 29),
    "tb-rook": (17, 24, 20, 21),
    "tb-rook-pawn": (17, 20, 14, 24),
    "open-queens-gambit": (10, 13, 9, 14),
    "open-caro-kann": (11, 14, 10, 14),
    "open-french-black": (11, 14, 10, 14),
    "middle-dragon": (10, 14, 10, 14),
    "middle-carlsbad": (10, 13, 10, 13),
    "middle-open-files": (10, 13, 10, 13),
    "end-queens": (11, 18, 12, 18),
    "end-rooks-many-pawns": (13, 20, 10, 20),
    "end-pawns-majority": (13, 20, 14, 18),
    "end-knight-bishop": (17, 20, 15, 20),
    "tb-lucena": (18, 21, 16, 21),
    "tb-bishop-knight": (13, 22, 15, 19),
}


def bench_positions():
    """The positions of bench/bench_positions.h, in order."""
    with open(os.path.join(HERE, "bench_positions.h")) as f:
        return re.findall(r'\{"([^"]+)", "([^"]+)"\}', f.read())


def process_cpu_seconds(pid):
    """Processor time of all threads of a process: from the schedulers'
    nanosecond counters where the kernel keeps them, else in clock ticks."""
    total = 0
    try:
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        return total / 1e9
    except (OSError, ValueError, IndexError):
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


class Engine:
    """A peer engine process kept open for all positions of one run."""

    def __init__(self, argv):
        self.proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, bufsize=1)

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def read_until(self, pattern):
        lines = []
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("engine ended unexpectedly")
            lines.append(line.rstrip("\n"))
            if re.match(pattern, line):
                return lines

    def timed(self, command, pattern):
        """Sends the command, reads up to the pattern; returns lines and CPU seconds."""
        c0 = process_cpu_seconds(self.proc.pid)
        self.send(command)
        lines = self.read_until(pattern)
        return lines, process_cpu_seconds(self.proc.pid) - c0

    def close(self):
        try:
            self.send("quit")
            self.proc.wait(timeout=5)
        except Exception:
            self.proc.kill()


class UciPeer(Engine):
    def __init__(self, name, options):
        super().__init__([f"/usr/games/{name}"])
        self.send("uci")
        self.read_until(r"uciok")
        for option, value in options:
            self.send(f"setoption name {option} value {value}")

    def search(self, fen, depth):
        self.send("ucinewgame")
        self.send(f"position fen {fen}")
        self.send("isready")
        self.read_until(r"readyok")
        lines, cpu = self.timed(f"go depth {depth}", r"bestmove")
        counts = [int(m) for line in lines for m in re.findall(r"\bnodes (\d+)", line)]
        return (max(counts) if counts else 0), cpu


class XboardPeer(Engine):
    def __init__(self, name):
        super().__init__([f"/usr/games/{name}", "-x"])
        self.send("xboard")
        self.send("protover 2")
        self.read_until(r"feature .*done=1")

    def search(self, fen, depth):
        for line in ("new", "book off", "force", f"setboard {fen}", "post", f"sd {depth}", "ping 1"):
            self.send(line)
        self.read_until(r"pong 1")
        lines, cpu = self.timed("go", r"(move \S+|1-0|0-1|1/2-1/2)")
        # Thinking lines: ply score centiseconds nodes pv; nodes count up through the search.
        counts = [int(m.group(1)) for line in lines for m in [re.match(r"\s*\d+\s+-?\d+\s+\d+\s+(\d+)\s", line)] if m]
        return (max(counts) if counts else 0), cpu


class Obrantule:
    """One obrantule-dev process per search (each search starts from cleared tables)."""

    def __init__(self, build):
        self.exe = os.path.join(build, "bin", "obrantule-dev")

    def search(self, fen, depth):
        out = subprocess.run([self.exe, "search", "--hash", str(HASH_MB), "--depth", str(depth), fen],
                             check=True, capture_output=True, text=True).stdout
        m = re.search(r"^all nodes (\d+) cpu ([\d.]+) s$", out, re.M)
        if not m:
            raise RuntimeError("obrantule-dev search printed no node count")
        return int(m.group(1)), float(m.group(2))

    def close(self):
        pass


def start_engine(name, build, baseline=None):
    if name == "obrantule":
        return Obrantule(build)
    if name == "baseline":
        return Obrantule(baseline)
    if name == "glaurung":
        return UciPeer(name, [("Threads", 1), ("Hash", HASH_MB), ("OwnBook", "false")])
    if name == "toga2":
        return UciPeer(name, [("Number of Threads", 1), ("Hash", HASH_MB), ("OwnBook", "false")])
    return XboardPeer(name)


def available(name, build, baseline=None):
    if name in ("obrantule", "baseline"):
        return os.path.exists(os.path.join(build if name == "obrantule" else baseline, "bin", "obrantule-dev"))
    return os.path.exists(f"/usr/games/{name}")


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def quartiles(values):
    if len(values) < 2:
        return values[0], values[0]
    q = statistics.quantiles(values, n=4, method="inclusive")
    return q[0], q[2]


def calibrate(names, positions, build, target):
    """Smallest depth per engine and position whose search takes at least target CPU seconds."""
    print(f"# depths for searches of at least {target} s of processor time (load {load_average()})")
    table = {}
    for name in names:
        engine = start_engine(name, build)
        for pos, fen in positions:
            depth, cpu = 1, 0.0
            while depth < MAX_DEPTH:
                _, cpu = engine.search(fen, depth)
                if cpu >= target:
                    break
                depth += 1
            table.setdefault(pos, {})[name] = depth
            print(f"# {name:10} {pos:22} depth {depth:2d} {cpu:6.2f} s", file=sys.stderr, flush=True)
        engine.close()
    print("DEPTHS = {")
    for pos, _ in positions:
        print(f'    "{pos}": ({", ".join(str(table[pos].get(n, DEPTHS[pos][ENGINES.index(n)])) for n in ENGINES)}),')
    print("}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build"), help="build tree of obrantule-dev")
    parser.add_argument("--baseline", help="build tree of a second obrantule-dev to compare with")
    parser.add_argument("--reps", type=int, default=None, help="repetitions (default 3, quick 1)")
    parser.add_argument("--quick", action="store_true", help="every depth 2 lower, 1 repetition")
    parser.add_argument("--depth-offset", type=int, default=0, help="added to every depth")
    parser.add_argument("--engines", default=",".join(ENGINES), help="comma-separated subset of " + ",".join(ENGINES))
    parser.add_argument("--positions", default="", help="regular expression selecting positions by name")
    parser.add_argument("--calibrate", type=float, metavar="SECONDS", help="find and print depths instead")
    parser.add_argument("--verbose", action="store_true", help="print every search")
    args = parser.parse_args()

    positions = bench_positions() + EXTRA_POSITIONS
    if args.positions:
        positions = [(n, f) for n, f in positions if re.search(args.positions, n)]
    names = [n for n in args.engines.split(",") if n]
    for name in names:
        if name not in ENGINES:
            parser.error(f"unknown engine {name}")
    if args.baseline:
        names.insert(1, "baseline")
    missing = [n for n in names if not available(n, args.build, args.baseline)]
    for name in missing:
        print(f"{name}: not found, left out (apt-get install {name}, or build obrantule-dev)", file=sys.stderr)
    names = [n for n in names if n not in missing]
    if "obrantule" not in names:
        sys.exit("obrantule-dev is needed: build it or pass --build")
    if args.calibrate:
        calibrate(names, positions, args.build, args.calibrate)
        return

    reps = args.reps if args.reps is not None else (1 if args.quick else 3)
    offset = args.depth_offset - (2 if args.quick else 0)
    column = {n: ENGINES.index("obrantule" if n == "baseline" else n) for n in names}
    depth = {(n, p): min(MAX_DEPTH, max(1, DEPTHS[p][column[n]] + offset)) for n in names for p, _ in positions}
    load_before = load_average()
    start = time.monotonic()

    # nps[name][pos] = list over repetitions; nodes and cpu kept for the summary.
    nps = {n: {p: [] for p, _ in positions} for n in names}
    cpu_total = {n: 0.0 for n in names}
    for rep in range(reps):
        order = names[rep % len(names):] + names[:rep % len(names)]
        for name in order:
            engine = start_engine(name, args.build, args.baseline)
            for pos, fen in positions:
                nodes, cpu = engine.search(fen, depth[name, pos])
                nps[name][pos].append(nodes / cpu if cpu > 0 else 0.0)
                cpu_total[name] += cpu
                if args.verbose:
                    print(f"rep {rep + 1} {name:10} {pos:22} depth {depth[name, pos]:2d} nodes {nodes:10d} "
                          f"cpu {cpu:6.2f} s  nps {nps[name][pos][-1]:10.0f}", flush=True)
            engine.close()

    def figure(name, rep=None):
        per_position = [statistics.median(v) if rep is None else v[rep] for v in nps[name].values()]
        return statistics.median(per_position)

    print(f"{len(positions)} positions, {reps} repetition(s), one thread and {HASH_MB} MB hash each, "
          f"depth offset {offset:+d}")
    print(f"load average before {load_before}, after {load_average()}; "
          f"wall time {time.monotonic() - start:.0f} s")
    print(f"{'engine':10} {'median nps (cpu)':>17} {'cpu s':>8}")
    for name in names:
        print(f"{name:10} {figure(name):17.0f} {cpu_total[name]:8.1f}")
    for name in [n for n in names if n != "obrantule"]:
        ratio = figure("obrantule") / figure(name)
        per_rep = [figure("obrantule", r) / figure(name, r) for r in range(reps)]
        per_pos = [statistics.median(nps["obrantule"][p]) / statistics.median(nps[name][p]) for p, _ in positions]
        q1, q3 = quartiles(per_pos)
        print(f"obrantule/{name:9} {ratio:5.2f}  repetitions {min(per_rep):.2f}-{max(per_rep):.2f}  "
              f"positions (quartiles) {q1:.2f}-{q3:.2f}")
    peers = [n for n in names if n in PEERS]
    if peers:
        fastest = max(peers, key=figure)
        print(f"fastest peer: {fastest}; obrantule/{fastest} = {figure('obrantule') / figure(fastest):.2f}")


if __name__ == "__main__":
    main()
