#include "captions/captions.h"

#include <vector>

#include "board/board.h"
#include "platform/frontend.h"
#include "problems/tree.h"
#include "solving/reached.h"

extern const unsigned char kBuiltinProblemTexts[];

namespace {

TextTable& table()
{
    static TextTable t = builtinCaptionTexts();
    return t;
}

CaptionFollower& follower()
{
    static CaptionFollower f;
    return f;
}

void addLine(std::string& caption, const std::string& line)
{
    if (line.empty()) return;
    if (!caption.empty()) caption += '\n';
    caption += line;
}

std::string transcriptText(const std::string& caption)
{
    std::string out;
    for (char c : caption) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r' || c == '\t')
            out += ' ';
        else
            out += c;
    }
    return out;
}

}  // namespace

TextTable builtinCaptionTexts()
{
    TextTable built;
    std::string error;
    built.parse(reinterpret_cast<const char*>(kBuiltinProblemTexts), error);
    return built;
}

void setCaptionTexts(TextTable t)
{
    table() = std::move(t);
    // Another table may give the same problem and node other words.
    follower() = CaptionFollower{};
}
const TextTable& captionTexts() { return table(); }

std::string boardCoordinate(int32 col, int32 row)
{
    static const char kColumns[] = "ABCDEFGHJKLMNOPQRST";
    if (col < 1 || col > 19 || row < 1 || row > 19) return "?";
    return std::string(1, kColumns[col - 1]) + std::to_string(20 - row);
}

bool CaptionFollower::update(const GameContext& g, const TextTable& texts, std::string& reply)
{
    reply.clear();
    const int32 problem = g.problemLoaded ? g.currentProblem : -1;
    const int32 node = reachedTreeNode(g);
    const bool sameProblem = started_ && problem == problem_;
    if (sameProblem && node == node_) return false;

    const ProblemTexts& p = texts.problem(problem);
    std::string caption;
    if (node == 0) {
        addLine(caption, p.title);
        addLine(caption, p.goal);
    } else if (node > 0) {
        // The user's move and White's reply reach two nodes at once: both
        // comments are shown.
        const int32 from = sameProblem ? treeNode_ : -1;
        const bool onward = from >= 0 && from != node && isTreeAncestor(g, from, node);
        std::vector<int32> path;
        for (int32 n = node; n > 0 && !(onward && n == from); n = parentNode(g, n)) {
            path.push_back(n);
            if (!onward) break;
        }
        for (auto it = path.rbegin(); it != path.rend(); ++it) addLine(caption, p.comment(*it));
        // White has moved unless the board went back along the line it came
        // (or only took back a move that had left the tree).
        const bool backwards = from >= 0 && isTreeAncestor(g, node, from);
        if (!isBlackDepth(g.nodeDepth[node]) && !backwards) {
            const int32 c = nodeCol(g, node), r = nodeRow(g, node);
            reply = isPass(c, r) ? "pass" : boardCoordinate(g.lastMoveCol, g.lastMoveRow);
        }
    }
    problem_ = problem;
    node_ = node;
    if (node >= 0 || !sameProblem) treeNode_ = node;
    started_ = true;
    if (caption == caption_) return false;
    caption_ = std::move(caption);
    return true;
}

bool followCaptions()
{
    std::string reply;
    const bool changed = follower().update(theGame(), table(), reply);
    if (!reply.empty()) transcriptLine("reply " + reply);
    if (changed) {
        const std::string& c = follower().caption();
        transcriptLine(c.empty() ? std::string("caption") : "caption " + transcriptText(c));
    }
    return changed;
}

const std::string& currentCaption() { return follower().caption(); }
