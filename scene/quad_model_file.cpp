// Reader of the quad model file: tokens in, QuadRecords out, no GL.
#include "scene/quad_model_file.h"

#include "scene/narrow_float.h"
#include "scene/reader_messages.h"

#include <fstream>
#include <iostream>
#include <locale>
#include <sstream>

namespace {

bool readFloat(std::istream& in, float& target)
{
    double value = 0;
    if (!(in >> value))
        return false;
    target = narrowToFloat(value);
    return true;
}

// Reads one record into quad; on failure returns false and names the field.
bool readRecord(std::istream& in, QuadRecord& quad, std::string& failedField)
{
    static const char* const Axis[3] = {"x", "y", "z"};
    static const char* const Pair[2] = {"s", "t"};

    std::string label;
    if (!(in >> label)) {
        failedField = "its label";
        return false;
    }
    if (!(in >> quad.texture)) {
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

} // namespace

std::vector<QuadRecord> parseQuadModel(std::istream& in, const char* fileName)
{
    in.imbue(std::locale::classic());
    std::vector<QuadRecord> quads;

    double count = 0;
    if (!(in >> count)) {
        std::cerr << fileName << ": "
                  << describeFailure(in, "the record count at the start of the file")
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
                      << describeFailure(in, failedField) << "; " << keptPhrase(i, "record", "records")
                      << "\n";
            break;
        }
        quads.push_back(quad);
    }
    return quads;
}

std::vector<QuadRecord> parseQuadModel(const std::string& text, const char* fileName)
{
    std::istringstream in(text);
    return parseQuadModel(in, fileName);
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
