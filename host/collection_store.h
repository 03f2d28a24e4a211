// The kept collections on this machine: one folder, a NAME.collection file
// with the compiled problems and a NAME.progress file with their outcomes for
// each.  Every file is replaced atomically; a damaged one is reported and set
// aside under another name, never read as empty.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/collection_file.h"

// $VOSTRA_DATA_DIR, else $XDG_DATA_HOME/vostra, else ~/.local/share/vostra;
// the collections are kept in its folder "collections".
std::string dataDirectory();

// Writes text to path through a temporary file in the same folder, flushed
// to the disk before it is renamed over path; false (errno set) on failure.
bool writeFileAtomically(const std::string& path, const std::string& text);

class CollectionStore {
public:
    explicit CollectionStore(std::string folder);
    const std::string& folder() const { return folder_; }

    // The ids of the kept collections, sorted.
    std::vector<std::string> ids() const;
    // The collection of that id, with its outcomes.  A damaged collection
    // file is set aside and false returned; a damaged progress file is set
    // aside and the outcomes start afresh.  Either is reported.
    bool load(const std::string& id, Collection& c, std::vector<Outcome>& outcomes, FILE* report);
    bool save(const Collection& c, FILE* report);
    bool saveProgress(const Collection& c, const std::vector<Outcome>& outcomes, FILE* report);
    // Removes both files; false when there is no such collection.
    bool remove(const std::string& id);

    // The id a user's name stands for (an id, or a name in any case), or "".
    std::string find(const std::string& nameOrId);

private:
    std::string path(const std::string& id, const char* kind) const;
    void setAside(const std::string& file, const std::string& why, FILE* report);
    std::string folder_;
};
