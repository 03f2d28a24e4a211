#!/usr/bin/env python3
"""The solver on the classical collections, against the books and GNU Go.

For each section of Gokyo Shumyo (living, killing, ko, capturing races,
oiotoshi, connecting, various) and for Xuanxuan Qijing it prints the share of
problems whose book first move the solver proves correct, how many it proves
wrong and how many stay unproven; the median, 95th percentile and maximum
solve time (to the verdict on the book's move), and the median time to settle
every first move; nodes per second and peak memory; and GNU Go's owl_attack /
owl_defend on the same positions, with its time and its agreement with the
book.

    python3 bench/solver_bench.py [--tool PATH] [--budget MS] [--sample N] [--section NAME]... [--no-gnugo]

--tool may be a command with arguments ("node build-web/tools/vostra-problems.js").
The collections are read from ../shared/corpus/classical (relative to the
project's root), or from --corpus.  They are test data only: nothing of them
is written into the project.
"""

import argparse
import json
import os
import re
import resource
import shlex
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GOKYO_SECTIONS = [("living", 1, 103), ("killing", 104, 174), ("ko", 175, 264), ("capturing races", 265, 360),
                  ("oiotoshi", 361, 400), ("connecting", 401, 494), ("various", 495, 520)]
RANK = {"unconditional": 3, "seki": 2, "ko": 1, "fails": 0}
GTP_LETTERS = "ABCDEFGHJKLMNOPQRSTUVWXYZ"


def number_of(path):
    m = re.search(r"(\d+)\.sgf$", path)
    return int(m.group(1)) if m else 0


def verdict(p):
    """correct, wrong or unproven: the book's first move against the solver."""
    result, book = p.get("result"), p.get("bookResult", "none")
    if result not in RANK or p.get("bookColour") != p.get("toPlay"):
        return "unproven"
    if result == "fails":
        # Nothing works: the book's move is proven not to reach the goal.
        return "wrong"
    if book not in RANK:
        return "unproven"
    return "correct" if RANK[book] >= RANK[result] else "wrong"


def percentile(values, q):
    if not values:
        return 0.0
    v = sorted(values)
    k = min(len(v) - 1, max(0, int(round(q * (len(v) - 1)))))
    return v[k]


