// The problems' words: decoding the file's charset, what the compiler keeps
// in the texts table, and what the host shows while the game goes on (the
// runner's transcript, and the follower on a White-to-play problem).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "captions/captions.h"
#include "captions/text_table.h"
#include "game/layout.h"
#include "problems/record.h"
#include "problems/tree.h"
#include "tests/solving_support.h"
#include "tools/charset.h"
#include "tools/collection_compiler.h"
#include "tools/problem_texts.h"

namespace {

// "白先活" (White to play and live) in GBK.
const std::string kGbkWhiteLives = "\xB0\xD7\xCF\xC8\xBB\xEE";
const std::string kUtf8WhiteLives = "\xE7\x99\xBD\xE5\x85\x88\xE6\xB4\xBB";

// Client pixel of a point of problem 1 on the 240x320 screen.
std::string tapOf(int col, int row)
{
    auto g = solving_test::decodedBoard(catalogueRecords().at(0));
    return "tap " + std::to_string(pointCenterX(*g, col)) + " " + std::to_string(pointCenterY(*g, row)) + "\n";
}

std::vector<std::string> captionLines(const std::string& transcript)
{
    std::vector<std::string> out;
    for (const std::string& l : splitLines(transcript))
        if (l.rfind("caption", 0) == 0 || l.rfind("reply ", 0) == 0 || l.rfind("status ", 0) == 0) out.push_back(l);
    return out;
}

}  // namespace

