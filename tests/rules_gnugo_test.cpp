// Differential test against GNU Go: random games on a fully visible 19x19
// board, with passes mixed in.  Before each move both engines are asked
// whether it is legal; legal moves are played on both and the whole board is
// compared after every move.  VOSTRA_LONG=1 plays thousands of games.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "rules/move.h"
#include "tests/child_process.h"
#include "tests/rules_support.h"

using namespace rules_test;

namespace {

const char* findGnugo()
{
    for (const char* path : {"/usr/games/gnugo", "/usr/bin/gnugo", "/usr/local/bin/gnugo"})
        if (access(path, X_OK) == 0) return path;
    return nullptr;
}

// A GNU Go process spoken to over GTP through two pipes.
class Gtp {
public:
    explicit Gtp(const char* path)
    {
        const PipedChild child = startPiped(path, {"gnugo", "--mode", "gtp"}, true);
        if (child.pid < 0) return;
        pid_ = child.pid;
        in_ = fdopen(child.in, "w");
        out_ = fdopen(child.out, "r");
    }
    ~Gtp()
    {
        if (in_) {
            std::fputs("quit\n", in_);
            std::fclose(in_);
        }
        if (out_) std::fclose(out_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    bool ok() const { return in_ && out_; }

    // Sends one command; returns the answer's text after "= " (or "? ").
    std::string ask(const std::string& command, bool* success = nullptr)
    {
        send(command);
        return answer(success);
    }

    // Commands may be sent ahead of reading their answers, which are then
    // read back in order; this saves a round trip per command.
    void send(const std::string& command) { std::fputs((command + "\n").c_str(), in_); }

    std::string answer(bool* success = nullptr)
    {
        std::fflush(in_);
        std::string text;
        char line[4096];
        bool first = true;
        while (std::fgets(line, sizeof line, out_)) {
            std::string s(line);
            if (s == "\n") {
                if (first) continue;
                break;
            }
            if (first) {
                if (success) *success = s[0] == '=';
                s = s.substr(s.size() > 2 ? 2 : s.size());
                first = false;
            }
            text += s;
        }
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        return text;
    }

private:
    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
};

// GTP vertex of (col, row): columns skip 'I'; GTP rows count from the bottom.
std::string vertex(int col, int row)
{
    if (col == 20 && row == 20) return "pass";
    return std::string(1, "ABCDEFGHJKLMNOPQRST"[col - 1]) + std::to_string(20 - row);
}

// Reads the answers to "list_stones black" and "list_stones white" into a
// board in the form of diagram().
std::vector<std::string> gnugoBoard(Gtp& gtp)
{
    std::vector<std::string> board(19, std::string(19, '.'));
    for (char mark : {'X', 'O'}) {
        std::istringstream stones(gtp.answer());
        std::string v;
        while (stones >> v) {
            int col = std::string("ABCDEFGHJKLMNOPQRST").find(v[0]) + 1;
            int row = 20 - std::atoi(v.c_str() + 1);
            if (col >= 1 && row >= 1 && row <= 19) board[row - 1][col - 1] = mark;
        }
    }
    return board;
}

}  // namespace

TEST(RulesGnugo, RandomGamesAgreeMoveByMove)
{
    const char* path = findGnugo();
    if (!path) GTEST_SKIP() << "GNU Go is not installed (Debian package gnugo); differential test skipped";
    signal(SIGPIPE, SIG_IGN);
    Gtp gtp(path);
    ASSERT_TRUE(gtp.ok());
    bool success = false;
    gtp.ask("boardsize 19", &success);
    ASSERT_TRUE(success) << "GNU Go does not answer over GTP";

    const char* longMode = std::getenv("VOSTRA_LONG");
    const int games = longMode && std::string(longMode) == "1" ? 3000 : 200;
    auto g = emptyBoard(19, 19);
    auto trial = std::make_unique<GameContext>(*g);
    int captures = 0, koRefusals = 0, suicides = 0, passes = 0;

    for (int game = 0; game < games; ++game) {
        std::mt19937 rng(1000 + game);
        gtp.ask("clear_board");
        resetBoard(*g, false);
        std::string sequence;
        int capturedCol = 0, capturedRow = 0;  // a point the last capture emptied
        // Long enough for the board to fill and for captures and ko fights to
        // start; the history keeps at most 511 moves.
        for (int attempt = 0, played = 0; attempt < 600 && played < 280; ++attempt) {
            int col, row;
            int roll = rng() % 100;
            if (roll < 3) {
                col = row = 20;
            } else if (roll < 25 && capturedCol) {
                col = capturedCol;  // retakes and refills: ko and suicide
                row = capturedRow;
            } else {
                col = 1 + rng() % 19;
                row = 1 + rng() % 19;
            }
            const std::string colour = g->sideToMove == 1 ? "black" : "white";
            const std::string move = colour + " " + vertex(col, row);
            *trial = *g;
            const bool ours = playMove(*trial, col, row, false);
            // When we find the move legal, its play and the board listing go
            // out with the question.
            gtp.send("is_legal " + move);
            if (ours) {
                gtp.send("play " + move);
                gtp.send("list_stones black");
                gtp.send("list_stones white");
            }
            const bool theirs = gtp.answer() == "1";
            ASSERT_EQ(ours, theirs) << "legality of " << move << " in game " << game << " after: " << sequence;
            if (!ours) {
                // The point the last move captured a single stone on is the
                // ko retake; other refusals on empty points are suicides.
                if (g->lastCaptureCount == 1 && col == capturedCol && row == capturedRow)
                    ++koRefusals;
                else if (stoneColour(g->stoneGrid[col][row]) == 0 && col != 20)
                    ++suicides;
                continue;
            }
            sequence += (sequence.empty() ? "" : ", ") + move;
            gtp.answer(&success);
            ASSERT_TRUE(success) << "GNU Go refused " << move << " after " << sequence;
            ++played;
            if (col == 20) ++passes;
            if (trial->lastCaptureCount > 0) ++captures;
            for (int c = 1; c <= 19; ++c)
                for (int r = 1; r <= 19; ++r)
                    if (g->stoneGrid[c][r] != 0 && trial->stoneGrid[c][r] == 0) {
                        capturedCol = c;
                        capturedRow = r;
                    }
            *g = *trial;
            ASSERT_EQ(diagram(*g), gnugoBoard(gtp)) << "board in game " << game << " after: " << sequence;
        }
    }
    std::printf("%d games: %d captures, %d passes, refused: %d suicides, %d ko retakes\n", games, captures, passes,
                suicides, koRefusals);
    EXPECT_GT(captures, games);
    EXPECT_GT(koRefusals, 0);
    EXPECT_GT(suicides, 0);
}
