#!/usr/bin/env python3
"""Search speed of Obrantule next to two classical engines from Debian.

In one sitting, searches the positions of `obrantule-dev bench` with
Obrantule (`obrantule-dev bench DEPTH`), with glaurung (UCI, `go depth`) and
with hoichess (xboard, `sd`, book off), each single-threaded, and prints the
nodes per second of each engine and Obrantule's ratios to the other two.

Speed is nodes per second of CPU time of the engine process (read from
/proc), so that a busy machine slows all three alike; the wall-clock figure
is shown beside it. The depths are chosen so that the three spend comparable
time; change them with the options.

    bench/compare-engines.py [--build build] [--depth 8] [--glaurung-depth 11]
                             [--hoichess-depth 9]

Needs `apt-get install glaurung hoichess` (installed under /usr/games).
"""
import argparse
import os
import re
import resource
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TICKS = os.sysconf("SC_CLK_TCK")


def bench_positions():
    """The FENs of bench/bench_positions.h, in order."""
    path = os.path.join(HERE, "bench_positions.h")
    with open(path) as f:
        return re.findall(r'\{"([^"]+)", "([^"]+)"\}', f.read())


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


class Engine:
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

    def close(self):
        try:
            self.send("quit")
            self.proc.wait(timeout=5)
        except Exception:
            self.proc.kill()


def run_obrantule(build, depth):
    exe = os.path.join(build, "bin", "obrantule-dev")
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    out = subprocess.run([exe, "bench", str(depth)], check=True, capture_output=True, text=True).stdout
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    nodes = int(re.search(r"All nodes: (\d+)", out).group(1))
    search_ms = sum(int(m) for m in re.findall(r"time +(\d+) ms", out))
    return nodes, cpu, wall, search_ms / 1000.0


def run_glaurung(positions, depth):
    engine = Engine(["/usr/games/glaurung"])
    engine.send("uci")
    engine.read_until(r"uciok")
    engine.send("setoption name Threads value 1")
    engine.send("setoption name Hash value 32")
    engine.send("setoption name OwnBook value false")
    engine.send("isready")
    engine.read_until(r"readyok")
    nodes = 0
    cpu = 0.0
    wall = 0.0
    for _, fen in positions:
        engine.send("ucinewgame")
        engine.send(f"position fen {fen}")
        engine.send("isready")
        engine.read_until(r"readyok")
        c0, w0 = cpu_seconds(engine.proc.pid), time.monotonic()
        engine.send(f"go depth {depth}")
        lines = engine.read_until(r"bestmove")
        cpu += cpu_seconds(engine.proc.pid) - c0
        wall += time.monotonic() - w0
        counts = [int(m) for line in lines for m in re.findall(r"\bnodes (\d+)", line)]
        nodes += max(counts) if counts else 0
    engine.close()
    return nodes, cpu, wall


def run_hoichess(positions, depth):
    engine = Engine(["/usr/games/hoichess", "-x"])
    engine.send("xboard")
    engine.send("protover 2")
    engine.read_until(r"feature .*done=1")
    nodes = 0
    cpu = 0.0
    wall = 0.0
    for _, fen in positions:
        engine.send("new")
        engine.send("book off")
        engine.send("force")
        engine.send(f"setboard {fen}")
        engine.send("post")
        engine.send(f"sd {depth}")
        engine.send("ping 1")
        engine.read_until(r"pong 1")
        c0, w0 = cpu_seconds(engine.proc.pid), time.monotonic()
        engine.send("go")
        lines = engine.read_until(r"(move \S+|1-0|0-1|1/2-1/2)")
        cpu += cpu_seconds(engine.proc.pid) - c0
        wall += time.monotonic() - w0
        # Thinking lines: ply score centiseconds nodes pv; nodes count up through the search.
        counts = [int(m.group(1)) for line in lines for m in [re.match(r"\s*\d+\s+-?\d+\s+\d+\s+(\d+)\s", line)] if m]
        nodes += max(counts) if counts else 0
    engine.close()
    return nodes, cpu, wall


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    parser.add_argument("--depth", type=int, default=8)
    parser.add_argument("--glaurung-depth", type=int, default=11)
    parser.add_argument("--hoichess-depth", type=int, default=9)
    args = parser.parse_args()

    positions = bench_positions()
    results = {}
    nodes, cpu, wall, _ = run_obrantule(args.build, args.depth)
    results["obrantule"] = (nodes, cpu, wall)
    for name, run, depth in (("glaurung", run_glaurung, args.glaurung_depth),
                             ("hoichess", run_hoichess, args.hoichess_depth)):
        if not os.path.exists(f"/usr/games/{name}"):
            print(f"{name}: not installed (apt-get install {name})", file=sys.stderr)
            continue
        results[name] = run(positions, depth)

    print(f"{len(positions)} positions, one thread each")
    print(f"{'engine':10} {'nodes':>12} {'cpu s':>8} {'wall s':>8} {'nps (cpu)':>12} {'nps (wall)':>12}")
    speed = {}
    for name, (nodes, cpu, wall) in results.items():
        speed[name] = nodes / cpu if cpu > 0 else 0.0
        print(f"{name:10} {nodes:12d} {cpu:8.2f} {wall:8.2f} {speed[name]:12.0f} {nodes / wall if wall else 0:12.0f}")
    for name in ("glaurung", "hoichess"):
        if name in speed and speed[name] > 0:
            print(f"ratio obrantule/{name}: {speed['obrantule'] / speed[name]:.2f}")
    others = [speed[n] for n in ("glaurung", "hoichess") if n in speed]
    if others:
        print(f"ratio to the faster of the two: {speed['obrantule'] / max(others):.2f}")


if __name__ == "__main__":
    main()
