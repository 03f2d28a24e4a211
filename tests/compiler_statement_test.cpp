// The problem statement read from SGF: the goal from the comment's words in
// English, Chinese (UTF-8 and GBK) and Japanese, the targets from marks or
// from the enclosed group, and the positions the solver cannot read.
#include <gtest/gtest.h>

#include "tools/problem_statement.h"

namespace sv = vostra::solver;

namespace {

ProblemStatement statementOf(const std::string& sgf, const StatementOptions& options = {})
{
    std::vector<SgfTree> trees;
    SgfError e;
    EXPECT_TRUE(readSgf(sgf, trees, e)) << e.reason;
    ProblemStatement s;
    std::string error;
    int32_t line = 0;
    EXPECT_TRUE(readStatement(trees.at(0), options, s, error, line)) << error;
    return s;
}

// A white group in the top-left corner inside a black wall.
const char kCorner[] = "AB[ad][bd][cd][dc][dd][ec][fa][fb][fc]AW[ac][bc][cb][cc][db][ea][eb]";

std::string points(const ProblemStatement& s)
{
    std::string out;
    for (const sv::Point& p : s.goal.targets) out += sgfPoint(p.x, p.y) + " ";
    return out;
}

}  // namespace

TEST(CompilerStatement, ReadsTheGoalWords)
{
    struct Case {
        const char* text;
        bool gbk;
        sv::GoalKind kind;
        bool ko, clean;
    };
    const Case cases[] = {
        {"Black to play and live.", false, sv::GoalKind::Live, false, false},
        {"White to play and kill.", false, sv::GoalKind::Kill, false, false},
        {"Black to play and get a ko.", false, sv::GoalKind::Live, true, false},  // kind from elsewhere
        {"Black to win the capturing race", false, sv::GoalKind::CapturingRace, false, false},
        {"Black to capture two stones", false, sv::GoalKind::Capture, false, false},
        {"Black to connect underneath.", false, sv::GoalKind::Connect, false, false},
        {"Black to cut", false, sv::GoalKind::Cut, false, false},
        {"\xe9\xbb\x91\xe5\x85\x88\xe5\x87\x80\xe6\xb4\xbb", false, sv::GoalKind::Live, false, true},  // 黑先净活
        {"\xe9\xbb\x91\xe5\x85\x88\xe5\xaf\xb9\xe6\x9d\x80", false, sv::GoalKind::CapturingRace, false, false},
        {"\xe7\x99\xbd\xe5\x85\x88\xe6\xae\xba", false, sv::GoalKind::Kill, false, false},  // 白先殺
        {"\xba\xda\xcf\xc8\xbb\xee", true, sv::GoalKind::Live, false, false},               // GBK 黑先活
        {"\xb0\xd7\xcf\xc8\xc9\xb1", true, sv::GoalKind::Kill, false, false},               // GBK 白先杀
        {"\xba\xda\xcf\xc8\xbd\xd9", true, sv::GoalKind::Live, true, false},                // GBK 黑先劫
        {"\xe9\xbb\x92\xe7\x95\xaa\xe3\x81\xa7\xe7\x94\x9f\xe3\x81\x8d", false, sv::GoalKind::Live, false, false},
        {"\xe6\x94\xbb\xe3\x82\x81\xe5\x90\x88\xe3\x81\x84", false, sv::GoalKind::CapturingRace, false, false},
    };
    for (const Case& c : cases) {
        const GoalWords g = goalFromWords(c.text, c.gbk);
        EXPECT_EQ(g.ko, c.ko) << c.text;
        EXPECT_EQ(g.cleanLife, c.clean) << c.text;
        if (c.kind == sv::GoalKind::Live && c.ko) {
            EXPECT_FALSE(g.kind.has_value()) << c.text;
            continue;
        }
        ASSERT_TRUE(g.kind.has_value()) << c.text;
        EXPECT_EQ(*g.kind, c.kind) << c.text;
    }
    // Words inside other words and GBK bytes out of step are no goal: "kolkhoz",
    // and the second byte of one character with the first of the next.
    EXPECT_FALSE(goalFromWords("kolkhoz", false).ko);
    EXPECT_FALSE(goalFromWords("\xa1\xbb\xee\xa1", true).kind.has_value());
}

