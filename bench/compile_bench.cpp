// Compile speed of vostra-problems compile: a folder of generated SGF files,
// each one corner problem with a few lines, read and compiled into catalogue
// lines.  Reported as problems per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "tools/collection_compiler.h"

namespace fs = std::filesystem;

namespace {

// A corner problem: a dozen stones, one correct line with a White defence
// and a few wrong first moves, written with the usual SGF properties.
std::string generatedProblem(std::mt19937& rng, int number)
{
    auto point = [&](int limit) {
        std::string s;
        s += static_cast<char>('a' + rng() % limit);
        s += static_cast<char>('a' + rng() % limit);
        return s;
    };
    std::string sgf =
        "(;GM[1]FF[4]CA[UTF-8]SZ[19]PL[B]GN[Generated " + std::to_string(number) + "]\nC[Black to live.]\nAB";
    for (int i = 0; i < 8; ++i) sgf += "[" + point(7) + "]";
    sgf += "\nAW";
    for (int i = 0; i < 6; ++i) sgf += "[" + point(7) + "]";
    sgf += "\n(;B[" + point(6) + "];W[" + point(6) + "];B[" + point(6) + "]C[Correct, Black lives.])\n";
    sgf += "(;B[" + point(6) + "];W[" + point(6) + "](;B[" + point(6) + "]C[Correct.])(;B[" + point(6) + "];W[" +
           point(6) + "]C[Wrong.]))\n";
    for (int i = 0; i < 3; ++i) sgf += "(;B[" + point(6) + "];W[" + point(6) + "]C[Wrong, Black dies.])\n";
    return sgf + ")\n";
}

class GeneratedFolder {
public:
    explicit GeneratedFolder(int files)
    {
        char name[] = "/tmp/vostra-compile-bench-XXXXXX";
        if (!mkdtemp(name)) std::abort();
        dir_ = name;
        std::mt19937 rng(1);
        for (int i = 0; i < files; ++i)
            std::ofstream(dir_ / ("p" + std::to_string(100000 + i) + ".sgf")) << generatedProblem(rng, i);
    }
    ~GeneratedFolder() { fs::remove_all(dir_); }
    std::string path() const { return dir_.string(); }

private:
    fs::path dir_;
};

void BM_CompileFolder(benchmark::State& state)
{
    GeneratedFolder folder(static_cast<int>(state.range(0)));
    int64_t problems = 0;
    for (auto _ : state) {
        CollectionResult r = compileCollection({folder.path()}, CompileOptions(), nullptr, true);
        if (r.problems != state.range(0)) state.SkipWithError("a generated problem did not compile");
        problems += r.problems;
    }
    state.SetItemsProcessed(problems);
}
BENCHMARK(BM_CompileFolder)->Arg(3000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