class Gnugo:
    """A GTP session with GNU Go for owl_attack / owl_defend."""

    def __init__(self, exe):
        self.p = subprocess.Popen([exe, "--mode", "gtp", "--quiet"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  universal_newlines=True)

    def ask(self, cmd):
        self.p.stdin.write(cmd + "\n")
        self.p.stdin.flush()
        lines = []
        while True:
            line = self.p.stdout.readline()
            if line == "":
                raise RuntimeError("GNU Go ended")
            if line.strip() == "" and lines:
                break
            if line.strip():
                lines.append(line.strip())
        return lines[0]

    def close(self):
        try:
            self.ask("quit")
        except Exception:
            pass
        self.p.wait(timeout=10)


def vertex(point, size):
    x, y = ord(point[0]) - 97, ord(point[1]) - 97
    return "%s%d" % (GTP_LETTERS[x], size - y)


def read_setup(path):
    """Size and setup stones of an SGF file's root, enough for GNU Go."""
    data = open(path, "rb").read().decode("latin-1")
    size = 19
    m = re.search(r"SZ\[(\d+)\]", data)
    if m:
        size = int(m.group(1))
    first = data.find(";", data.find(";") + 1)
    root = data if first < 0 else data[:first]
    stones = []
    for colour, ident in (("black", "AB"), ("white", "AW")):
        for m in re.finditer(ident + r"((?:\s*\[[a-s]{2}\])+)", root):
            for pt in re.findall(r"\[([a-s]{2})\]", m.group(1)):
                stones.append((colour, pt))
    return size, stones


def owl(gnugo, p):
    """GNU Go's verdict: (agrees with the book, seconds) or None when it cannot be asked."""
    targets = p.get("goal", {}).get("targets", [])
    if not targets or p.get("bookColour") != p.get("toPlay") or not p.get("book"):
        return None
    size, stones = read_setup(p["file"])
    if size > 19:
        return None
    gnugo.ask("boardsize %d" % size)
    gnugo.ask("clear_board")
    for colour, pt in stones:
        gnugo.ask("play %s %s" % (colour, vertex(pt, size)))
    own = p["goal"]["kind"] in ("live", "escape", "connect")
    start = time.time()
    answer = gnugo.ask("%s %s" % ("owl_defend" if own else "owl_attack", vertex(targets[0], size)))
    seconds = time.time() - start
    parts = answer.lstrip("= ").split()
    agrees = len(parts) >= 2 and parts[0] != "0" and parts[1].upper() == vertex(p["book"], size)
    return agrees, seconds


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--tool", default=os.path.join(ROOT, "build", "tools", "vostra-problems"))
    ap.add_argument("--corpus", default=os.path.join(ROOT, "..", "shared", "corpus", "classical"))
    ap.add_argument("--budget", type=int, default=30000, help="solver time per problem in ms (default 30000)")
    ap.add_argument("--sample", type=int, default=0, help="every Nth problem only")
    ap.add_argument("--section", action="append", default=[],
                    help="only these sections: living, killing, ko, ..., xuanxuan (may be repeated)")
    ap.add_argument("--no-gnugo", action="store_true")
    ap.add_argument("--gnugo", default=os.environ.get("GNUGO", "/usr/games/gnugo"))
    ap.add_argument("--json-out", help="keep the solver's JSON lines in this file")
    args = ap.parse_args()

    corpus = os.path.normpath(args.corpus)
    books = [("gokyo-shumyo", "Gokyo Shumyo"), ("xuanxuan-qijing", "Xuanxuan Qijing")]
    if not os.path.isdir(corpus) or not all(os.path.isdir(os.path.join(corpus, b)) for b, _ in books):
        sys.exit("solver_bench: the corpus is missing: %s should hold gokyo-shumyo/ and xuanxuan-qijing/ "
                 "(the benchmark needs ../shared/corpus beside the project)" % corpus)
    tool = shlex.split(args.tool)
    if not os.path.exists(tool[-1]):
        sys.exit("solver_bench: no tool at %s (build the target vostra-problems, or give --tool)" % args.tool)

    known = [name for name, _, _ in GOKYO_SECTIONS] + ["xuanxuan"]
    for name in args.section:
        if name not in known:
            sys.exit("solver_bench: no section %r (sections: %s)" % (name, ", ".join(known)))

    def wanted(book, name):
        if not args.section:
            return True
        if book == "xuanxuan-qijing":
            return "xuanxuan" in args.section
        n = number_of(name)
        return any(lo <= n <= hi for sec, lo, hi in GOKYO_SECTIONS if sec in args.section)

    files = []
    for book, _ in books:
        names = sorted((f for f in os.listdir(os.path.join(corpus, book))
                        if f.endswith(".sgf") and wanted(book, f)), key=number_of)
        if args.sample > 1:
            names = names[::args.sample]
        files += [os.path.join(corpus, book, f) for f in names]

    start = time.time()
    out = subprocess.run(tool + ["solve", "--json", "--budget", str(args.budget)] + files, stdout=subprocess.PIPE,
                         universal_newlines=True)
    wall = time.time() - start
    problems = [json.loads(line) for line in out.stdout.splitlines() if line.startswith("{")]
    if args.json_out:
        with open(args.json_out, "w") as f:
            f.write(out.stdout)
    rss = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024.0

    gnugo = None
    if not args.no_gnugo and os.path.exists(args.gnugo):
        gnugo = Gnugo(args.gnugo)
    owl_results = {}
    if gnugo:
        for p in problems:
            try:
                owl_results[id(p)] = owl(gnugo, p)
            except RuntimeError:
                gnugo = None
                break
        if gnugo:
            gnugo.close()

    def section_of(p):
        path = p["file"]
        if "gokyo-shumyo" in path:
            n = number_of(path)
            for name, lo, hi in GOKYO_SECTIONS:
                if lo <= n <= hi:
                    return "Gokyo Shumyo, " + name
        return "Xuanxuan Qijing"

    order = ["Gokyo Shumyo, " + s[0] for s in GOKYO_SECTIONS] + ["Xuanxuan Qijing", "Gokyo living + killing"]
    groups = {name: [] for name in order}
    for p in problems:
        groups[section_of(p)].append(p)
    groups["Gokyo living + killing"] = groups["Gokyo Shumyo, living"] + groups["Gokyo Shumyo, killing"]

    print("solver: %s, budget %d ms per problem, %d problems, %.1f s wall" % (" ".join(tool), args.budget,
                                                                          len(problems), wall))
    head = "%-30s %5s %8s %6s %9s %9s %9s %9s %10s  %s" % ("section", "n", "correct", "wrong", "unproven", "median",
                                                           "p95", "max", "all moves", "GNU Go owl: agrees, median")
    print(head)
    print("-" * len(head))
    for name in order:
        ps = groups[name]
        if not ps:
            continue
        v = [verdict(p) for p in ps]
        # The solve time is the time to the verdict: the position's result and
        # the book move's, whichever came later ("bookMs"); "all" is the time
        # to settle every first move as well.
        times = [p.get("bookMs", p["ms"]) for p in ps if p.get("limit") != "model"]
        all_times = [p["ms"] for p in ps if p.get("limit") != "model"]
        owls = [owl_results.get(id(p)) for p in ps]
        asked = [o for o in owls if o]
        owl_text = "-"
        if asked:
            owl_text = "%5.1f%% of %d, %.0f ms" % (100.0 * sum(1 for a, _ in asked if a) / len(asked), len(asked),
                                                   1000 * statistics.median(s for _, s in asked))
        print("%-30s %5d %7.1f%% %6d %9d %7.1f ms %7.1f ms %7.0f ms %7.0f ms  %s" % (
            name, len(ps), 100.0 * v.count("correct") / len(ps), v.count("wrong"), v.count("unproven"),
            statistics.median(times) if times else 0, percentile(times, 0.95), max(times) if times else 0,
            statistics.median(all_times) if all_times else 0, owl_text))
    nodes = sum(p.get("nodes", 0) for p in problems)
    ms = sum(p.get("ms", 0) for p in problems)
    peak = max([p.get("peakBytes", 0) for p in problems] or [0])
    model = sum(1 for p in problems if p.get("limit") == "model")
    print()
    print("nodes per second: %.0f (%d nodes in %.1f s of solving)" % (nodes / (ms / 1000.0) if ms else 0, nodes,
                                                                       ms / 1000.0))
    print("peak memory: %.1f MB in the solver's tables, %.1f MB resident for the tool" % (peak / 1048576.0, rss))
    print("not expressible (open positions, connect/cut goals): %d of %d" % (model, len(problems)))
    all_owl = [o for o in owl_results.values() if o]
    if all_owl:
        print("GNU Go: %d positions asked, %.1f s in all, agrees with the book on %.1f%%" % (
            len(all_owl), sum(s for _, s in all_owl), 100.0 * sum(1 for a, _ in all_owl if a) / len(all_owl)))
    elif not args.no_gnugo:
        print("GNU Go: not found at %s" % args.gnugo)


if __name__ == "__main__":
    main()
