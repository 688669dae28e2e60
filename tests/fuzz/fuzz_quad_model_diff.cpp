// Differential fuzz target of the quad model reader: on any bytes the
// program's reader gives what the stream reader it replaced gives
// (quad_model_reference.h): the same records, every float bit for bit, and
// the same message, so the same point of failure. The program's reader runs
// on the text in memory and on a stream read in chunks of 1 to 16 bytes
// (chosen by the first byte), so that chunk boundaries fall inside tokens.
#include "fuzz_silence.h"
#include "quad_model_reference.h"
#include "scene/quad_model_file.h"

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Outcome {
    std::vector<QuadRecord> quads;
    std::string message;
};

template <typename Read>
Outcome capture(Read read)
{
    std::ostringstream message;
    std::streambuf* console = std::cerr.rdbuf(message.rdbuf());
    Outcome outcome;
    outcome.quads = read();
    std::cerr.rdbuf(console);
    outcome.message = message.str();
    return outcome;
}

void requireEqual(const Outcome& expected, const Outcome& got)
{
    if (got.quads.size() != expected.quads.size() || got.message != expected.message)
        __builtin_trap();
    // Bit for bit: a -0 is not a 0.
    for (std::size_t i = 0; i < got.quads.size(); ++i)
        if (std::memcmp(&got.quads[i], &expected.quads[i], sizeof(QuadRecord)) != 0)
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Outcome expected = capture([&] { return referenceParseQuadModel(text, "fuzz.geo"); });
    requireEqual(expected, capture([&] { return parseQuadModel(text, "fuzz.geo"); }));
    const std::size_t chunk = size > 0 ? 1 + data[0] % 16 : 1;
    requireEqual(expected, capture([&] {
                     std::istringstream in(text);
                     return parseQuadModel(in, "fuzz.geo", chunk);
                 }));
    return 0;
}
