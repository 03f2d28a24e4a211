#!/usr/bin/env python3
"""Seeds the game logic with single mistakes and counts how many the test suite
catches.

Each mutant changes one place in one source file of the game logic (game/, board/,
problems/, rules/, solving/, view/, control/ by default): a comparison turned around
(< and >=, > and <=, == and !=), && for || and back, a whole-number constant
one higher, true for false and back.  The kind of mistake is drawn evenly,
then one of its places, with a fixed seed, so the same seed gives the same mistakes on the same
sources.  For each mutant the script rebuilds a private copy of the tree,
runs ctest there, and records whether some test failed (caught), none did
(survived), or the mutant did not build (not counted).

usage: scripts/mutants.py [--count N] [--seed S] [--jobs J] [--json OUT]
                          [--replay EARLIER.json] [--ctest-args "..."] [DIR...]

With --replay, the mutants of an earlier run are applied again instead of
drawing new ones: each is found by its file, the code of its line and its
operator (and its column, where the earlier run recorded one), so the
comparison holds when code has moved within a file or between lines.  A
mutant whose file has moved is looked for in every file with that name.

The working tree is never changed: the sources are copied to a scratch
folder (--work, default a temporary one) and mutated there.
"""
import argparse
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_DIRS = ["game", "board", "problems", "rules", "solving", "view", "control"]

# (name, pattern, replacement); patterns are matched on code with comments
# and literals blanked out, so they never touch text inside them.
OPERATORS = [
    ("flip <", re.compile(r"(?<![<>=!-])<(?![<=])"), ">="),
    ("flip >=", re.compile(r"(?<![<>])>=(?!=)"), "<"),
    ("flip >", re.compile(r"(?<![<>=-])>(?![>=])"), "<="),
    ("flip <=", re.compile(r"(?<![<>])<=(?!=)"), ">"),
    ("flip ==", re.compile(r"(?<![=!<>])==(?!=)"), "!="),
    ("flip !=", re.compile(r"!=(?!=)"), "=="),
    ("&& for ||", re.compile(r"\|\|"), "&&"),
    ("|| for &&", re.compile(r"&&"), "||"),
    ("true for false", re.compile(r"\bfalse\b"), "true"),
    ("false for true", re.compile(r"\btrue\b"), "false"),
    ("constant + 1", re.compile(r"(?<![\w.])(\d+)(?![\w.'])"), None),
]


KINDS = {op: ("comparison" if op.startswith("flip") else "logic" if "for ||" in op or "for &&" in op
               else "constant" if op.startswith("constant") else "boolean")
         for op, _, _ in OPERATORS}


def blank_code(text):
    """The text with comments, string and character literals replaced by
    spaces (line breaks kept), so that offsets stay the same."""
    out = list(text)
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            for k in range(i, j):
                out[k] = " "
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            for k in range(i, j):
                if out[k] != "\n":
                    out[k] = " "
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            for k in range(i, min(j + 1, n)):
                out[k] = " "
            i = j + 1
        else:
            i += 1
    return "".join(out)


def candidates(dirs):
    """Every place a mutant can go: (path, offset, length, replacement, op)."""
    found = []
    for d in dirs:
        base = os.path.join(ROOT, d)
        for name in sorted(os.listdir(base)):
            if not name.endswith(".cpp"):
                continue
            path = os.path.join(d, name)
            text = open(os.path.join(ROOT, path), encoding="utf-8").read()
            code = blank_code(text)
            # Preprocessor lines and templates' angle brackets are left alone.
            masked = re.sub(r"^[ \t]*#.*$", lambda m: " " * len(m.group(0)), code, flags=re.M)
            masked = re.sub(r"\b(?:template|static_cast|reinterpret_cast|const_cast|std::\w+)\s*<[^;{}()]*?>",
                            lambda m: " " * len(m.group(0)), masked)
            masked = masked.replace("->", "  ")
            for op, pattern, repl in OPERATORS:
                for m in pattern.finditer(masked):
                    if repl is None:
                        value = m.group(1)
                        found.append((path, m.start(), len(value), str(int(value) + 1), op))
                    else:
                        found.append((path, m.start(), len(m.group(0)), repl, op))
    return found


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def run(cmd, cwd, log, timeout):
    with open(log, "a") as f:
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=f, stderr=subprocess.STDOUT, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return "timeout"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("dirs", nargs="*", default=DEFAULT_DIRS)
    ap.add_argument("--count", type=int, default=40)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    ap.add_argument("--json", help="write the results here")
    ap.add_argument("--work", help="scratch folder (kept, so later runs build faster)")
    ap.add_argument("--ctest-args", default="", help="extra arguments for ctest, e.g. \"-E problem_goals\"")
    ap.add_argument("--replay", help="apply the mutants of this earlier --json run instead of drawing new ones")
    ap.add_argument("--test-timeout", type=int, default=600, help="seconds for one suite run")
    args = ap.parse_args()

    places = candidates(args.dirs)
    if args.replay:
        chosen, missing = replayed(args.replay, places)
        for m in missing:
            print(f"not found again: {m['file']}:{m['line']} {m['operator']}: {m['code']}")
        args.seed = json.load(open(args.replay)).get("seed")
        args.count = len(chosen)
    else:
        chosen = drawn(places, args)
    print(f"{len(places)} places in {', '.join(args.dirs)}; {len(chosen)} mutants"
          + (f" replayed from {args.replay}" if args.replay else f" with seed {args.seed}"))
    run_all(chosen, args)


