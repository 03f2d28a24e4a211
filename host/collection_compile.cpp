#include "host/collection_compile.h"

#include <cstdio>
#include <cstdlib>

#include "tools/collection_compiler.h"

CompileOptions trainerCompileOptions()
{
    CompileOptions o;
    // Downloaded collections often mark nothing but the main line, and their
    // trees may be larger than the trainer holds: failed lines go first.
    o.mainLineCorrect = true;
    o.prune = true;
    return o;
}

CollectionCompiler::CollectionCompiler(CompileOptions options) : options_(options) {}

void CollectionCompiler::addFile(const std::string& path, std::string_view text)
{
    CollectionResult result;
    char* buffer = nullptr;
    size_t size = 0;
    FILE* report = open_memstream(&buffer, &size);
    compileSgfText(text, path, options_, result, report, true);
    if (report) std::fclose(report);
    if (buffer) {
        std::string_view all(buffer, size);
        while (!all.empty()) {
            size_t end = all.find('\n');
            if (end == std::string_view::npos) end = all.size();
            if (end > 0) messages_.emplace_back(all.substr(0, end));
            all.remove_prefix(end < all.size() ? end + 1 : end);
        }
        std::free(buffer);
    }
    ++files_;
    skipped_ += result.skipped;
    result.texts.resize(result.lines.size());
    for (ProblemTexts& t : result.texts) texts_.push_back(std::move(t));
    for (const std::string& line : result.lines) {
        const size_t sp = line.find(' ');
        records_.push_back(line.substr(0, sp));
        sources_.push_back(sp == std::string::npos ? std::string() : line.substr(sp + 1));
    }
}

void CollectionCompiler::addProblem(const std::string& message)
{
    messages_.push_back(message);
    ++skipped_;
}

Collection CollectionCompiler::collection(const std::string& name) const
{
    Collection c;
    // The name stays on its line of the kept text.
    for (char ch : name) c.name += static_cast<unsigned char>(ch) < ' ' ? ' ' : ch;
    if (c.name.empty()) c.name = "Collection";
    c.id = collectionId(c.name);
    c.records = records_;
    c.sources = sources_;
    TextTable table;
    for (size_t i = 0; i < texts_.size(); ++i)
        if (!texts_[i].empty()) table.set(int32_t(i + 1), texts_[i]);
    setCollectionTexts(c, table);
    return c;
}

bool isSgfName(std::string_view name)
{
    if (name.size() < 4) return false;
    std::string_view ext = name.substr(name.size() - 4);
    return ext[0] == '.' && (ext[1] | 32) == 's' && (ext[2] | 32) == 'g' && (ext[3] | 32) == 'f';
}
