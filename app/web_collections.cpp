// The page's side of collections: the compiled collections the page keeps in
// its database come in through the calls exported below, and what the host
// learns (outcomes, the collection in use, the status line) goes out to the
// page's `vostraCollections`.
#include "app/web_collections.h"

#include <emscripten.h>

#include <string>

#include "game/context.h"
#include "host/collection_file.h"
#include "host/trainer_host.h"

namespace {

// JavaScript bodies: the C++ formatter must leave them alone.
// clang-format off
EM_JS(void, jsProgress, (const char* id, const char* text),
      { vostraCollections.progressChanged(UTF8ToString(id), UTF8ToString(text)); });

EM_JS(void, jsInUse, (const char* id), { vostraCollections.inUse(UTF8ToString(id)); });

EM_JS(void, jsStatus, (const char* line, const char* outcomes, int current),
      { vostraCollections.statusChanged(UTF8ToString(line), UTF8ToString(outcomes), current); });

// clang-format on

class PageKeeper : public CollectionKeeper {
public:
    void progressChanged(const Collection& c, const std::vector<Outcome>& outcomes) override
    {
        jsProgress(c.id.c_str(), formatProgress(c, outcomes).c_str());
    }
    void collectionChanged(const std::string& id) override { jsInUse(id.c_str()); }
    void statusChanged() override
    {
        std::string letters;
        if (activeCollection())
            for (Outcome o : activeOutcomes()) letters += char(o);
        jsStatus(hostStatusLine().c_str(), letters.c_str(), activeCollection() ? int(theGame().currentProblem) : 0);
    }
};

// 0: the collection cannot be read; 1: read; 2: read, but its progress text
// is damaged and the outcomes start afresh (the page sets the text aside).
int parse(const char* id, const char* text, const char* progress, Collection& c, std::vector<Outcome>& outcomes)
{
    std::string error;
    c.id = id ? id : "";
    if (!text || !parseCollection(text, c, error)) {
        emscripten_log(EM_LOG_CONSOLE | EM_LOG_WARN, "collection %s: %s", c.id.c_str(), error.c_str());
        return 0;
    }
    outcomes.assign(c.records.size(), Outcome::NotTried);
    if (progress && *progress && !parseProgress(progress, c, outcomes, error)) {
        emscripten_log(EM_LOG_CONSOLE | EM_LOG_WARN, "progress of %s: %s", c.id.c_str(), error.c_str());
        outcomes.assign(c.records.size(), Outcome::NotTried);
        return 2;
    }
    return 1;
}

PageKeeper* keeper()
{
    static PageKeeper* k = new PageKeeper;
    setCollectionKeeper(k);
    return k;
}

// Parses the page's texts and hands the collection to use().
int withCollection(const char* id, const char* text, const char* progress,
                   void (*use)(Collection, std::vector<Outcome>))
{
    keeper();
    Collection c;
    std::vector<Outcome> outcomes;
    const int result = parse(id, text, progress, c, outcomes);
    if (result) use(std::move(c), std::move(outcomes));
    return result;
}

}  // namespace

extern "C" {

// Before the program starts: the collection it starts with; while it runs
// (the page then wakes it up): another collection.  The result is that of
// parse() above.
EMSCRIPTEN_KEEPALIVE int vostra_start_collection(const char* id, const char* text, const char* progress)
{
    return withCollection(id, text, progress, useCollectionAtStart);
}

EMSCRIPTEN_KEEPALIVE int vostra_open_collection(const char* id, const char* text, const char* progress)
{
    return withCollection(id, text, progress, switchToCollection);
}

// The built-in problems, or problem n of the collection in use.
EMSCRIPTEN_KEEPALIVE void vostra_open_builtin() { switchToBuiltIn(); }

EMSCRIPTEN_KEEPALIVE void vostra_select_problem(int number) { selectProblem(number); }

}  // extern "C"

void prepareWebCollections() { keeper(); }
