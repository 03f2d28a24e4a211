// Helpers for the solving tests: running the headless program on a script,
// and a reference model of a problem's solution tree with the tour of White's
// defences, written independently of the solving code, for predicting what a
// session shows.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "board/board.h"
#include "game/context.h"
#include "game/layout.h"
#include "game/text_util.h"
#include "problems/record.h"
#include "rules/move.h"
#include "tests/support.h"

namespace solving_test {

// Runs `vostra --headless` on a script with a configuration folder of its
// own and returns the transcript.
inline std::string runVostra(const std::string& script)
{
    TempConfigDir dir;
    const Output r = runScript(dir.path(), script);
    EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 2000 ? r.out.size() - 2000 : 0);
    return r.out;
}

// The solution tree as read from NodeText: depth, point and flag per node.
struct Tree {
    std::vector<int> depth, col, row;
    std::vector<char> flag;

    explicit Tree(const char* nodeText)
    {
        for (size_t p = 0; depth.size() < 499 && std::strlen(nodeText + p) >= 6 && nodeText[p + 5] == '~'; p += 6) {
            depth.push_back(static_cast<signed char>(nodeText[p]) - '0');
            col.push_back(nodeText[p + 1] - 64);
            row.push_back(nodeText[p + 2] - 64);
            flag.push_back(nodeText[p + 3]);
        }
    }
    int size() const { return static_cast<int>(depth.size()); }
    std::vector<int> children(int n) const
    {
        std::vector<int> out;
        for (int j = n + 1; j < size() && depth[j] > depth[n]; ++j)
            if (depth[j] == depth[n] + 1) out.push_back(j);
        return out;
    }
    int parent(int n) const
    {
        for (int j = n - 1; j >= 0; --j)
            if (depth[j] == depth[n] - 1) return j;
        return -1;
    }
    bool leaf(int n) const { return children(n).empty(); }
    // The subtree of n holds a line that ends solved.
    bool winnable(int n) const
    {
        if (leaf(n)) return flag[n] == '1';
        for (int c : children(n))
            if (winnable(c)) return true;
        return false;
    }
    std::vector<int> leaves() const
    {
        std::vector<int> out;
        for (int n = 1; n < size(); ++n)
            if (leaf(n)) out.push_back(n);
        return out;
    }
};

// A decoded problem on a board of its own, sized as the program sizes it on
// a 240 x 320 screen, played with the rules and no drawing.
inline std::unique_ptr<GameContext> decodedBoard(const std::string& record)
{
    auto g = std::make_unique<GameContext>();
    g->boardAreaWidth = 240;
    g->boardAreaHeight = g->statusBottom = 320 - 52;
    std::vector<char> buffer(record.begin(), record.end());
    buffer.push_back('\0');
    const int32 n = unpackRecord(buffer.data());
    decodeRecord(*g, reinterpret_cast<const uint8_t*>(buffer.data()), n);
    g->setupText = g->SetupText;
    g->setupLength = charIndex(g->SetupText, '|');
    fitBoardToProblem(*g);
    resetBoard(*g, false);
    return g;
}

// What a user sees while solving: the statuses shown and the right soft key
// labels, in transcript order, predicted from the tree and the tour rules.
struct SessionModel {
    Tree tree;
    std::unique_ptr<GameContext> board;
    std::vector<char> visited;
    std::vector<int> path{0};  // root to the current node
    int ancestor = 0, nextChild = 0, keyMode = 0;
    bool pending = false, solved = false, failed = false;
    std::vector<std::string> events;

