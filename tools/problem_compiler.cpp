#include "tools/problem_compiler.h"

#include <algorithm>
#include <cstring>

#include "tools/problem_statement.h"
#include "tools/record_check.h"
#include "tools/record_encoder.h"
#include "tools/shown_area.h"
#include "tools/tree_completer.h"

namespace {

// ---- markers ---------------------------------------------------------------

enum MarkerBits : uint32_t {
    kCommentCorrect = 1,   // RIGHT or CORRECT as a word, or a comment starting with '+'
    kCommentWrong = 2,     // WRONG, INCORRECT or FAIL as a word
    kTesuji = 4,           // TE
    kBadMove = 8,          // BM
    kWrongVariation = 16,  // WV
    kGoodForBlack = 32,    // GB
    kGoodForWhite = 64,    // GW
};

uint32_t commentMarkers(std::string_view c)
{
    uint32_t m = 0;
    size_t i = 0;
    while (i < c.size() && static_cast<unsigned char>(c[i]) <= ' ') ++i;
    if (i < c.size() && c[i] == '+') m |= kCommentCorrect;
    auto isLetter = [](char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); };
    for (i = 0; i < c.size();) {
        if (!isLetter(c[i])) {
            ++i;
            continue;
        }
        char word[12];
        size_t n = 0;
        for (; i < c.size() && isLetter(c[i]); ++i)
            if (n < sizeof word - 1) word[n++] = static_cast<char>(c[i] & ~0x20);
        // Words longer than the buffer are none of ours; keep them from matching.
        if (n == sizeof word - 1) continue;
        word[n] = '\0';
        if (!std::strcmp(word, "RIGHT") || !std::strcmp(word, "CORRECT")) m |= kCommentCorrect;
        if (!std::strcmp(word, "WRONG") || !std::strcmp(word, "INCORRECT") || !std::strcmp(word, "FAIL"))
            m |= kCommentWrong;
    }
    return m;
}

uint32_t nodeMarkers(const SgfTree& t, int32_t node)
{
    uint32_t m = 0;
    if (const SgfProperty* c = t.find(node, "C")) m |= commentMarkers(t.value(*c, 0));
    if (t.find(node, "TE")) m |= kTesuji;
    if (t.find(node, "BM")) m |= kBadMove;
    if (t.find(node, "WV")) m |= kWrongVariation;
    if (t.find(node, "GB")) m |= kGoodForBlack;
    if (t.find(node, "GW")) m |= kGoodForWhite;
    return m;
}

// solver: +1 when Black solves in the file, -1 when White does.
bool markersSayWrong(uint32_t m, int32_t solver)
{
    return (m & (kCommentWrong | kBadMove | kWrongVariation)) || (m & (solver > 0 ? kGoodForWhite : kGoodForBlack));
}

bool markersSayCorrect(uint32_t m, int32_t solver)
{
    return (m & (kCommentCorrect | kTesuji)) || (m & (solver > 0 ? kGoodForBlack : kGoodForWhite));
}

// ---- points ----------------------------------------------------------------

