// Fuzz target of the quad model reader: any text gives quads or a message,
// never a crash or a hang.
#include "fuzz_silence.h"
#include "scene/quad_model_file.h"

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
    const std::vector<QuadRecord> quads = parseQuadModel(text, "fuzz.geo");
    // A record takes at least 22 tokens, so at least 44 bytes.
    if (quads.size() > size / 44 + 1)
        __builtin_trap();
    return 0;
}