    explicit SessionModel(const std::string& record) : tree(""), board(decodedBoard(record))
    {
        tree = Tree(board->NodeText);
        visited.assign(tree.size(), 0);
    }
    int current() const { return path.back(); }
    void setKeyMode(int m)
    {
        static const char* const labels[] = {"Hint", "Next variation", "Next problem"};
        if (m != keyMode) events.push_back(std::string("softkey ") + labels[m]);
        keyMode = m;
    }
    // Where node n is played on the present board.
    void point(int n, int32& c, int32& r) const
    {
        c = tree.col[n];
        r = tree.row[n];
        if (isPass(c, r)) findPassSubstitute(*board, c, r);
    }
    void restart()
    {
        resetBoard(*board, false);
        visited.assign(tree.size(), 0);
        path = {0};
        pending = solved = failed = false;
        setKeyMode(0);
    }
    void play(int n)
    {
        int32 c, r;
        point(n, c, r);
        EXPECT_TRUE(playMove(*board, c, r, false)) << "node " << n;
        path.push_back(n);
    }
    // The child of the current node that a Black move at (c, r) matches: the
    // first in node order, a pass matching the pass substitute point too.
    int match(int32 c, int32 r) const
    {
        for (int k : tree.children(current())) {
            int32 kc = tree.col[k], kr = tree.row[k];
            if (kc == c && kr == r) return k;
            if (isPass(kc, kr)) findPassSubstitute(*board, kc, kr);
            if (kc == c && kr == r) return k;
        }
        return 0;
    }
    // Black plays at (c, r).
    void userMove(int32 c, int32 r)
    {
        const int n = match(c, r);
        EXPECT_TRUE(playMove(*board, c, r, false));
        if (n == 0) {
            events.push_back("status Failure");
            failed = true;
            setKeyMode(0);
            return;
        }
        path.push_back(n);
        std::vector<int> replies = tree.children(n);
        if (!replies.empty()) {
            int chosen = 0;
            for (int w : replies)
                if (!visited[w]) {
                    chosen = w;
                    break;
                }
            if (chosen == 0) {
                for (int w : replies) visited[w] = 0;
                chosen = replies[0];
            }
            play(chosen);
        }
        std::string status;
        int mode = keyMode;
        if (tree.leaf(current())) {
            if (tree.flag[current()] != '1') {
                status = "Failure";
                failed = true;
            } else {
                status = judgeSuccess(current()) ? "Success" : "Good";
                mode = status == "Success" ? 2 : 1;
            }
        }
        if (!status.empty()) events.push_back("status " + status);
        setKeyMode(0);
        setKeyMode(mode);
    }
    // True when solved, false when a further variation is pending.
    bool judgeSuccess(int leaf)
    {
        visited[leaf] = 1;
        for (int n = tree.parent(leaf); n >= 0; n = tree.parent(n)) {
            std::vector<int> kids = tree.children(n);
            if (tree.depth[n] % 2 == 1 && kids.size() >= 2) {
                for (int c : kids)
                    if (!visited[c]) {
                        ancestor = n;
                        nextChild = c;
                        pending = true;
                        return false;
                    }
                for (int c : kids) visited[c] = 0;
            } else {
                visited[n] = 1;
            }
            if (tree.depth[n] == 0) break;
        }
        solved = true;
        return true;
    }
    void nextVariation()
    {
        std::vector<int> kept;
        for (int n : path) {
            kept.push_back(n);
            if (n == ancestor) break;
        }
        resetBoard(*board, false);
        path = {0};
        for (size_t i = 1; i < kept.size(); ++i) play(kept[i]);
        play(nextChild);
        pending = false;
        setKeyMode(0);
    }
    std::string history() const { return board->moveHistory; }
};

// The lines of one `dump`: the diagram rows and the state line.
struct Dump {
    std::vector<std::string> rows;
    std::string state;
    std::string field(const std::string& name) const
    {
        const size_t at = state.find(" " + name + "=");
        if (at == std::string::npos) return "";
        const size_t from = at + name.size() + 2;
        return state.substr(from, state.find(' ', from) - from);
    }
};

// The transcript cut at each dump: the events (status and soft key lines)
// before each, and the dump itself.
struct Transcript {
    std::vector<std::vector<std::string>> events;
    std::vector<Dump> dumps;
    std::vector<std::string> lines;

    explicit Transcript(const std::string& text) : lines(splitLines(text))
    {
        std::vector<std::string> pending;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& l = lines[i];
            if (l.rfind("board ", 0) == 0) {
                Dump d;
                int c = 0, r = 0;
                std::sscanf(l.c_str(), "board %d %d", &c, &r);
                for (int k = 0; k < r && i + 1 < lines.size(); ++k) d.rows.push_back(lines[++i]);
                if (i + 1 < lines.size()) d.state = lines[++i];
                dumps.push_back(d);
                events.push_back(pending);
                pending.clear();
            } else if (l.rfind("status ", 0) == 0 || l.rfind("softkey ", 0) == 0) {
                pending.push_back(l);
            }
        }
    }
};

}  // namespace solving_test
