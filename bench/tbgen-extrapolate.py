#!/usr/bin/env python3
"""Extrapolates the time to generate every five-man table from a sample.

Reads the "gen" lines of bench/tbgen-sample.sh's DIR/sample.txt, takes for
each shape of class (pawnless 4+1, pawnless 3+2, one pawn, pawns on one side
only, pawns on both sides) the entries made per CPU second over the sampled
classes of that shape, and applies it to the listed sizes of every five-man
class. A shape without a sample borrows the rate of the closest one that has
one (printed as such).

usage: bench/tbgen-extrapolate.py DIR/sample.txt [CORES]
"""
import os
import re
import sys

SHAPES = ["pawnless 4+1", "pawnless 3+2", "one pawn", "pawns on one side", "pawns on both sides"]
# Where a shape has no sample: the shapes to borrow from, nearest first.
BORROW = {
    "pawnless 4+1": ["pawnless 3+2"],
    "pawnless 3+2": ["pawnless 4+1"],
    "one pawn": ["pawns on one side", "pawns on both sides"],
    "pawns on one side": ["one pawn", "pawns on both sides"],
    "pawns on both sides": ["pawns on one side", "one pawn"],
}


def shape(name):
    second = name.index("k", 1)
    white, black = name[1:second], name[second + 1:]
    pawns = (white.count("p"), black.count("p"))
    if pawns == (0, 0):
        return "pawnless 4+1" if len(white) == 3 or len(black) == 3 else "pawnless 3+2"
    if sum(pawns) == 1:
        return "one pawn"
    return "pawns on both sides" if min(pawns) > 0 else "pawns on one side"


def listed_classes(root):
    text = open(os.path.join(root, "adapter", "tablebase", "tablebase_classes.cpp")).read()
    classes = {}
    for name, white, black in re.findall(r'TB_CLASS\(\s*\d+,\s*"(k[kqrbnp]*)",\s*(\d+)u?,\s*(\d+)u?', text):
        if len(name) == 5:
            classes[name] = int(white) + int(black)
    return classes


def main():
    if len(sys.argv) < 2 or sys.argv[1] in ("-h", "--help"):
        print(__doc__.strip())
        return 0 if len(sys.argv) >= 2 else 2
    cores = int(sys.argv[2]) if len(sys.argv) > 2 else 2
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    classes = listed_classes(root)
    entries, cpu, sampled = {s: 0 for s in SHAPES}, {s: 0.0 for s in SHAPES}, {s: [] for s in SHAPES}
    for line in open(sys.argv[1]):
        m = re.match(r"(k\w+)\s+gen\s+wall\s+([\d.]+) s\s+cpu\s+([\d.]+) s.*entries (\d+)", line)
        if not m or m.group(1) not in classes:
            continue
        s = shape(m.group(1))
        entries[s] += int(m.group(4))
        cpu[s] += float(m.group(3))
        sampled[s].append(m.group(1))
    total_cpu = 0.0
    print(f"{'shape':<20} {'classes':>7} {'entries':>14} {'sampled':>8} {'M entries/CPU s':>16} {'CPU hours':>9}")
    for s in SHAPES:
        names = [c for c in classes if shape(c) == s]
        size = sum(classes[c] for c in names)
        source = s if cpu[s] > 0 else next((b for b in BORROW[s] if cpu[b] > 0), None)
        if source is None:
            print(f"{s:<20} {len(names):>7} {size:>14,} {'-':>8} {'no sample':>16}")
            continue
        rate = entries[source] / cpu[source]
        hours = size / rate / 3600
        total_cpu += hours
        note = "" if source == s else f"  (rate of {source})"
        print(f"{s:<20} {len(names):>7} {size:>14,} {len(sampled[s]):>8} {rate / 1e6:>16.2f} {hours:>9.2f}{note}")
    print(f"all {len(classes)} five-man classes: {total_cpu:.2f} CPU hours, "
          f"{total_cpu / cores:.2f} hours of wall time on {cores} cores if both are kept busy")
    return 0


if __name__ == "__main__":
    sys.exit(main())
