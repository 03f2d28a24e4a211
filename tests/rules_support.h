// Helpers shared by the record, tree and rules tests: boards drawn as text,
// and a record encoder (the inverse of the decoder) for building test records.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "board/board.h"
#include "game/context.h"
#include "game/text_util.h"

namespace rules_test {

// A context with the given visible area and no problem; the board is empty,
// Black to move.
inline std::unique_ptr<GameContext> emptyBoard(int32 cols, int32 rows)
{
    auto g = std::make_unique<GameContext>();
    g->visibleCols = cols;
    g->visibleRows = rows;
    std::strcpy(g->SetupText, " |");
    g->setupText = g->SetupText;
    g->setupLength = 1;
    resetBoard(*g, false);
    return g;
}

// Sets up the stones of a diagram as the problem's setup position and resets
// the board to it.  Each string is one row from the top; 'X' black, 'O' white,
// anything else empty.  The visible area is the diagram's size unless given.
inline std::unique_ptr<GameContext> boardFrom(const std::vector<std::string>& rows, int32 cols = 0,
                                              int32 visibleRows = 0)
{
    auto g = std::make_unique<GameContext>();
    g->visibleCols = cols ? cols : static_cast<int32>(rows[0].size());
    g->visibleRows = visibleRows ? visibleRows : static_cast<int32>(rows.size());
    std::string black, white;
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            std::string pair{static_cast<char>(65 + c), static_cast<char>(65 + r)};
            if (rows[r][c] == 'X') black += pair;
            if (rows[r][c] == 'O') white += pair;
        }
    std::string text = black + " " + white + "|";
    std::memset(g->SetupText, 0, sizeof g->SetupText);
    std::memcpy(g->SetupText, text.data(), text.size());
    g->setupText = g->SetupText;
    g->setupLength = charIndex(g->SetupText, '|');
    resetBoard(*g, false);
    return g;
}

// The visible area as a diagram, in the form boardFrom takes.
inline std::vector<std::string> diagram(const GameContext& g)
{
    std::vector<std::string> out;
    for (int32 r = 1; r <= g.visibleRows; ++r) {
        std::string line;
        for (int32 c = 1; c <= g.visibleCols; ++c)
            line += g.stoneGrid[c][r] == 1 ? 'X' : g.stoneGrid[c][r] == -1 ? 'O' : '.';
        out.push_back(line);
    }
    return out;
}

// The plain game state of a context (everything before the palette), for
// comparing two contexts field by field in one go.
inline std::string stateBytes(const GameContext& g)
{
    const char* begin = reinterpret_cast<const char*>(&g.boardAreaWidth);
    const char* end = reinterpret_cast<const char*>(&g.blackBrush);
    return std::string(begin, end);
}

// The move state in one line: move number, side to move, last move, the
// stones it captured and the history.
inline std::string moveState(const GameContext& g)
{
    return "move " + std::to_string(g.moveNumber) + " side " + std::to_string(g.sideToMove) + " last " +
           std::to_string(g.lastMoveCol) + "," + std::to_string(g.lastMoveRow) + " captured " +
           std::to_string(g.lastCaptureCount) + " history " + g.moveHistory;
}

// ---- record encoding --------------------------------------------------------

struct TreeNode {
    int depth;  // written as an explicit depth token unless it is the previous depth + 1
    int point;  // pointIndex, 0..511
    int flag;
    bool explicitDepth = false;
    int separatorBits = -1;  // -1: short separator; 0..15: long separator with these bits
};

struct RecordSpec {
    int cols = 9, rows = 9;
    int ignoredA = 0, ignoredB = 0;  // the header bits the format ignores
    std::vector<int> black, white;
    std::vector<TreeNode> nodes;  // node 1 first
    int entryCount = -1;          // -1: nodes.size() + 1
};

// Writes values least significant bit first.
struct BitSink {
    std::vector<int> bits;
    void put(uint32_t value, int width)
    {
        for (int i = 0; i < width; ++i) bits.push_back((value >> i) & 1);
    }
};

