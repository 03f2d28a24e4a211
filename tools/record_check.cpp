#include "tools/record_check.h"

#include <cstring>

#include "board/board.h"
#include "game/layout.h"
#include "game/text_util.h"
#include "rules/move.h"
#include "tools/decoded_problem.h"
#include "tools/record_encoder.h"
#include "tools/shown_area.h"

namespace {

std::string pointName(int32_t point)
{
    if (point == kPassPoint) return "pass";
    std::string s;
    s += pointCode(pointCol(point));
    s += pointCode(pointRow(point));
    return s;
}

void refuse(RecordCheck& result, const std::string& where, int32_t node, const char* why)
{
    result.faults.push_back(where + why);
    if (result.refusedNode >= 0) return;
    result.refusedNode = node;
    result.refusal = why;
}

// Replays the line whose nodes are path[0..length) from the setup position.
void replayLine(GameContext& g, const Problem& p, const std::vector<int32_t>& path, size_t length, int32_t lineNumber,
                RecordCheck& result)
{
    resetBoard(g, false);
    for (size_t k = 0; k < length; ++k) {
        const ProblemNode& n = p.nodes[path[k]];
        int32 col = pointCol(n.point), row = pointRow(n.point);
        const std::string where = "line " + std::to_string(lineNumber) + ", move " + std::to_string(k + 1) + " (" +
                                  (k % 2 == 0 ? "Black " : "White ") + pointName(n.point) + ")";
        if (isPass(col, row)) {
            findPassSubstitute(g, col, row);
        } else if (!isOnBoard(g, col, row)) {
            refuse(result, where, path[k], " lies outside the shown area");
            return;
        }
        const bool occupied = stoneColour(g.stoneGrid[col][row]) != 0;
        if (!playMove(g, col, row, false)) {
            refuse(result, where, path[k], occupied ? " is on an occupied point" : " is refused as suicide or ko");
            return;
        }
    }
}

}  // namespace

bool checkRecord(std::string_view record, RecordCheck& result)
{
    result = RecordCheck();
    thread_local GameContext g;  // compiles may run on several threads
    std::string reason;
    if (!decodeRecordText(record, g, result.problem, reason)) {
        result.faults.push_back(reason);
        return false;
    }
    const Problem& p = result.problem;
    std::vector<std::string>& faults = result.faults;

    std::string again;
    if (!encodeRecord(p, again, reason))
        faults.push_back("the decoded problem does not encode again: " + reason);
    else if (again != record)
        faults.push_back("the record does not encode back to the same text");

    // Depths: the first node at 1, each node at most one deeper than the one
    // before it, none beyond what NodeText can hold.
    bool depthsSound = true;
    if (p.nodes.size() + 1 > kMaxUsedEntries) {
        faults.push_back(std::to_string(p.nodes.size() + 1) + " entries; the trainer reads at most " +
                         std::to_string(kMaxUsedEntries));
        depthsSound = false;
    }
    for (size_t i = 0; i < p.nodes.size(); ++i) {
        const int32_t d = p.nodes[i].depth, before = i == 0 ? 0 : p.nodes[i - 1].depth;
        if (d < 1 || d > before + 1 || d > kMaxDepth) {
            faults.push_back("node " + std::to_string(i + 1) + " has depth " + std::to_string(d) + " after depth " +
                             std::to_string(before));
            depthsSound = false;
            break;
        }
    }
    for (size_t i = 0; i < p.nodes.size(); ++i)
        if (p.nodes[i].point >= 400) {
            faults.push_back("node " + std::to_string(i + 1) + " has point index " + std::to_string(p.nodes[i].point));
            depthsSound = false;
        }

    // The setup must stand inside the shown area, each point once.
    const ShownArea area = shownArea(p.cols, p.rows);
    bool taken[21][21] = {};
    for (const std::vector<int32_t>* stones : {&p.black, &p.white})
        for (int32_t s : *stones) {
            const int32_t c = pointCol(s), r = pointRow(s);
            if (s >= 400 || c < 1 || r < 1 || c > area.cols || r > area.rows) {
                faults.push_back("setup stone " + pointName(s) + " (point index " + std::to_string(s) +
                                 ") lies outside the shown area of " + std::to_string(area.cols) + "x" +
                                 std::to_string(area.rows));
                continue;
            }
            if (taken[c][r]) faults.push_back("setup point " + pointName(s) + " is given twice");
            taken[c][r] = true;
        }

    // Every line, from the setup position, with the game's own rules.
    g.boardAreaWidth = 240;
    g.boardAreaHeight = 320 - 52;
    g.boardOriginX = g.boardOriginY = 0;
    fitBoardToProblem(g);
    g.setupText = g.SetupText;
    g.setupLength = charIndex(g.SetupText, '|');
    if (g.setupLength <= 0) g.setupLength = static_cast<int32>(std::strlen(g.SetupText));
    std::vector<int32_t> path;
    int32_t lineNumber = 0;
    for (size_t i = 0; i < p.nodes.size(); ++i) {
        const bool leaf = i + 1 == p.nodes.size() || p.nodes[i + 1].depth <= p.nodes[i].depth;
        if (leaf && p.nodes[i].success) ++result.successLines;
        if (!depthsSound) continue;
        path.resize(static_cast<size_t>(p.nodes[i].depth));
        path.back() = static_cast<int32_t>(i);
        if (leaf) replayLine(g, p, path, path.size(), ++lineNumber, result);
    }
    if (result.successLines == 0) faults.push_back("no line ends solved");
    return faults.empty();
}