TEST(CompilerStatement, TargetsComeFromMarksOrTheEnclosedGroup)
{
    const std::string root = std::string("(;SZ[19]PL[B]") + kCorner;
    ProblemStatement marked = statementOf(root + "C[Black to kill]TR[ea];B[ba])");
    EXPECT_TRUE(marked.goalRead);
    EXPECT_TRUE(marked.targetsMarked);
    EXPECT_EQ(points(marked), "ea ");
    EXPECT_TRUE(marked.expressible);

    // No words: Black's own stones are not enclosed, White's are, so Black
    // must kill them.
    ProblemStatement inferred = statementOf(root + ";B[ba])");
    EXPECT_FALSE(inferred.goalRead);
    EXPECT_EQ(inferred.goal.kind, sv::GoalKind::Kill);
    EXPECT_EQ(points(inferred), "ea cb db eb ac bc cc ");
    // The area holds the corner and the wall, not the open board.
    const int32_t w = inferred.width;
    EXPECT_TRUE(inferred.region[0]);             // aa
    EXPECT_TRUE(inferred.region[2 * w + 3]);     // dc, a wall stone
    EXPECT_FALSE(inferred.region[10 * w + 10]);  // kk
    EXPECT_EQ(inferred.toPlay, 1);

    // White to play on the same position: its own enclosed group must live.
    ProblemStatement white = statementOf(std::string("(;SZ[19]") + kCorner + ";W[ba])");
    EXPECT_EQ(white.toPlay, -1);
    EXPECT_EQ(white.goal.kind, sv::GoalKind::Live);

    // A stone shut in beside a chain of its colour that the area leaves
    // out, a liberty between them: to live is to save them both, and the
    // chain joins the area.
    ProblemStatement joined = statementOf("(;SZ[19]C[Black to live]AB[aa][ca][da]AW[ab][bb][cb][db];B[ba])");
    EXPECT_EQ(points(joined), "aa ca da ");
    EXPECT_TRUE(joined.region[2] && joined.region[3] && joined.region[4]);  // ca, da and its liberty ea

    // A race whose only shut-in group is White's own: the aim is the
    // opponent's weakest chain beside it, and White's chain must survive.
    ProblemStatement race =
        statementOf("(;SZ[19]C[White to win the capturing race]AB[ca][cb][db][ac][bc]AW[ba][ab][bb];W[aa])");
    EXPECT_EQ(race.goal.kind, sv::GoalKind::CapturingRace);
    EXPECT_EQ(points(race), "ac bc ");
    EXPECT_EQ(race.goal.keep.size(), 3u);

    // GBK without CA, as the classical collections have it: 白先活.
    ProblemStatement gbk = statementOf(std::string("(;SZ[19]C[\xb0\xd7\xcf\xc8\xbb\xee]") + kCorner + ";W[ba])");
    EXPECT_TRUE(gbk.goalRead);
    EXPECT_EQ(gbk.goal.kind, sv::GoalKind::Live);
    EXPECT_EQ(gbk.toPlay, -1);

    // The command line wins over the words.
    StatementOptions o;
    ASSERT_TRUE(parseGoalOption("live", o));
    EXPECT_FALSE(parseGoalOption("win", o));
    ASSERT_TRUE(parseGoalOption("capture", o));
    EXPECT_EQ(statementOf(root + "C[Black to kill]TR[ea];B[ba])", o).goal.kind, sv::GoalKind::Capture);
}

TEST(CompilerStatement, OpenPositionsAreNotExpressible)
{
    ProblemStatement whole = statementOf("(;SZ[19]AB[aa][ss][jj]AW[as][sa][jk]C[Black to kill]TR[jk];B[jl])");
    EXPECT_FALSE(whole.expressible);
    EXPECT_NE(whole.whyNot.find("whole board"), std::string::npos);

    ProblemStatement open = statementOf("(;SZ[19]AB[jj]AW[jk];B[jl])");
    EXPECT_FALSE(open.expressible);
    EXPECT_FALSE(open.whyNot.empty());

    // A stone to capture that can run out of the box: the frame would hold it.
    ProblemStatement runs = statementOf("(;SZ[19]AB[ij][kj][ji]AW[jj]TR[jj]C[Black to capture];B[jk])");
    EXPECT_FALSE(runs.expressible);
    EXPECT_NE(runs.whyNot.find("run out"), std::string::npos);
    ProblemStatement shut = statementOf(std::string("(;SZ[19]C[Black to capture]") + kCorner + "TR[cc];B[aa])");
    EXPECT_TRUE(shut.expressible) << shut.whyNot;
}

