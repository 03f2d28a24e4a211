#include "host/native_host.h"

#include <chrono>

#include "game/catalogue.h"
#include "host/collection_store.h"
#include "host/open_paths.h"
#include "host/trainer_host.h"

namespace {

CollectionStore& store()
{
    static CollectionStore* s = new CollectionStore(dataDirectory() + "/collections");
    return *s;
}

class FileKeeper : public CollectionKeeper {
public:
    void progressChanged(const Collection& c, const std::vector<Outcome>& outcomes) override
    {
        store().saveProgress(c, outcomes, stderr);
    }
    void collectionChanged(const std::string& id) override { writeLastCollection(id); }
};

void keepFiles()
{
    static FileKeeper* keeper = new FileKeeper;
    setCollectionKeeper(keeper);
}

// Compiles and keeps the paths' collection; false when nothing compiled.
bool compileAndKeep(const std::vector<std::string>& paths, Collection& c, std::vector<Outcome>& outcomes, FILE* report)
{
    const auto start = std::chrono::steady_clock::now();
    CollectionCompiler compiler;
    compilePaths(paths, compiler);
    const std::string name = collectionNameFor(paths);
    for (const std::string& m : compiler.messages()) std::fprintf(report, "%s\n", m.c_str());
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (compiler.problems() == 0) {
        std::fprintf(report, "%s: no problem could be used (%d file%s read); nothing was changed\n", name.c_str(),
                     compiler.files(), compiler.files() == 1 ? "" : "s");
        return false;
    }
    c = compiler.collection(name);
    std::fprintf(report, "%s: %d problem%s from %d file%s, %d skipped, compiled in %.0f ms\n", name.c_str(),
                 compiler.problems(), compiler.problems() == 1 ? "" : "s", compiler.files(),
                 compiler.files() == 1 ? "" : "s", compiler.skipped(), ms);
    // A collection opened again keeps the outcomes of the problems it still has.
    Collection old;
    std::vector<Outcome> before;
    if (!store().find(c.id).empty() && store().load(c.id, old, before, report)) {
        const std::string text = formatProgress(old, before);
        std::string error;
        parseProgress(text, c, outcomes, error);
    } else {
        outcomes.assign(c.records.size(), Outcome::NotTried);
    }
    if (!store().save(c, report)) return true;  // still usable for this run
    store().saveProgress(c, outcomes, report);
    return true;
}

const char* outcomeText(Outcome o)
{
    switch (o) {
    case Outcome::FirstTry:
        return "solved at the first try";
    case Outcome::AfterMistakes:
        return "solved after mistakes";
    case Outcome::Failed:
        return "failed, not yet solved";
    case Outcome::NotTried:
        break;
    }
    return "not tried";
}

}  // namespace

bool prepareCollections(const CollectionRequest& request, FILE* report)
{
    keepFiles();
    if (!request.paths.empty()) {
        Collection c;
        std::vector<Outcome> outcomes;
        if (compileAndKeep(request.paths, c, outcomes, report)) {
            useCollectionAtStart(std::move(c), std::move(outcomes));
            return true;
        }
    }
    if (request.builtIn) {
        switchToBuiltIn();
        return true;
    }
    std::string id = request.collection;
    const bool asked = !id.empty();
    if (!asked) id = readLastCollection();  // also when nothing compiled: as it was
    if (id.empty()) return true;
    if (asked && (id == "builtin" || id == "built-in")) {
        switchToBuiltIn();
        return true;
    }
    const std::string found = store().find(id);
    Collection c;
    std::vector<Outcome> outcomes;
    if (found.empty() || !store().load(found, c, outcomes, report)) {
        if (asked) {
            std::fprintf(report, "vostra: no collection named '%s' (vostra --collections lists them)\n", id.c_str());
            return false;
        }
        std::fprintf(report, "vostra: the last collection used, '%s', is gone; the built-in problems are shown\n",
                     id.c_str());
        switchToBuiltIn();
        return true;
    }
    useCollectionAtStart(std::move(c), std::move(outcomes));
    return true;
}

bool openPathsWhileRunning(const std::vector<std::string>& paths, FILE* report)
{
    Collection c;
    std::vector<Outcome> outcomes;
    if (!compileAndKeep(paths, c, outcomes, report)) return false;
    switchToCollection(std::move(c), std::move(outcomes));
    return true;
}

int listCollections(FILE* out)
{
    const std::string last = readLastCollection();
    std::fprintf(out, "%c %-24s %-32s %5d problems\n", last.empty() ? '*' : ' ', "builtin", "Built-in problems",
                 int(problemCatalogueCount));
    for (const std::string& id : store().ids()) {
        Collection c;
        std::vector<Outcome> o;
        if (!store().load(id, c, o, stderr)) continue;
        const ProgressCounts n = countOutcomes(o);
        std::fprintf(out, "%c %-24s %-32s %5zu problems, %d solved, %d to retry\n", id == last ? '*' : ' ', id.c_str(),
                     c.name.c_str(), c.records.size(), n.firstTry + n.afterMistakes, n.failed);
    }
    std::fprintf(out, "(kept in %s; * opens next time)\n", store().folder().c_str());
    return 0;
}

int printProgress(const std::string& name, FILE* out, FILE* err)
{
    std::vector<std::string> ids;
    if (name.empty()) {
        ids = store().ids();
    } else {
        const std::string id = store().find(name);
        if (id.empty()) {
            std::fprintf(err, "vostra: no collection named '%s' (vostra --collections lists them)\n", name.c_str());
            return 1;
        }
        ids.push_back(id);
    }
    if (ids.empty()) std::fprintf(out, "no collections kept in %s\n", store().folder().c_str());
    for (const std::string& id : ids) {
        Collection c;
        std::vector<Outcome> o;
        if (!store().load(id, c, o, err)) continue;
        const ProgressCounts n = countOutcomes(o);
        std::fprintf(out,
                     "%s (%s): %zu problems, %d solved at the first try, %d after mistakes, %d failed, %d not tried\n",
                     c.name.c_str(), id.c_str(), c.records.size(), n.firstTry, n.afterMistakes, n.failed, n.notTried);
        std::fprintf(out, "%7s  %-24s %s\n", "problem", "outcome", "source");
        for (size_t i = 0; i < c.records.size(); ++i)
            std::fprintf(out, "%7zu  %-24s %s\n", i + 1, outcomeText(o[i]), c.sources[i].c_str());
    }
    return 0;
}

int removeCollection(const std::string& name, FILE* out, FILE* err)
{
    const std::string id = store().find(name);
    if (id.empty() || !store().remove(id)) {
        std::fprintf(err, "vostra: no collection named '%s' (vostra --collections lists them)\n", name.c_str());
        return 1;
    }
    if (readLastCollection() == id) writeLastCollection("");
    std::fprintf(out, "removed %s from %s\n", id.c_str(), store().folder().c_str());
    return 0;
}