std::string_view trim(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

std::string quoted(std::string_view ident, std::string_view value)
{
    std::string s(ident);
    s += '[';
    for (char ch : value.substr(0, 20)) s += static_cast<unsigned char>(ch) < ' ' ? '?' : ch;
    if (value.size() > 20) s += "...";
    s += ']';
    return s;
}

struct Board {
    int32_t width = 19, height = 19;
};

// A two-letter SGF point; false when it is not one or lies off the board.
bool parsePoint(std::string_view v, const Board& b, int32_t& col, int32_t& row)
{
    if (v.size() != 2 || v[0] < 'a' || v[0] > 'z' || v[1] < 'a' || v[1] > 'z') return false;
    col = v[0] - 'a' + 1;
    row = v[1] - 'a' + 1;
    return col <= b.width && row <= b.height;
}

bool parseInt(std::string_view s, int32_t& out)
{
    s = trim(s);
    if (s.empty() || s.size() > 6) return false;
    out = 0;
    for (char ch : s) {
        if (ch < '0' || ch > '9') return false;
        out = out * 10 + (ch - '0');
    }
    return true;
}

// ---- the move tree read from the file ----------------------------------------

struct MoveNode {
    int32_t parent = -1;  // -1: hangs from the starting position
    int32_t colour = 0;   // as in the file: +1 Black, -1 White
    int32_t col = 0, row = 0;
    bool pass = false;
    uint32_t markers = 0;
    int32_t line = 0;
    std::string_view text;  // the move as written, for messages
    char ident = 'B';
    std::vector<int32_t> sgfNodes;  // the node of the move and the moveless ones after it
};

// ---- the tree as the record holds it -------------------------------------------

using OutNode = DraftNode;

class Compiler {
public:
    Compiler(const SgfTree& t, const CompileOptions& o, CompiledProblem& out, CompileMessage& err)
        : t_(t), opt_(o), out_(out), err_(err)
    {}

    bool run()
    {
        out_ = CompiledProblem();
        return readRoot() && readSetup() && readMoves() && chooseSolver() && buildOutTree() && judgeLines() &&
               orient() && complete() && flatten() && enforceLimits() && finish();
    }

private:
    const SgfTree& t_;
    const CompileOptions& opt_;
    CompiledProblem& out_;
    CompileMessage& err_;

    Board board_;
    int32_t setup_[20][20] = {};  // [col][row], 1-based: +1, -1 or 0
    int32_t playerToMove_ = 0;    // from PL, 0 when absent
    int32_t plLine_ = 0;
    std::vector<int32_t> firstLevel_;
    std::vector<int32_t> setupNodes_;  // the root and the moveless nodes of the setup
    std::vector<MoveNode> moves_;
    bool anyMarker_ = false;
    int32_t solver_ = 1;
    std::vector<OutNode> outs_;  // outs_[0] is the root
    int32_t symmetry_ = 0;
    int32_t cols_ = 3, rows_ = 3;
    std::vector<int32_t> order_;  // out nodes in depth-first order, root excluded
    std::vector<bool> onSuccess_;
    std::vector<bool> removed_;  // dropped to fit the limits

    bool fail(int32_t line, std::string text)
    {
        err_.line = line;
        err_.text = std::move(text);
        return false;
    }

    void warn(int32_t line, std::string text) { out_.warnings.push_back({line, std::move(text)}); }

    bool hasMove(int32_t node) const { return t_.find(node, "B") || t_.find(node, "W"); }

    bool readRoot()
    {
        if (const SgfProperty* gm = t_.find(0, "GM")) {
            int32_t v = 0;
            if (!parseInt(t_.value(*gm, 0), v) || v != 1)
                return fail(gm->line, "not a game of Go (" + quoted("GM", t_.value(*gm, 0)) + ")");
        }
        if (const SgfProperty* sz = t_.find(0, "SZ")) {
            std::string_view v = t_.value(*sz, 0);
            size_t colon = v.find(':');
            bool ok = colon == std::string_view::npos
                          ? parseInt(v, board_.width) && (board_.height = board_.width, true)
                          : parseInt(v.substr(0, colon), board_.width) && parseInt(v.substr(colon + 1), board_.height);
            if (!ok || board_.width < 1 || board_.height < 1)
                return fail(sz->line, quoted("SZ", v) + " is not a board size");
            if (board_.width > 19 || board_.height > 19)
                return fail(sz->line, "the board is " + std::to_string(board_.width) + "x" +
                                          std::to_string(board_.height) + "; the trainer shows at most 19x19");
        }
        return true;
    }

    // Adds the stones of AB, AW and AE values (single points or rectangles
    // "aa:cc") to the setup position.
    bool applySetup(int32_t node)
    {
        const SgfNode& n = t_.nodes[node];
        for (int32_t i = n.firstProp; i < n.firstProp + n.propCount; ++i) {
            const SgfProperty& p = t_.props[i];
            int32_t colour;
            if (!std::strcmp(p.ident, "AB"))
                colour = 1;
            else if (!std::strcmp(p.ident, "AW"))
                colour = -1;
            else if (!std::strcmp(p.ident, "AE"))
                colour = 0;
            else
                continue;
            for (int32_t k = 0; k < p.valueCount; ++k) {
                std::string_view v = trim(t_.value(p, k));
                size_t colon = v.find(':');
                int32_t c1, r1, c2, r2;
                bool ok = colon == std::string_view::npos ? parsePoint(v, board_, c1, r1) && (c2 = c1, r2 = r1, true)
                                                          : parsePoint(v.substr(0, colon), board_, c1, r1) &&
                                                                parsePoint(v.substr(colon + 1), board_, c2, r2);
                if (!ok)
                    return fail(p.line, quoted(p.ident, v) + " is not a point or rectangle of the " +
                                            std::to_string(board_.width) + "x" + std::to_string(board_.height) +
                                            " board");
                for (int32_t c = std::min(c1, c2); c <= std::max(c1, c2); ++c)
                    for (int32_t r = std::min(r1, r2); r <= std::max(r1, r2); ++r) setup_[c][r] = colour;
            }
        }
        if (const SgfProperty* pl = t_.find(node, "PL")) {
            std::string_view v = trim(t_.value(*pl, 0));
            char ch = v.empty() ? 0 : static_cast<char>(v[0] & ~0x20);
            if (ch != 'B' && ch != 'W') return fail(pl->line, quoted("PL", v) + " names no colour");
            playerToMove_ = ch == 'B' ? 1 : -1;
            plLine_ = pl->line;
        }
        return true;
    }

    // The setup position: the root and the nodes without a move that follow
    // it one by one.  The solution tree begins where a node holds a move or
    // the sequence branches.
    bool readSetup()
    {
        int32_t node = 0;
        for (;;) {
            if (!applySetup(node)) return false;
            const SgfNode& n = t_.nodes[node];
            if (!hasMove(node)) setupNodes_.push_back(node);
            if (hasMove(node)) {
                firstLevel_.push_back(node);
                return true;
            }
            if (n.firstChild < 0) return true;
            if (n.firstChild == n.lastChild) {
                node = n.firstChild;
                continue;
            }
            for (int32_t c = n.firstChild; c >= 0; c = t_.nodes[c].nextSibling) firstLevel_.push_back(c);
            return true;
        }
    }

    // Reads the moves below the setup.  Nodes without a move lend their
    // markers to the move before them; setup properties inside the tree
    // cannot be shown and make the tree unusable.
    bool readMoves()
    {
        struct Item {
            int32_t node;
            int32_t parent;
        };
        std::vector<Item> stack;
        for (auto it = firstLevel_.rbegin(); it != firstLevel_.rend(); ++it) stack.push_back({*it, -1});
        const bool firstIsSetupEnd = !firstLevel_.empty() && hasMove(firstLevel_[0]) && firstLevel_.size() == 1;
        while (!stack.empty()) {
            Item item = stack.back();
            stack.pop_back();
            const int32_t node = item.node;
            const bool setupEnd = firstIsSetupEnd && node == firstLevel_[0];
            if (!setupEnd) {
                for (const char* id : {"AB", "AW", "AE"})
                    if (const SgfProperty* p = t_.find(node, id))
                        return fail(p->line, std::string(id) +
                                                 " inside the solution tree: the trainer cannot change the "
                                                 "position during a line");
            }
            const SgfProperty* b = t_.find(node, "B");
            const SgfProperty* w = t_.find(node, "W");
            if (b && w) return fail(b->line, "a node holds both a black and a white move");
            const uint32_t markers = nodeMarkers(t_, node);
            if (markers) anyMarker_ = true;
            int32_t parent = item.parent;
            if (b || w) {
                const SgfProperty& p = b ? *b : *w;
                MoveNode m;
                m.parent = item.parent;
                m.colour = b ? 1 : -1;
                m.ident = b ? 'B' : 'W';
                m.line = p.line;
                m.markers = markers;
                std::string_view v = trim(t_.value(p, 0));
                m.text = v;
                m.sgfNodes.push_back(node);
                if (v.empty() || (v == "tt" && board_.width <= 19 && board_.height <= 19)) {
                    m.pass = true;
                } else if (!parsePoint(v, board_, m.col, m.row)) {
                    return fail(p.line, quoted(m.ident == 'B' ? "B" : "W", v) + " is not a point of the " +
                                            std::to_string(board_.width) + "x" + std::to_string(board_.height) +
                                            " board");
                }
                moves_.push_back(m);
                parent = static_cast<int32_t>(moves_.size()) - 1;
            } else if (parent >= 0) {
                moves_[parent].markers |= markers;
                moves_[parent].sgfNodes.push_back(node);
            }
            // Children go on the stack last first, so that they are read in order.
            const SgfNode& n = t_.nodes[node];
            const size_t mark = stack.size();
            for (int32_t c = n.firstChild; c >= 0; c = t_.nodes[c].nextSibling) stack.push_back({c, parent});
            std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(mark), stack.end());
        }
        if (moves_.empty()) return fail(t_.line, "the game tree holds no moves");
        return true;
    }

    // The side that solves: PL, or the colour of the first move of the main line.
    bool chooseSolver()
    {
        solver_ = playerToMove_ != 0 ? playerToMove_ : moves_[0].colour;
        return true;
    }

    int32_t addOut(OutNode n)
    {
        outs_.push_back(std::move(n));
        const int32_t index = static_cast<int32_t>(outs_.size()) - 1;
        if (outs_[index].parent >= 0) outs_[outs_[index].parent].children.push_back(index);
        return index;
    }

    // Colours swapped so that the solver is Black, depths alternating Black
    // (odd) and White (even): a move of the colour that has just played gets
    // a pass of the other colour before it, one pass shared by all such moves
    // below the same node.
    bool buildOutTree()
    {
        outs_.reserve(moves_.size() + 16);
        addOut(OutNode());
        std::vector<int32_t> outOf(moves_.size(), -1);
        for (size_t i = 0; i < moves_.size(); ++i) {
            const MoveNode& m = moves_[i];
            int32_t parent = m.parent < 0 ? 0 : outOf[m.parent];
            const int32_t colour = m.colour * solver_;
            const int32_t expected = (outs_[parent].depth + 1) % 2 == 1 ? 1 : -1;
            if (colour != expected) {
                if (outs_[parent].passChild < 0) {
                    OutNode pass;
                    pass.parent = parent;
                    pass.depth = outs_[parent].depth + 1;
                    pass.pass = pass.inserted = true;
                    pass.line = m.line;
                    const int32_t p = addOut(std::move(pass));
                    outs_[parent].passChild = p;
                }
                parent = outs_[parent].passChild;
            }
            OutNode o;
            o.parent = parent;
            o.depth = outs_[parent].depth + 1;
            o.col = m.col;
            o.row = m.row;
            o.pass = m.pass;
            o.markers = m.markers;
            o.line = m.line;
            o.move = static_cast<int32_t>(i);
            outOf[i] = addOut(std::move(o));
        }
        return true;
    }

    // The order in which the record lists the nodes: depth-first, children in
    // the order of the file.
    void depthFirst()
    {
        order_.clear();
        std::vector<int32_t> stack(outs_[0].children.rbegin(), outs_[0].children.rend());
        while (!stack.empty()) {
            int32_t n = stack.back();
            stack.pop_back();
            order_.push_back(n);
            const auto& ch = outs_[n].children;
            stack.insert(stack.end(), ch.rbegin(), ch.rend());
        }
    }

    std::vector<bool> success_;   // per out node: a leaf that ends solved
    bool judgeBySolver_ = false;  // no markers: the completer judges the lines
    CompletionOptions completion_;

    void markSuccessfulLines()
    {
        onSuccess_.assign(outs_.size(), false);
        for (auto it = order_.rbegin(); it != order_.rend(); ++it)
            if (success_[*it] || onSuccess_[*it]) {
                onSuccess_[*it] = true;
                onSuccess_[outs_[*it].parent] = true;
            }
    }

    // The tree completed with the solver's answers (compile --complete).  A
    // problem the solver cannot read is compiled as the author wrote it, and
    // says why.
    bool complete()
    {
        if (!opt_.complete) return true;
        auto asWritten = [&](int32_t line, const std::string& why) {
            warn(line, "not completed: " + why + "; compiled as written");
            if (judgeBySolver_)
                return fail(t_.line, "no line is marked correct and the solver cannot judge the tree (" + why + ")");
            return true;
        };
        ProblemStatement& st = out_.statement;
        std::string error;
        int32_t errorLine = 0;
        if (!readStatement(t_, opt_.statement, st, error, errorLine)) return asWritten(errorLine, error);
        st.toPlay = solver_;
        if (!st.expressible) return asWritten(st.line, st.whyNot);
        // The completion keeps the screen the plain compile would show: moves
        // only where the trainer shows the board, and, when the tree holds a
        // pass (played on a free point of the shown area's bottom-right
        // corner), only within what the author's tree already uses.
        {
            int32_t maxC = 0, maxR = 0;
            forEachUsedPoint([&](int32_t c, int32_t r) {
                transform(symmetry_, c, r);
                maxC = std::max(maxC, c);
                maxR = std::max(maxR, r);
            });
            bool anyPass = false;
            for (size_t i = 1; i < outs_.size(); ++i) anyPass |= outs_[i].pass;
            const ShownArea shown = shownArea(cols_, rows_);
            const int32_t limitC = anyPass ? maxC : shown.cols, limitR = anyPass ? maxR : shown.rows;
            for (int32_t y = 0; y < st.height; ++y)
                for (int32_t x = 0; x < st.width; ++x) {
                    int32_t c = x + 1, r = y + 1;
                    transform(symmetry_, c, r);
                    if (c > limitC || r > limitR) st.region[y * st.width + x] = 0;
                }
            completion_.allowPass = anyPass;
        }
        if (!st.goalRead)
            warn(st.line,
                 std::string("goal inferred: ") +
                     (st.goal.kind == vostra::solver::GoalKind::Live ? "your own enclosed group must live"
                                                                     : "the opponent's enclosed group must die") +
                     " (--goal names it)");
        CompletionOptions& co = completion_;
        co.budget = opt_.budget;
        // Twenty questions' worth of budget for the whole tree.
        co.maxTotalMs = opt_.budget.maxMs > 0 ? 20.0 * opt_.budget.maxMs : 0;
        co.judgeLeaves = judgeBySolver_;
        co.maxEntries = kMaxUsedEntries;
        co.maxDepth = kMaxDepth;
        const CompletionReport r = completeTree(st, outs_, success_, co);
        for (const CompletionMessage& m : r.messages) warn(m.line > 0 ? m.line : t_.line, m.text);
        if (!r.completed) {
            if (judgeBySolver_)
                return fail(t_.line, "no line is marked correct and the solver could not judge the tree");
            return true;
        }
        out_.completed = true;
        out_.addedCorrect = r.addedCorrect;
        out_.addedWrong = r.addedWrong;
        out_.addedDefences = r.addedDefences;
        out_.leftOut = r.movesLeftOut;
        depthFirst();
        markSuccessfulLines();
        if (!onSuccess_[0]) return fail(t_.line, "the solver finds no line of the tree that reaches the goal");
        if (opt_.writeSgf) out_.sgf = completedSgf();
        return true;
    }

    // The completed tree as SGF, in the file's coordinates and colours, every
    // leaf commented Correct or Wrong.
    std::string completedSgf() const
    {
        auto esc = [](std::string_view v) {
            std::string o;
            for (char c : v) {
                if (c == ']' || c == '\\') o += '\\';
                o += c;
            }
            return o;
        };
        auto pt = [](int32_t c, int32_t r) {
            return std::string{static_cast<char>('a' + c - 1), static_cast<char>('a' + r - 1)};
        };
        const ProblemStatement& st = out_.statement;
        std::string o = "(;GM[1]FF[4]";
        if (const SgfProperty* ca = t_.find(0, "CA")) o += "CA[" + esc(t_.value(*ca, 0)) + "]";
        o += board_.width == board_.height
                 ? "SZ[" + std::to_string(board_.width) + "]"
                 : "SZ[" + std::to_string(board_.width) + ":" + std::to_string(board_.height) + "]";
        o += solver_ > 0 ? "PL[B]" : "PL[W]";
        if (const SgfProperty* c = t_.find(0, "C")) o += "\nC[" + esc(t_.value(*c, 0)) + "]";
        for (int32_t colour : {1, -1}) {
            std::string list;
            for (int32_t r = 1; r <= board_.height; ++r)
                for (int32_t c = 1; c <= board_.width; ++c)
                    if (setup_[c][r] == colour) list += "[" + pt(c, r) + "]";
            if (!list.empty()) o += (colour > 0 ? "\nAB" : "\nAW") + list;
        }
        // The author's marks as they stand, else the targets the solver read.
        bool marked = false;
        for (const char* id : {"TR", "SQ", "MA", "CR"})
            if (const SgfProperty* m = t_.find(0, id)) {
                o += "\n" + std::string(id);
                for (int32_t k = 0; k < m->valueCount; ++k) o += "[" + esc(t_.value(*m, k)) + "]";
                marked = true;
            }
        if (!marked && !st.goal.targets.empty()) {
            o += "\nTR";
            for (const vostra::solver::Point& p : st.goal.targets) o += "[" + pt(p.x + 1, p.y + 1) + "]";
        }
        // Depth first without recursion: a frame per open variation.
        struct Frame {
            int32_t node;
            size_t next;
        };
        std::vector<Frame> stack{{0, 0}};
        while (!stack.empty()) {
            Frame& f = stack.back();
            const OutNode& n = outs_[f.node];
            if (f.next >= n.children.size()) {
                stack.pop_back();
                if (!stack.empty() && outs_[stack.back().node].children.size() > 1) o += ")";
                continue;
            }
            const int32_t c = n.children[f.next++];
            const OutNode& ch = outs_[c];
            if (n.children.size() > 1) o += "\n(";
            const int32_t colour = (ch.depth % 2 == 1 ? 1 : -1) * solver_;
            o += colour > 0 ? ";B[" : ";W[";
            if (!ch.pass) o += pt(ch.col, ch.row);
            o += "]";
            if (ch.children.empty()) o += success_[c] ? "C[Correct.]" : "C[Wrong.]";
            stack.push_back({c, 0});
        }
        return o + ")\n";
    }

    // A line is solved when its last node, or the solver's move right before
    // the opponent's last reply, carries a correct marker and neither carries
    // a wrong one.
    bool judgeLines()
    {
        depthFirst();
        success_.assign(outs_.size(), false);
        std::vector<bool> mainLine(outs_.size(), false);
        for (int32_t n = 0; !outs_[n].children.empty();) {
            n = outs_[n].children[0];
            mainLine[n] = true;
        }
        const bool useMainLine = opt_.mainLineCorrect && !anyMarker_;
        for (int32_t n : order_) {
            const OutNode& o = outs_[n];
            if (!o.children.empty()) continue;
            uint32_t m = o.markers;
            if (o.depth % 2 == 0 && o.parent > 0 && !outs_[o.parent].inserted) m |= outs_[o.parent].markers;
            if (useMainLine)
                success_[n] = mainLine[n];
            else
                success_[n] = !markersSayWrong(m, solver_) && markersSayCorrect(m, solver_);
        }
        markSuccessfulLines();
        if (!onSuccess_[0]) {
            // Without any marker the solver may judge the lines.
            if (opt_.complete && !anyMarker_ && !opt_.mainLineCorrect) {
                judgeBySolver_ = true;
                return true;
            }
            if (!anyMarker_)
                return fail(t_.line,
                            "no line is marked correct (the tree has no markers at all; "
                            "--main-line-correct takes its main line as the solution)");
            return fail(t_.line, "no line ends with a correct marker");
        }
        return true;
    }

    // Every point the problem uses: setup stones and moves.
    template <typename F>
    void forEachUsedPoint(F f) const
    {
        for (int32_t c = 1; c <= board_.width; ++c)
            for (int32_t r = 1; r <= board_.height; ++r)
                if (setup_[c][r]) f(c, r);
        for (size_t i = 1; i < outs_.size(); ++i)
            if (!outs_[i].pass) f(outs_[i].col, outs_[i].row);
    }

    // Symmetry bits: 1 mirrors the columns, 2 mirrors the rows, 4 swaps
    // columns and rows (after the mirrors).
    void transform(int32_t sym, int32_t& c, int32_t& r) const
    {
        if (sym & 1) c = board_.width + 1 - c;
        if (sym & 2) r = board_.height + 1 - r;
        if (sym & 4) std::swap(c, r);
    }

    static int32_t clampSize(int32_t v) { return v < 3 ? 3 : v > 19 ? 19 : v; }

    // Picks the symmetry that shows the problem largest: the trainer shows the
    // top-left corner and treats only its top and left lines as edges, so the
    // far edges of a board smaller than 19 lines must stay clear of the stones
    // and moves.
    bool orient()
    {
        int32_t best = -1, bestCell = 0, bestArea = 0;
        for (int32_t sym = 0; sym < 8; ++sym) {
            int32_t maxC = 0, maxR = 0;
            forEachUsedPoint([&](int32_t c, int32_t r) {
                transform(sym, c, r);
                maxC = std::max(maxC, c);
                maxR = std::max(maxR, r);
            });
            const int32_t width = sym & 4 ? board_.height : board_.width;
            const int32_t height = sym & 4 ? board_.width : board_.height;
            if ((width < 19 && maxC >= width) || (height < 19 && maxR >= height)) continue;
            const int32_t cols = clampSize(maxC + 1), rows = clampSize(maxR + 1);
            const int32_t cell = shownArea(cols, rows).cellSize;
            if (best < 0 || cell > bestCell || (cell == bestCell && cols * rows < bestArea)) {
                best = sym;
                bestCell = cell;
                bestArea = cols * rows;
                cols_ = cols;
                rows_ = rows;
            }
        }
        if (best < 0)
            return fail(t_.line, "the problem uses the far edges of the " + std::to_string(board_.width) + "x" +
                                     std::to_string(board_.height) +
                                     " board, which the trainer cannot show (it shows only the top and left "
                                     "edges of boards smaller than 19x19)");
        symmetry_ = best;
        out_.symmetry = best;
        out_.boardWidth = board_.width;
        out_.boardHeight = board_.height;
        out_.solverColour = solver_;
        return true;
    }

    // Writes the setup and the tree into the problem in record order.
    bool flatten()
    {
        Problem& p = out_.problem;
        int32_t grid[20][20] = {};
        int32_t maxC = 0, maxR = 0;
        for (int32_t c = 1; c <= board_.width; ++c)
            for (int32_t r = 1; r <= board_.height; ++r)
                if (setup_[c][r]) {
                    int32_t tc = c, tr = r;
                    transform(symmetry_, tc, tr);
                    grid[tc][tr] = setup_[c][r] * solver_;
                }
        for (int32_t c = 1; c < 20; ++c)
            for (int32_t r = 1; r < 20; ++r)
                if (grid[c][r]) {
                    (grid[c][r] > 0 ? p.black : p.white).push_back(pointIndexOf(c, r));
                    maxC = std::max(maxC, c);
                    maxR = std::max(maxR, r);
                }
        bool anyPass = false;
        for (size_t i = 1; i < outs_.size(); ++i) {
            OutNode& o = outs_[i];
            if (o.pass) {
                anyPass = true;
                continue;
            }
            transform(symmetry_, o.col, o.row);
            maxC = std::max(maxC, o.col);
            maxR = std::max(maxR, o.row);
        }
        // A pass from the tree is played as a stone on the first free point
        // of the 3x3 block at the bottom-right corner of the shown area; keep
        // that block one clear line away from everything the problem uses.
        if (anyPass) {
            for (;;) {
                ShownArea a = shownArea(cols_, rows_);
                if (a.cols - 2 > maxC + 1 || a.rows - 2 > maxR + 1) break;
                if (cols_ == 19 && rows_ == 19) break;
                cols_ = std::min(19, cols_ + 1);
                rows_ = std::min(19, rows_ + 1);
            }
        }
        p.cols = cols_;
        p.rows = rows_;
        return true;
    }

    std::string describeMove(const OutNode& o) const
    {
        if (o.inserted) return "the pass put in before line " + std::to_string(o.line);
        const MoveNode& m = moves_[o.move];
        return quoted(m.ident == 'B' ? "B" : "W", m.text) + " at line " + std::to_string(m.line);
    }

    // Cuts the failed lines below a depth, or drops failed nodes until the
    // tree fits the entries the trainer reads.  Successful lines and the
    // White defences on them are never touched.
    bool enforceLimits()
    {
        const Problem& p = out_.problem;
        if (p.black.size() > kMaxColourStones || p.white.size() > kMaxColourStones ||
            p.black.size() + p.white.size() > kMaxSetupStones)
            return fail(t_.line, "the setup has " + std::to_string(p.black.size()) + " black and " +
                                     std::to_string(p.white.size()) + " white stones; a record holds at most " +
                                     std::to_string(kMaxColourStones) + " of each colour and " +
                                     std::to_string(kMaxSetupStones) + " in all");

        removed_.assign(outs_.size(), false);
        std::vector<bool>& removed = removed_;
        int32_t dropped = 0;
        for (int32_t n : order_) {
            const OutNode& o = outs_[n];
            if (o.depth <= kMaxDepth || removed[n]) continue;
            if (onSuccess_[n])
                return fail(o.line, "a successful line is " + std::to_string(o.depth) + " moves long; at most " +
                                        std::to_string(kMaxDepth) + " fit");
            if (!opt_.prune)
                return fail(o.line, "a line is " + std::to_string(o.depth) + " moves long; at most " +
                                        std::to_string(kMaxDepth) + " fit (--prune cuts failed lines to fit)");
            removed[n] = true;
            ++dropped;
        }
        int32_t entries = 1;
        for (int32_t n : order_)
            if (!removed[n]) ++entries;
        if (entries > kMaxUsedEntries) {
            if (!opt_.prune)
                return fail(t_.line, "the tree has " + std::to_string(entries) +
                                         " entries with the starting position; the trainer reads at most " +
                                         std::to_string(kMaxUsedEntries) + " (--prune drops failed lines to fit)");
            // The roots of failed subtrees, largest subtree first: first their
            // descendants go, then, if needed, the roots themselves.
            std::vector<int32_t> size(outs_.size(), 1);
            for (auto it = order_.rbegin(); it != order_.rend(); ++it)
                if (!removed[*it] && outs_[*it].parent > 0) size[outs_[*it].parent] += size[*it];
            std::vector<int32_t> roots;
            for (int32_t n : order_)
                if (!removed[n] && !onSuccess_[n] && onSuccess_[outs_[n].parent]) roots.push_back(n);
            std::stable_sort(roots.begin(), roots.end(), [&](int32_t a, int32_t b) { return size[a] > size[b]; });
            auto removeBelow = [&](int32_t root) {
                std::vector<int32_t> stack(outs_[root].children.begin(), outs_[root].children.end());
                while (!stack.empty()) {
                    int32_t n = stack.back();
                    stack.pop_back();
                    if (removed[n]) continue;
                    removed[n] = true;
                    --entries;
                    ++dropped;
                    stack.insert(stack.end(), outs_[n].children.begin(), outs_[n].children.end());
                }
            };
            for (int32_t r : roots) {
                if (entries <= kMaxUsedEntries) break;
                removeBelow(r);
            }
            for (auto it = roots.rbegin(); it != roots.rend() && entries > kMaxUsedEntries; ++it) {
                removed[*it] = true;
                --entries;
                ++dropped;
            }
            if (entries > kMaxUsedEntries)
                return fail(t_.line, "the successful lines alone need " + std::to_string(entries) +
                                         " entries with the starting position; the trainer reads at most " +
                                         std::to_string(kMaxUsedEntries));
        }
        if (dropped > 0)
            warn(t_.line, "pruned " + std::to_string(dropped) + " nodes of failed lines to fit the limits");

        // A node whose subtree lost everything is now a leaf of a failed line.
        Problem& out = out_.problem;
        out_.entryNodes.assign(1, setupNodes_);
        out_.coloursSwapped = solver_ < 0;
        for (size_t k = 0; k < order_.size(); ++k) {
            const int32_t n = order_[k];
            if (removed[n]) continue;
            const OutNode& o = outs_[n];
            out_.entryNodes.push_back(o.move >= 0 ? moves_[o.move].sgfNodes : std::vector<int32_t>());
            bool leaf = true;
            for (int32_t c : o.children)
                if (!removed[c]) leaf = false;
            ProblemNode pn;
            pn.depth = o.depth;
            pn.point = o.pass ? kPassPoint : pointIndexOf(o.col, o.row);
            pn.success = leaf ? bool(success_[n]) : bool(onSuccess_[n]);
            out.nodes.push_back(pn);
            out_.nodeLines.push_back(o.added ? 0 : o.line);
        }
        return true;
    }

    // Warnings about trees the trainer would play in a way the file did not
    // mean, then the record itself.
    bool finish()
    {
        for (int32_t n : order_) {
            if (removed_[n]) continue;
            const OutNode& o = outs_[n];
            // The trainer makes the user refute every White answer to a
            // correct move; an answer with no successful line cannot be.
            if (o.depth % 2 == 0 && onSuccess_[o.parent] && !onSuccess_[n] && !o.inserted)
                warn(o.line, "White's answer " + describeMove(o) +
                                 " to a correct move has no successful line: the trainer fails every "
                                 "answer to it");
            // Of two children at one point only the first can be reached.
            const auto& ch = o.children;
            for (size_t i = 0; i < ch.size(); ++i)
                for (size_t j = 0; j < i && j < 64; ++j) {
                    const OutNode& a = outs_[ch[j]];
                    const OutNode& b = outs_[ch[i]];
                    if (a.pass == b.pass && a.col == b.col && a.row == b.row) {
                        warn(b.line, describeMove(b) +
                                         " repeats an earlier variation's move; the trainer only "
                                         "follows the first");
                        break;
                    }
                }
        }
        if (playerToMove_ != 0 && moves_[0].colour != playerToMove_)
            warn(plLine_, "the main line begins with the colour PL says is not to play; a pass is put first");
        std::string reason;
        if (!encodeRecord(out_.problem, out_.record, reason)) return fail(t_.line, reason);
        return everyMovePlays();
    }

    // The trainer must be able to play every move of every line: a move on
    // an occupied point, a suicide or a ko retake in the file is refused here,
    // at its own line, rather than written into a record the trainer cannot
    // follow.
    bool everyMovePlays()
    {
        RecordCheck check;
        if (checkRecord(out_.record, check) || check.refusedNode < 0) return true;
        int32_t index = 0;
        for (int32_t n : order_) {
            if (removed_[n]) continue;
            if (index++ != check.refusedNode) continue;
            const OutNode& o = outs_[n];
            return fail(o.line, describeMove(o) + check.refusal + ": the trainer could not play this line");
        }
        return true;
    }
};

}  // namespace

bool compileTree(const SgfTree& tree, const CompileOptions& options, CompiledProblem& out, CompileMessage& error)
{
    if (tree.nodes.empty()) {
        error = {tree.line, "empty game tree"};
        return false;
    }
    Compiler c(tree, options, out, error);
    return c.run();
}