TEST(CompilerStatement, AKillIsReadInTheRoomNearTheStonesALifeInAllOfIt)
{
    // A white group near the corner inside a distant black wall along column
    // h and row h: ff is five steps from every white stone, the corner point
    // aa four.  ff's room reaches the wall and is framed; aa lies behind ab
    // and ba, inside the defender's room, and is not.
    const std::string position = "AB[ha][hb][hc][hd][he][hf][hg][hh][ah][bh][ch][dh][eh][fh][gh]AW[cc][dc][cd]";
    ProblemStatement kill = statementOf("(;SZ[19]C[Black to kill]" + position + ";B[bb])");
    ProblemStatement live = statementOf("(;SZ[19]C[White to live]" + position + ";W[bb])");
    const int32_t w = kill.width, ff = 5 * w + 5, dd = 3 * w + 3;
    EXPECT_TRUE(kill.region[dd]);
    EXPECT_TRUE(kill.region[0]);
    EXPECT_FALSE(kill.region[ff]);
    EXPECT_TRUE(live.region[dd]);
    EXPECT_TRUE(live.region[ff]);
    EXPECT_LT(kill.regionEmpty, live.regionEmpty);
}

TEST(CompilerStatement, AMainLineThatPlaysOutsideTheWallWidensTheArea)
{
    // The line goes on outside the wall: gb, ga and ge must be playable.
    const int32_t ga = 6, gb = 19 + 6, ge = 4 * 19 + 6;
    ProblemStatement outside =
        statementOf(std::string("(;SZ[19]C[White to live]") + kCorner + ";W[aa];B[gb];W[ga];B[ge])");
    EXPECT_TRUE(outside.region[ga]);
    EXPECT_TRUE(outside.region[gb]);
    EXPECT_TRUE(outside.region[ge]);
    // To kill as well: a frame stone on the line would be an attacker's
    // stone nobody can capture.
    ProblemStatement kill =
        statementOf(std::string("(;SZ[19]C[Black to kill]") + kCorner + ";B[aa];W[gb];B[ga];W[ge])");
    EXPECT_TRUE(kill.region[ga]);
    EXPECT_TRUE(kill.region[ge]);
    // A main line inside keeps the area as the stones give it.
    ProblemStatement inside = statementOf(std::string("(;SZ[19]C[White to live]") + kCorner + ";W[aa];B[ba])");
    EXPECT_FALSE(inside.region[ga]);
    EXPECT_FALSE(inside.region[ge]);
}

TEST(CompilerStatement, APointTheAreaClosesInIsPartOfIt)
{
    // The white corner's flood stops at ar and bs, which only black's br
    // touches; the corner point as behind them must not become a frame.
    ProblemStatement s = statementOf(
        "(;SZ[19]AB[ao][bo][co][do][eo][ep][eq][er][es][br]AW[ap][bp][cp][dp][dq][dr][ds]"
        "C[White to play and live.];W[aq])");
    const int32_t as = 18 * 19, ar = 17 * 19;
    EXPECT_TRUE(s.region[ar]);
    EXPECT_TRUE(s.region[as]);
}

TEST(CompilerStatement, AStoneOfTheTargetsColourNextToTheAreaJoinsIt)
{
    // White's ed stands outside the wall, touching its stones dd and ec:
    // left out, its liberty ee would be one nobody may fill.
    ProblemStatement s = statementOf(std::string("(;SZ[19]C[Black to kill]") + kCorner + "AW[ed];B[aa])");
    const int32_t ed = 3 * 19 + 4, ee = 4 * 19 + 4, fd = 3 * 19 + 5;
    EXPECT_TRUE(s.region[ed]);
    EXPECT_TRUE(s.region[ee]);
    EXPECT_TRUE(s.region[fd]);
}

TEST(CompilerStatement, NoFrameStoneBesideTheOwnersStonesOutsideTheArea)
{
    // White's ae stands outside the wall on the edge; be lies between it
    // and the wall's bd: the attacker's frame stone there could never be
    // captured, right beside the owner's strength.
    ProblemStatement s = statementOf(std::string("(;SZ[19]C[White to live]") + kCorner + "AW[ae];W[aa])");
    const int32_t be = 4 * 19 + 1, ae = 4 * 19;
    EXPECT_FALSE(s.region[ae]);
    EXPECT_TRUE(s.region[be]);
}
