#!/usr/bin/env python3
"""Counts the non-blank lines of test code and of the other code, and the
share of the one in the other.

Counted: the files git tracks ending in .cpp .h .c .js .mjs .py .sh .cmake,
and CMakeLists.txt; not node_modules, nor the generated tables
(platform/font_glyphs.inc, tools/gb18030_table.inc).  Test code is what lies
under tests/, fuzz/ and solver/tests/; other code is the rest.

usage: scripts/code_share.py [--max PERCENT] [REV]
With REV, counts the files of that commit instead of the working tree.  With
--max, exits 1 when the share is above PERCENT.
"""
import argparse
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ENDINGS = (".cpp", ".h", ".c", ".js", ".mjs", ".py", ".sh", ".cmake")
GENERATED = {"platform/font_glyphs.inc", "tools/gb18030_table.inc"}
TEST_DIRS = ("tests/", "fuzz/", "solver/tests/")


def counted(path):
    if path in GENERATED or "node_modules/" in path:
        return False
    return path.endswith(ENDINGS) or os.path.basename(path) == "CMakeLists.txt"


def git(*args):
    return subprocess.run(["git", "-C", ROOT, *args], check=True, capture_output=True).stdout


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("rev", nargs="?", help="a commit to count instead of the working tree")
    ap.add_argument("--max", type=float, help="fail when the share is above this percentage")
    args = ap.parse_args()

    if args.rev:
        paths = git("ls-tree", "-r", "--name-only", "-z", args.rev).decode().split("\0")
    else:
        paths = git("ls-files", "-z").decode().split("\0")
    tests = other = 0
    for path in filter(counted, filter(None, paths)):
        if args.rev:
            data = git("show", f"{args.rev}:{path}")
        else:
            full = os.path.join(ROOT, path)
            if not os.path.isfile(full):
                continue  # deleted but not yet committed
            data = open(full, "rb").read()
        lines = sum(1 for line in data.decode("utf-8", "replace").splitlines() if line.strip())
        if path.startswith(TEST_DIRS):
            tests += lines
        else:
            other += lines
    share = 100.0 * tests / other if other else 0.0
    print(f"test code  {tests:6d} non-blank lines")
    print(f"other code {other:6d} non-blank lines")
    print(f"share      {share:6.1f}%")
    if args.max is not None and share > args.max:
        sys.exit(f"the test code is {share:.1f}% of the other code, more than {args.max}%")


if __name__ == "__main__":
    main()
