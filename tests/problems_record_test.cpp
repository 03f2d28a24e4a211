// Problem records: unpacking the character form, decoding the bit sequence,
// records whose counts overrun their buffers, and the decode command.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "problems/record.h"
#include "tests/rules_support.h"
#include "tests/support.h"

using namespace rules_test;

namespace {

std::vector<uint8_t> unpacked(const std::string& record)
{
    std::vector<char> buffer(record.begin(), record.end());
    buffer.push_back('\0');
    int32 n = unpackRecord(buffer.data());
    EXPECT_EQ(buffer[n], '\0');
    return std::vector<uint8_t>(buffer.begin(), buffer.begin() + n);
}

// Decodes from a buffer of exactly the record's bytes, so that a read past
// them shows up under the address sanitizer.
std::unique_ptr<GameContext> decoded(const std::vector<uint8_t>& bytes)
{
    auto g = std::make_unique<GameContext>();
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() + 1]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    decodeRecord(*g, exact.get(), static_cast<int32>(bytes.size()));
    return g;
}

const char* const kWorkedRecord = "?>A^100P00E3nZNP8VY910NXY0";

}  // namespace

TEST(Record, UnpacksCharacterGroupsAndTails)
{
    EXPECT_EQ(unpacked("1234"), (std::vector<uint8_t>{0x01, 0x42, 0x03}));
    EXPECT_EQ(unpacked("ooo"), (std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(unpacked("00000"), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(unpacked(""), std::vector<uint8_t>{});
    EXPECT_EQ(unpacked("o3"), std::vector<uint8_t>{0xFF});
}

TEST(Record, WorkedExample)
{
    const std::vector<uint8_t> bytes = {0x8F, 0xCE, 0x91, 0x01, 0x00, 0x80, 0xC0, 0x00, 0x15, 0x3E,
                                        0x2A, 0x9E, 0x48, 0xA6, 0x29, 0x01, 0x80, 0x9E, 0x29};
    EXPECT_EQ(unpacked(kWorkedRecord), bytes);
    EXPECT_EQ(packBytes(bytes), kWorkedRecord);
    auto g = decoded(bytes);
    EXPECT_EQ(g->problemCols, 9);
    EXPECT_EQ(g->problemRows, 7);
    EXPECT_STREQ(g->SetupText, "CCDC CD|");
    EXPECT_STREQ(g->NodeText, "00000~1DD0 ~2ED0 ~3EE1 ~2DE0 ~3ED1 ~");
}

TEST(Record, HeaderFieldsAndClamping)
{
    RecordSpec s;
    s.ignoredA = 15;
    s.ignoredB = 0x1FFF;
    for (int size : {0, 1, 2, 3, 12, 19, 20, 31}) {
        s.cols = size;
        s.rows = 31 - size;
        auto g = decoded(encodeBytes(s));
        int clamp = size < 3 ? 3 : size > 19 ? 19 : size;
        int clampRows = 31 - size < 3 ? 3 : 31 - size > 19 ? 19 : 31 - size;
        EXPECT_EQ(g->problemCols, clamp) << size;
        EXPECT_EQ(g->problemRows, clampRows) << size;
    }
    // No stones, root alone (entryCount 0 and 1 alike).
    auto g = decoded(encodeBytes(s));
    EXPECT_STREQ(g->SetupText, " |");
    EXPECT_STREQ(g->NodeText, "00000~");
    s.entryCount = 0;
    s.nodes = {{1, 77, 1}};
    EXPECT_STREQ(decoded(encodeBytes(s))->NodeText, "00000~");
}

TEST(Record, TokensAndTheHeaderBitOrder)
{
    // Without setup stones, node 1's separator is headerA bit 31 alone.
    RecordSpec s;
    s.nodes = {{1, 399, 1}, {2, 0, 1}, {3, 32, 0}};
    std::vector<uint8_t> bytes = encodeBytes(s);
    EXPECT_EQ(bytes[0] >> 7, 1);  // headerA bit 31: the short separator
    auto g = decoded(bytes);
    EXPECT_STREQ(g->SetupText, " |");
    EXPECT_STREQ(g->NodeText, "00000~1TT1 ~2AA1 ~3BM0 ~");

    // By hand: headerA bit 31 = node 1's separator, headerB bit 31 = a depth
    // token of +1, then the point token from byte 8.  Only t5 set gives "AA1",
    // only t9 set "BM0".
    bytes = {0x80, 0, 0, 0, 0x80, 0x00, 0x60, 0x00, 0x20, 0x04};
    EXPECT_STREQ(decoded(bytes)->NodeText, "00000~1AA0 ~2AA1 ~");
    bytes = {0x80, 0, 0, 0, 0x80, 0x00, 0x60, 0x00, 0x00, 0x06};
    EXPECT_STREQ(decoded(bytes)->NodeText, "00000~1AA0 ~2BM0 ~");
}

TEST(Record, RandomRecordsDecodeToTheirFields)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        RecordSpec s;
        s.cols = rng() % 32;
        s.rows = rng() % 32;
        s.ignoredA = rng() % 16;
        s.ignoredB = rng() % 8192;
        int blacks = rng() % 40, whites = rng() % 40, nodes = rng() % 60;
        for (int i = 0; i < blacks; ++i) s.black.push_back(rng() % 400);
        for (int i = 0; i < whites; ++i) s.white.push_back(rng() % 400);
        int depth = 1;
        for (int i = 0; i < nodes; ++i) {
            TreeNode n{depth, static_cast<int>(rng() % 400), static_cast<int>(rng() % 2)};
            if (i > 0) {
                n.explicitDepth = rng() % 4 == 0;
                n.depth = n.explicitDepth ? rng() % 256 : (depth + 1) & 255;  // wraps at 256
            }
            n.separatorBits = rng() % 3 == 0 ? static_cast<int>(rng() % 16) : -1;
            depth = n.depth;
            s.nodes.push_back(n);
        }
        std::string record = encodeRecord(s);
        auto g = decoded(unpacked(record));
        ASSERT_EQ(std::string(g->SetupText), expectedSetup(s)) << record;
        const std::string text = expectedNodes(s);  // may hold a NUL (depth 208)
        ASSERT_EQ(std::string(g->NodeText, text.size() + 1), text + '\0') << record;
    }
}

TEST(Record, CountsBeyondTheRecordOrTheBuffersStopSafely)
{
    // Header claims 255 + 255 stones and 511 entries but the record ends after
    // the header: the missing bits read as zero and the texts stay in bounds.
    RecordSpec s;
    s.entryCount = 511;
    std::vector<uint8_t> bytes = encodeBytes(s);
    bytes.resize(8);
    bytes[3] = 0xFF;                    // whiteCount 255
    bytes[4] = 0x3F, bytes[5] |= 0xC0;  // blackCount 255
    auto g = decoded(bytes);
    std::string setup = g->SetupText;
    ASSERT_LT(setup.size(), sizeof g->SetupText);
    EXPECT_EQ(setup.back(), '|');
    EXPECT_EQ(setup.size(), 766u);  // 255 black pairs, ' ', 127 white pairs, '|'
    EXPECT_EQ(setup.substr(0, 4), "AAAA");
    EXPECT_EQ(std::string(g->NodeText).size(), 511u * 6);

    // The largest setup the format allows still fits whole.
    s = RecordSpec{};
    for (int i = 0; i < 255; ++i) s.black.push_back(i);
    for (int i = 0; i < 127; ++i) s.white.push_back(399 - i);
    s.nodes = {{1, 5, 1}, {2, 6, 0}};
    g = decoded(encodeBytes(s));
    EXPECT_EQ(std::string(g->SetupText), expectedSetup(s));
    EXPECT_EQ(std::string(g->NodeText), expectedNodes(s));

    // One stone more is dropped, and the tree after the stones still decodes.
    s.white.push_back(1);
    g = decoded(encodeBytes(s));
    EXPECT_EQ(std::string(g->SetupText).size(), 766u);
    EXPECT_EQ(std::string(g->NodeText), expectedNodes(s));

    // Records shorter than the header.
    g = decoded({0x8F, 0xCE});
    EXPECT_EQ(g->problemCols, 3);
    EXPECT_STREQ(g->SetupText, " |");
    EXPECT_STREQ(decoded({})->NodeText, "00000~");
}

TEST(Record, DecodeCommand)
{
    Output r = runCommand(kVostraProblems + " decode '" + kWorkedRecord + "' 2>&1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "cols 9\nrows 7\nsetup CCDC CD|\nnodes 00000~1DD0 ~2ED0 ~3EE1 ~2DE0 ~3ED1 ~\n");
    r = runCommand(kVostraProblems + " decode 'ABC|' 2>&1");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("outside '0'..'o'"), std::string::npos) << r.out;
    EXPECT_EQ(runCommand(kVostraProblems + " decode 'p000' 2>&1").status, 1);
}
