#include "tools/record_encoder.h"

namespace {

// The logical bit sequence of a record, least significant bit of each value
// first, before the two header bits are taken out of it.
class BitSequence {
public:
    void put(uint32_t value, int bits)
    {
        for (int i = 0; i < bits; ++i) bits_.push_back(static_cast<uint8_t>((value >> i) & 1u));
    }
    std::vector<uint8_t>& bits() { return bits_; }

private:
    std::vector<uint8_t> bits_;
};

// The point token: the low five bits of the point, the flag, then the top four
// bits of the point in reverse order.
uint32_t pointToken(uint32_t point, bool flag)
{
    return (point & 31u) | (flag ? 1u : 0u) << 5 | ((point >> 8) & 1u) << 6 | ((point >> 7) & 1u) << 7 |
           ((point >> 6) & 1u) << 8 | ((point >> 5) & 1u) << 9;
}

char recordChar(uint32_t value) { return static_cast<char>('0' + (value & 63u)); }

}  // namespace

std::string packRecordBytes(const std::vector<uint8_t>& bytes)
{
    std::string out;
    out.reserve(bytes.size() / 3 * 4 + 3);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        uint32_t b0 = bytes[i], b1 = bytes[i + 1], b2 = bytes[i + 2];
        out += recordChar(b0);
        out += recordChar(b1);
        out += recordChar(b2);
        out += recordChar(b0 >> 6 | (b1 >> 6) << 2 | (b2 >> 6) << 4);
    }
    if (bytes.size() - i == 1) {
        out += recordChar(bytes[i]);
        out += recordChar(bytes[i] >> 6);
    } else if (bytes.size() - i == 2) {
        uint32_t b0 = bytes[i], b1 = bytes[i + 1];
        out += recordChar(b0);
        out += recordChar(b1);
        out += recordChar(b0 >> 6 | (b1 >> 6) << 2);
    }
    return out;
}

bool encodeRecord(const Problem& p, std::string& record, std::string& reason)
{
    record.clear();
    if (p.cols < 0 || p.cols > 31 || p.rows < 0 || p.rows > 31) {
        reason = "board size " + std::to_string(p.cols) + "x" + std::to_string(p.rows) + " does not fit 5 bits";
        return false;
    }
    if (p.black.size() > kMaxColourStones || p.white.size() > kMaxColourStones) {
        reason = "more than " + std::to_string(kMaxColourStones) + " setup stones of one colour";
        return false;
    }
    const size_t entries = p.nodes.size() + 1;
    if (entries > kMaxEntries) {
        reason = std::to_string(entries) + " tree entries, the format holds " + std::to_string(kMaxEntries);
        return false;
    }
    for (int32_t s : p.black)
        if (s < 0 || s > 511) return reason = "setup point out of range", false;
    for (int32_t s : p.white)
        if (s < 0 || s > 511) return reason = "setup point out of range", false;
    for (const ProblemNode& n : p.nodes)
        if (n.point < 0 || n.point > 511 || n.depth < 0 || n.depth > 255)
            return reason = "tree node out of range", false;
    if (!p.nodes.empty() && p.nodes[0].depth != 1) return reason = "the first tree node is not at depth 1", false;

    BitSequence seq;
    for (int32_t s : p.black) seq.put(static_cast<uint32_t>(s), 9);
    for (int32_t s : p.white) seq.put(static_cast<uint32_t>(s), 9);
    uint32_t node1Point = 0, node1Flag = 0;
    if (!p.nodes.empty()) {
        node1Point = static_cast<uint32_t>(p.nodes[0].point);
        node1Flag = p.nodes[0].success ? 1u : 0u;
        seq.put(1, 1);  // node 1's separator
        int32_t depth = 1;
        for (size_t i = 1; i < p.nodes.size(); ++i) {
            const ProblemNode& n = p.nodes[i];
            if (n.depth == ((depth + 1) & 255)) {
                seq.put(1, 1);
            } else {
                seq.put(0, 1);
                seq.put(static_cast<uint32_t>(n.depth), 8);
            }
            depth = n.depth;
            seq.put(pointToken(static_cast<uint32_t>(n.point), n.success), 10);
            seq.put(1, 1);
        }
    }

    // The decoder takes headerB bit 31 first, then the bytes, and slips
    // headerA bit 31 in where the white stones begin.
    std::vector<uint8_t>& bits = seq.bits();
    const size_t whiteStart = 9 * p.black.size();
    uint32_t headerABit = 0;
    if (whiteStart < bits.size()) {
        headerABit = bits[whiteStart];
        bits.erase(bits.begin() + static_cast<std::ptrdiff_t>(whiteStart));
    }
    uint32_t headerBBit = bits.empty() ? 0u : bits[0];

    const uint32_t headerA = static_cast<uint32_t>(p.white.size()) | static_cast<uint32_t>(p.cols) << 12 |
                             static_cast<uint32_t>(p.rows) << 17 | node1Point << 22 | headerABit << 31;
    const uint32_t headerB = static_cast<uint32_t>(entries) << 13 | static_cast<uint32_t>(p.black.size()) << 22 |
                             node1Flag << 30 | headerBBit << 31;

    std::vector<uint8_t> bytes;
    bytes.reserve(8 + bits.size() / 8 + 1);
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(headerA >> shift));
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(headerB >> shift));
    for (size_t i = 1; i < bits.size(); i += 8) {
        uint8_t b = 0;
        for (size_t k = 0; k < 8 && i + k < bits.size(); ++k) b |= static_cast<uint8_t>(bits[i + k] << k);
        bytes.push_back(b);
    }
    record = packRecordBytes(bytes);
    if (record.size() > kMaxRecordLength) {
        reason = "the record would have " + std::to_string(record.size()) + " characters, at most " +
                 std::to_string(kMaxRecordLength) + " fit";
        record.clear();
        return false;
    }
    return true;
}