def drawn(places, args):
    rng = random.Random(args.seed)
    # Constants far outnumber the other places: draw the kind of mistake
    # first, evenly, then a place of that kind.
    groups = {}
    for place in places:
        groups.setdefault(KINDS[place[4]], []).append(place)
    for g in groups.values():
        rng.shuffle(g)
    chosen = []
    while len(chosen) < args.count and any(groups.values()):
        kind = rng.choice(sorted(k for k, g in groups.items() if g))
        chosen.append(groups[kind].pop())
    return chosen


def replayed(path, places):
    """The places of an earlier run's mutants, in its order, and the mutants
    not found again."""
    texts = {}

    def text_of(file):
        if file not in texts:
            texts[file] = open(os.path.join(ROOT, file), encoding="utf-8").read()
        return texts[file]

    chosen, missing = [], []
    for m in json.load(open(path))["mutants"]:
        name = os.path.basename(m["file"])
        best = None
        for place in places:
            file, offset, length, repl, op = place
            if op != m["operator"] or repl != m["to"] or os.path.basename(file) != name:
                continue
            text = text_of(file)
            start = text.rfind("\n", 0, offset) + 1
            end = text.find("\n", offset)
            if text[start:end if end >= 0 else len(text)].strip() != m["code"] or text[offset:offset + length] != m["from"]:
                continue
            # Prefer the same file, then the recorded column, then the nearest line.
            score = (file != m["file"], "column" in m and offset - start + 1 != m["column"],
                     abs(line_of(text, offset) - m["line"]))
            if best is None or score < best[0]:
                best = (score, place)
        if best:
            chosen.append(best[1])
        else:
            missing.append(m)
    return chosen, missing


def run_all(chosen, args):

    work = args.work or tempfile.mkdtemp(prefix="vostra-mutants-")
    src, build = os.path.join(work, "src"), os.path.join(work, "build")
    log = os.path.join(work, "log.txt")
    if os.path.exists(src):
        shutil.rmtree(src)
    ignore = shutil.ignore_patterns(".git", "build*", "web-out", "node_modules")
    shutil.copytree(ROOT, src, ignore=ignore)
    cfg = ["cmake", "-S", src, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DVOSTRA_DESKTOP=OFF"]
    if shutil.which("ccache"):
        cfg += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    build_cmd = ["cmake", "--build", build, f"-j{args.jobs}"]
    test_cmd = ["ctest", f"-j{args.jobs}", "--stop-on-failure", "--timeout", "300"] + args.ctest_args.split()
    if run(cfg, work, log, 600) != 0 or run(build_cmd, work, log, 3600) != 0:
        sys.exit(f"the unchanged tree does not build; see {log}")
    if run(test_cmd, build, log, args.test_timeout) != 0:
        sys.exit(f"the unchanged tree fails its tests; see {log}")

    results = []
    counts = {"caught": 0, "survived": 0, "no build": 0}
    for i, (path, offset, length, repl, op) in enumerate(chosen, 1):
        file = os.path.join(src, path)
        original = open(file, encoding="utf-8").read()
        before = original[offset:offset + length]
        line = line_of(original, offset)
        column = offset - (original.rfind("\n", 0, offset) + 1) + 1
        mutated = original[:offset] + repl + original[offset + length:]
        start = time.time()
        try:
            open(file, "w", encoding="utf-8").write(mutated)
            if run(build_cmd, work, log, 1800) != 0:
                verdict = "no build"
            else:
                rc = run(test_cmd, build, log, args.test_timeout)
                verdict = "survived" if rc == 0 else "caught"
        finally:
            open(file, "w", encoding="utf-8").write(original)
        counts[verdict] += 1
        text = original.splitlines()[line - 1].strip()
        results.append({"file": path, "line": line, "column": column, "operator": op, "from": before, "to": repl,
                        "code": text, "verdict": verdict})
        print(f"[{i}/{len(chosen)}] {verdict:8} {path}:{line} {op}: {before} -> {repl}   "
              f"({time.time() - start:.0f} s)  {text}", flush=True)
    # Leave the scratch build matching the sources again.
    run(build_cmd, work, log, 3600)

    scored = counts["caught"] + counts["survived"]
    print(f"caught {counts['caught']} of {scored} mutants that built "
          f"({counts['no build']} did not build)")
    for r in results:
        if r["verdict"] == "survived":
            print(f"  survived: {r['file']}:{r['line']} {r['operator']}: {r['code']}")
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"seed": args.seed, "count": args.count, "counts": counts, "mutants": results}, f, indent=1)
    if not args.work:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
