#include "problems/catalogue.h"

const char* catalogueRecord(int32 n)
{
    if (n < 1 || n > problemCatalogueCount) return nullptr;
    return ProblemCatalogue[n];
}
