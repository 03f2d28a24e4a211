#include "problems/record.h"

#include "game/format.h"

#include <cstring>

namespace {

// The six bits a record character carries.  Characters outside '0'..'o' are
// not part of the format; masking keeps their value to six bits so that they
// can never spill into a neighbouring bit field.
inline uint32_t charValue(char c) { return (static_cast<uint32_t>(static_cast<unsigned char>(c)) - 48u) & 63u; }

// The record's bit sequence: bits are taken least significant first from a
// 32-bit word that is refilled a byte at a time.  Bytes at or beyond byteCount
// read as zero, so a record shorter than its counts decodes with zero bits.
struct BitReader {
    const uint8_t* bytes;
    int32 byteCount;
    int32 next;  // index of the next byte to load
    uint32_t word;
    int32 count;  // bits waiting in word

    uint32_t take(int32 k)
    {
        while (count < k) {
            uint32_t b = next < byteCount ? bytes[next] : 0;
            if (next < byteCount) ++next;
            word |= b << count;
            count += 8;
        }
        uint32_t v = word & ((1u << k) - 1u);
        word >>= k;
        count -= k;
        return v;
    }

    // Puts one bit in front of those still waiting.
    void insertFront(uint32_t bit)
    {
        word = (word << 1) | (bit & 1u);
        ++count;
    }
};

uint32_t readWord(const uint8_t* bytes, int32 byteCount, int32 at)
{
    uint32_t w = 0;
    for (int32 i = 0; i < 4; ++i) w = (w << 8) | (at + i < byteCount ? bytes[at + i] : 0u);
    return w;
}

int32 clampSize(uint32_t v) { return v < 3 ? 3 : v > 19 ? 19 : static_cast<int32>(v); }

struct NodeWriter {
    char* text;
    int32 pos;

    void entry(uint32_t depth, uint32_t pointIndex, uint32_t flag)
    {
        char* e = text + pos;
        e[0] = static_cast<char>('0' + depth);
        e[1] = pointCode(pointCol(static_cast<int32>(pointIndex)));
        e[2] = pointCode(pointRow(static_cast<int32>(pointIndex)));
        e[3] = static_cast<char>('0' + flag);
        e[4] = ' ';
        e[5] = '~';
        pos += 6;
    }
};

// Room is kept at the end of SetupText for the ' ' between the colours (while
// black stones are written), the '|' and the NUL.
constexpr int32 kSetupSize = sizeof(GameContext::SetupText);

}  // namespace

int32 unpackRecord(char* record)
{
    const int32 length = static_cast<int32>(std::strlen(record));
    const int32 groups = length / 4;
    int32 out = 0;
    for (int32 i = 0; i < groups; ++i) {
        const char* c = record + 4 * i;
        uint32_t v0 = charValue(c[0]), v1 = charValue(c[1]), v2 = charValue(c[2]), v3 = charValue(c[3]);
        record[out++] = static_cast<char>(v0 | (v3 & 3u) << 6);
        record[out++] = static_cast<char>(v1 | ((v3 >> 2) & 3u) << 6);
        record[out++] = static_cast<char>(v2 | ((v3 >> 4) & 3u) << 6);
    }
    const char* tail = record + 4 * groups;
    switch (length % 4) {
    case 2:
        record[out++] = static_cast<char>(charValue(tail[0]) | (charValue(tail[1]) & 3u) << 6);
        break;
    case 3: {
        uint32_t v0 = charValue(tail[0]), v1 = charValue(tail[1]), v2 = charValue(tail[2]);
        record[out++] = static_cast<char>(v0 | (v2 & 3u) << 6);
        record[out++] = static_cast<char>(v1 | ((v2 >> 2) & 3u) << 6);
        break;
    }
    default:
        break;  // a single trailing character carries no whole byte
    }
    record[out] = '\0';
    return out;
}

void decodeRecord(GameContext& g, const uint8_t* bytes, int32 byteCount)
{
    if (byteCount < 0) byteCount = 0;
    std::memset(g.SetupText, 0, sizeof g.SetupText);
    std::memset(g.NodeText, 0, 4096);

    const uint32_t headerA = readWord(bytes, byteCount, 0);
    const uint32_t headerB = readWord(bytes, byteCount, 4);
    g.problemCols = clampSize((headerA >> 12) & 31u);
    g.problemRows = clampSize((headerA >> 17) & 31u);

    const uint32_t whiteCount = headerA & 0xFFu;
    const uint32_t blackCount = (headerB >> 22) & 0xFFu;
    const uint32_t entryCount = (headerB >> 13) & 0x1FFu;

    BitReader bits{bytes, byteCount, 8, headerB >> 31, 1};

    // Stones whose pair would crowd out the separators are read (so that the
    // tree bits stay in place) but not written.
    char* setup = g.SetupText;
    int32 pos = 0;
    for (uint32_t i = 0; i < blackCount; ++i) {
        uint32_t p = bits.take(9);
        if (pos + 2 <= kSetupSize - 3) {
            setup[pos++] = pointCode(pointCol(static_cast<int32>(p)));
            setup[pos++] = pointCode(pointRow(static_cast<int32>(p)));
        }
    }
    setup[pos++] = ' ';
    bits.insertFront(headerA >> 31);
    for (uint32_t i = 0; i < whiteCount; ++i) {
        uint32_t p = bits.take(9);
        if (pos + 2 <= kSetupSize - 2) {
            setup[pos++] = pointCode(pointCol(static_cast<int32>(p)));
            setup[pos++] = pointCode(pointRow(static_cast<int32>(p)));
        }
    }
    setup[pos] = '|';

    // At most 511 entries of six characters: always inside the cleared part.
    std::memcpy(g.NodeText, "00000~", 6);
    NodeWriter nodes{g.NodeText, 6};
    if (entryCount <= 1) return;

    if (bits.take(1) == 0) bits.take(4);
    uint32_t depth = 1;
    nodes.entry(depth, (headerA >> 22) & 0x1FFu, (headerB >> 30) & 1u);

    for (uint32_t written = 2; written < entryCount; ++written) {
        if (bits.take(1))
            depth = (depth + 1) & 0xFFu;
        else
            depth = bits.take(8);
        uint32_t t = bits.take(10);
        uint32_t pointIndex =
            (t & 31u) | ((t >> 6) & 1u) << 8 | ((t >> 7) & 1u) << 7 | ((t >> 8) & 1u) << 6 | ((t >> 9) & 1u) << 5;
        uint32_t flag = (t >> 5) & 1u;
        if (bits.take(1) == 0) bits.take(4);
        nodes.entry(depth, pointIndex, flag);
    }
}
