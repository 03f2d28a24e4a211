// Rules benchmarks: playMove over random 19x19 games, a takeback that replays
// a 510-move history, and decoding a record.
//
// With VOSTRA_BENCH_MOVES=FILE the random games are also written to FILE, one
// game a line: the moves as "col,row" (20,20 a pass), then " | " and the final
// position as 361 characters ('X', 'O', '.'; columns across, rows down), so
// that other Go board libraries can be timed on the very same moves
// (bench/sabaki/compare.sh).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "board/board.h"
#include "game/context.h"
#include "problems/record.h"
#include "rules/move.h"
#include "rules/takeback.h"
#include "tools/record_encoder.h"

namespace {

using Game = std::vector<std::pair<int32, int32>>;

void startEmpty(GameContext& g)
{
    g.visibleCols = g.visibleRows = 19;
    std::strcpy(g.SetupText, " |");
    g.setupText = g.SetupText;
    g.setupLength = 1;
    resetBoard(g, false);
}

// A random game of up to `length` accepted moves; with passes on, about one
// move in fifty is a pass.
Game randomGame(GameContext& g, std::mt19937& rng, int length, bool passes = true)
{
    startEmpty(g);
    Game game;
    for (int attempt = 0; static_cast<int>(game.size()) < length && attempt < 100000; ++attempt) {
        int32 col = 1 + rng() % 19, row = 1 + rng() % 19;
        if (passes && rng() % 50 == 0) col = row = 20;
        if (playMove(g, col, row, false)) game.emplace_back(col, row);
    }
    return game;
}

struct Games {
    std::vector<Game> games;
    size_t moves = 0;
};

const Games& benchmarkGames()
{
    static const Games all = [] {
        Games out;
        auto g = std::make_unique<GameContext>();
        std::mt19937 rng(20240601);
        std::string text;
        for (int i = 0; i < 100; ++i) {
            out.games.push_back(randomGame(*g, rng, 300));
            out.moves += out.games.back().size();
            for (auto [c, r] : out.games.back()) text += std::to_string(c) + "," + std::to_string(r) + " ";
            text += "|";
            for (int32 r = 1; r <= 19; ++r)
                for (int32 c = 1; c <= 19; ++c)
                    text += g->stoneGrid[c][r] == 1 ? 'X' : g->stoneGrid[c][r] == -1 ? 'O' : '.';
            text += "\n";
        }
        if (const char* path = std::getenv("VOSTRA_BENCH_MOVES")) {
            if (FILE* f = std::fopen(path, "w")) {
                std::fputs(text.c_str(), f);
                std::fclose(f);
            }
        }
        return out;
    }();
    return all;
}

void BM_PlayMove(benchmark::State& state)
{
    const Games& games = benchmarkGames();
    auto g = std::make_unique<GameContext>();
    size_t next = 0;
    int64_t moves = 0;
    for (auto _ : state) {
        const Game& game = games.games[next];
        next = (next + 1) % games.games.size();
        startEmpty(*g);
        for (auto [c, r] : game) benchmark::DoNotOptimize(playMove(*g, c, r, false));
        moves += static_cast<int64_t>(game.size());
    }
    state.SetItemsProcessed(moves);
    state.counters["moves/s"] = benchmark::Counter(static_cast<double>(moves), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlayMove);

void BM_Takeback510(benchmark::State& state)
{
    auto g = std::make_unique<GameContext>();
    std::mt19937 rng(7);
    // Without passes, so that the replay keeps every move (a replayed pass
    // becomes a stone, which may change what follows).
    if (static_cast<int>(randomGame(*g, rng, kMaxMoves, false).size()) != kMaxMoves) {
        state.SkipWithError("no 511-move game");
        return;
    }
    const auto full = std::make_unique<GameContext>(*g);
    for (auto _ : state) {
        *g = *full;
        takeBackMove(*g);
        benchmark::DoNotOptimize(g->moveNumber);
    }
    if (g->moveNumber != kMaxMoves) state.SkipWithError("the replay lost moves");
}
BENCHMARK(BM_Takeback510)->Unit(benchmark::kMicrosecond);

// Records to decode: a small problem of the shipped collection (5x6 lines, 12
// setup stones, 14 tree entries) and a large made-up one (19x19, 60 setup
// stones, 300 tree entries).
std::string benchmarkRecord(int which)
{
    if (which == 0) return "0<@F62140023HF`TPA3o7?0;;G@@T@aF=C@\\0=G`@08:C@0G57@@0570@0097@0";
    Problem p;
    std::mt19937 rng(3);
    for (int i = 0; i < 30; ++i) p.black.push_back(rng() % 361);
    for (int i = 0; i < 30; ++i) p.white.push_back(rng() % 361);
    int32_t depth = 1;
    for (int i = 0; i < 299; ++i) {
        if (i > 0) depth = rng() % 4 == 0 ? 1 + rng() % 9 : depth + 1;
        p.nodes.push_back({depth, static_cast<int32_t>(rng() % 400), rng() % 2 == 1});
    }
    std::string record, reason;
    encodeRecord(p, record, reason);
    return record;
}

void BM_DecodeRecord(benchmark::State& state)
{
    const std::string record = benchmarkRecord(static_cast<int>(state.range(0)));
    auto g = std::make_unique<GameContext>();
    static char scratch[8192];
    for (auto _ : state) {
        std::memcpy(scratch, record.c_str(), record.size() + 1);
        int32 n = unpackRecord(scratch);
        decodeRecord(*g, reinterpret_cast<const uint8_t*>(scratch), n);
        benchmark::DoNotOptimize(g->NodeText[0]);
    }
    state.SetLabel(std::to_string(record.size()) + " characters");
}
BENCHMARK(BM_DecodeRecord)->Arg(0)->Arg(1);

}  // namespace
