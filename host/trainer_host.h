// The trainer's host: puts a collection in place of the built-in catalogue,
// follows what the user does to learn each problem's outcome, and tells the
// front-end's keeper what to store.  It sees the program only from outside:
// the messages the window gets, the game's current problem and count.
#pragma once

#include <string>
#include <vector>

#include "host/collection_file.h"

// Where a front-end keeps what the host learns: files on the desktop, the
// page's database in the browser.
class CollectionKeeper {
public:
    virtual ~CollectionKeeper() = default;
    // A problem's outcome changed; store it before returning if you can.
    virtual void progressChanged(const Collection& c, const std::vector<Outcome>& outcomes) = 0;
    // A collection (id), or the built-in catalogue (""), came into use.
    virtual void collectionChanged(const std::string& id) {}
    // The current problem or an outcome changed: a new line for the title.
    virtual void statusChanged() {}
};
void setCollectionKeeper(CollectionKeeper* keeper);

// Before the program runs: the collection to start with (else the built-in
// catalogue).  Call startHost() once the game exists and before the entry
// function runs.
void useCollectionAtStart(Collection c, std::vector<Outcome> outcomes);
void startHost();

// While the program runs: the switch is posted to the main window and made
// in the message loop (the caller wakes the program up).  Before the program
// has a window, the switch is made at once.
void switchToCollection(Collection c, std::vector<Outcome> outcomes);
void switchToBuiltIn();
void selectProblem(int number);

// The collection in use, or nullptr for the built-in catalogue.
const Collection* activeCollection();
const std::vector<Outcome>& activeOutcomes();
// "Name · problem N of M · S solved, F to retry", or "" for the built-in one.
std::string hostStatusLine();

// The registry key holding a collection's current problem, beside the
// built-in catalogue's key.
std::wstring collectionRegistryKey(const std::string& id);
// The last collection used ("" for the built-in catalogue), in the registry.
std::string readLastCollection();
void writeLastCollection(const std::string& id);
