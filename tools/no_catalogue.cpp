// The problem tool works on records it is given, not on a built-in catalogue.
#include "game/catalogue.h"

const char* const ProblemCatalogue[] = {""};
const int32 problemCatalogueCount = 0;
