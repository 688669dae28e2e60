// The faults that the web importer's test build (mirtal-import-planted.js,
// built by web/importer/CMakeLists.txt and never shipped) plants just
// before the model library reads, chosen by MIRTAL_PLANTED_FAULT in the
// module's environment, as tests/import/planted_faults.h does for the
// native test build. In wasm a signal raised does nothing, so a crash is
// what one is there: "crash" stores past the end of the module's memory,
// which traps; "abort" ends the module as a failed check of the library's
// would (std::abort, emscripten's abort).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

inline void plantedCrash()
{
    // The last word of the 32-bit address space, which the module's memory
    // reaches only at its full 4 GB.
    *reinterpret_cast<volatile std::uint32_t*>(std::uintptr_t(0xfffffff0)) = 1;
}

inline void plantedAbort() { std::abort(); }

inline void (*plantedFault(const char* name))()
{
    if (!name)
        return nullptr;
    if (std::strcmp(name, "crash") == 0)
        return plantedCrash;
    if (std::strcmp(name, "abort") == 0)
        return plantedAbort;
    return nullptr;
}