TEST(Charset, DetectsAndDecodesUtf8GbkAndLatin1)
{
    EXPECT_EQ(detectCharset(kUtf8WhiteLives), Charset::Utf8);
    EXPECT_EQ(detectCharset(kGbkWhiteLives), Charset::Gb18030);
    EXPECT_EQ(decodeText(kGbkWhiteLives, Charset::Gb18030), kUtf8WhiteLives);
    EXPECT_EQ(decodeText("\x81\x30\x84\x36", Charset::Gb18030), "\xC2\xA5");          // U+00A5
    EXPECT_EQ(decodeText("\x90\x30\x81\x30", Charset::Gb18030), "\xF0\x90\x80\x80");  // U+10000
    // Neither UTF-8 nor GB18030 (a lone lead byte at the end): Latin-1.
    EXPECT_EQ(detectCharset("caf\xE9"), Charset::Latin1);
    EXPECT_EQ(decodeText("caf\xE9 \x93"
                         "a\x94",
                         Charset::Latin1),
              "caf\xC3\xA9 \xE2\x80\x9C"
              "a\xE2\x80\x9D");
    // Malformed bytes in a named charset become U+FFFD, never invalid UTF-8.
    EXPECT_EQ(decodeText("a\xFF"
                         "b",
                         Charset::Utf8),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_TRUE(isValidUtf8(decodeText("\xB0\xD7\x80\xFF", Charset::Gb18030)));
    Charset c;
    EXPECT_TRUE(charsetFromName("gb2312", c) && c == Charset::Gb18030);
    EXPECT_TRUE(charsetFromName("ISO-8859-1", c) && c == Charset::Latin1);
    EXPECT_FALSE(charsetFromName("Shift_JIS", c));
}

TEST(ProblemTexts, SwapsColourWordsAndFindsTheGoal)
{
    EXPECT_EQ(swapColourWords("White to live; black's BLACK Blackboard"), "Black to live; white's WHITE Blackboard");
    EXPECT_EQ(swapColourWords(kUtf8WhiteLives), "\xE9\xBB\x91\xE5\x85\x88\xE6\xB4\xBB");
    EXPECT_EQ(firstSentence("  Black to kill. Look at 1.5 eyes."), "Black to kill.");
    EXPECT_EQ(firstSentence("Black to live\nHint: the corner"), "Black to live");
    EXPECT_EQ(firstSentence("Black to live.\xE9\xBB\x91\xE5\x85\x88"), "Black to live.");
    EXPECT_EQ(firstSentence("\xE9\xBB\x91\xE5\x85\x88\xE3\x80\x82\xE6\xB4\xBB"),
              "\xE9\xBB\x91\xE5\x85\x88\xE3\x80\x82");
}

TEST(TextTable, RoundTripsEscapesAndReportsBadLines)
{
    TextTable t;
    ProblemTexts p;
    p.title = "Tab\there";
    p.goal = "Two\nlines \\ and a backslash";
    p.comments[3] = "Wrong.";
    t.set(2, p);
    TextTable back;
    std::string error;
    ASSERT_TRUE(back.parse(t.write() + "2\tlater-key\tignored\n", error)) << error;
    EXPECT_EQ(back.problem(2).title, p.title);
    EXPECT_EQ(back.problem(2).goal, p.goal);
    EXPECT_EQ(back.problem(2).comment(3), "Wrong.");
    EXPECT_TRUE(back.problem(1).empty());
    EXPECT_FALSE(back.parse("# head\n1\ttitle\tA\n0\tgoal\tB\n", error));
    EXPECT_EQ(error.rfind("line 3:", 0), 0u) << error;
}

// A White-to-play file in GBK without CA: the texts come out in UTF-8 with
// the colours swapped, numbered like the record's entries, a moveless node's
// comment joined to the move before it; the follower shows the goal first and
// a comment only once its node is reached.
TEST(ProblemTexts, WhiteToPlayProblemInGbk)
{
    const std::string sgf = "(;GM[1]FF[4]SZ[19]GN[" + kGbkWhiteLives +
                            "]C[White to live. Think first.]PL[W]"
                            "AW[ba][bb][cb][db][eb]AB[ab][bc][cc][dc][ec][fb][fa]"
                            "(;W[ea];B[da]C[Black throws in.];C[Then white is dead.];W[ca]C[Wrong])"
                            "(;W[ca];B[da];W[ea]C[Correct. White lives.]))";
    CollectionResult result;
    compileSgfText(sgf, "t.sgf", CompileOptions(), result, nullptr, true);
    ASSERT_EQ(result.lines.size(), 1u);
    const ProblemTexts& p = result.texts.at(0);
    EXPECT_EQ(p.title, "\xE9\xBB\x91\xE5\x85\x88\xE6\xB4\xBB");  // 黑先活
    EXPECT_EQ(p.goal, "Black to live.");
    EXPECT_EQ(p.comment(2), "White throws in.\nThen black is dead.");
    EXPECT_EQ(p.comment(3), "Wrong");
    EXPECT_EQ(p.comment(6), "Correct. Black lives.");

    TextTable table;
    table.set(1, p);
    const std::string record = result.lines[0].substr(0, result.lines[0].find(' '));
    auto g = solving_test::decodedBoard(record);
    startProblem(*g);
    g->currentProblem = 1;
    CaptionFollower follower;
    std::string reply;
    ASSERT_TRUE(follower.update(*g, table, reply));
    EXPECT_EQ(follower.caption(), p.title + "\nBlack to live.");
    // Black's first move and White's throw-in reached together: the
    // throw-in's comment, and White's point.
    g->currentNode = 2;
    g->lastMoveCol = 4;
    g->lastMoveRow = 1;
    ASSERT_TRUE(follower.update(*g, table, reply));
    EXPECT_EQ(follower.caption(), "White throws in.\nThen black is dead.");
    EXPECT_EQ(reply, "D19");
    // A move off the tree empties the caption; taking it back shows the
    // comment again, with no new reply.
    g->offTree = 1;
    ASSERT_TRUE(follower.update(*g, table, reply));
    EXPECT_EQ(follower.caption(), "");
    g->offTree = 0;
    ASSERT_TRUE(follower.update(*g, table, reply));
    EXPECT_EQ(follower.caption(), "White throws in.\nThen black is dead.");
    EXPECT_EQ(reply, "");
    // Taken back to the start: the goal again, and no reply.
    g->currentNode = 0;
    ASSERT_TRUE(follower.update(*g, table, reply));
    EXPECT_EQ(reply, "");
    EXPECT_EQ(follower.caption(), p.title + "\nBlack to live.");
}

// Problem 1 in the runner: the goal as it starts; a wrong first move shows
// its author's comment after White's reply; a correct line shows nothing of
// the nodes ahead of it.
TEST(Captions, RunnerShowsWordsOnlyOnceReached)
{
    const std::string start = "caption Hane from the edge\\nBlack to kill the white corner group.";
    const std::vector<std::string> wrong = captionLines(solving_test::runVostra("wait 10\n" + tapOf(1, 3)));
    // The status comes while White's reply is played; the caption once the
    // program is idle again.
    ASSERT_GE(wrong.size(), 4u);
    EXPECT_EQ(wrong[0], start);
    EXPECT_NE(std::find(wrong.begin(), wrong.end(), "status Failure"), wrong.end());
    EXPECT_EQ(wrong.back(), "caption Wrong. White blocks on the edge and lives.");
    EXPECT_NE(std::find(wrong.begin(), wrong.end(), "reply A14"), wrong.end());

    // A14 then, after White's B17, A16: the comment only after the last move.
    // (The record has the problem turned: its points are not the file's.)
    const std::string out = solving_test::runVostra("wait 10\n" + tapOf(1, 6) + tapOf(1, 4));
    const std::vector<std::string> right = captionLines(out);
    const auto said = std::find(right.begin(), right.end(), "caption Correct. White cannot make a second eye.");
    ASSERT_NE(said, right.end()) << out;
    for (auto it = right.begin(); it != said; ++it) EXPECT_EQ(it->find("Correct"), std::string::npos) << *it;
    EXPECT_NE(std::find(right.begin(), said, "reply B17"), said);
    EXPECT_NE(std::find(right.begin(), said, "status Good"), said);
}
