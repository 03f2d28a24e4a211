// From SGF game trees to problems: marking conventions, the colour swap, the
// orientation and size, passes between moves of one colour, and the limits.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tools/catalogue_file.h"
#include "tools/problem_compiler.h"
#include "tools/record_check.h"
#include "tools/shown_area.h"

namespace {

struct Result {
    bool ok = false;
    CompiledProblem out;
    std::string error;
};

Result compile(const SgfTree& tree, CompileOptions options = {})
{
    Result r;
    CompileMessage error;
    r.ok = compileTree(tree, options, r.out, error);
    r.error = error.text;
    return r;
}

Result compile(const std::string& sgf, CompileOptions options = {})
{
    std::vector<SgfTree> trees;
    SgfError e;
    EXPECT_TRUE(readSgf(sgf, trees, e)) << e.reason;
    EXPECT_EQ(trees.size(), 1u);
    return trees.empty() ? Result() : compile(trees[0], options);
}

// The flags of the leaves in tree order, as '1' and '0'.
std::string leafFlags(const Problem& p)
{
    std::string s;
    for (size_t i = 0; i < p.nodes.size(); ++i)
        if (i + 1 == p.nodes.size() || p.nodes[i + 1].depth <= p.nodes[i].depth) s += p.nodes[i].success ? '1' : '0';
    return s;
}

// The nodes as "depth, point code pair" words, a pass as TT.
std::string nodes(const Problem& p)
{
    std::string s;
    for (const ProblemNode& n : p.nodes) {
        if (!s.empty()) s += ' ';
        s += std::to_string(n.depth) + static_cast<char>(pointCol(n.point) + 64) +
             static_cast<char>(pointRow(n.point) + 64);
    }
    return s;
}

}  // namespace

TEST(CompilerConvert, MarkingConventions)
{
    std::string text;
    ASSERT_TRUE(readWholeFile(VOSTRA_SOURCE_DIR "/tests/data/markers.sgf", text));
    std::vector<SgfTree> trees;
    SgfError e;
    ASSERT_TRUE(readSgf(text, trees, e)) << e.line << ": " << e.reason;
    ASSERT_EQ(trees.size(), 11u);
    const char* expected[] = {"10", "10", "110", "10", "10", "00001", "01", "10", nullptr, "10", "10"};
    for (size_t i = 0; i < trees.size(); ++i) {
        Result r = compile(trees[i]);
        if (!expected[i]) {
            EXPECT_FALSE(r.ok);
            EXPECT_NE(r.error.find("--main-line-correct"), std::string::npos) << r.error;
            CompileOptions mainLine;
            mainLine.mainLineCorrect = true;
            r = compile(trees[i], mainLine);
            expected[i] = "10";
        }
        ASSERT_TRUE(r.ok) << "tree " << i + 1 << ": " << r.error;
        EXPECT_EQ(leafFlags(r.out.problem), expected[i]) << "tree " << i + 1;
        RecordCheck check;
        EXPECT_TRUE(checkRecord(r.out.record, check)) << "tree " << i + 1 << ": " << check.faults[0];
    }
    // With White to play (PL[W], or a first move by White) the colours swap.
    for (size_t i : {7u, 10u}) {
        const Problem p = compile(trees[i]).out.problem;
        EXPECT_EQ(p.black, std::vector<int32_t>{pointIndexOf(4, 4)}) << i;
        EXPECT_EQ(p.white, std::vector<int32_t>{pointIndexOf(3, 3)}) << i;
        EXPECT_EQ(p.nodes[0].depth, 1);
    }
}

TEST(CompilerConvert, OrientationAndSize)
{
    // A bottom-right corner turns into the top-left one.
    Result r = compile("(;AB[rr][sr]AW[rs];B[ss]C[Correct])");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.out.problem.cols, 3);
    EXPECT_EQ(r.out.problem.rows, 3);
    EXPECT_EQ(r.out.problem.black, (std::vector<int32_t>{pointIndexOf(1, 2), pointIndexOf(2, 2)}));
    EXPECT_EQ(nodes(r.out.problem), "1AA");

    // A wide side problem stands upright: the screen is taller than wide.
    r = compile("(;AB[ab][bb][cb][db][eb][fb][gb][hb][ib]AW[ac][ic];B[ea]C[Correct])");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.out.problem.cols, 4);
    EXPECT_EQ(r.out.problem.rows, 10);

    // The used area plus one line, at least 3, at most 19; a full board is 19.
    EXPECT_EQ(compile("(;B[aa]C[Correct])").out.problem.cols, 3);
    r = compile("(;AB[aa][ss];B[as]C[Correct])");
    EXPECT_EQ(r.out.problem.cols, 19);
    EXPECT_EQ(r.out.problem.rows, 19);

    // On a smaller board the far edges must be clear after turning.
    r = compile("(;SZ[9]AB[hh][ih];B[ii]C[Correct])");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(nodes(r.out.problem), "1AA");
    EXPECT_EQ(r.out.problem.cols, 3);
    r = compile("(;SZ[9]AB[aa][ii];B[ai]C[Correct])");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("cannot show"), std::string::npos);
}

