// Compiling a collection in the program itself: SGF texts in, the compiled
// collection and the list of what could not be used out.  The same code runs
// natively and in the browser's compile worker.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/collection_file.h"
#include "tools/problem_compiler.h"

// The options a collection is opened with.  Where trees are to be completed
// by the solver, this is the one place to say so.
CompileOptions trainerCompileOptions();

class CollectionCompiler {
public:
    explicit CollectionCompiler(CompileOptions options = trainerCompileOptions());

    // Compiles the game trees of one file; its problems are added in the
    // order given (callers sort the files first).
    void addFile(const std::string& path, std::string_view text);
    // A file or entry that could not be read at all: "path: reason".
    void addProblem(const std::string& message);

    // The collection so far, named `name`; its id is made from the name.  The
    // problems' words go in its texts section (see setCollectionTexts()).
    Collection collection(const std::string& name) const;
    // Every message, "file:line: reason", in the order they arose.
    const std::vector<std::string>& messages() const { return messages_; }
    int32_t problems() const { return int32_t(records_.size()); }
    int32_t files() const { return files_; }
    int32_t skipped() const { return skipped_; }

private:
    CompileOptions options_;
    std::vector<std::string> records_, sources_, messages_;
    std::vector<ProblemTexts> texts_;  // one per record
    int32_t files_ = 0, skipped_ = 0;
};

// True for a name ending in ".sgf", any case.
bool isSgfName(std::string_view name);
