// Fuzzes the SGF reader and the problem compiler: whatever the input, reading
// and compiling must neither crash nor misbehave, every record the compiler
// writes must decode back to the problem it was made from, and checking it
// replays its lines with the game's rules; the problem's texts are valid
// UTF-8, name only entries the record has, and read back from the texts table
// as they were written.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "game/context.h"
#include "tools/charset.h"
#include "tools/decoded_problem.h"
#include "tools/problem_compiler.h"
#include "tools/problem_texts.h"
#include "tools/record_check.h"
#include "tools/sgf_reader.h"

static void checkTexts(const SgfTree& tree, const CompiledProblem& out)
{
    std::vector<CompileMessage> warnings;
    const ProblemTexts texts = problemTexts(tree, out, warnings);
    if (!isValidUtf8(texts.title) || !isValidUtf8(texts.goal)) std::abort();
    for (const auto& [entry, text] : texts.comments)
        if (entry < 1 || size_t(entry) > out.problem.nodes.size() || !isValidUtf8(text)) std::abort();
    TextTable table, back;
    table.set(1, texts);
    std::string error;
    if (!back.parse(table.write(), error)) std::abort();
    const ProblemTexts& read = back.problem(1);
    // The table drops carriage returns; nothing else may change.
    auto same = [](const std::string& a, const std::string& b) {
        std::string c;
        for (char ch : a)
            if (ch != '\r') c += ch;
        return c == b;
    };
    if (!same(texts.title, read.title) || !same(texts.goal, read.goal) || texts.comments.size() != read.comments.size())
        std::abort();
    for (const auto& [entry, text] : texts.comments)
        if (!same(text, read.comment(entry))) std::abort();
}

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
            if (variant == 0) checkTexts(trees[i], out);
        }
    }
    return 0;
}