// The record's bytes.
inline std::vector<uint8_t> encodeBytes(const RecordSpec& s)
{
    BitSink seq;
    for (int p : s.black) seq.put(p, 9);
    const size_t whiteStart = seq.bits.size();
    for (int p : s.white) seq.put(p, 9);
    int previousDepth = 1;
    for (size_t i = 0; i < s.nodes.size(); ++i) {
        const TreeNode& n = s.nodes[i];
        if (i > 0) {
            if (!n.explicitDepth && n.depth == ((previousDepth + 1) & 255)) {
                seq.put(1, 1);
            } else {
                seq.put(0, 1);
                seq.put(n.depth, 8);
            }
            uint32_t p = n.point;
            uint32_t token = (p & 31) | (n.flag & 1) << 5 | ((p >> 8) & 1) << 6 | ((p >> 7) & 1) << 7 |
                             ((p >> 6) & 1) << 8 | ((p >> 5) & 1) << 9;
            seq.put(token, 10);
            previousDepth = n.depth;
        }
        if (n.separatorBits < 0) {
            seq.put(1, 1);
        } else {
            seq.put(0, 1);
            seq.put(n.separatorBits, 4);
        }
    }
    while (seq.bits.size() < whiteStart + 2) seq.bits.push_back(0);

    const int entryCount = s.entryCount >= 0 ? s.entryCount : static_cast<int>(s.nodes.size()) + 1;
    const TreeNode first = s.nodes.empty() ? TreeNode{1, 0, 0} : s.nodes[0];
    // headerA bit 31 is the bit taken where the white list begins, headerB bit
    // 31 the first other bit; the bytes carry the rest in order.
    const size_t bIndex = whiteStart == 0 ? 1 : 0;
    uint32_t a31 = seq.bits[whiteStart];
    uint32_t b31 = seq.bits[bIndex];
    uint32_t headerA = (s.white.size() & 255) | (s.ignoredA & 15u) << 8 | (s.cols & 31u) << 12 | (s.rows & 31u) << 17 |
                       (first.point & 511u) << 22 | a31 << 31;
    uint32_t headerB = (s.ignoredB & 0x1FFFu) | (entryCount & 511u) << 13 | (s.black.size() & 255u) << 22 |
                       (first.flag & 1u) << 30 | b31 << 31;

    std::vector<uint8_t> bytes;
    for (int k = 24; k >= 0; k -= 8) bytes.push_back((headerA >> k) & 255);
    for (int k = 24; k >= 0; k -= 8) bytes.push_back((headerB >> k) & 255);
    std::vector<int> rest;
    for (size_t i = 0; i < seq.bits.size(); ++i)
        if (i != whiteStart && i != bIndex) rest.push_back(seq.bits[i]);
    for (size_t i = 0; i < rest.size(); i += 8) {
        uint8_t b = 0;
        for (size_t j = 0; j < 8 && i + j < rest.size(); ++j) b |= rest[i + j] << j;
        bytes.push_back(b);
    }
    return bytes;
}

// The character form of the bytes: three bytes become four characters.
inline std::string packBytes(const std::vector<uint8_t>& bytes)
{
    std::string out;
    auto ch = [](unsigned v) { return static_cast<char>(48 + (v & 63)); };
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        out += ch(bytes[i]);
        out += ch(bytes[i + 1]);
        out += ch(bytes[i + 2]);
        out += ch(bytes[i] >> 6 | (bytes[i + 1] >> 6) << 2 | (bytes[i + 2] >> 6) << 4);
    }
    if (bytes.size() - i == 1) {
        out += ch(bytes[i]);
        out += ch(bytes[i] >> 6);
    } else if (bytes.size() - i == 2) {
        out += ch(bytes[i]);
        out += ch(bytes[i + 1]);
        out += ch(bytes[i] >> 6 | (bytes[i + 1] >> 6) << 2);
    }
    return out;
}

inline std::string encodeRecord(const RecordSpec& s) { return packBytes(encodeBytes(s)); }

// Expected decoded texts of a spec, written directly from its fields.
inline std::string pointText(int p) { return {static_cast<char>(p / 20 + 65), static_cast<char>(p % 20 + 65)}; }

inline std::string expectedSetup(const RecordSpec& s)
{
    std::string t;
    for (int p : s.black) t += pointText(p);
    t += ' ';
    for (int p : s.white) t += pointText(p);
    return t + '|';
}

inline std::string expectedNodes(const RecordSpec& s)
{
    std::string t = "00000~";
    const int entryCount = s.entryCount >= 0 ? s.entryCount : static_cast<int>(s.nodes.size()) + 1;
    for (int i = 0; i + 1 < entryCount && i < static_cast<int>(s.nodes.size()); ++i) {
        const TreeNode& n = s.nodes[i];
        t += static_cast<char>('0' + n.depth);
        t += pointText(n.point);
        t += static_cast<char>('0' + n.flag);
        t += " ~";
    }
    return t;
}

}  // namespace rules_test
