// The problem catalogue compiled into the program: records numbered from 1.
#pragma once

#include "game/context.h"

// Index 0 holds an empty placeholder; 1..problemCatalogueCount the records.
extern const char* const ProblemCatalogue[];
extern const int32 problemCatalogueCount;

// The record numbered n of the catalogue in use, or nullptr when n is outside
// its range.  That is the built-in catalogue unless a run-time one is set.
const char* catalogueRecord(int32 n);

// Puts a run-time catalogue in place of the built-in one: records[0..count-1]
// are problems 1..count and must stay valid until replaced.  A null records
// (or a count below 1) brings back the built-in catalogue.  The caller also
// sets the game's problemCount to activeCatalogueCount().
void setRuntimeCatalogue(const char* const* records, int32 count);
int32 activeCatalogueCount();
