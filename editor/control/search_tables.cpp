// The search matcher's upper-casing table, filled when the program starts.
#include "editor/control/search_tables.h"

#include "platform/cp932.h"

namespace search_tables {

unsigned char UpperTable[256];
int InitializationCount = 0;

void InitializeSearchTables() {
    if (InitializationCount++ > 0) return;
    const unsigned char* Upper = cp932::UpperTable();
    for (int I = 0; I < 256; ++I) UpperTable[I] = Upper[I];
}

namespace {
[[maybe_unused]] const int TablesReady = (InitializeSearchTables(), 1);
} // namespace

} // namespace search_tables
