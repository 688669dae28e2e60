// Reader of the quad model file: tokens in (scene/token_reader.h, the C
// locale's extraction), QuadRecords out, no GL.
#include "scene/quad_model_file.h"

#include "scene/narrow_float.h"
#include "scene/reader_messages.h"

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

std::vector<QuadRecord> readAll(QuadFileReader& reader)
{
    std::vector<QuadRecord> quads;
    QuadRecord quad;
    while (reader.next(quad))
        quads.push_back(quad);
    return quads;
}

} // namespace

QuadFileReader::QuadFileReader(std::istream& in, const char* fileName, std::size_t chunkBytes)
    : tokens_(in, chunkBytes), fileName_(fileName)
{
}

QuadFileReader::QuadFileReader(const std::string& text, const char* fileName)
    : tokens_(text.data(), text.data() + text.size()), fileName_(fileName)
{
}

bool QuadFileReader::next(QuadRecord& quad)
{
    if (finished_)
        return false;
    if (!counted_) {
        counted_ = true;
        if (!tokens_.readDouble(count_)) {
            std::cerr << fileName_ << ": "
                      << describeFailure(tokens_.ended(), "the record count at the start of the file")
                      << "; no quads are read\n";
            finished_ = true;
            return false;
        }
    }
    // The index is compared as a double, so a fractional N reads one more
    // record and a NaN reads none. N is never trusted to size anything.
    if (!(double(index_) < count_)) {
        finished_ = true;
        return false;
    }
    std::string failedField;
    if (!readRecord(tokens_, quad, failedField)) {
        std::cerr << fileName_ << ": quad record " << (index_ + 1) << " of " << count_ << ": "
                  << describeFailure(tokens_.ended(), failedField) << "; "
                  << keptPhrase(index_, "record", "records") << "\n";
        finished_ = true;
        return false;
    }
    ++index_;
    return true;
}

std::vector<QuadRecord> parseQuadModel(std::istream& in, const char* fileName,
                                       std::size_t chunkBytes)
{
    QuadFileReader reader(in, fileName, chunkBytes);
    return readAll(reader);
}

std::vector<QuadRecord> parseQuadModel(const std::string& text, const char* fileName)
{
    QuadFileReader reader(text, fileName);
    return readAll(reader);
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
