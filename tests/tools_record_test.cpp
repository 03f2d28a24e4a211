// The record encoder against the game's decoder: random problems survive the
// round trip, records made by the decoder tests' own encoder come back as the
// same text, and the checker finds what is wrong with a record.
#include <gtest/gtest.h>

#include <random>

#include "tests/rules_support.h"
#include "tools/decoded_problem.h"
#include "tools/record_check.h"
#include "tools/record_encoder.h"

namespace {

// A random problem in depth-first order; depths never jump by more than one.
Problem randomProblem(std::mt19937& rng)
{
    Problem p;
    p.cols = 3 + static_cast<int32_t>(rng() % 17);
    p.rows = 3 + static_cast<int32_t>(rng() % 17);
    const int blacks = rng() % 4 == 0 ? static_cast<int>(rng() % 256) : static_cast<int>(rng() % 20);
    const int whites = static_cast<int>(rng() % std::min(127, kMaxSetupStones - blacks));
    for (int i = 0; i < blacks; ++i) p.black.push_back(static_cast<int32_t>(rng() % 400));
    for (int i = 0; i < whites; ++i) p.white.push_back(static_cast<int32_t>(rng() % 400));
    const int nodes = rng() % 5 == 0 ? static_cast<int>(rng() % kMaxEntries) : static_cast<int>(rng() % 40);
    int32_t depth = 0;
    for (int i = 0; i < nodes; ++i) {
        depth = i == 0 ? 1 : rng() % 3 ? depth + 1 : 1 + static_cast<int32_t>(rng() % depth);
        if (depth > kMaxDepth) depth = 1 + static_cast<int32_t>(rng() % kMaxDepth);
        p.nodes.push_back({depth, static_cast<int32_t>(rng() % 8 ? rng() % 400 : kPassPoint), rng() % 2 == 0});
    }
    return p;
}

std::string encoded(const Problem& p)
{
    std::string record, reason;
    EXPECT_TRUE(encodeRecord(p, record, reason)) << reason;
    return record;
}

}  // namespace

TEST(CompilerRecord, RandomProblemsSurviveTheDecoder)
{
    std::mt19937 rng(2024);
    auto g = std::make_unique<GameContext>();
    for (int round = 0; round < 400; ++round) {
        const Problem p = randomProblem(rng);
        const std::string record = encoded(p);
        Problem back;
        std::string reason;
        ASSERT_TRUE(decodeRecordText(record, *g, back, reason)) << reason;
        ASSERT_EQ(back, p) << record;
        ASSERT_EQ(encoded(back), record);
    }
}

TEST(CompilerRecord, DecoderTestRecordsEncodeBackToTheSameText)
{
    // Records in the form the decoder tests build them (short separators,
    // depth tokens only where needed, ignored bits clear) are the canonical
    // form this encoder writes.
    std::mt19937 rng(11);
    auto g = std::make_unique<GameContext>();
    for (int round = 0; round < 300; ++round) {
        rules_test::RecordSpec s;
        s.cols = 3 + rng() % 17;
        s.rows = 3 + rng() % 17;
        for (int i = rng() % 40; i > 0; --i) s.black.push_back(rng() % 400);
        for (int i = rng() % 40; i > 0; --i) s.white.push_back(rng() % 400);
        int depth = 0;
        for (int i = 2 + rng() % 60; i > 0; --i) {
            depth = depth == 0 ? 1 : rng() % 3 ? depth + 1 : 1 + rng() % depth;
            s.nodes.push_back({depth, static_cast<int>(rng() % 400), static_cast<int>(rng() % 2)});
        }
        const std::string theirs = rules_test::encodeRecord(s);
        Problem p;
        std::string reason;
        ASSERT_TRUE(decodeRecordText(theirs, *g, p, reason));
        ASSERT_EQ(encoded(p), theirs);
    }

    // The worked example sets ignored header bits and a long separator: the
    // canonical record differs in text but decodes to the same texts.
    const char* worked = "?>A^100P00E3nZNP8VY910NXY0";
    Problem p;
    std::string reason;
    ASSERT_TRUE(decodeRecordText(worked, *g, p, reason));
    const std::string setup = g->SetupText, nodes = g->NodeText;
    const std::string canonical = encoded(p);
    EXPECT_NE(canonical, worked);
    Problem again;
    ASSERT_TRUE(decodeRecordText(canonical, *g, again, reason));
    EXPECT_EQ(g->SetupText, setup);
    EXPECT_EQ(g->NodeText, nodes);
    EXPECT_EQ(g->problemCols, 9);
}

TEST(CompilerRecord, EncoderRefusesWhatTheFormatCannotHold)
{
    Problem p;
    p.nodes = {{1, 0, true}};
    std::string record, reason;
    p.black.assign(256, 0);
    EXPECT_FALSE(encodeRecord(p, record, reason));
    p.black.clear();
    p.nodes.assign(kMaxEntries, {1, 0, true});
    EXPECT_FALSE(encodeRecord(p, record, reason));
    p.nodes = {{2, 0, true}};
    EXPECT_FALSE(encodeRecord(p, record, reason));
    p.nodes = {{1, 512, true}};
    EXPECT_FALSE(encodeRecord(p, record, reason));
    // The root alone is a valid record (entry count 1).
    p.nodes.clear();
    EXPECT_TRUE(encodeRecord(p, record, reason));
}

TEST(CompilerRecord, CheckFindsFaults)
{
    // A sound corner problem: Black captures the white stone at BA.
    Problem p;
    p.cols = p.rows = 4;
    p.black = {pointIndexOf(1, 2), pointIndexOf(2, 2)};
    p.white = {pointIndexOf(2, 1)};
    p.nodes = {{1, pointIndexOf(3, 1), true},
               {1, pointIndexOf(4, 4), false},
               {2, kPassPoint, false},
               {3, pointIndexOf(3, 1), true}};
    RecordCheck c;
    ASSERT_TRUE(checkRecord(encoded(p), c)) << (c.faults.empty() ? "" : c.faults[0]);
    EXPECT_EQ(c.successLines, 2);

    auto faultOf = [](const Problem& q) {
        RecordCheck r;
        EXPECT_FALSE(checkRecord(encoded(q), r));
        return r.faults.empty() ? std::string() : r.faults[0];
    };
    Problem bad = p;
    bad.nodes[1].point = pointIndexOf(1, 2);  // onto a black stone
    EXPECT_NE(faultOf(bad).find("occupied"), std::string::npos);
    bad = p;
    bad.black.push_back(pointIndexOf(19, 19));  // beyond the shown area
    EXPECT_NE(faultOf(bad).find("outside the shown area"), std::string::npos);
    bad = p;
    bad.nodes[3].depth = 5;
    EXPECT_NE(faultOf(bad).find("depth"), std::string::npos);
    bad = p;
    for (ProblemNode& n : bad.nodes) n.success = false;
    EXPECT_NE(faultOf(bad).find("no line ends solved"), std::string::npos);
    // White filling its own last liberty is suicide.
    bad = p;
    bad.nodes = {{1, pointIndexOf(3, 1), false}, {2, pointIndexOf(1, 1), true}};
    EXPECT_NE(faultOf(bad).find("suicide"), std::string::npos);

    RecordCheck r;
    EXPECT_FALSE(checkRecord("?>A^100P00E3nZNP8VY910NXY0", r));  // not canonical
    EXPECT_FALSE(checkRecord("abc|", r));
}
