#!/usr/bin/env python3
"""Checks the shipped problem collection with GNU Go as an independent reader.

For every problem file (problems/sgf/*.sgf by default) it verifies:
  * the form the collection keeps to: FF[4] GM[1] SZ[19] PL[B], a root comment
    that states the goal, stones marked TR[] as the goal's targets, moves that
    alternate Black and White from Black, every leaf marked Correct or Wrong,
    at most 499 nodes and depth 77;
  * that the tree can be solved in the trainer: below every Black move that
    leads to a solution, each White reply leads to a solution too (the trainer
    makes the user refute every stored defence in turn);
  * that every move of every line is legal (GNU Go refuses suicide, playing on
    a stone and retaking a ko at once);
  * that the goal holds after every Black move of a successful line, so each
    White defence stored in the tree is still answered by the tree's move, and
    at the end of every successful line;
  * that the goal does not hold at the end of a failed line, so the stored
    refutation really refutes.

The goal comes from the first words of the root comment:
  "Black to kill"      the White stones marked TR die;
  "Black to capture"   the White strings marked TR are captured (tactical reading);
  "Black to live"      the Black stones marked TR live;
  "Black to win the capturing race"
                       the marked White stones die and the marked Black stones live.
A comment that speaks of ko ("a ko is enough", "ko is the best Black can get")
lets a ko count as reaching the goal; one that speaks of seki lets Black's
marked stones live in seki, judged by GNU Go's dragon status since its
life-and-death reader does not recognise seki.

GNU Go reads each problem on a 19x19 board holding the problem's stones and
nothing else, as the trainer does. The trainer lets nobody play beyond the part
of the board it shows, so a problem must never need a move there; GNU Go,
which may play anywhere, is the stricter judge.

Exit status 0 when every problem passes, 1 otherwise.
"""

import argparse
import os
import re
import select
import subprocess
import sys

GNUGO = os.environ.get("GNUGO", "/usr/games/gnugo")
TIMEOUT = 60          # seconds GNU Go may spend on one question
GTP_LETTERS = "ABCDEFGHJKLMNOPQRST"
MAX_NODES = 499
MAX_DEPTH = 77
GOALS = ("Black to win the capturing race", "Black to kill", "Black to capture",
         "Black to live")

POINT = re.compile(r"[a-s][a-s]")

HOLDS, KO, FAILS = 2, 1, 0
VERDICT = {HOLDS: "goal reached", KO: "ko", FAILS: "goal not reached"}


class SgfError(Exception):
    pass


class Node:
    def __init__(self, parent=None):
        self.props = {}
        self.children = []
        self.parent = parent


def parse_sgf(text):
    """Parses the first game tree of an SGF text into Nodes; returns the root."""
    i, n = 0, len(text)
    root = None
    stack = []          # the node each open '(' will hang its variation from
    current = None
    while i < n:
        c = text[i]
        if c == "(":
            stack.append(current)
            i += 1
        elif c == ")":
            if not stack:
                raise SgfError("unbalanced ')'")
            current = stack.pop()
            i += 1
            if not stack:
                break
        elif c == ";":
            if not stack:
                raise SgfError("node outside a game tree")
            node = Node(current)
            if current is None:
                if root is not None:
                    raise SgfError("second root node")
                root = node
            else:
                current.children.append(node)
            current = node
            i += 1
        elif c.isupper():
            j = i
            while j < n and text[j].isalpha():
                j += 1
            ident = text[i:j]
            values = []
            i = j
            while True:
                while i < n and text[i].isspace():
                    i += 1
                if i >= n or text[i] != "[":
                    break
                i += 1
                value = []
                while i < n and text[i] != "]":
                    if text[i] == "\\" and i + 1 < n:
                        i += 1
                        if text[i] in "\r\n":      # soft line break: \n, \r, \r\n or \n\r
                            i += 2 if text[i:i + 2] in ("\r\n", "\n\r") else 1
                            continue
                    value.append(text[i])
                    i += 1
                if i >= n:
                    raise SgfError("unterminated value of " + ident)
                i += 1
                values.append("".join(value))
            if current is None or not values:
                raise SgfError("stray property " + ident)
            current.props.setdefault(ident, []).extend(values)
        else:
            i += 1
    if root is None or stack:
        raise SgfError("no complete game tree")
    return root


