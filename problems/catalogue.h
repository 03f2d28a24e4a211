// The problem catalogue compiled into the program: records numbered from 1.
#pragma once

#include "game/context.h"

// Index 0 holds an empty placeholder; 1..problemCatalogueCount the records.
extern const char* const ProblemCatalogue[];
extern const int32 problemCatalogueCount;

// The record numbered n, or nullptr when n is outside 1..problemCatalogueCount.
const char* catalogueRecord(int32 n);
