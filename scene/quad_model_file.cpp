// Reader of the quad model file: tokens in (scene/token_reader.h, the C
// locale's extraction), QuadRecords out, no GL.
#include "scene/quad_model_file.h"

#include "scene/narrow_float.h"
#include "scene/reader_messages.h"
#include "scene/token_reader.h"

#include <fstream>
#include <iostream>

namespace {

bool readFloat(TokenReader& in, float& target)
{
    double value = 0;
    if (!in.readDouble(value))
        return false;
    target = narrowToFloat(value);
    return true;
}

// Reads one record into quad; on failure returns false and names the field.
bool readRecord(TokenReader& in, QuadRecord& quad, std::string& failedField)
{
    static const char* const Axis[3] = {"x", "y", "z"};
    static const char* const Pair[2] = {"s", "t"};

    if (!in.skipWord()) {
        failedField = "its label";
        return false;
    }
    if (!in.readInt(quad.texture)) {
        failedField = "its texture id (an integer)";
        return false;
    }
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 3; ++c)
            if (!readFloat(in, quad.vertices[k][c])) {
                failedField = std::string(Axis[c]) + " of vertex " + std::to_string(k + 1);
                return false;
            }
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 2; ++c)
            if (!readFloat(in, quad.texCoords[k][c])) {
                failedField = std::string(Pair[c]) + " of the texture pair of vertex " +
                              std::to_string(k + 1);
                return false;
            }
    return true;
}

std::vector<QuadRecord> parseQuads(TokenReader& in, const char* fileName)
{
    std::vector<QuadRecord> quads;

    double count = 0;
    if (!in.readDouble(count)) {
        std::cerr << fileName << ": "
                  << describeFailure(in.ended(), "the record count at the start of the file")
                  << "; no quads are read\n";
        return quads;
    }

    // The index is compared as a double, so a fractional N reads one more
    // record and a NaN reads none. N is never trusted to size anything.
    for (unsigned long long i = 0; double(i) < count; ++i) {
        QuadRecord quad;
        std::string failedField;
        if (!readRecord(in, quad, failedField)) {
            std::cerr << fileName << ": quad record " << (i + 1) << " of " << count << ": "
                      << describeFailure(in.ended(), failedField) << "; "
                      << keptPhrase(i, "record", "records") << "\n";
            break;
        }
        quads.push_back(quad);
    }
    return quads;
}

} // namespace

std::vector<QuadRecord> parseQuadModel(std::istream& in, const char* fileName,
                                       std::size_t chunkBytes)
{
    TokenReader tokens(in, chunkBytes);
    return parseQuads(tokens, fileName);
}

std::vector<QuadRecord> parseQuadModel(const std::string& text, const char* fileName)
{
    TokenReader tokens(text.data(), text.data() + text.size());
    return parseQuads(tokens, fileName);
}

bool readQuadModelFile(const char* fileName, std::vector<QuadRecord>& quads)
{
    quads.clear();
    std::ifstream in(fileName);
    if (!in.is_open())
        return false;
    quads = parseQuadModel(in, fileName);
    return true;
}
