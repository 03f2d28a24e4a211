#include "problems/catalogue.h"

namespace {

const char* const* runtimeRecords = nullptr;
int32 runtimeCount = 0;

}  // namespace

const char* catalogueRecord(int32 n)
{
    if (runtimeRecords) {
        if (n < 1 || n > runtimeCount) return nullptr;
        return runtimeRecords[n - 1];
    }
    if (n < 1 || n > problemCatalogueCount) return nullptr;
    return ProblemCatalogue[n];
}

void setRuntimeCatalogue(const char* const* records, int32 count)
{
    if (!records || count < 1) {
        runtimeRecords = nullptr;
        runtimeCount = 0;
        return;
    }
    runtimeRecords = records;
    runtimeCount = count;
}

int32 activeCatalogueCount() { return runtimeRecords ? runtimeCount : problemCatalogueCount; }
