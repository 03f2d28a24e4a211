// Trees completed and proven by the solver: every legal move at the solver's
// positions, refutations and defences added, the author's moves first, the
// file's coordinates in solve's output, and the faults check --prove finds.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/line_board.h"
#include "tools/proof_check.h"
#include "tools/record_check.h"

namespace {

// Bent three in the corner: Black kills at aa; ab and ba let White live.
const std::string kRoot =
    "(;FF[4]GM[1]SZ[19]PL[B]C[Black to kill.]AB[ad][bd][cc][cd][db][ea][eb]AW[ac][bb][bc][ca][cb][da]TR[ca]";

SgfTree treeOf(const std::string& sgf)
{
    std::vector<SgfTree> trees;
    SgfError e;
    EXPECT_TRUE(readSgf(sgf, trees, e)) << e.reason;
    return trees.at(0);
}

CompiledProblem compiled(const std::string& sgf, bool complete)
{
    CompileOptions o;
    o.complete = complete;
    o.budget.maxMs = 20000;
    CompiledProblem out;
    CompileMessage error;
    EXPECT_TRUE(compileTree(treeOf(sgf), o, out, error)) << error.text;
    return out;
}

std::string pointName(int32_t point) { return {char('a' + pointCol(point) - 1), char('a' + pointRow(point) - 1)}; }

}  // namespace

TEST(CompilerCompletion, EveryMoveAnsweredAndTheAuthorsLineFirst)
{
    // Only the main line, with no defence after it.
    const CompiledProblem c = compiled(kRoot + ";B[aa]C[Correct.])", true);
    ASSERT_TRUE(c.completed);
    RecordCheck check;
    EXPECT_TRUE(checkRecord(c.record, check)) << (check.faults.empty() ? "" : check.faults[0]);

    const std::vector<ProblemNode>& n = c.problem.nodes;
    std::vector<size_t> firstMoves;
    for (size_t i = 0; i < n.size(); ++i)
        if (n[i].depth == 1) firstMoves.push_back(i);
    ASSERT_EQ(firstMoves.size(), 3u);  // aa, and ab and ba, the empty points of the corner
    EXPECT_EQ(pointName(n[firstMoves[0]].point), "aa");
    EXPECT_TRUE(n[firstMoves[0]].success);
    // The author gave White no defence: the strongest one comes with Black's answer.
    ASSERT_GT(n.size(), firstMoves[0] + 2);
    EXPECT_EQ(n[firstMoves[0] + 1].depth, 2);
    for (size_t k = 1; k < firstMoves.size(); ++k) {
        const size_t i = firstMoves[k];
        EXPECT_FALSE(n[i].success) << pointName(n[i].point);
        // Refuted by White, then the line ends failed.
        ASSERT_LT(i + 1, n.size());
        EXPECT_EQ(n[i + 1].depth, 2);
        EXPECT_TRUE(i + 2 == n.size() || n[i + 2].depth == 1);
    }

    // The completed tree proves sound, and keeps the plain compile's screen.
    const ProofCheck proof = proveRecord(c.problem, treeOf(kRoot + ";B[aa]C[Correct.])"), CompileOptions());
    EXPECT_TRUE(proof.faults.empty()) << proof.faults[0].text;
    EXPECT_EQ(proof.provenLines, proof.lines);
    const CompiledProblem plain = compiled(kRoot + ";B[aa]C[Correct.])", false);
    EXPECT_EQ(plain.problem.cols, c.problem.cols);
    EXPECT_EQ(plain.problem.rows, c.problem.rows);
    EXPECT_EQ(plain.problem.black, c.problem.black);
}

TEST(CompilerCompletion, ProveFindsWrongLinesAndMissingAnswers)
{
    const std::string sgf = kRoot + "(;B[ba];W[aa]C[Correct.])(;B[ab];W[aa]C[Wrong.]))";
    const CompiledProblem c = compiled(sgf, false);
    const ProofCheck proof = proveRecord(c.problem, treeOf(sgf), CompileOptions());
    std::string all;
    for (const ProofFault& f : proof.faults) all += std::to_string(f.line) + ": " + f.text + "\n";
    EXPECT_NE(all.find("a successful line does not reach the goal"), std::string::npos) << all;
    EXPECT_NE(all.find("the correct first move B[aa]"), std::string::npos) << all;
    EXPECT_EQ(all.find("a failed line reaches the goal"), std::string::npos) << all;
}

TEST(CompilerCompletion, SolveReportsTheFilesOwnCoordinates)
{
    // The same problem turned to the bottom-right corner, colours swapped:
    // White to play, and the answer is ss in the file.
    const char* sgf =
        "(;FF[4]GM[1]SZ[19]C[White to kill.]AW[sp][rp][qq][qp][pr][os][or]AB[sq][rr][rq][qs][qr][ps]\n;W[ss])\n";
    const std::string path = ::testing::TempDir() + "/white_to_kill.sgf";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs(sgf, f);
    std::fclose(f);
    const std::string cmd = std::string(VOSTRA_PROBLEMS_BIN) + " solve --json " + path;
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_TRUE(p);
    std::string out;
    char buf[4096];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    EXPECT_EQ(pclose(p), 0);
    EXPECT_NE(out.find("\"toPlay\":\"W\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"goal\":{\"kind\":\"kill\",\"read\":true"), std::string::npos) << out;
    EXPECT_NE(out.find("\"result\":\"unconditional\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"correct\":[\"ss\"]"), std::string::npos) << out;
    EXPECT_NE(out.find("\"line\":1"), std::string::npos) << out;
}

TEST(CompilerCompletion, LinesAreReplayedWithKoAndSuicide)
{
    //   . X O .
    //   X . X O      White at bb takes cb, and Black may not take back at once.
    //   . X O .
    std::vector<int8_t> stones(19 * 19, 0);
    auto at = [&](int x, int y, int8_t c) { stones[y * 19 + x] = c; };
    at(1, 0, 1), at(0, 1, 1), at(2, 1, 1), at(1, 2, 1);
    at(2, 0, -1), at(3, 1, -1), at(2, 2, -1);
    LineBoard b(19, 19, stones);
    EXPECT_FALSE(b.legal(0, 0, -1));  // suicide
    EXPECT_FALSE(b.legal(1, 0, -1));  // occupied
    ASSERT_TRUE(b.play(1, 1, -1));
    EXPECT_FALSE(b.legal(2, 1, 1));  // the ko
    ASSERT_TRUE(b.play(10, 10, 1));
    ASSERT_TRUE(b.play(10, 11, -1));
    EXPECT_TRUE(b.legal(2, 1, 1));
    EXPECT_TRUE(b.legal(-1, -1, 1));  // a pass
}