TEST(CompilerConvert, PassesBetweenMovesOfOneColour)
{
    Result r = compile("(;AB[cc];B[aa](;B[ba]C[Correct])(;B[ab]))");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(nodes(r.out.problem), "1AA 2TT 3BA 3AB");
    // The pass is played in the corner of the shown area: that corner keeps
    // clear of the problem.
    const ShownArea a = shownArea(r.out.problem.cols, r.out.problem.rows);
    EXPECT_TRUE(a.cols - 2 > 4 || a.rows - 2 > 4) << a.cols << "x" << a.rows;
    RecordCheck check;
    EXPECT_TRUE(checkRecord(r.out.record, check));

    r = compile("(;PL[B]AB[cc];W[aa];B[ba]C[Correct])");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(nodes(r.out.problem), "1TT 2AA 3BA");
    EXPECT_EQ(r.out.warnings.size(), 1u);

    EXPECT_NE(compile("(;AB[cc];B[aa];AW[bb];W[ba];B[ab]C[Correct])").error.find("inside the solution tree"),
              std::string::npos);
    EXPECT_NE(compile("(;AB[cc];B[aa]W[ba]C[Correct])").error.find("both"), std::string::npos);
}

TEST(CompilerConvert, LimitsAndPruning)
{
    EXPECT_NE(compile("(;AB[aa:ss]AE[ss];B[ss]C[Correct])").error.find("255 of each colour"), std::string::npos);

    // 300 wrong first moves with a refutation each, and one correct move.
    std::ostringstream wide;
    wide << "(;AB[ss](;B[aa]C[Correct])";
    for (int i = 1; i <= 300; ++i) {
        char c = static_cast<char>('a' + i % 19), r = static_cast<char>('a' + i / 19);
        wide << "(;B[" << c << r << "];W[sr])";
    }
    wide << ")";
    Result r = compile(wide.str());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("--prune"), std::string::npos) << r.error;
    CompileOptions prune;
    prune.prune = true;
    r = compile(wide.str(), prune);
    ASSERT_TRUE(r.ok) << r.error;
    // Refutations go first, only as many as needed; every wrong move stays.
    EXPECT_EQ(r.out.problem.nodes.size() + 1, static_cast<size_t>(kMaxUsedEntries));
    EXPECT_EQ(leafFlags(r.out.problem), "1" + std::string(300, '0'));

    // A line longer than 77 moves: refused when it succeeds, cut when it fails.
    std::string longLine = "(;AB[ss](;B[aa]C[Correct])(;B[ba]";
    for (int i = 0; i < 40; ++i) {
        const std::string col(1, static_cast<char>('a' + i % 19));
        longLine += ";W[" + col + static_cast<char>('c' + 2 * (i / 19)) + "];B[" + col +
                    static_cast<char>('d' + 2 * (i / 19)) + "]";
    }
    EXPECT_FALSE(compile(longLine + "))").ok);
    r = compile(longLine + "))", prune);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.out.problem.nodes.back().depth, kMaxDepth);
    EXPECT_NE(compile(longLine + "C[Correct]))", prune).error.find("successful line"), std::string::npos);

    // A move the trainer would refuse is reported at its own line.
    r = compile("(;AB[aa][cc]\n(;B[bb]C[Correct])\n(;B[cc]))");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("B[cc] at line 3 is on an occupied point"), std::string::npos) << r.error;

    // A White answer to a correct move that no line refutes.
    r = compile("(;AB[cc];B[aa](;W[ba];B[ab]C[Correct])(;W[ab]))");
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.out.warnings.size(), 1u);
    EXPECT_NE(r.out.warnings[0].text.find("no successful line"), std::string::npos);
}
