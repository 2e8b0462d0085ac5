// Prints the symbology table, one "number|name" line per symbology, for the
// scripts that list the symbologies (tools/gallery). Built with the program,
// never installed.
#include "symbologies/Symbologies.h"

#include <cstdio>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

int main()
{
    for (const SymbologyRow& row : Symbologies())
        std::printf("%d|%.*s\n", static_cast<int>(row.type), static_cast<int>(row.name.size()),
                    row.name.data());
    return 0;
}
