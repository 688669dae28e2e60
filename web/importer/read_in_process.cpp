// The web build's reading of the model, for read_isolated.cpp: in a
// browser there is no process to fork, and the Web Worker that runs the
// importer is the boundary instead. What would take the reading process
// down (a trap, an abort) takes the module down, which run_import.js turns
// into the command line's line about the library's crash; a read without
// end is stopped by the page ending the worker. So --time-limit and
// --memory-limit are taken (the command line parses them as ever) and have
// no effect: the memory is the module's, 4 GB at most, and an allocation
// past it is "too large to import in this memory" (runImport), also where
// the library itself catches the failure and would only say that it could
// not read the file. Entry point: readModel().
#include "import.h"

#include <new>

namespace {

bool memoryRanOut = false;

void onMemoryRanOut()
{
    memoryRanOut = true;
    std::set_new_handler(nullptr);
    throw std::bad_alloc();
}

} // namespace

SourceModel readModel(const std::string& path, const ReadLimits& limits)
{
    memoryRanOut = false;
    const std::new_handler before = std::set_new_handler(onMemoryRanOut);
    try {
        if (limits.plantedFault)
            limits.plantedFault();
        SourceModel model = readWithAssimp(path);
        std::set_new_handler(before);
        return model;
    } catch (const ImportError&) {
        std::set_new_handler(before);
        if (memoryRanOut)
            throw std::bad_alloc();
        throw;
    } catch (...) {
        std::set_new_handler(before);
        throw;
    }
}
