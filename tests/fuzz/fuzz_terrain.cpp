// Fuzz target of the terrain patch reader: any text gives patches or a
// message, never a crash or a hang.
#include "fuzz_silence.h"
#include "scene/terrain_file.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<TerrainPatch> patches = parseTerrainPatches(text, "fuzz.geo");
    for (const TerrainPatch& patch : patches)
        if (patch.kind == TerrainTerminatorKind)
            __builtin_trap();  // the terminator is never a patch
    return 0;
}
