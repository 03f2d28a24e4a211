#include "tools/decoded_problem.h"

#include <cstring>

#include "problems/record.h"

void problemFromDecoded(const GameContext& g, Problem& p)
{
    p = Problem();
    p.cols = g.problemCols;
    p.rows = g.problemRows;
    const char* s = g.SetupText;
    std::vector<int32_t>* stones = &p.black;
    for (size_t i = 0; i < sizeof g.SetupText && s[i] && s[i] != '|';) {
        if (s[i] == ' ') {
            stones = &p.white;
            ++i;
            continue;
        }
        if (i + 1 >= sizeof g.SetupText) break;
        stones->push_back(pointIndexOf(pointCodeValue(s[i]), pointCodeValue(s[i + 1])));
        i += 2;
    }
    // Entry 0 is the root; every entry is six characters.
    const char* t = g.NodeText;
    for (size_t at = 6; at + 6 <= sizeof g.NodeText && t[at]; at += 6) {
        ProblemNode n;
        n.depth = static_cast<int32_t>(static_cast<signed char>(t[at])) - '0';
        n.point = pointIndexOf(pointCodeValue(t[at + 1]), pointCodeValue(t[at + 2]));
        n.success = t[at + 3] == '1';
        p.nodes.push_back(n);
    }
}

bool decodeRecordText(std::string_view record, GameContext& g, Problem& problem, std::string& reason)
{
    if (record.size() > kMaxRecordLength) {
        reason = "the record has " + std::to_string(record.size()) + " characters, at most " +
                 std::to_string(kMaxRecordLength) + " fit";
        return false;
    }
    for (size_t i = 0; i < record.size(); ++i) {
        if (record[i] < '0' || record[i] > 'o') {
            reason = "character " + std::to_string(i + 1) + " of the record is outside '0'..'o'";
            return false;
        }
    }
    // One per thread: check and a folder compile decode records on every core.
    thread_local char buffer[kMaxRecordLength + 1];
    std::memcpy(buffer, record.data(), record.size());
    buffer[record.size()] = '\0';
    const int32 byteCount = unpackRecord(buffer);
    decodeRecord(g, reinterpret_cast<const uint8_t*>(buffer), byteCount);
    problemFromDecoded(g, problem);
    return true;
}
