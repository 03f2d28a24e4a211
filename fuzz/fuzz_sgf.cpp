// Fuzzes the SGF reader and the problem compiler: whatever the input, reading
// and compiling must neither crash nor misbehave, every record the compiler
// writes must decode back to the problem it was made from, and checking it
// replays its lines with the game's rules.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "game/context.h"
#include "tools/decoded_problem.h"
#include "tools/problem_compiler.h"
#include "tools/record_check.h"
#include "tools/sgf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static GameContext* g = new GameContext;
    std::vector<SgfTree> trees;
    SgfError error;
    readSgf(std::string_view(reinterpret_cast<const char*>(data), size), trees, error);
    const size_t count = trees.size() < 8 ? trees.size() : 8;
    for (size_t i = 0; i < count; ++i) {
        for (int variant = 0; variant < 2; ++variant) {
            CompileOptions options;
            options.mainLineCorrect = options.prune = variant == 1;
            CompiledProblem out;
            CompileMessage message;
            if (!compileTree(trees[i], options, out, message)) continue;
            Problem back;
            std::string reason;
            if (!decodeRecordText(out.record, *g, back, reason) || !(back == out.problem)) std::abort();
            RecordCheck check;
            checkRecord(out.record, check);
            if (check.successLines == 0) std::abort();
        }
    }
    return 0;
}
