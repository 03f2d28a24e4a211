#!/usr/bin/env python3
"""Shows that check_goals.py catches broken problems, not only that the
collection passes it. Needs GNU Go, like the checker."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_goals as cg  # noqa: E402

# Bent three in the corner: only the corner point kills.
HEAD = ("(;FF[4]GM[1]SZ[19]PL[B]C[Black to kill the corner group.]"
        "AB[ad:cd][cc][db][ea][eb]AW[ac][bc][bb][cb][ca][da]TR[ca]")


def check(tree, head=HEAD):
    p = cg.Problem("test", head + tree + ")")
    cg.check_problem(p, GTP)
    return p


class CatchesFaults(unittest.TestCase):
    def assertFault(self, p, words):
        self.assertTrue(any(words in e for e in p.errors), p.errors)

    def test_sound_problem_passes(self):
        p = check("(;B[aa]C[Correct])(;B[ba];W[aa]C[Wrong])(;B[ab];W[aa]C[Wrong])")
        self.assertEqual(p.errors, [])
        self.assertEqual(p.checked, 3)

    def test_goal_missed_on_a_successful_line(self):
        p = check("(;B[ba];W[aa]C[Correct])")
        self.assertFault(p, "goal not reached on a successful line")

    def test_failed_line_that_reaches_the_goal(self):
        p = check("(;B[ba];W[aa]C[Correct, says the author])(;B[aa]C[Wrong])")
        self.assertFault(p, "B[aa]: goal reached at the end of a failed line")
        self.assertFault(p, "B[ba] W[aa]: goal not reached on a successful line")

    def test_illegal_moves(self):
        self.assertFault(check("(;B[ca]C[Correct])"), "B[ca]: illegal move")
        self.assertFault(check("(;B[aa];W[ab];B[aa]C[Correct])"), "B[aa] W[ab] B[aa]: illegal move")

    def test_defence_the_tree_never_refutes(self):
        p = check("(;B[aa](;W[ab];B[ba]C[Correct])(;W[ba];B[ab]C[Wrong]))")
        self.assertFault(p, "White's defence ba is never refuted")

    def test_form(self):
        self.assertFault(check("(;B[aa]C[Correct])", HEAD.replace("C[Black to kill", "C[Kill")),
                         "does not begin with a goal")
        self.assertFault(check("(;B[aa]C[Good])"), "no Correct or Wrong comment")
        self.assertFault(check("(;B[aa];B[ba]C[Correct])"), "single W move")
        self.assertFault(check("(;B[az]C[Correct])"), "off the board")
        self.assertFault(check("(;B[aa]C[Correct])", HEAD.replace("TR[ca]", "TR[aa]")),
                         "empty point")


class ReadsSgf(unittest.TestCase):
    def test_escapes_point_lists_and_variations(self):
        root = cg.parse_sgf("(;C[a \\] b\\\nc]AB[aa:bc](;B[cc])(;B[dd];W[ee]))")
        self.assertEqual(root.props["C"], ["a ] bc"])
        self.assertEqual(cg.expand_points(root.props["AB"]), ["aa", "ab", "ac", "ba", "bb", "bc"])
        self.assertEqual([c.props["B"] for c in root.children], [["cc"], ["dd"]])
        self.assertEqual(root.children[1].children[0].props["W"], ["ee"])

    def test_markers(self):
        self.assertTrue(cg.leaf_is_correct("Correct. White is dead."))
        self.assertTrue(cg.leaf_is_correct("RIGHT"))
        self.assertFalse(cg.leaf_is_correct("Wrong: the correct move is elsewhere."))
        self.assertFalse(cg.leaf_is_correct("Incorrect"))

    def test_broken_files(self):
        for text in ("", "(;B[aa]", "(;FF[4]C[open", ";B[aa])"):
            with self.assertRaises(cg.SgfError, msg=text):
                cg.parse_sgf(text)


if __name__ == "__main__":
    GTP = cg.Gtp()
    try:
        unittest.main()
    finally:
        GTP.close()