def expand_points(values):
    points = []
    for v in values:
        if ":" in v:
            a, b = v.split(":")
            for col in range(min(ord(a[0]), ord(b[0])), max(ord(a[0]), ord(b[0])) + 1):
                for row in range(min(ord(a[1]), ord(b[1])), max(ord(a[1]), ord(b[1])) + 1):
                    points.append(chr(col) + chr(row))
        else:
            points.append(v)
    return points


def to_gtp(p):
    if p in ("", "tt"):
        return "pass"
    return GTP_LETTERS[ord(p[0]) - 97] + str(19 - (ord(p[1]) - 97))


def words(text):
    return set(re.findall(r"[a-z]+", text.lower()))


def leaf_is_correct(comment):
    w = words(comment)
    if w & {"wrong", "incorrect", "fail", "failure"}:
        return False
    return bool(w & {"correct", "right"})


class Gtp:
    """A GNU Go process spoken to over GTP. Replies are read from the raw pipe,
    so that a question GNU Go cannot finish in time is noticed."""

    def __init__(self):
        self.proc = subprocess.Popen([GNUGO, "--mode", "gtp", "--quiet"],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        self.pending = b""

    def send(self, command):
        self.proc.stdin.write(command.encode() + b"\n")
        self.proc.stdin.flush()
        fd = self.proc.stdout.fileno()
        while b"\n\n" not in self.pending:
            ready, _, _ = select.select([fd], [], [], TIMEOUT)
            if not ready:
                self.proc.kill()
                raise RuntimeError("GNU Go gave no answer within %d s to: %s" % (TIMEOUT, command))
            chunk = os.read(fd, 65536)
            if not chunk:
                raise RuntimeError("GNU Go stopped on: " + command)
            self.pending += chunk.replace(b"\r", b"")
        reply, self.pending = self.pending.split(b"\n\n", 1)
        reply = reply.decode().strip()
        return reply[:1] == "=", reply[1:].strip()

    def must(self, command):
        ok, reply = self.send(command)
        if not ok:
            raise RuntimeError(command + ": " + reply)
        return reply

    def colour_at(self, point):
        v = to_gtp(point)
        if v in self.must("list_stones black").split():
            return "B"
        if v in self.must("list_stones white").split():
            return "W"
        return None

    def code(self, command):
        reply = self.must(command).split()
        return int(reply[0]) if reply else 0

    def close(self):
        if self.proc.poll() is None:
            try:
                self.send("quit")
            except (RuntimeError, OSError):
                self.proc.kill()
        self.proc.wait()


def read_code(code):
    """GNU Go answers 0 (fails), 1 (succeeds), 2 or 3 (succeeds through ko)."""
    if code == 0:
        return FAILS
    if code == 1:
        return HOLDS
    return KO


class Problem:
    def __init__(self, name, text):
        self.name = name
        self.root = parse_sgf(text)
        self.errors = []
        self.checked = 0
        self.node_count = 0

    def error(self, text):
        self.errors.append(text)


def line_name(moves):
    return " ".join(("B" if i % 2 == 0 else "W") + "[" + m + "]" for i, m in enumerate(moves)) or "root"


def check_form(p):
    r = p.root.props
    for key, want in (("FF", "4"), ("GM", "1"), ("SZ", "19"), ("PL", "B")):
        if r.get(key, [None])[0] != want:
            p.error("root needs %s[%s]" % (key, want))
    comment = r.get("C", [""])[0].strip()
    p.goal = next((g for g in GOALS if comment.startswith(g)), None)
    if p.goal is None:
        p.error("root comment does not begin with a goal: %r" % comment[:60])
    p.ko_allowed = "ko" in words(comment)
    p.seki_allowed = "seki" in words(comment)
    p.black = expand_points(r.get("AB", []))
    p.white = expand_points(r.get("AW", []))
    targets = expand_points(r.get("TR", []))
    p.white_targets = [t for t in targets if t in p.white]
    p.black_targets = [t for t in targets if t in p.black]
    if len(p.white_targets) + len(p.black_targets) != len(targets):
        p.error("a TR mark stands on an empty point")
    need_white = p.goal in ("Black to kill", "Black to capture", "Black to win the capturing race")
    need_black = p.goal in ("Black to live", "Black to win the capturing race")
    if need_white and not p.white_targets:
        p.error("no White stone is marked as the target")
    if need_black and not p.black_targets:
        p.error("no Black stone is marked as the group to save")
    if not need_white and p.white_targets or not need_black and p.black_targets:
        p.error("a target mark does not fit the goal")
    if len(set(p.black) | set(p.white)) != len(p.black) + len(p.white):
        p.error("two setup stones share a point")
    if not all(POINT.fullmatch(s) for s in p.black + p.white + targets):
        p.error("a setup stone or mark lies off the board")

    count = [1]
    depth = [0]

    def walk(node, d, moves):
        for child in node.children:
            count[0] += 1
            depth[0] = max(depth[0], d + 1)
            colour = "B" if d % 2 == 0 else "W"
            other = "W" if colour == "B" else "B"
            if colour not in child.props or other in child.props:
                p.error("%s: node %d should hold a single %s move" % (line_name(moves), d + 1, colour))
                continue
            if set(child.props) & {"AB", "AW", "AE"}:
                p.error("%s: setup inside the tree" % line_name(moves))
            move = child.props[colour][0]
            if not (move == "" or move == "tt" or POINT.fullmatch(move)):
                p.error("%s: move %r lies off the board" % (line_name(moves), move))
                continue
            child.move = move
            child.colour = colour
            if d + 1 > MAX_DEPTH:
                continue          # reported below; deeper nodes are not read
            if child.children:
                walk(child, d + 1, moves + [move])
            else:
                comment = child.props.get("C", [""])[0]
                if not words(comment) & {"correct", "right", "wrong", "incorrect", "fail", "failure"}:
                    p.error("%s: leaf has no Correct or Wrong comment" % line_name(moves + [move]))
                child.correct = leaf_is_correct(comment)

    walk(p.root, 0, [])
    if count[0] > MAX_NODES:
        p.error("%d nodes, more than %d" % (count[0], MAX_NODES))
    if depth[0] > MAX_DEPTH:
        p.error("depth %d, more than %d" % (depth[0], MAX_DEPTH))
    p.node_count = count[0]


def mark_solutions(node):
    """Sets node.solves when a successful leaf lies in the node's subtree."""
    if not node.children:
        node.solves = getattr(node, "correct", False)
        return node.solves
    results = [mark_solutions(c) for c in node.children]
    node.solves = any(results)
    return node.solves


def check_solvable(p):
    if not mark_solutions(p.root):
        p.error("no successful line")

    def walk(node, moves):
        for child in node.children:
            line = moves + [child.move]
            if child.colour == "B" and child.solves:
                for reply in child.children:
                    if not reply.solves:
                        p.error("%s: White's defence %s is never refuted, so the problem "
                                "cannot be solved" % (line_name(line), reply.move))
            walk(child, line)

    walk(p.root, [])


def judge(p, gtp, to_move):
    """How far the goal is reached on GNU Go's board, with to_move to play next."""
    results = []
    tactical = p.goal == "Black to capture"
    for t in p.white_targets:
        if gtp.colour_at(t) != "W":
            results.append(HOLDS)            # captured
        elif to_move == "W":
            results.append(2 - read_code(gtp.code(("defend " if tactical else "owl_defend ") + to_gtp(t))))
        else:
            results.append(read_code(gtp.code(("attack " if tactical else "owl_attack ") + to_gtp(t))))
    for t in p.black_targets:
        if gtp.colour_at(t) != "B":
            results.append(FAILS)
            continue
        if to_move == "W":
            verdict = 2 - read_code(gtp.code("owl_attack " + to_gtp(t)))
        else:
            verdict = read_code(gtp.code("owl_defend " + to_gtp(t)))
        if verdict < HOLDS and p.seki_allowed:
            # The life-and-death reader does not see seki; the dragon status,
            # which weighs the capturing race against the neighbours, does.
            if gtp.must("dragon_status " + to_gtp(t)).split()[0] == "alive":
                verdict = HOLDS
        results.append(verdict)
    return min(results) if results else FAILS


def check_play(p, gtp, verbose):
    gtp.must("boardsize 19")
    gtp.must("clear_board")
    for colour, stones in (("black", p.black), ("white", p.white)):
        for s in stones:
            ok, reply = gtp.send("play %s %s" % (colour, to_gtp(s)))
            if not ok:
                p.error("setup stone %s cannot stand: %s" % (s, reply))
                return
    need = KO if p.ko_allowed else HOLDS
    p.checked = 0

    def walk(node, moves):
        for child in node.children:
            line = moves + [child.move]
            colour = "black" if child.colour == "B" else "white"
            ok, reply = gtp.send("play %s %s" % (colour, to_gtp(child.move)))
            if not ok:
                p.error("%s: illegal move (%s)" % (line_name(line), reply))
                continue
            to_move = "W" if child.colour == "B" else "B"
            if child.solves and (child.colour == "B" or not child.children):
                verdict = judge(p, gtp, to_move)
                p.checked += 1
                if verbose:
                    print("    %s: %s" % (line_name(line), VERDICT[verdict]))
                if verdict < need:
                    p.error("%s: %s on a successful line" % (line_name(line), VERDICT[verdict]))
            elif not child.children and not child.correct:
                verdict = judge(p, gtp, to_move)
                p.checked += 1
                if verbose:
                    print("    %s: %s" % (line_name(line), VERDICT[verdict]))
                if verdict >= need:
                    p.error("%s: %s at the end of a failed line" % (line_name(line), VERDICT[verdict]))
            walk(child, line)
            gtp.must("undo")

    walk(p.root, [])


def check_problem(p, gtp, verbose=False):
    """Runs every check on one problem; its errors are left in p.errors."""
    check_form(p)
    if not p.errors:
        check_solvable(p)
    if not p.errors:
        check_play(p, gtp, verbose)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("paths", nargs="*",
                        default=[os.path.join(here, "..", "problems", "sgf")])
    parser.add_argument("-v", "--verbose", action="store_true",
                        help="print GNU Go's verdict for every judged position")
    args = parser.parse_args()

    files = []
    for path in args.paths:
        if os.path.isdir(path):
            files += [os.path.join(path, f) for f in sorted(os.listdir(path))
                      if f.lower().endswith(".sgf")]
        else:
            files.append(path)
    if not files:
        print("no problem files found")
        return 1

    gtp = Gtp()
    failed = 0
    try:
        for path in files:
            try:
                with open(path, encoding="utf-8") as f:
                    p = Problem(os.path.basename(path), f.read())
            except (OSError, UnicodeDecodeError, SgfError) as e:
                print("FAIL %s: %s" % (path, e))
                failed += 1
                continue
            if args.verbose:
                print(p.name)
            try:
                check_problem(p, gtp, args.verbose)
            except RuntimeError as e:
                # GNU Go stopped or took too long: this problem cannot be
                # judged; start a fresh GNU Go for the next one.
                p.error(str(e))
                gtp.close()
                gtp = Gtp()
            if p.errors:
                failed += 1
                print("FAIL %s" % p.name)
                for e in p.errors:
                    print("    " + e)
            else:
                print("ok   %s: %s, %d nodes, %d positions judged"
                      % (p.name, p.goal[9:], p.node_count, p.checked))
    finally:
        gtp.close()
    print("%d of %d problems pass" % (len(files) - failed, len(files)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
