// The web build's reading of the model, for read_isolated.cpp: in a
// browser there is no process to fork, and the Web Worker that runs the
// importer is the boundary instead. What would take the reading process
// down (a trap, an abort) takes the module down, which run_import.js turns
// into the command line's line about the library's crash; a read without
// end, or memory taken without end up to the module's 4 GB, is stopped by
// the page ending the worker. So --time-limit and --memory-limit are
// taken (the command line parses them as ever) and have no effect.
// Entry point: readModel().
#include "import.h"

SourceModel readModel(const std::string& path, const ReadLimits& limits)
{
    if (limits.plantedFault)
        limits.plantedFault();
    return readWithAssimp(path);
}
