// The SGF reader: the grammar of FF[3] and FF[4] files, errors with their
// lines, and hostile input (deep nesting, unterminated values, huge files,
// points that are not points).
#include <gtest/gtest.h>

#include "tools/problem_compiler.h"
#include "tools/sgf_reader.h"

namespace {

std::vector<SgfTree> read(const std::string& text, SgfError* error = nullptr)
{
    std::vector<SgfTree> trees;
    SgfError e;
    bool ok = readSgf(text, trees, e);
    if (error)
        *error = e;
    else
        EXPECT_TRUE(ok) << e.line << ": " << e.reason;
    return trees;
}

std::string compileError(const std::string& sgf)
{
    std::vector<SgfTree> trees = read(sgf);
    if (trees.size() != 1) return "not one tree";
    CompiledProblem out;
    CompileMessage error;
    return compileTree(trees[0], CompileOptions(), out, error) ? std::string() : error.text;
}

}  // namespace

TEST(CompilerSgf, ReadsTheGrammar)
{
    const std::string text =
        "Mail header, ignored\n"
        "(;FF[4]C[a \\] b \\\\ c\\\n"
        "d\r\ne]XX[unknown][two] AddBlack[aa]\n"
        " ;B[bb]\n"
        " (;W[cc]) (;W [dd] ;B[ee])\n"
        ")\n"
        "(;FF[3]AB[aa:cc])";
    std::vector<SgfTree> trees = read(text);
    ASSERT_EQ(trees.size(), 2u);
    const SgfTree& t = trees[0];
    EXPECT_EQ(t.line, 2);
    // Escapes taken literally, the soft line break removed, CR LF one break.
    EXPECT_EQ(t.firstValue(0, "C"), "a ] b \\ cd\ne");
    const SgfProperty* xx = t.find(0, "XX");
    ASSERT_NE(xx, nullptr);
    EXPECT_EQ(xx->valueCount, 2);
    EXPECT_EQ(t.value(*xx, 1), "two");
    EXPECT_EQ(t.firstValue(0, "AB"), "aa");  // FF[3] lower-case letters dropped
    ASSERT_EQ(t.nodes.size(), 5u);
    EXPECT_EQ(t.nodes[1].parent, 0);
    EXPECT_EQ(t.nodes[1].line, 5);
    EXPECT_EQ(t.nodes[t.nodes[1].firstChild].nextSibling, 3);
    EXPECT_EQ(t.nodes[4].parent, 3);
    EXPECT_EQ(trees[1].firstValue(0, "AB"), "aa:cc");

    // A compressed list is a rectangle of points.
    CompiledProblem out;
    CompileMessage error;
    trees = read("(;AB[aa:cc][ee]AW[ad:bd];B[dc]C[Correct])");
    ASSERT_TRUE(compileTree(trees[0], CompileOptions(), out, error)) << error.text;
    EXPECT_EQ(out.problem.black.size(), 10u);
    EXPECT_EQ(out.problem.white.size(), 2u);
}

TEST(CompilerSgf, SyntaxErrorsNameTheirLine)
{
    struct Case {
        const char* text;
        int line;
        const char* reason;
    } cases[] = {
        {"(;B[aa]\n;C[open\n\n", 2, "not closed"},
        {"(;B[aa]\n(;W[bb]", 1, "not closed"},
        {"(;B[aa]\nC;)", 2, "has no value"},
        {"(;B[aa]\n\n@)", 3, "unexpected character"},
        {"(;B[aa](;W[bb]);B[cc])", 1, "follows the variations"},
        {"(;B[aa]())", 1, "empty"},
        {"()", 1, "empty"},
        {"((;B[aa]))", 1, "before any node"},
    };
    for (const Case& c : cases) {
        SgfError e;
        std::vector<SgfTree> trees = read(std::string("(;GM[1])\n") + c.text, &e);
        EXPECT_EQ(trees.size(), 1u) << c.text;  // the tree before the error is kept
        EXPECT_EQ(e.line, c.line + 1) << c.text;
        EXPECT_NE(e.reason.find(c.reason), std::string::npos) << c.text << ": " << e.reason;
    }
}

TEST(CompilerSgf, HostileInput)
{
    // Nesting a hundred thousand variations deep is read without recursion;
    // the compiler refuses its long line instead of overflowing anything.
    std::string deep = "(;AB[cc];B[aa]C[Correct]";
    for (int i = 0; i < 100000; ++i) deep += i % 2 ? "(;B[ba]" : "(;W[ab]";
    deep += "C[Correct]" + std::string(100001, ')');
    EXPECT_NE(compileError(deep).find("moves long"), std::string::npos);

    SgfError e;
    std::string open(1000000, '(');
    EXPECT_TRUE(read(open, &e).empty());
    std::string unterminated = "(;C[" + std::string(4000000, 'x');
    EXPECT_TRUE(read(unterminated, &e).empty());
    EXPECT_NE(e.reason.find("not closed"), std::string::npos);

    // Too many nodes in one tree: stopped at the limit, not at the machine's.
    std::string wide = "(;GM[1]";
    for (int i = 0; i <= kSgfMaxNodes; ++i) wide += "(;)";
    EXPECT_TRUE(read(wide + ")", &e).empty());
    EXPECT_NE(e.reason.find("more than"), std::string::npos);

    // Many trees and a long comment: read in one pass.
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "(;AB[aa];W[bb]C[Correct])\n";
    many += "(;C[" + std::string(8000000, 'y') + "])";
    EXPECT_EQ(read(many).size(), 20001u);

    // Points that are not points of the board.
    EXPECT_NE(compileError("(;SZ[9];B[jj]C[Correct])").find("not a point"), std::string::npos);
    EXPECT_NE(compileError("(;AB[a];B[aa]C[Correct])").find("not a point"), std::string::npos);
    EXPECT_NE(compileError("(;AB[aa:zz];B[ba]C[Correct])").find("not a point"), std::string::npos);
    EXPECT_NE(compileError("(;B[aa:bb]C[Correct])").find("not a point"), std::string::npos);
    EXPECT_NE(compileError("(;B[AA]C[Correct])").find("not a point"), std::string::npos);
    EXPECT_NE(compileError("(;SZ[25];B[aa]C[Correct])").find("at most 19x19"), std::string::npos);
    EXPECT_NE(compileError("(;SZ[x];B[aa]C[Correct])").find("not a board size"), std::string::npos);
    EXPECT_NE(compileError("(;GM[2];B[aa]C[Correct])").find("not a game of Go"), std::string::npos);
    EXPECT_NE(compileError("(;C[nothing])").find("no moves"), std::string::npos);
}
