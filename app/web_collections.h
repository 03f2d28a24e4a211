// The page's side of collections (web_collections.cpp): the compiled
// collections the page keeps in its database come in through the calls
// exported there, and what the host learns goes out to the page.
#pragma once

// Before the game is created: the host reports to the page from now on.
void prepareWebCollections();
